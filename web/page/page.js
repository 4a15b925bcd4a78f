// SPDX-License-Identifier: MIT
// The page's own script. The build puts it in one inline script with the bindings it
// imports and MODULE, the module's bytes in base64. Everything typed or taken from the
// address reaches the page as text (textContent, value, attributes), never as markup.
//
// One state holds what the person set and how the page shows it; every edit changes the
// state and one render draws every view from it. The library reads and writes the FEN and
// keeps every rule: the page asks it once per view, never by trial.
import { bind, SQUARES } from '../bindings.js';

const piecefen = bind((await WebAssembly.instantiate(Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0)), {}))
  .instance.exports);

const EMPTY = '8/8/8/8/8/8/8/8 w - - 0 1';
const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const NAMES = { k: 'king', q: 'queen', r: 'rook', b: 'bishop', n: 'knight', p: 'pawn' };
const COLOURS = ['White', 'Black'];
const NO_RIGHTS = [[false, false], [false, false]];
const NUMBERS = ['no', 'one', 'two', 'three', 'four', 'five', 'six', 'seven', 'eight', 'nine', 'ten'];
const count = (number) => NUMBERS[number] ?? String(number);
// Edits of one kind this close together are one step of the history: a burst of typing.
const BURST_MS = 1000;
const HISTORY_LIMIT = 200;

const element = (id) => document.getElementById(id);
const pieceList = element('piece-list');
const fen = element('fen');
const board = element('board');
const sides = [element('white-to-move'), element('black-to-move')];
const rights = [0, 1, 2, 3].map((right) => element(`castling-${right}`));
const enPassant = element('en-passant');
const counters = { halfmoveClock: element('halfmove-clock'), moveNumber: element('move-number') };
const diagramBoxes = { coordinates: element('diagram-coordinates'), sideToMove: element('diagram-side'),
  count: element('diagram-count'), marks: element('diagram-marks') };

// 1. The state. `wanted` is the castling rights and en-passant square the person set: an
// edit of the board keeps each of them wherever the board allows it, so that a piece
// taken away and put back, or a piece list typed half-way, costs no one's rights.
const state = {
  fen: EMPTY,
  pieceList: '',
  wanted: { castling: NO_RIGHTS, enPassant: '-' },
  flipped: false,
  chosen: 'K',
  focused: 60,
  carried: null,   // a piece picked up from the keyboard: { from, piece }
  drag: null,      // a piece under the pointer: { from (a square, or -1 from the palette), piece, x, y, moved }
  status: '',
  announcement: '',
  diagram: { coordinates: true, sideToMove: false, count: false, marks: false, caption: '', theme: 'classic', width: 720 },
  past: [],
  future: [],
  last: { kind: '', at: 0 },
};

// What a square's byte is, in words: "white queen", "empty", or the byte itself.
function nameOf(byte) {
  if (byte === '.') return 'empty';
  const kind = byte.toLowerCase();
  if (Object.hasOwn(NAMES, kind)) return `${byte === kind ? 'black' : 'white'} ${NAMES[kind]}`;
  const code = byte.charCodeAt(0);
  return code > 32 && code < 127 ? `“${byte}”` : `byte ${code}`;
}

// The pieces as the library's diagrams draw them, each an image made once.
const PIECE_IMAGES = new Map([...'KQRBNPkqrbnp'].map((piece) =>
  [piece, `data:image/svg+xml,${encodeURIComponent(piecefen.pieceSvg(piece))}`]));
const NEUTRAL_IMAGE = `data:image/svg+xml,${encodeURIComponent(piecefen.pieceSvg('?'))}`;
const imageOf = (byte) => (byte === '.' ? '' : PIECE_IMAGES.get(byte) ?? NEUTRAL_IMAGE);
function pieceImage(byte) {
  const image = document.createElement('img');
  image.alt = '';
  image.draggable = false;
  if (byte !== '.') image.src = imageOf(byte);
  return image;
}

// 2. What the FEN shows, asked of the library once for each FEN the state holds.
let derived = null;
function derive() {
  if (derived?.fen === state.fen) return derived;
  const position = piecefen.readFen(state.fen);
  const errors = piecefen.fenErrors(state.fen);
  const found = piecefen.problems(state.fen);
  const allowed = piecefen.allowedFields(state.fen);
  derived = { fen: state.fen, position, errors, found, allowed };
  return derived;
}

// 3. Edits. Each records the state before it for Undo, unless it continues a burst of the
// same kind, and clears what the last edit said.
const snapshot = () => ({ fen: state.fen, pieceList: state.pieceList, wanted: state.wanted });
function edit(change, kind = 'edit') {
  const now = performance.now();
  const burst = kind !== 'edit' && state.last.kind === kind && now - state.last.at < BURST_MS;
  if (!burst) {
    state.past.push(snapshot());
    if (state.past.length > HISTORY_LIMIT) state.past.shift();
  }
  state.last = { kind, at: now };
  state.future = [];
  Object.assign(state, change);
  state.pieceList ??= piecefen.toPieceList(state.fen);
  state.status = '';
  render();
}

