// SPDX-License-Identifier: MIT
// The Tablebase part: the truth of a position of up to four pieces and of each of its
// moves, worked out by the library in a worker (its tables the first time they are
// needed) and kept here by FEN line.
import { COLOURS, count, element, item, piecefen } from './library.js';
import { derive, render, state } from './state.js';
import { ask, joinWorker } from './worker-client.js';

const verdicts = new Map();
const waiting = new Map();  // a FEN line asked for, and who wants its verdict
let working = null;         // the worker's last word of progress: { fen, table, percent }
let broken = '';            // why the worker could not work, if it could not

joinWorker({
  heard(data) {
    if ('verdict' in data) {
      verdicts.set(data.fen, data.verdict);
      if (working?.fen === data.fen) working = null;
      const wanting = waiting.get(data.fen) ?? [];
      waiting.delete(data.fen);
      render();
      for (const then of wanting) then(data.verdict);
    } else if ('table' in data) {
      working = data;
      if (data.fen === state.fen) render();
    }
  },
  // A browser that refuses the worker leaves the part saying so, and the online link stays.
  failed(reason) {
    if (waiting.size === 0) return;
    broken = reason || 'the browser stopped the worker';
    render();
  },
  unanswered: () => [...waiting.keys()].map((fen) => ({ fen })),
});

// Hands the verdict of a FEN line to `then` once it is known; null where the tables say nothing.
export function whenKnown(fen, then = () => {}) {
  if (piecefen.endgameCoverage(fen) !== 'covered') {
    setTimeout(() => then(null));
  } else if (verdicts.has(fen)) {
    setTimeout(() => then(verdicts.get(fen)));
  } else if (waiting.has(fen)) {
    waiting.get(fen).push(then);
  } else {
    waiting.set(fen, [then]);
    ask({ fen });
  }
}

const PIECE_WORDS = { Q: 'queen', R: 'rook', B: 'bishop', N: 'knight', P: 'pawn' };
const TWO = { queen: 'queens', rook: 'rooks', bishop: 'bishops', knight: 'knights', pawn: 'pawns' };

// A table in words: "KQvKR" is "queen against rook", "KRRvK" "two rooks against king".
export function tableWords(table) {
  const side = (letters) => {
    const names = [...letters].map((letter) => PIECE_WORDS[letter]);
    if (names.length === 0) return 'king';
    return names.length === 2 && names[0] === names[1] ? `two ${TWO[names[0]]}` : names.join(' and ');
  };
  const [white, black] = table.split('v').map((part) => part.slice(1));
  return `${side(white)} against ${side(black)}`;
}

const movesToMate = (dtm) => Math.ceil(Math.abs(dtm) / 2);

// The verdict for the side to move in words: "White mates in 16", "Draw", "Black mates in 3".
export function verdictWords(verdict, side) {
  if (verdict.category === 'draw') return 'Draw';
  if (verdict.dtm === 0) return `${COLOURS[side]} is checkmated`;
  const mating = verdict.category === 'win' ? side : 1 - side;
  const words = `${COLOURS[mating]} mates in ${movesToMate(verdict.dtm)}`;
  return verdict.fiftyMoveRuleMayMatter ? `${words}, unless the fifty-move rule comes first` : words;
}

// A move with its result: "Rf7: mate in 15", "Kf2: draw", "Rxf5: Black mates in 9".
export function moveWords(move, side) {
  if (move.category === 'draw') return `${move.san}: draw`;
  if (move.category === 'win') return `${move.san}: mate in ${movesToMate(move.dtm)}`;
  return `${move.san}: ${COLOURS[1 - side]} mates in ${movesToMate(move.dtm)}`;
}

// What a move played gives away, by the verdict of the position it was played from: a
// win thrown away, a draw lost, or a mate made longer; nothing for a best move.
export function judge(fen, uci) {
  const verdict = verdicts.get(fen);
  const move = verdict?.moves.find((each) => each.uci === uci);
  const best = verdict?.moves[0];
  if (!move || !best) return '';
  const side = piecefen.readFen(fen).sideToMove;
  if (best.category === 'win' && move.category !== 'win') {
    return `${move.san} throws the win away: ${move.category === 'draw' ? 'a draw now' : `${COLOURS[1 - side]} mates in ${movesToMate(move.dtm)}`}. ${best.san} mates in ${movesToMate(best.dtm)}.`;
  }
  if (best.category === 'draw' && move.category === 'loss') {
    return `${move.san} loses: ${COLOURS[1 - side]} mates in ${movesToMate(move.dtm)}. ${best.san} holds the draw.`;
  }
  if (best.category === 'win' && move.dtm > best.dtm) {
    return `${move.san} lets the mate take longer: mate in ${movesToMate(move.dtm)}, where ${best.san} mates in ${movesToMate(best.dtm)}.`;
  }
  return '';
}

// Why the page's own tables say nothing of a position they could almost take: they are
// for positions of up to four pieces without castling rights.
const NOT_COVERED = {
  'too-many-pieces': (pieces) => `This page's tables cover up to four pieces, and this position has ${count(pieces)}: the online tablebase answers for up to seven.`,
  'castling-rights': () => 'This page\'s tables cover positions without castling rights: take them away in Castling to see the verdict.',
};

export function drawEndgame() {
  const coverage = piecefen.endgameCoverage(state.fen);
  const pieces = [...derive().position.board].filter((byte) => /[KQRBNPkqrbnp]/.test(byte)).length;
  // Past seven pieces nothing answers, here or online, and the Legality part already says so.
  const said = Object.hasOwn(NOT_COVERED, coverage) && pieces <= 7 && derive().found.length === 0;
  element('endgame').hidden = coverage !== 'covered' && !said;
  element('endgame-why').hidden = !said;
  element('endgame-worked').hidden = said;
  if (said) {
    element('endgame-why').textContent = NOT_COVERED[coverage](pieces);
    element('endgame-verdict').textContent = '';
    for (const part of ['winning-part', 'other-part']) element(part).hidden = true;
    return;
  }
  if (coverage !== 'covered') return;
  const verdict = verdicts.get(state.fen);
  const side = derive().position.sideToMove;
  const winning = [];
  const others = [];
  if (verdict === undefined && broken !== '') {
    element('endgame-verdict').textContent = `The tables could not be worked out here: ${broken}.`;
  } else if (verdict === undefined) {
    whenKnown(state.fen);
    const table = working?.fen === state.fen ? working : { table: piecefen.endgameTable(state.fen), percent: 0 };
    element('endgame-verdict').textContent = `Working out ${tableWords(table.table)}: ${table.percent} %`;
  } else {
    element('endgame-verdict').textContent = verdictWords(verdict, side);
    for (const move of verdict.moves) (move.category === 'win' ? winning : others).push(item(moveWords(move, side)));
  }
  element('winning-moves').replaceChildren(...winning);
  element('other-moves').replaceChildren(...others);
  element('winning-part').hidden = winning.length === 0;
  element('other-part').hidden = others.length === 0;
}
