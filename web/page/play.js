// SPDX-License-Identifier: MIT
// Play mode: a piece of the side to move, picked up, shows its legal squares, and put down
// on one it plays the move; a pawn reaching the last rank asks which piece it becomes. The
// moves are kept as a game from the set-up position, undone as every edit is, handed on as
// PGN and held in the address.
import { SQUARES } from '../bindings.js';
import { element, item, piecefen } from './library.js';
import { derive, edit, render, state, wantedOf } from './state.js';
import { judge, whenKnown } from './endgame.js';

// The legal moves from a square, and the squares they go to.
export const movesFrom = (index) => derive().moves.filter((move) => move.from === SQUARES[index]);
export const targetsOf = (index) => new Set(movesFrom(index).map((move) => SQUARES.indexOf(move.to)));

// Enters Play mode from the position shown, or leaves it with the position reached.
export function setMode(mode) {
  if (state.mode === mode) return;
  Object.assign(state, { mode, game: mode === 'play' ? { start: state.fen, moves: [] } : null, picked: null, promoting: null });
  render();
}

// Each move is a step of its own in the history, however quickly the next follows. Played
// out against the tables, a person's move is judged and answered with the best defence.
export function playMove(uci, byPage = false) {
  const move = derive().moves.find((each) => each.uci === uci);
  if (!move) return false;
  const before = state.fen;
  const after = piecefen.play(before, uci);
  const judged = byPage || !state.playItOut ? '' : judge(before, uci);
  state.announcement = byPage ? `Best defence: ${move.san}.` : `${move.san} played.`;
  edit({ fen: after, pieceList: null, wanted: wantedOf(piecefen.readFen(after)), picked: null, promoting: null,
    game: { start: state.game.start, moves: [...state.game.moves, { uci, san: move.san }] } }, byPage ? 'reply' : 'edit');
  if (judged !== '' || byPage) {
    state.status = [state.judged ?? '', judged].filter(Boolean).join(' ');
    render();
  }
  state.judged = byPage ? null : judged;
  if (!byPage && state.playItOut) answer(after);
  return true;
}

// The best move for the side to move, played once the tables know it, unless the person
// has moved on meanwhile.
function answer(fen) {
  whenKnown(fen, (verdict) => {
    if (state.fen !== fen || state.mode !== 'play' || !state.playItOut || !verdict || verdict.moves.length === 0) return;
    playMove(verdict.moves[0].uci, true);
  });
}

// Playing it out starts with the side not to move, when the person's turn has passed.
export function setPlayItOut(on) {
  state.playItOut = on;
  state.judged = null;
  render();
}

// A move from one square to another: played, or, for a pawn reaching the last rank, a
// question which piece it becomes. False where no legal move goes there.
export function moveTo(from, to) {
  const moves = movesFrom(from).filter((move) => move.to === SQUARES[to]);
  if (moves.length === 0) return false;
  if (moves.length === 1) return playMove(moves[0].uci);
  // The square keeps the focus, so that Q, R, B or N answers from the keyboard.
  Object.assign(state, { promoting: { from, to }, picked: null, announcement: 'Promote to: Q queen, R rook, B bishop, N knight?' });
  render();
  return true;
}

export function promote(piece) {
  const { promoting } = state;
  if (!promoting) return false;
  return playMove(`${SQUARES[promoting.from]}${SQUARES[promoting.to]}${piece}`);
}

// A click, a tap or Space on a square: a piece picked up, a move played, or the piece put back.
export function chooseSquare(index) {
  if (state.promoting) {
    state.promoting = null;
  } else if (state.picked !== null && targetsOf(state.picked).has(index)) {
    moveTo(state.picked, index);
    return;
  } else if (state.picked !== index && movesFrom(index).length > 0) {
    state.picked = index;
    state.announcement = `${SQUARES[index]} picked up: ${movesFrom(index).map((move) => move.san).join(', ')}.`;
    render();
    return;
  }
  state.picked = null;
  render();
}

// A move typed as SAN or UCI, as people type it.
export function playTyped(text) {
  const typed = text.trim();
  const { moves } = derive();
  let found = moves.find(({ san, uci }) => typed === uci || typed === san || typed === san.replace(/[+#]$/, ''));
  if (!found) {
    try {
      const after = piecefen.play(state.fen, typed);
      found = moves.find(({ uci }) => piecefen.play(state.fen, uci) === after);
    } catch {
      found = undefined;
    }
  }
  if (found) return playMove(found.uci);
  state.status = typed === '' ? 'Type a move, such as Nf3 or g1f3.' : `“${typed}” is not a legal move here.`;
  render();
  return false;
}

// The game's moves after a set-up position, each with its number: "1. e4 e5", "1… e5".
function numbered(game) {
  const start = piecefen.readFen(game.start);
  let number = Math.max(1, start.moveNumber);
  let black = start.sideToMove !== 0;
  const pairs = [];
  for (const { san } of game.moves) {
    if (!black) pairs.push(`${number}. ${san}`);
    else if (pairs.length === 0) pairs.push(`${number}… ${san}`);
    else pairs[pairs.length - 1] += ` ${san}`;
    if (black) number += 1;
    black = !black;
  }
  return pairs;
}

// The result a PGN gives the game reached: a win by mate, a draw, or "*" while it goes on.
export function resultOf() {
  const { outcome, position } = derive();
  if (outcome === 'checkmate') return position.sideToMove === 0 ? '0-1' : '1-0';
  return ['stalemate', 'insufficient-material', 'seventy-five-moves'].includes(outcome) ? '1/2-1/2' : '*';
}

// The PGN's moves, in lines of at most 80 characters, as the standard asks.
export function movetext(game, result) {
  const tokens = numbered(game).join(' ').replaceAll('…', '...').split(' ').concat(result);
  const lines = [''];
  for (const token of tokens) {
    const line = lines[lines.length - 1];
    if (line === '') lines[lines.length - 1] = token;
    else if (line.length + 1 + token.length <= 80) lines[lines.length - 1] = `${line} ${token}`;
    else lines.push(token);
  }
  return lines.join('\n');
}

export function drawPlay() {
  const playing = state.mode === 'play';
  element('mode-edit').checked = !playing;
  element('mode-play').checked = playing;
  element('play').hidden = !playing;
  element('palette').hidden = playing;
  element('edit-tools').hidden = playing;
  // The fields that set a position up (side to move, castling, clocks) are out of the way of play.
  element('setup-controls').hidden = playing;
  if (!playing) return;
  element('moves').replaceChildren(item('Set-up position'), ...numbered(state.game).map(item));
  element('play-it-out').checked = state.playItOut;
  element('promotion').hidden = state.promoting === null;
}