function travel(from, to) {
  if (from.length === 0) return;
  to.push(snapshot());
  Object.assign(state, from.pop(), { carried: null, status: '', last: { kind: '', at: 0 } });
  render();
}
const undo = () => travel(state.past, state.future);
const redo = () => travel(state.future, state.past);

const wantedOf = (position) => ({ castling: position.castling, enPassant: position.enPassant });

// A change of the fields beside the board, written as set: the person's own word.
function editFields(change, kind) {
  const position = { ...derive().position, ...change };
  edit({ fen: piecefen.writeFen(position), pieceList: null, wanted: wantedOf(position) }, kind);
}

// A change of the board, with the rights and the en-passant square the person wants
// wherever the new board allows them.
function editBoard(squares, { typed = null, kind = 'edit', wanted = state.wanted, sideToMove } = {}) {
  const position = { ...derive().position, board: squares, castling: NO_RIGHTS, enPassant: '-' };
  if (sideToMove !== undefined) position.sideToMove = sideToMove;
  const allowed = piecefen.allowedFields(piecefen.writeFen(position));
  position.castling = wanted.castling.map((wings, colour) => wings.map((set, wing) => set && allowed.castling[colour][wing]));
  if (allowed.enPassant.includes(wanted.enPassant)) position.enPassant = wanted.enPassant;
  edit({ fen: piecefen.writeFen(position), pieceList: typed, wanted }, kind);
}

function setSquares(changes) {
  const squares = [...derive().position.board];
  for (const [index, byte] of changes) squares[index] = byte;
  editBoard(squares.join(''));
}

// 4. Turning the position round: a map of squares, and the fields that follow the pieces.
const mapBoard = (squares, to) => {
  const moved = Array(64).fill('.');
  [...squares].forEach((byte, index) => { if (byte !== '.') moved[to(index)] = byte; });
  return moved.join('');
};
const nameAt = (index) => SQUARES[index] ?? '-';
const indexOfName = (name) => SQUARES.indexOf(name);
const swapCase = (byte) => (byte === byte.toUpperCase() ? byte.toLowerCase() : byte.toUpperCase());

const TURNS = {
  mirror: { square: (index) => index - (index % 8) + 7 - (index % 8), rights: ([[k, q], [bk, bq]]) => [[q, k], [bq, bk]] },
  swap: { square: (index) => (7 - Math.floor(index / 8)) * 8 + (index % 8), rights: ([white, black]) => [black, white],
    byte: swapCase, side: true },
  'shift-left': { square: (index) => index - 1, edge: (index) => index % 8 === 0 },
  'shift-right': { square: (index) => index + 1, edge: (index) => index % 8 === 7 },
  'shift-up': { square: (index) => index - 8, edge: (index) => index < 8 },
  'shift-down': { square: (index) => index + 8, edge: (index) => index >= 56 },
};
const canTurn = (turn, squares) => !turn.edge || [...squares].every((byte, index) => byte === '.' || !turn.edge(index));

function turnRound(turn) {
  const { position } = derive();
  const moveSquare = (name) => (name === '-' || indexOfName(name) < 0 ? name : nameAt(turn.square(indexOfName(name))));
  const wanted = { castling: turn.rights ? turn.rights(state.wanted.castling) : state.wanted.castling,
    enPassant: moveSquare(state.wanted.enPassant) };
  const squares = mapBoard(turn.byte ? [...position.board].map(turn.byte).join('') : position.board, turn.square);
  editBoard(squares, { wanted, sideToMove: turn.side ? 1 - (position.sideToMove === 0 ? 0 : 1) : undefined });
}

// 5. The board: 64 squares in eight rows of a grid, each a cell named for its square, what
// stands on it and what is wrong there; the ranks and files beside it are for the eye.
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
  cell.append(pieceImage('.'));
  return cell;
});
board.append(...rows);
const edge = (text) => {
  const label = document.createElement('span');
  label.textContent = text;
  return label;
};

// The palette: the twelve pieces and the empty square, one of them chosen.
const PALETTE = [...'KQRBNPkqrbnp.'];
const palette = PALETTE.map((piece) => {
  const button = document.createElement('button');
  button.type = 'button';
  button.className = piece === '.' ? 'piece empty' : 'piece';
  button.dataset.piece = piece;
  button.setAttribute('aria-label', piece === '.' ? 'empty square' : nameOf(piece));
  if (piece === '.') button.textContent = '\u2715';
  else button.append(pieceImage(piece));
  return button;
});
element('palette').append(...palette);

