// SPDX-License-Identifier: MIT
// The page's own script. The build puts it after bindings.js, whose `bind` and SQUARES
// (the squares' names, a8 first) it uses, and MODULE, the module's bytes in base64, in one
// inline script. Everything typed or taken from the address
// reaches the page as text (textContent, value, attributes), never as markup.
//
// The state is the two fields' texts and the way the board faces; the library reads the
// FEN text into the record every view is drawn from, and writes every edit back into it.

const piecefen = bind((await WebAssembly.instantiate(Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0)), {}))
  .instance.exports);

const EMPTY = '8/8/8/8/8/8/8/8 w - - 0 1';
const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const NAMES = { k: 'king', q: 'queen', r: 'rook', b: 'bishop', n: 'knight', p: 'pawn' };
// White's figures in outline and Black's filled, all in one dark ink, so the colours differ
// by shape and read on either square; U+FE0E asks for the text pawn, not an emoji.
const FIGURES = {
  K: '\u2654', Q: '\u2655', R: '\u2656', B: '\u2657', N: '\u2658', P: '\u2659\ufe0e',
  k: '\u265a', q: '\u265b', r: '\u265c', b: '\u265d', n: '\u265e', p: '\u265f\ufe0e',
};
const COLOURS = ['White', 'Black'];

const element = (id) => document.getElementById(id);
const pieceList = element('piece-list');
const fen = element('fen');
const board = element('board');
const status = element('status');
const sides = [element('white-to-move'), element('black-to-move')];
const rights = [0, 1, 2, 3].map((right) => element(`castling-${right}`));
const enPassant = element('en-passant');
const problemList = element('problems');
const tablebase = element('tablebase');

const state = { fen: EMPTY, pieceList: '', flipped: false };
// The piece a click or a tap puts down ("." empties), and the square in the tab order.
let chosen = 'K';
let focused = 0;

// What a square's byte is, in words: "white queen", "empty", or the byte itself.
function nameOf(byte) {
  if (byte === '.') return 'empty';
  const kind = byte.toLowerCase();
  if (Object.hasOwn(NAMES, kind)) return `${byte === kind ? 'black' : 'white'} ${NAMES[kind]}`;
  const code = byte.charCodeAt(0);
  return code > 32 && code < 127 ? `“${byte}”` : `byte ${code}`;
}

// 1. The board: 64 squares in eight rows of a grid, each a cell named for its square and
// what stands on it; the ranks and files beside it are for the eye alone.
const rows = Array.from({ length: 8 }, () => {
  const row = document.createElement('div');
  row.setAttribute('role', 'row');
  row.className = 'rank';
  return row;
});
const cells = SQUARES.map((name, index) => {
  const cell = document.createElement('div');
  cell.setAttribute('role', 'gridcell');
  cell.className = (Math.floor(index / 8) + index) % 2 === 0 ? 'square light' : 'square dark';
  cell.dataset.index = String(index);
  cell.tabIndex = -1;
  return cell;
});
board.append(...rows);

// Lays the squares out with White at the bottom, or Black when the board is flipped.
function orient() {
  const order = (values) => (state.flipped ? [...values].reverse() : values);
  order([0, 1, 2, 3, 4, 5, 6, 7]).forEach((row, at) => rows[at].replaceChildren(...order(cells.slice(8 * row, 8 * row + 8))));
  const edge = (text) => {
    const label = document.createElement('span');
    label.textContent = text;
    return label;
  };
  element('ranks').replaceChildren(...order([...'87654321']).map(edge));
  element('files').replaceChildren(...order([...'abcdefgh']).map(edge));
}

// 2. The palette: the twelve pieces and the empty square, one of them pressed.
const PALETTE = [...'KQRBNPkqrbnp.'];
const palette = PALETTE.map((piece) => {
  const button = document.createElement('button');
  button.type = 'button';
  button.className = piece === '.' ? 'piece empty' : 'piece';
  button.setAttribute('aria-label', piece === '.' ? 'empty square' : nameOf(piece));
  button.textContent = piece === '.' ? '\u2715' : FIGURES[piece];
  button.addEventListener('click', () => {
    chosen = piece;
    drawPalette();
  });
  return button;
});
element('palette').append(...palette);

