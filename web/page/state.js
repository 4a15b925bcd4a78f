// SPDX-License-Identifier: MIT
// The page's one state, what the library says of the FEN it holds, and the edits that
// change it, each undoable. Every edit ends in render(), which the drawing sets.
import { SQUARES } from '../bindings.js';
import { EMPTY, NO_RIGHTS, piecefen } from './library.js';

// Edits of one kind this close together are one step of the history: a burst of typing.
const BURST_MS = 1000;
const HISTORY_LIMIT = 200;

// 1. The state. `wanted` is the castling rights and en-passant square the person set: an
// edit of the board keeps each of them wherever the board allows it, so that a piece
// taken away and put back, or a piece list typed half-way, costs no one's rights.
export const state = {
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
  mode: 'edit',    // or 'play'
  game: null,      // in Play mode: { start (a FEN line), moves: [{ uci, san }] }
  picked: null,    // in Play mode, the square whose piece is picked up
  promoting: null, // in Play mode, a pawn's move to the last rank waiting for its piece: { from, to }
  playItOut: false, // in Play mode, each move answered with the tables' best defence
  judged: null,     // what the tables said of the person's last move, shown with the answer
  stipulation: '',  // the problem's, such as "#2"; empty for none
  address: '',      // the address as the page last read or wrote it
};

// Draws every view from the state; the drawing puts its own function here.
export const view = { render: () => {} };
export const render = () => view.render();

// 2. What the FEN shows, asked of the library once for each FEN the state holds.
let derived = null;
export function derive() {
  if (derived?.fen === state.fen) return derived;
  const position = piecefen.readFen(state.fen);
  const errors = piecefen.fenErrors(state.fen);
  const found = piecefen.illegalities(state.fen);
  const allowed = piecefen.allowedFields(state.fen);
  const moves = piecefen.legalMoves(state.fen);
  const outcome = piecefen.outcome(state.fen);
  derived = { fen: state.fen, position, errors, found, allowed, moves, outcome };
  return derived;
}

// 3. Edits. Each records the state before it for Undo, unless it continues a burst of the
// same kind or is the page's reply to a move, and clears what the last edit said.
const snapshot = () => ({ fen: state.fen, pieceList: state.pieceList, wanted: state.wanted, game: state.game });
export function edit(change, kind = 'edit') {
  const now = performance.now();
  // A reply joins the step of the move it answers, however long it took to find.
  const burst = kind === 'reply' || (kind !== 'edit' && state.last.kind === kind && now - state.last.at < BURST_MS);
  if (!burst) {
    state.past.push(snapshot());
    if (state.past.length > HISTORY_LIMIT) state.past.shift();
  }
  state.last = { kind, at: now };
  state.future = [];
  Object.assign(state, change);
  state.pieceList ??= piecefen.toPieceList(state.fen);
  state.status = '';
  // In Play mode an edit of the position starts a game from the position edited.
  if (state.mode === 'play' && !Object.hasOwn(change, 'game')) Object.assign(state, { game: { start: state.fen, moves: [] }, picked: null, promoting: null });
  render();
}

function travel(from, to) {
  if (from.length === 0) return;
  to.push(snapshot());
  Object.assign(state, from.pop(), { carried: null, picked: null, promoting: null, status: '', last: { kind: '', at: 0 } });
  if (state.mode === 'play') state.game ??= { start: state.fen, moves: [] };
  else state.game = null;
  render();
}
export const undo = () => travel(state.past, state.future);
export const redo = () => travel(state.future, state.past);

export const wantedOf = (position) => ({ castling: position.castling, enPassant: position.enPassant });

// A change of the fields beside the board, written as set: the person's own word.
export function editFields(change, kind) {
  const position = { ...derive().position, ...change };
  edit({ fen: piecefen.writeFen(position), pieceList: null, wanted: wantedOf(position) }, kind);
}

// A change of the board, with the rights and the en-passant square the person wants
// wherever the new board allows them.
export function editBoard(squares, { typed = null, kind = 'edit', wanted = state.wanted, sideToMove } = {}) {
  const position = { ...derive().position, board: squares, castling: NO_RIGHTS, enPassant: '-' };
  if (sideToMove !== undefined) position.sideToMove = sideToMove;
  const allowed = piecefen.allowedFields(piecefen.writeFen(position));
  position.castling = wanted.castling.map((wings, colour) => wings.map((set, wing) => set && allowed.castling[colour][wing]));
  if (allowed.enPassant.includes(wanted.enPassant)) position.enPassant = wanted.enPassant;
  edit({ fen: piecefen.writeFen(position), pieceList: typed, wanted }, kind);
}

export function setSquares(changes) {
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
export const nameAt = (index) => SQUARES[index] ?? '-';
export const indexOfName = (name) => SQUARES.indexOf(name);
const swapCase = (byte) => (byte === byte.toUpperCase() ? byte.toLowerCase() : byte.toUpperCase());

export const TURNS = {
  mirror: { square: (index) => index - (index % 8) + 7 - (index % 8), rights: ([[k, q], [bk, bq]]) => [[q, k], [bq, bk]] },
  swap: { square: (index) => (7 - Math.floor(index / 8)) * 8 + (index % 8), rights: ([white, black]) => [black, white],
    byte: swapCase, side: true },
  'shift-left': { square: (index) => index - 1, edge: (index) => index % 8 === 0 },
  'shift-right': { square: (index) => index + 1, edge: (index) => index % 8 === 7 },
  'shift-up': { square: (index) => index - 8, edge: (index) => index < 8 },
  'shift-down': { square: (index) => index + 8, edge: (index) => index >= 56 },
};
export const canTurn = (turn, squares) => !turn.edge || [...squares].every((byte, index) => byte === '.' || !turn.edge(index));

export function turnRound(turn) {
  const { position } = derive();
  const moveSquare = (name) => (name === '-' || indexOfName(name) < 0 ? name : nameAt(turn.square(indexOfName(name))));
  const wanted = { castling: turn.rights ? turn.rights(state.wanted.castling) : state.wanted.castling,
    enPassant: moveSquare(state.wanted.enPassant) };
  const squares = mapBoard(turn.byte ? [...position.board].map(turn.byte).join('') : position.board, turn.square);
  editBoard(squares, { wanted, sideToMove: turn.side ? 1 - (position.sideToMove === 0 ? 0 : 1) : undefined });
}