// 6. Words: each problem with its king first and its side named, and short flags for the
// squares a problem names.
function colourOf(byte) {
  if (/^[KQRBNP]$/.test(byte)) return 0;
  return /^[kqrbnp]$/.test(byte) ? 1 : -1;
}

function problemWords({ problem, squares }, position) {
  const mover = position.sideToMove === 0 ? 0 : 1;
  const at = (square) => position.board[indexOfName(square)];
  const list = (names) => names.join(', ');
  const byColour = (colour) => squares.filter((square) => colourOf(at(square)) === colour);
  const kingFirst = (colour) => {
    const king = squares.find((square) => at(square) === (colour === 0 ? 'K' : 'k'));
    return [king, squares.filter((square) => square !== king)];
  };
  switch (problem) {
    case 'empty': return ['The board is empty.'];
    case 'no-white-king': return ['White has no king.'];
    case 'no-black-king': return ['Black has no king.'];
    case 'too-many-kings':
      return [0, 1].filter((colour) => byColour(colour).length > 1)
        .map((colour) => `${COLOURS[colour]} has ${count(byColour(colour).length)} kings: ${list(byColour(colour))}.`);
    case 'impossible-material':
      return [0, 1].filter((colour) => byColour(colour).length > 0).map((colour) =>
        `${COLOURS[colour]} has more pieces than a game can give (over 8 pawns, or more promoted pieces than pawns gone): ${list(byColour(colour))}.`);
    case 'pawn-on-back-rank': return [`A pawn stands on the first or the last rank: ${list(squares)}.`];
    case 'bad-castling-rights':
      return [`A castling right is set, but its king or rook is not on its starting square: ${list(squares)}.`];
    case 'bad-en-passant':
      return [`The en-passant square ${position.enPassant} is not one a pawn has just passed over with a double step.`];
    case 'opposite-check': {
      const [king, checkers] = kingFirst(1 - mover);
      return [`${COLOURS[1 - mover]}'s king on ${king} is in check from ${list(checkers)}, but it is ${COLOURS[mover]}'s move.`];
    }
    case 'too-many-checkers': {
      const [king, checkers] = kingFirst(mover);
      return [`${COLOURS[mover]}'s king on ${king} is in check from ${count(checkers.length)} pieces, ${list(checkers)}: no move gives more than two checks at once.`];
    }
    case 'impossible-check': {
      const [king, checkers] = kingFirst(mover);
      return [`${COLOURS[mover]}'s king on ${king} is in check from ${list(checkers)}, which no last move of ${COLOURS[1 - mover]} can have given.`];
    }
    case 'not-a-piece': return [`A square holds something that is no piece: ${list(squares)}.`];
    default: return [`${problem}: ${list(squares)}.`];
  }
}

function flagsOf(found, position) {
  const flags = new Map();
  const flag = (square, text) => flags.set(square, [...(flags.get(square) ?? []), text]);
  const mover = position.sideToMove === 0 ? 0 : 1;
  for (const { problem, squares } of found) {
    for (const square of squares) {
      const byte = position.board[indexOfName(square)];
      const colour = colourOf(byte);
      const isKing = byte === 'K' || byte === 'k';
      const kings = squares.filter((other) => position.board[indexOfName(other)] === byte).length;
      flag(square, {
        'too-many-kings': `${count(kings)} ${colour === 0 ? 'white' : 'black'} kings`,
        'impossible-material': 'more pieces than a game can give',
        'pawn-on-back-rank': 'a pawn on a back rank',
        'bad-castling-rights': 'a castling right without its piece at home',
        'bad-en-passant': 'an en-passant square no pawn has passed',
        'opposite-check': isKing && colour !== mover ? 'in check out of turn' : 'giving check out of turn',
        'too-many-checkers': isKing && colour === mover ? 'in check from more than two pieces' : 'one of more than two checkers',
        'impossible-check': isKing && colour === mover ? 'in a check no move can give' : 'giving a check no move can give',
        'not-a-piece': 'no piece',
      }[problem] ?? problem);
    }
  }
  return flags;
}