function drawPalette() {
  palette.forEach((button, at) => button.setAttribute('aria-pressed', String(PALETTE[at] === chosen)));
}

// 3. Asking the library's rules: which castling rights the board allows, and which
// en-passant squares, one candidate at a time (only a square on rank 3 or 6 can be one;
// the rules say which).
const hasProblem = (position, name) => piecefen.problems(piecefen.writeFen(position)).some(({ problem }) => problem === name);

function possibleRights(position) {
  return rights.map((_, right) => !hasProblem({
    ...position,
    castling: [[right === 0, right === 1], [right === 2, right === 3]],
  }, 'bad-castling-rights'));
}

function enPassantSquares(position) {
  return SQUARES.filter((square) => /[36]$/.test(square) && !hasProblem({ ...position, enPassant: square }, 'bad-en-passant'));
}

// The record of the FEN shown.
const current = () => piecefen.readFen(state.fen);

// 4. Every view drawn from the state: the board, both fields, the controls, the problems,
// the tablebase link and the address.
function render() {
  const position = current();
  const found = piecefen.problems(state.fen);
  const flagged = new Set(found.flatMap(({ squares }) => squares));

  cells.forEach((cell, index) => {
    const byte = position.board[index];
    cell.setAttribute('aria-label', `${SQUARES[index]} ${nameOf(byte)}`);
    cell.textContent = byte === '.' ? '' : FIGURES[byte] ?? (nameOf(byte).startsWith('“') ? byte : '?');
    cell.classList.toggle('other', byte !== '.' && !FIGURES[byte]);
    cell.classList.toggle('flagged', flagged.has(SQUARES[index]));
    cell.tabIndex = index === focused ? 0 : -1;
  });

  if (pieceList.value !== state.pieceList) pieceList.value = state.pieceList;
  if (fen.value !== state.fen) fen.value = state.fen;
  if (!GROWS_BY_ITSELF) requestAnimationFrame(fitFen);

  sides[position.sideToMove === 0 ? 0 : 1].checked = true;
  possibleRights(position).forEach((possible, right) => {
    rights[right].disabled = !possible;
    rights[right].checked = possible && position.castling[right >> 1][right & 1];
  });
  const targets = enPassantSquares(position);
  enPassant.replaceChildren(...['none', ...targets].map((square) => {
    const option = document.createElement('option');
    option.value = square;
    option.textContent = square;
    return option;
  }));
  enPassant.value = targets.includes(position.enPassant) ? position.enPassant : 'none';

  drawProblems(found, position);

  const fragment = addressOf(state);
  if (location.hash !== fragment) {
    try {
      history.replaceState(null, '', fragment);
    } catch {
      // An address too long for the browser keeps the one it has; the page still follows.
    }
  }
  performance.mark('piecefen:board');
}

// The FEN field grows to hold the whole line: by itself where the browser sizes a field to
// its content, or else measured once a frame, where the layout is made anyway.
const GROWS_BY_ITSELF = CSS.supports('field-sizing', 'content');
function fitFen() {
  fen.style.height = 'auto';
  fen.style.height = `${fen.scrollHeight + fen.offsetHeight - fen.clientHeight}px`;
}

