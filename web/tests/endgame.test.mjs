// SPDX-License-Identifier: MIT
// Endgames through JavaScript: the verdicts of the C++ library's tables, the tables kept
// between calls, progress while they are worked out, and no verdict where there is none.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';

const { endgame, endgameCoverage, endgameTable, play } = await import(`${PACKAGE}/piecefen-node.js`);

const KQK = '8/8/8/5k2/8/8/1Q6/K7 w - - 0 1';

// First, before any other test has worked out the table it asks for.
test('progress is told while a table is worked out, and a table is worked out once', () => {
  const fen = '8/8/8/8/8/2k5/1R6/K7 w - - 0 1';
  const told = [];
  const first = endgame(fen, { onProgress: (progress) => told.push(progress) });
  assert.ok(told.length > 2);
  assert.ok(told.every(({ table }) => table === 'KRvK'));
  assert.ok(told.every(({ fraction }, at) => fraction >= (told[at - 1]?.fraction ?? 0) && fraction <= 1));
  assert.equal(told.at(-1).fraction, 1);
  const again = [];
  assert.deepEqual(endgame(fen, { onProgress: (progress) => again.push(progress) }), first);
  assert.deepEqual(again, []);
  assert.equal(first.dtm, 31);
});

test('endgame gives the verdict, the mate in moves and every move best first', () => {
  const rows = [
    [KQK, 'win', 19, 10],
    ['8/8/8/k7/8/K7/6P1/8 b - - 0 1', 'loss', -56, 28],
    ['4k3/4P3/4K3/8/8/8/8/8 b - - 0 1', 'draw', null, null],
    ['k7/8/8/P7/8/8/8/K7 w - - 0 1', 'draw', null, null],
    ['7k/5Q2/6K1/8/8/8/8/8 b - - 0 1', 'draw', null, null],
    ['7k/6Q1/6K1/8/8/8/8/8 b - - 0 1', 'loss', 0, 0],
  ];
  for (const [fen, category, dtm, mateIn] of rows) {
    const verdict = endgame(fen);
    assert.deepEqual([verdict.category, verdict.dtm, verdict.mateIn], [category, dtm, mateIn], fen);
    if (verdict.moves.length > 0) assert.deepEqual([verdict.moves[0].category, verdict.moves[0].dtm], [category, dtm], fen);
  }
  const { moves, fiftyMoveRuleMayMatter } = endgame(KQK);
  assert.equal(fiftyMoveRuleMayMatter, false);
  assert.deepEqual(moves[0], { uci: 'b2b8', san: 'Qb8', category: 'win', dtm: 19 });
  assert.ok(moves.every(({ category }) => category === 'win' || category === 'draw'));
  assert.equal(endgame(KQK.replace('0 1', '90 60')).fiftyMoveRuleMayMatter, true);
  // Each move's value is what the position after it is worth, turned round.
  for (const move of moves.slice(0, 5)) {
    const after = endgame(play(KQK, move.uci));
    assert.equal(move.dtm, 1 - after.dtm, move.san);
  }
});

test('no verdict without the tables, and the reason for it', () => {
  const rows = [
    ['rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1', 'too-many-pieces', null],
    ['r3k3/8/8/8/8/8/8/4K3 b q - 0 1', 'castling-rights', null],
    ['8/8/8/8/8/8/8/8 w - - 0 1', 'unplayable', null],
    ['', 'unplayable', null],
    ['8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1', 'covered', 'KQvKR'],
    [KQK, 'covered', 'KQvK'],
  ];
  for (const [fen, coverage, table] of rows) {
    assert.equal(endgameCoverage(fen), coverage, fen);
    assert.equal(endgameTable(fen), table, fen);
    if (coverage !== 'covered') assert.equal(endgame(fen), null, fen);
  }
  assert.throws(() => endgame(null), TypeError);
  assert.throws(() => endgame(KQK, { onProgress: 'yes' }), TypeError);
});