// Where a FEN line departs from FEN, in words, with the column of the character at fault.
function errorWords(text, { error, at }) {
  const column = at + 1;
  const char = text[at] ?? '';
  const field = text.slice(at).split(/\s/)[0];
  const board = text.trimStart().split(/\s/)[0];
  const ranksBefore = text.slice(0, at).split('/').length - 1;
  switch (error) {
    case 'space':
      if (char === '\t') return `A tab at column ${column}: one space stands between fields.`;
      if (char === '\n' || char === '\r') return `A line break at column ${column}: a FEN line is one line.`;
      if (text.slice(0, at).trim() === '') return `A space at the start, column ${column}: the line starts with the board.`;
      if (text.slice(at).trim() === '') return `A space at the end, column ${column}: nothing follows the last field.`;
      return /\s/.test(text[at - 1]) ? `Two spaces at columns ${column - 1} and ${column}: one between fields.`
        : `A space that is not one at column ${column}: one plain space stands between fields.`;
    case 'fields': return `More than six fields, from column ${column}: the line ends with the move number.`;
    case 'ranks': return `The board has ${count(board.split('/').length)} ranks (column ${column}): it needs eight, with a / between each two.`;
    case 'rank-length': return `Rank ${8 - ranksBefore} does not come to eight squares (column ${column}).`;
    case 'board-character': return `“${char}” at column ${column} is no piece letter, digit 1 to 8 or /.`;
    case 'side': return `The side to move at column ${column} is “${field}”: it is w or b${/^[WB]$/.test(field) ? ', in lower case' : ''}.`;
    case 'castling': return `The castling rights at column ${column}, “${field}”, are neither - nor letters of KQkq in that order.`;
    case 'en-passant': return `The en-passant square at column ${column}, “${field}”, is neither - nor a square on rank 3 or 6.`;
    case 'halfmove-clock': return `The halfmove clock at column ${column}, “${field}”, is not a whole number written without a leading zero.`;
    case 'move-number': return `The move number at column ${column}, “${field}”, is not a whole number from 1 written without a leading zero.`;
    default: return `${error} at column ${column}.`;
  }
}

// The line with its whitespace made plain, and the side to move in lower case: what a
// line means when only those are wrong.
const tidied = (text) => text.trim().split(/\s+/).map((field, at) => (at === 1 && /^[WB]$/.test(field) ? field.toLowerCase() : field)).join(' ');

// 7. Every view drawn from the state.
function item(text) {
  const entry = document.createElement('li');
  entry.textContent = text;
  return entry;
}

function render() {
  const { position, errors, found, allowed } = derive();
  // An empty board is one problem, not three.
  const shown = found.some(({ problem }) => problem === 'empty')
    ? found.filter(({ problem }) => problem !== 'no-white-king' && problem !== 'no-black-king') : found;
  const flags = flagsOf(shown, position);

  drawBoard(position, flags);
  palette.forEach((button) => button.setAttribute('aria-pressed', String(button.dataset.piece === state.chosen)));

  if (pieceList.value !== state.pieceList) pieceList.value = state.pieceList;
  if (fen.value !== state.fen) fen.value = state.fen;
  drawFenMarks(errors);
  if (!GROWS_BY_ITSELF) requestAnimationFrame(fitFen);

  // The controls say what the FEN says, and offer what the board allows besides.
  sides[position.sideToMove === 0 ? 0 : 1].checked = true;
  rights.forEach((box, right) => {
    const colour = right >> 1;
    const wing = right & 1;
    box.checked = position.castling[colour][wing];
    box.disabled = !box.checked && !allowed.castling[colour][wing];
  });
  const targets = [...allowed.enPassant];
  if (position.enPassant !== '-' && !targets.includes(position.enPassant)) targets.push(position.enPassant);
  enPassant.replaceChildren(...['none', ...targets].map((square) => {
    const option = document.createElement('option');
    option.value = square;
    option.textContent = square === position.enPassant && !allowed.enPassant.includes(square) ? `${square} (not allowed)` : square;
    return option;
  }));
  enPassant.value = position.enPassant === '-' ? 'none' : position.enPassant;
  for (const [field, input] of Object.entries(counters)) {
    if (document.activeElement !== input || Number(input.value) !== position[field]) input.value = String(position[field]);
  }

  element('undo').disabled = state.past.length === 0;
  element('redo').disabled = state.future.length === 0;
  for (const [id, turn] of Object.entries(TURNS)) element(id).disabled = !canTurn(turn, position.board);

  // What is not FEN, then what is wrong with the position, and what can be handed on.
  element('fen-errors').replaceChildren(...errors.map((error) => item(errorWords(state.fen, error))));
  element('not-fen').hidden = errors.length === 0;
  element('tidy').hidden = !errors.some(({ error }) => error === 'space' || error === 'side')
    || piecefen.fenErrors(tidied(state.fen)).length >= errors.length;
  element('summary').textContent = errors.length > 0
    ? `Not FEN: ${count(errors.length)} ${errors.length === 1 ? 'error' : 'errors'}, listed below; the board shows the nearest reading.`
    : shown.length === 0 ? 'No problems.' : `${count(shown.length)[0].toUpperCase()}${count(shown.length).slice(1)} ${shown.length === 1 ? 'problem' : 'problems'}: see Problems.`;
  element('status').textContent = state.status;

  element('problems').replaceChildren(...shown.flatMap((problem) => problemWords(problem, position)).map(item));
  element('no-problems').hidden = shown.length > 0;
  drawHandOn(position, found, errors);
  drawDiagram(found);

  const fragment = addressOf(state);
  if (location.hash !== fragment) {
    try {
      history.replaceState(null, '', fragment);
    } catch {
      // An address too long for the browser keeps the one it has; the page still follows.
    }
  }
  const announce = element('announce');
  if (announce.textContent !== state.announcement) announce.textContent = state.announcement;
  performance.mark('piecefen:board');
}