// Each problem in plain words with the squares it names, and the tablebase link where the
// tablebase answers.
function drawProblems(found, position) {
  const mover = COLOURS[position.sideToMove === 0 ? 0 : 1];
  const waiting = COLOURS[position.sideToMove === 0 ? 1 : 0];
  const words = {
    empty: 'The board is empty',
    'no-white-king': 'White has no king',
    'no-black-king': 'Black has no king',
    'too-many-kings': 'A side has more than one king',
    'impossible-material': 'More pieces than a game can give: over 8 pawns, or more promoted pieces than pawns gone',
    'pawn-on-back-rank': 'A pawn stands on the first or the last rank',
    'bad-castling-rights': 'A castling right is set, but its king or rook is not on its starting square',
    'bad-en-passant': 'The en-passant square is not one a pawn has just passed over',
    'opposite-check': `${waiting}'s king is in check, but it is ${mover}'s move`,
    'too-many-checkers': `${mover}'s king is attacked by more than two pieces`,
    'impossible-check': `${mover}'s king is in a double check that no move can give`,
    'not-a-piece': 'A square holds something that is no piece',
  };
  problemList.replaceChildren(...found.map(({ problem, squares }) => {
    const item = document.createElement('li');
    const text = Object.hasOwn(words, problem) ? words[problem] : problem;
    item.textContent = squares.length > 0 ? `${text}: ${squares.join(', ')}.` : `${text}.`;
    return item;
  }));
  element('no-problems').hidden = found.length > 0;

  const pieces = [...position.board].filter((byte) => Object.hasOwn(FIGURES, byte)).length;
  const why = found.length > 0 ? 'The tablebase answers only for a position without problems.'
    : pieces > 7 ? `The tablebase answers for at most 7 pieces; this position has ${pieces}.`
      : position.castling.flat().some(Boolean) ? 'The tablebase answers only for a position without castling rights.' : '';
  element('tablebase-line').hidden = why !== '';
  element('tablebase-why').textContent = why;
  if (why === '') tablebase.href = piecefen.tablebaseAddressOfFen(state.fen);
}

// 5. The address: the FEN as typed, the piece list where it was typed too, and the view.
const encode = (text) => encodeURIComponent(text).replaceAll('%2F', '/');
const decode = (text) => {
  try {
    return decodeURIComponent(text);
  } catch {
    return text; // A broken escape (a lone "%") is read as the characters it is.
  }
};

function addressOf({ fen: line, pieceList: list, flipped }) {
  const parts = [`fen=${encode(line)}`];
  if (list !== piecefen.toPieceList(line)) parts.push(`pieces=${encode(list)}`);
  if (flipped) parts.push('view=black');
  return `#${parts.join('&')}`;
}

function fromAddress() {
  const raw = location.hash.slice(1);
  if (raw.startsWith('fen=')) {
    const fields = new Map(raw.split('&').map((part) => {
      const at = part.indexOf('=');
      return at < 0 ? [part, ''] : [part.slice(0, at), decode(part.slice(at + 1))];
    }));
    state.fen = fields.get('fen');
    state.pieceList = fields.get('pieces') ?? piecefen.toPieceList(state.fen);
    state.flipped = fields.get('view') === 'black';
  } else {
    // An address from before the board could be edited, which holds a piece list alone.
    state.pieceList = decode(raw);
    state.fen = piecefen.toFen(state.pieceList);
    state.flipped = false;
  }
  orient();
  render();
}

// 6. Edits. One from the board or the controls writes the record back as the FEN, less
// the castling rights and the en-passant square it has made impossible.
function commit(position, typedList) {
  const possible = possibleRights(position);
  position.castling = position.castling.map((wings, colour) => wings.map((set, wing) => set && possible[2 * colour + wing]));
  if (!enPassantSquares(position).includes(position.enPassant)) position.enPassant = '-';
  state.fen = piecefen.writeFen(position);
  state.pieceList = typedList ?? piecefen.toPieceList(state.fen);
  render();
}


function setSquares(changes) {
  const position = current();
  const squares = [...position.board];
  for (const [index, byte] of changes) squares[index] = byte;
  position.board = squares.join('');
  commit(position);
}

pieceList.addEventListener('input', () => {
  const position = current();
  position.board = piecefen.readFen(piecefen.toFen(pieceList.value)).board;
  commit(position, pieceList.value);
});
// A FEN line typed or pasted is the state as it stands; the field keeps it as typed.
fen.addEventListener('input', () => {
  state.fen = fen.value;
  state.pieceList = piecefen.toPieceList(fen.value);
  render();
});
fen.addEventListener('keydown', (event) => {
  if (event.key === 'Enter') event.preventDefault();
});
sides.forEach((radio, side) => radio.addEventListener('change', () => commit({ ...current(), sideToMove: side })));
rights.forEach((box, right) => box.addEventListener('change', () => {
  const position = current();
  position.castling[right >> 1][right & 1] = box.checked;
  commit(position);
}));
enPassant.addEventListener('change', () => commit({ ...current(), enPassant: enPassant.value === 'none' ? '-' : enPassant.value }));
element('flip').addEventListener('click', () => {
  state.flipped = !state.flipped;
  orient();
  render();
});
element('clear').addEventListener('click', () => commit({ ...current(), board: '.'.repeat(64) }));
element('start').addEventListener('click', () => {
  state.fen = START;
  state.pieceList = piecefen.toPieceList(START);
  render();
});
element('copy').addEventListener('click', async () => {
  try {
    await navigator.clipboard.writeText(fen.value);
    status.textContent = 'FEN copied.';
  } catch {
    fen.select();
    status.textContent = 'Press Ctrl+C (or ⌘C) to copy the selected FEN.';
  }
});
window.addEventListener('hashchange', fromAddress);

