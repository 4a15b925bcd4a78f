// SPDX-License-Identifier: MIT
// The library's attack rules against a peer's: on random placements, the pieces that a
// king not to move stands in check from, by piecefen's problems and by chess.js.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { Chess } from 'chess.js';

import { PACKAGE } from './built.mjs';
import { generator } from './random.mjs';

const { problems } = await import(`${PACKAGE}/piecefen-node.js`);

const name = (index) => 'abcdefgh'[index % 8] + (8 - Math.floor(index / 8));
const placement = (board) => board.join('').match(/.{8}/g).map((row) => row.replace(/\.+/g, (run) => run.length)).join('/');

test('attackers of either king agree with chess.js on 5,000 random placements', () => {
  const random = generator(20261208);
  let checks = 0;
  for (let round = 0; round < 5000; ++round) {
    // One king each, then from a few to most squares filled, pawns on any rank.
    const board = Array(64).fill('.');
    const free = () => { for (;;) { const at = random(64); if (board[at] === '.') return at; } };
    const kings = { w: free(), b: 0 };
    board[kings.w] = 'K';
    kings.b = free();
    board[kings.b] = 'k';
    const pieces = random(40);
    for (let piece = 0; piece < pieces; ++piece) board[free()] = 'QRBNPqrbnp'[random(10)];

    for (const mover of ['w', 'b']) {
      const fen = `${placement(board)} ${mover} - - 0 1`;
      const king = mover === 'w' ? kings.b : kings.w;
      const expected = new Chess(fen, { skipValidation: true }).attackers(name(king), mover);
      const check = problems(fen).find(({ problem }) => problem === 'opposite-check');
      const found = check ? check.squares.filter((square) => square !== name(king)) : [];
      assert.deepEqual([...found].sort(), [...expected].sort(), fen);
      if (expected.length > 0) ++checks;
    }
  }
  // Enough of the placements must have had a check for the comparison to mean anything.
  assert.ok(checks > 2000, `${checks} checks`);
});

test('no position of 150 random games has a problem, checks by promotion among them', () => {
  const random = generator(20261209);
  let checks = 0;
  let promotions = 0;
  for (let game = 0; game < 150; ++game) {
    const chess = new Chess();
    for (let ply = 0; ply < 300 && !chess.isGameOver(); ++ply) {
      const moves = chess.moves();
      const move = moves[random(moves.length)];
      chess.move(move);
      const fen = chess.fen();
      assert.deepEqual(problems(fen), [], fen);
      if (/[+#]$/.test(move)) ++checks;
      if (/=.[+#]$/.test(move)) ++promotions;
    }
  }
  assert.ok(checks > 1000 && promotions > 10, `${checks} checks, ${promotions} by promotion`);
});