function drawBoard(position, flags) {
  const order = (values) => (state.flipped ? [...values].reverse() : values);
  order([0, 1, 2, 3, 4, 5, 6, 7]).forEach((row, at) => {
    const wanted = order(cells.slice(8 * row, 8 * row + 8));
    if (wanted.some((cell, column) => rows[at].children[column] !== cell)) rows[at].replaceChildren(...wanted);
  });
  const ranks = order([...'87654321']).join('');
  if (element('ranks').textContent !== ranks) {
    element('ranks').replaceChildren(...[...ranks].map(edge));
    element('files').replaceChildren(...order([...'abcdefgh']).map(edge));
  }
  const { carried, drag } = state;
  cells.forEach((cell, index) => {
    const byte = position.board[index];
    const flagged = flags.get(SQUARES[index]) ?? [];
    // A carried piece is shown on the square it is carried over, and gone from where it was.
    const lifted = (carried?.from === index && carried.from !== state.focused) || (drag?.moved && drag.from === index);
    const shownByte = carried && index === state.focused ? carried.piece : lifted ? '.' : byte;
    const label = [`${SQUARES[index]} ${nameOf(byte)}`, ...flagged].join(', ');
    if (cell.getAttribute('aria-label') !== label) cell.setAttribute('aria-label', label);
    const source = imageOf(shownByte);
    if (cell.firstChild.getAttribute('src') !== source) {
      if (source) cell.firstChild.src = source;
      else cell.firstChild.removeAttribute('src');
    }
    cell.classList.toggle('flagged', flagged.length > 0);
    cell.classList.toggle('carrying', carried !== null && index === state.focused);
    cell.tabIndex = index === state.focused ? 0 : -1;
  });
  let ghost = document.querySelector('.ghost');
  if (drag?.moved) {
    if (!ghost) {
      ghost = pieceImage(drag.piece);
      ghost.className = 'ghost';
      ghost.setAttribute('aria-hidden', 'true');
      document.body.append(ghost);
    }
    ghost.style.left = `${drag.x}px`;
    ghost.style.top = `${drag.y}px`;
  } else {
    ghost?.remove();
  }
}

// The FEN field grows to hold the whole line: by itself where the browser sizes a field to
// its content, or else measured once a frame, where the layout is made anyway.
const GROWS_BY_ITSELF = CSS.supports('field-sizing', 'content');
function fitFen() {
  fen.style.height = 'auto';
  fen.style.height = `${fen.scrollHeight + fen.offsetHeight - fen.clientHeight}px`;
}

// The characters at fault marked under the field's own text, which lies over it.
function drawFenMarks(errors) {
  const marks = element('fen-marks');
  const at = new Set(errors.map((error) => error.at));
  const parts = [];
  let plain = '';
  // The errors' places count code units, as a string's indices do; a pair takes two.
  let unit = 0;
  for (const char of state.fen) {
    if (at.has(unit)) {
      parts.push(plain);
      plain = '';
      const mark = document.createElement('mark');
      mark.textContent = char;
      parts.push(mark);
    } else {
      plain += char;
    }
    unit += char.length;
  }
  parts.push(plain);
  marks.replaceChildren(...(errors.length > 0 ? parts : []));
}

const pgnOf = (line) => ['[Event "?"]', '[Site "?"]', '[Date "????.??.??"]', '[Round "?"]', '[White "?"]', '[Black "?"]',
  '[Result "*"]', '[SetUp "1"]', `[FEN "${line}"]`, '', '*', ''].join('\n');

// The tablebase link where the tablebase answers; a PGN and the analysis link for a
// well-formed line.
function drawHandOn(position, found, errors) {
  const pieces = [...position.board].filter((byte) => PIECE_IMAGES.has(byte)).length;
  const why = errors.length > 0 ? 'The tablebase link comes once the FEN is well-formed.'
    : found.length > 0 ? 'The tablebase answers only for a position without problems.'
      : pieces > 7 ? `The tablebase answers for at most 7 pieces; this position has ${pieces}.`
        : position.castling.flat().some(Boolean) ? 'The tablebase answers only for a position without castling rights.' : '';
  element('tablebase-line').hidden = why !== '';
  element('tablebase-why').textContent = why;
  if (why === '') element('tablebase').href = piecefen.tablebaseAddressOfFen(state.fen);

  const wellFormed = errors.length === 0;
  element('hand-on').hidden = !wellFormed;
  element('hand-on-why').hidden = wellFormed;
  if (!wellFormed) return;
  const pgn = pgnOf(state.fen);
  element('pgn').value = pgn;
  element('download-pgn').href = `data:application/x-chess-pgn;charset=utf-8,${encodeURIComponent(pgn)}`;
  element('analyse').href = `https://lichess.org/analysis/${encodeURI(state.fen.replaceAll(' ', '_'))}`;
}