// 7. The squares by click or tap, by keyboard, and by dragging a piece.
const indexOf = (target) => (target instanceof Element ? target.closest('#board [data-index]')?.dataset.index : undefined);

function focusSquare(index) {
  focused = index;
  cells.forEach((cell, at) => { cell.tabIndex = at === index ? 0 : -1; });
  cells[index].focus();
}

let dragged = false;
board.addEventListener('click', (event) => {
  const index = indexOf(event.target);
  if (index === undefined || dragged) return;
  setSquares([[Number(index), chosen]]);
  focusSquare(Number(index));
});

board.addEventListener('keydown', (event) => {
  const index = Number(indexOf(event.target));
  if (Number.isNaN(index) || event.ctrlKey || event.metaKey || event.altKey) return;
  // Arrows move as they point on the screen, whichever way the board faces.
  const way = state.flipped ? -1 : 1;
  const steps = { ArrowUp: [-way, 0], ArrowDown: [way, 0], ArrowLeft: [0, -way], ArrowRight: [0, way] };
  if (Object.hasOwn(steps, event.key)) {
    const row = Math.floor(index / 8) + steps[event.key][0];
    const column = (index % 8) + steps[event.key][1];
    if (row >= 0 && row < 8 && column >= 0 && column < 8) focusSquare(8 * row + column);
  } else if (/^[KQRBNPkqrbnp]$/.test(event.key)) {
    setSquares([[index, event.key]]);
  } else if (event.key === 'Delete' || event.key === 'Backspace') {
    setSquares([[index, '.']]);
  } else if (event.key === 'Enter' || event.key === ' ') {
    setSquares([[index, chosen]]);
  } else {
    return;
  }
  event.preventDefault();
});

// A press on a piece becomes a drag once the pointer has moved a little; the piece then
// follows it, and lands on the square it is let go over, or leaves the board.
let press = null;
board.addEventListener('pointerdown', (event) => {
  dragged = false;
  const index = indexOf(event.target);
  if (index === undefined || event.button !== 0 || current().board[index] === '.') return;
  press = { index: Number(index), pointerId: event.pointerId, x: event.clientX, y: event.clientY, ghost: null };
  event.target.closest('[data-index]').setPointerCapture(event.pointerId);
});
board.addEventListener('pointermove', (event) => {
  if (press?.pointerId !== event.pointerId) return;
  if (!press.ghost) {
    if (Math.hypot(event.clientX - press.x, event.clientY - press.y) < 6) return;
    press.ghost = document.createElement('div');
    press.ghost.className = 'ghost';
    press.ghost.setAttribute('aria-hidden', 'true');
    press.ghost.textContent = cells[press.index].textContent;
    document.body.append(press.ghost);
    cells[press.index].classList.add('lifted');
  }
  press.ghost.style.left = `${event.clientX}px`;
  press.ghost.style.top = `${event.clientY}px`;
});
function letGo(event, drop) {
  if (press?.pointerId !== event.pointerId) return;
  const { index, ghost } = press;
  press = null;
  if (!ghost) return;
  ghost.remove();
  cells[index].classList.remove('lifted');
  dragged = true;
  if (!drop) return;
  const target = indexOf(document.elementFromPoint(event.clientX, event.clientY));
  const piece = current().board[index];
  setSquares(target === undefined ? [[index, '.']] : [[index, '.'], [Number(target), piece]]);
  if (target !== undefined) focusSquare(Number(target));
}
board.addEventListener('pointerup', (event) => letGo(event, true));
board.addEventListener('pointercancel', (event) => letGo(event, false));

drawPalette();
fromAddress();
pieceList.focus();
