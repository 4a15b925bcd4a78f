// SPDX-License-Identifier: MIT
// Every view drawn from the state: the board and the palette, the fields and controls,
// the words, and what the page hands on.
import { SQUARES } from '../bindings.js';
import { count, element, imageOf, item, nameOf, piecefen, pieceImage } from './library.js';
import { TURNS, canTurn, derive, state, view } from './state.js';
import { errorWords, flagsOf, outcomeWords, illegalityWords, tidied } from './words.js';
import { drawDiagram, drawHandOn } from './handing-on.js';
import { addressOf } from './address.js';
import { drawPlay, targetsOf } from './play.js';
import { drawEndgame } from './endgame.js';
import { drawProblem, looksLikeProblemOrGame } from './problem.js';

const ERRORS_LISTED = 10;

export const pieceList = element('piece-list');
export const fen = element('fen');
export const board = element('board');
export const sides = [element('white-to-move'), element('black-to-move')];
export const rights = [0, 1, 2, 3].map((right) => element(`castling-${right}`));
export const enPassant = element('en-passant');
export const counters = { halfmoveClock: element('halfmove-clock'), moveNumber: element('move-number') };

// The board: 64 squares in eight rows of a grid, each a cell named for its square, what
// stands on it and what is wrong there; the ranks and files beside it are for the eye.
const rows = Array.from({ length: 8 }, () => {
  const row = document.createElement('div');
  row.setAttribute('role', 'row');
  row.className = 'rank';
  return row;
});
export const cells = SQUARES.map((name, index) => {
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
export const palette = PALETTE.map((piece) => {
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

export function render() {
  const { position, errors, found, allowed } = derive();
  // An empty board is one problem, not three.
  const shown = found.some(({ illegality }) => illegality === 'empty')
    ? found.filter(({ illegality }) => illegality !== 'no-white-king' && illegality !== 'no-black-king') : found;
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
  // A screenful of them: a long paste that is no FEN has an error for nearly every byte.
  const listed = errors.slice(0, ERRORS_LISTED).map((error) => item(errorWords(state.fen, error)));
  if (errors.length > ERRORS_LISTED) listed.push(item(`and ${(errors.length - ERRORS_LISTED).toLocaleString('en')} more`));
  element('fen-errors').replaceChildren(...listed);
  element('not-fen').hidden = errors.length === 0;
  const pasted = errors.length > 0 ? looksLikeProblemOrGame(state.fen) : null;
  element('fen-pointer').hidden = pasted === null;
  element('fen-pointer-words').textContent = pasted === 'game' ? 'This looks like a game in PGN, not a FEN line.'
    : 'This looks like a chess problem, not a FEN line.';
  element('tidy').hidden = !errors.some(({ error }) => error === 'space' || error === 'side')
    || piecefen.fenErrors(tidied(state.fen)).length >= errors.length;
  // Whether it is legal, and where the position can be played, how the game stands.
  const { moves, outcome } = derive();
  element('summary').textContent = errors.length > 0
    ? `Not FEN: ${count(errors.length)} ${errors.length === 1 ? 'error' : 'errors'}, listed below; the board shows the nearest reading.`
    : [shown.length === 0 ? 'Legal.' : `Illegal: ${count(shown.length)} ${shown.length === 1 ? 'reason' : 'reasons'}, see Legality.`,
      outcomeWords(outcome, position, moves.length)].filter(Boolean).join(' ');
  element('status').textContent = state.status;

  element('illegalities').replaceChildren(...shown.flatMap((illegality) => illegalityWords(illegality, position)).map(item));
  element('legal').hidden = shown.length > 0;
  drawPlay();
  drawEndgame();
  drawProblem();
  element('answer').hidden = element('endgame').hidden && element('solution-part').hidden;
  drawHandOn(position, found, errors);
  drawDiagram(found);

  // An address changed from outside waits for its hashchange: a render in between (a
  // worker's answer) must not write over it.
  const fragment = addressOf(state);
  if (location.hash !== fragment && location.hash === state.address) {
    try {
      history.replaceState(null, '', fragment);
    } catch {
      // An address too long for the browser keeps the one it has; the page still follows.
    }
    state.address = location.hash;
  }
  const announce = element('announce');
  if (announce.textContent !== state.announcement) announce.textContent = state.announcement;
  performance.mark('piecefen:board');
}

export function drawBoard(position, flags) {
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
  // In Play mode, the squares the piece picked up or dragged can go to, and the last move.
  const playing = state.mode === 'play';
  const holder = drag?.moved ? drag.from : state.picked;
  const targets = playing && holder !== null && holder >= 0 ? targetsOf(holder) : new Set();
  const last = playing ? state.game?.moves.at(-1)?.uci : undefined;
  const lastSquares = last ? [last.slice(0, 2), last.slice(2, 4)] : [];
  cells.forEach((cell, index) => {
    const byte = position.board[index];
    const flagged = flags.get(SQUARES[index]) ?? [];
    // A carried piece is shown on the square it is carried over, and gone from where it was.
    const lifted = (carried?.from === index && carried.from !== state.focused) || (drag?.moved && drag.from === index);
    const shownByte = carried && index === state.focused ? carried.piece : lifted ? '.' : byte;
    const marks = [...flagged, ...(playing && index === state.picked ? ['picked up'] : []),
      ...(targets.has(index) ? ['a legal move'] : [])];
    const label = [`${SQUARES[index]} ${nameOf(byte)}`, ...marks].join(', ');
    if (cell.getAttribute('aria-label') !== label) cell.setAttribute('aria-label', label);
    // An image without a picture is hidden, so that no browser draws it as a broken one.
    const source = imageOf(shownByte);
    if (source && cell.firstChild.getAttribute('src') !== source) cell.firstChild.src = source;
    if (cell.firstChild.hidden !== !source) cell.firstChild.hidden = !source;
    cell.classList.toggle('flagged', flagged.length > 0);
    cell.classList.toggle('carrying', carried !== null && index === state.focused);
    cell.classList.toggle('picked', playing && index === state.picked);
    cell.classList.toggle('target', targets.has(index));
    cell.classList.toggle('last-move', lastSquares.includes(SQUARES[index]));
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

// The marks scroll with the field's text when a long paste scrolls inside it.
const fenMarks = element('fen-marks');
fen.addEventListener('scroll', () => { fenMarks.scrollTop = fen.scrollTop; });

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
  // Read once the frame's layout is made anyway, never forcing one in the middle of a render.
  if (errors.length > 0) requestAnimationFrame(() => { marks.scrollTop = fen.scrollTop; });
}

view.render = render;