// 8. Diagrams: the same writer as the library's, with the options chosen here and the
// board the way it faces.
function diagramOf(found, width) {
  const { coordinates, sideToMove, count: pieceCount, marks, caption, theme } = state.diagram;
  return piecefen.toSvg(state.fen, {
    size: width, flipped: state.flipped, coordinates, sideToMove, count: pieceCount, caption, theme,
    marks: marks ? [...new Set(found.flatMap(({ squares }) => squares))] : [],
  });
}

function drawDiagram(found) {
  for (const [name, box] of Object.entries(diagramBoxes)) box.checked = state.diagram[name];
  element('diagram-theme').value = state.diagram.theme;
  if (element('diagram-caption').value !== state.diagram.caption) element('diagram-caption').value = state.diagram.caption;
  element('png-size').value = String(state.diagram.width);
  const source = `data:image/svg+xml,${encodeURIComponent(diagramOf(found, 240))}`;
  if (element('diagram-preview').getAttribute('src') !== source) element('diagram-preview').src = source;
}

// Saves a file by following a link to it, as a download.
function save(name, address) {
  const link = document.createElement('a');
  link.download = name;
  link.href = address;
  link.click();
}

// The diagram drawn on a canvas at the width chosen, as PNG.
async function diagramCanvas() {
  const svg = diagramOf(derive().found, state.diagram.width);
  const image = new Image();
  image.src = `data:image/svg+xml,${encodeURIComponent(svg)}`;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = image.naturalWidth;
  canvas.height = image.naturalHeight;
  canvas.getContext('2d').drawImage(image, 0, 0, canvas.width, canvas.height);
  return canvas;
}

// 9. The address: the FEN as typed, the piece list where it was typed too, and the view.
// A lone surrogate, which no address can hold, goes in as U+FFFD.
const wellFormed = (text) => text.replace(/[\ud800-\udbff](?![\udc00-\udfff])|(?<![\ud800-\udbff])[\udc00-\udfff]/g, '\ufffd');
const encode = (text) => encodeURIComponent(wellFormed(text)).replaceAll('%2F', '/');
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

const FIELDS = new Set(['fen', 'pieces', 'view']);
// Eight ranks and perhaps the fields after them: a FEN line, not a piece list.
const looksLikeFen = (text) => /^[^\s/]*(\/[^\s/]*){7}(\s|$)/.test(text);

function fromAddress() {
  const raw = location.hash.slice(1);
  const parts = raw.split('&').map((part) => {
    const at = part.indexOf('=');
    return at < 0 ? [part, ''] : [part.slice(0, at), decode(part.slice(at + 1))];
  });
  const fields = new Map(parts.filter(([name]) => FIELDS.has(name)));
  const bare = decode(raw);
  let line;
  let list = null;
  if (fields.has('fen') || fields.has('pieces')) {
    line = fields.get('fen') ?? piecefen.toFen(fields.get('pieces'));
    list = fields.get('pieces') ?? null;
  } else if (looksLikeFen(bare)) {
    // A bare FEN, with "_" for its spaces as the tablebase's addresses have them.
    line = bare.includes(' ') ? bare : bare.replaceAll('_', ' ');
  } else if (!fields.has('view')) {
    // An address from before the board could be edited, which holds a piece list alone.
    list = bare;
    line = piecefen.toFen(bare);
  }
  Object.assign(state, { flipped: fields.get('view') === 'black', carried: null, drag: null });
  if (line === undefined) {
    render();
    return;
  }
  const position = piecefen.readFen(line);
  Object.assign(state, { fen: line, pieceList: list ?? piecefen.toPieceList(line), wanted: wantedOf(position) });
  render();
}

// 10. The controls.
pieceList.addEventListener('input', () => {
  editBoard(piecefen.readFen(piecefen.toFen(pieceList.value)).board, { typed: pieceList.value, kind: 'piece-list' });
});
// A FEN line typed or pasted is the state as it stands; the field keeps it as typed.
fen.addEventListener('input', () => {
  const line = fen.value;
  edit({ fen: line, pieceList: null, wanted: wantedOf(piecefen.readFen(line)) }, 'fen');
});
fen.addEventListener('keydown', (event) => {
  if (event.key === 'Enter') event.preventDefault();
});
element('tidy').addEventListener('click', () => {
  const line = tidied(state.fen);
  edit({ fen: line, pieceList: null, wanted: wantedOf(piecefen.readFen(line)) });
});
sides.forEach((radio, side) => radio.addEventListener('change', () => {
  // The side decides which en-passant squares there can be: the one wanted comes back with its side.
  editBoard(derive().position.board, { sideToMove: side });
}));
rights.forEach((box, right) => box.addEventListener('change', () => {
  const castling = derive().position.castling.map((wings) => [...wings]);
  castling[right >> 1][right & 1] = box.checked;
  editFields({ castling });
}));
enPassant.addEventListener('change', () => editFields({ enPassant: enPassant.value === 'none' ? '-' : enPassant.value }));
for (const [field, input] of Object.entries(counters)) {
  input.addEventListener('input', () => {
    const value = Number(input.value);
    const least = field === 'moveNumber' ? 1 : 0;
    if (input.value !== '' && Number.isInteger(value) && value >= least && value <= 999) editFields({ [field]: value }, field);
  });
}
element('undo').addEventListener('click', undo);
element('redo').addEventListener('click', redo);
element('flip').addEventListener('click', () => {
  state.flipped = !state.flipped;
  render();
});
element('clear').addEventListener('click', () => editBoard('.'.repeat(64), { wanted: { castling: NO_RIGHTS, enPassant: '-' } }));
element('start').addEventListener('click', () => edit({ fen: START, pieceList: null, wanted: wantedOf(piecefen.readFen(START)) }));
for (const [id, turn] of Object.entries(TURNS)) element(id).addEventListener('click', () => turnRound(turn));

async function copy(text, what) {
  try {
    await navigator.clipboard.writeText(text);
    state.status = `${what} copied.`;
  } catch {
    state.status = `Press Ctrl+C (or ⌘C) to copy the selected ${what}.`;
  }
  render();
}
element('copy').addEventListener('click', async () => {
  await copy(state.fen, 'FEN');
  if (state.status.startsWith('Press')) fen.select();
});
element('copy-pgn').addEventListener('click', async () => {
  await copy(element('pgn').value, 'PGN');
  if (state.status.startsWith('Press')) element('pgn').select();
});

for (const [name, box] of Object.entries(diagramBoxes)) {
  box.addEventListener('change', () => {
    state.diagram = { ...state.diagram, [name]: box.checked };
    render();
  });
}
element('diagram-theme').addEventListener('change', (event) => {
  state.diagram = { ...state.diagram, theme: event.target.value };
  render();
});
element('diagram-caption').addEventListener('input', (event) => {
  state.diagram = { ...state.diagram, caption: event.target.value };
  render();
});
element('png-size').addEventListener('change', (event) => {
  state.diagram = { ...state.diagram, width: Number(event.target.value) };
  render();
});
element('download-svg').addEventListener('click', () => {
  save('position.svg', `data:image/svg+xml;charset=utf-8,${encodeURIComponent(diagramOf(derive().found, state.diagram.width))}`);
});
element('download-png').addEventListener('click', async () => save('position.png', (await diagramCanvas()).toDataURL('image/png')));
element('copy-image').addEventListener('click', async () => {
  try {
    const canvas = await diagramCanvas();
    const blob = await new Promise((resolve) => { canvas.toBlob(resolve, 'image/png'); });
    await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
    state.status = 'Diagram copied as an image.';
  } catch {
    state.status = 'This browser lets no page put an image on the clipboard here: download the PNG instead.';
  }
  render();
});
window.addEventListener('hashchange', fromAddress);

// Undo and redo from the keyboard, wherever a text field does not keep its own.
const inText = (target) => target instanceof HTMLTextAreaElement
  || (target instanceof HTMLInputElement && ['text', 'number', 'search', ''].includes(target.type));
document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || inText(event.target)) return;
  const key = event.key.toLowerCase();
  if (key === 'z' && !event.shiftKey) undo();
  else if (key === 'y' || (key === 'z' && event.shiftKey)) redo();
  else return;
  event.preventDefault();
});

// 11. The squares by click or tap, by keyboard, and by dragging a piece.
const indexOf = (target) => {
  const index = target instanceof Element ? target.closest('#board [data-index]')?.dataset.index : undefined;
  return index === undefined ? undefined : Number(index);
};

function focusSquare(index) {
  state.focused = index;
  render();
  cells[index].focus();
}

palette.forEach((button) => button.addEventListener('click', () => {
  if (state.drag?.wasDragged) return;
  state.chosen = button.dataset.piece;
  render();
}));

board.addEventListener('click', (event) => {
  const index = indexOf(event.target);
  if (index === undefined || state.drag?.wasDragged) return;
  state.focused = index;
  // A second click with the same piece takes it away again.
  setSquares([[index, derive().position.board[index] === state.chosen ? '.' : state.chosen]]);
  cells[index].focus();
});

// Keys on a square move as the ARIA grid does, and act on the square or the piece carried.
board.addEventListener('keydown', (event) => {
  const index = indexOf(event.target);
  if (index === undefined || event.altKey || ((event.ctrlKey || event.metaKey) && !['Home', 'End'].includes(event.key))) return;
  const way = state.flipped ? -1 : 1;
  const row = Math.floor(index / 8);
  const column = index % 8;
  // Where each key goes, as the board is shown: Home and End along the row on the screen.
  const screenRow = state.flipped ? 7 - row : row;
  const screenColumn = state.flipped ? 7 - column : column;
  const fromScreen = (r, c) => (state.flipped ? (7 - r) * 8 + 7 - c : r * 8 + c);
  const moves = {
    ArrowUp: [row - way, column], ArrowDown: [row + way, column], ArrowLeft: [row, column - way], ArrowRight: [row, column + way],
  };
  const jumps = {
    Home: event.ctrlKey || event.metaKey ? fromScreen(0, 0) : fromScreen(screenRow, 0),
    End: event.ctrlKey || event.metaKey ? fromScreen(7, 7) : fromScreen(screenRow, 7),
    PageUp: fromScreen(0, screenColumn),
    PageDown: fromScreen(7, screenColumn),
  };
  const { carried } = state;
  const byte = derive().position.board[index];
  if (Object.hasOwn(moves, event.key)) {
    const [r, c] = moves[event.key];
    if (r >= 0 && r < 8 && c >= 0 && c < 8) carry(8 * r + c);
  } else if (Object.hasOwn(jumps, event.key)) {
    carry(jumps[event.key]);
  } else if (event.key === ' ' && carried) {
    state.carried = null;
    state.announcement = `${nameOf(carried.piece)} put down on ${SQUARES[index]}.`;
    if (index === carried.from) render();
    else setSquares([[carried.from, '.'], [index, carried.piece]]);
  } else if (event.key === 'Escape' && carried) {
    state.carried = null;
    state.announcement = `${nameOf(carried.piece)} put back on ${SQUARES[carried.from]}.`;
    focusSquare(carried.from);
  } else if (event.key === ' ' && byte !== '.') {
    state.carried = { from: index, piece: byte };
    state.announcement = `${nameOf(byte)} on ${SQUARES[index]} picked up: the arrows carry it, Space puts it down, Escape puts it back.`;
    render();
  } else if (carried) {
    return;
  } else if (/^[KQRBNPkqrbnp]$/.test(event.key)) {
    setSquares([[index, event.key]]);
  } else if (event.key === 'Delete' || event.key === 'Backspace') {
    setSquares([[index, '.']]);
  } else if (event.key === 'Enter' || event.key === ' ') {
    setSquares([[index, state.chosen]]);
  } else {
    return;
  }
  event.preventDefault();
});

function carry(index) {
  if (state.carried) state.announcement = `${nameOf(state.carried.piece)} over ${SQUARES[index]}.`;
  focusSquare(index);
}

// A press on a piece, on the board or in the palette, becomes a drag once the pointer has
// moved a little; the piece then follows it, and lands on the square it is let go over, or
// leaves the board.
function press(event, from, piece) {
  if (event.button !== 0) return;
  state.drag = { from, piece, pointerId: event.pointerId, startX: event.clientX, startY: event.clientY,
    x: event.clientX, y: event.clientY, moved: false, wasDragged: false };
  event.target.closest('[data-index], [data-piece]').setPointerCapture(event.pointerId);
}
board.addEventListener('pointerdown', (event) => {
  const index = indexOf(event.target);
  if (index !== undefined && derive().position.board[index] !== '.') press(event, index, derive().position.board[index]);
  else state.drag = null;
});
palette.forEach((button) => button.addEventListener('pointerdown', (event) => {
  if (button.dataset.piece !== '.') press(event, -1, button.dataset.piece);
}));
document.addEventListener('pointermove', (event) => {
  const { drag } = state;
  if (drag?.pointerId !== event.pointerId) return;
  if (!drag.moved && Math.hypot(event.clientX - drag.startX, event.clientY - drag.startY) < 6) return;
  Object.assign(drag, { moved: true, x: event.clientX, y: event.clientY });
  drawBoard(derive().position, flagsOf(derive().found, derive().position));
});
function letGo(event, drop) {
  const { drag } = state;
  if (drag?.pointerId !== event.pointerId) return;
  if (!drag.moved) {
    state.drag = null;
    return;
  }
  // The click that follows a drag is the drag's, not a click of its own.
  state.drag = { wasDragged: true };
  setTimeout(() => { if (state.drag?.wasDragged) state.drag = null; }, 0);
  const target = drop ? indexOf(document.elementFromPoint(event.clientX, event.clientY)) : undefined;
  const changes = drag.from >= 0 ? [[drag.from, '.']] : [];
  if (target !== undefined) changes.push([target, drag.piece]);
  if (!drop || changes.length === 0) {
    render();
    return;
  }
  if (target !== undefined) state.focused = target;
  setSquares(changes);
}
document.addEventListener('pointerup', (event) => letGo(event, true));
document.addEventListener('pointercancel', (event) => letGo(event, false));

fromAddress();
pieceList.focus();
