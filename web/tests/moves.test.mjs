// SPDX-License-Identifier: MIT
// Moves through JavaScript: the same answers as the C++ library's tables, and on the
// positions of random games the same moves, SAN and FEN lines as chess.js.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { Chess } from 'chess.js';

import { PACKAGE } from './built.mjs';
import { generator } from './random.mjs';

const { legalMoves, perft, play, outcome } = await import(`${PACKAGE}/piecefen-node.js`);

const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const KIWIPETE = 'r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1';

test('legalMoves gives squares, promotion, UCI and SAN in the library\'s order', () => {
  assert.deepEqual(legalMoves('7k/8/8/8/8/8/8/1N1NK3 w - - 0 1').slice(0, 3), [
    { from: 'b1', to: 'a3', uci: 'b1a3', san: 'Na3' },
    { from: 'b1', to: 'c3', uci: 'b1c3', san: 'Nbc3' },
    { from: 'b1', to: 'd2', uci: 'b1d2', san: 'Nd2' },
  ]);
  assert.deepEqual(legalMoves('k7/4P3/8/8/8/8/8/K7 w - - 0 1').filter(({ from }) => from === 'e7'),
    ['q', 'r', 'b', 'n'].map((promotion) => ({
      from: 'e7', to: 'e8', promotion, uci: `e7e8${promotion}`, san: `e8=${promotion.toUpperCase()}${'qr'.includes(promotion) ? '+' : ''}`,
    })));
  assert.deepEqual(legalMoves('4k3/8/8/8/8/8/8/4K2K w - - 0 1'), []);
  assert.deepEqual(legalMoves(''), []);
});

test('perft counts as the C++ library does', () => {
  assert.equal(perft(START, 0), 1);
  assert.equal(perft(START, 3), 8902);
  assert.equal(perft(KIWIPETE, 2), 2039);
  assert.equal(perft('8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1', 4), 43238);
  for (const depth of [-1, 1.5, 21, '3', undefined]) assert.throws(() => perft(START, depth), TypeError);
});

test('play takes SAN or UCI and refuses what is not legal, naming it', () => {
  assert.equal(play(START, 'e4'), 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1');
  assert.equal(play(START, 'g1f3'), 'rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b KQkq - 1 1');
  assert.equal(play('r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1', '0-0-0'), 'r3k2r/8/8/8/8/8/8/2KR3R b kq - 1 1');
  for (const move of ['e5', 'Ke2', '', 'e4\nNf3', 'e2e4\0']) {
    assert.throws(() => play(START, move), { name: 'TypeError', message: new RegExp(JSON.stringify(move).replaceAll('\\', '\\\\')) });
  }
  assert.throws(() => play(START, 42), TypeError);
  assert.throws(() => play(null, 'e4'), TypeError);
});

test('outcome names how the game stands', () => {
  const cases = [
    [START, 'none'],
    ['rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3', 'checkmate'],
    ['7k/5Q2/6K1/8/8/8/8/8 b - - 0 1', 'stalemate'],
    ['4k3/8/8/8/8/8/8/3NK3 w - - 0 1', 'insufficient-material'],
    ['4k3/8/8/8/8/8/8/R3K3 w - - 150 90', 'seventy-five-moves'],
    ['4k3/8/8/8/8/8/8/4R1K1 w - - 0 1', 'unplayable'],
  ];
  for (const [fen, expected] of cases) assert.equal(outcome(fen), expected, fen);
});

test('on the positions of 24 random games, the moves, their SAN and the FEN after each are chess.js\'s', () => {
  const random = generator(20261209);
  let positions = 0;
  for (let game = 0; game < 24; ++game) {
    const chess = new Chess();
    for (let ply = 0; ply < 120 && !chess.isGameOver(); ++ply, ++positions) {
      const fen = chess.fen();
      const ours = legalMoves(fen);
      const theirs = chess.moves({ verbose: true });
      const byUci = (moves) => moves.map(({ uci, lan, san }) => `${uci ?? lan} ${san}`).sort();
      assert.deepEqual(byUci(ours), byUci(theirs), fen);
      const after = new Map(theirs.map(({ lan, after: next }) => [lan, next]));
      for (const { uci } of ours) assert.equal(play(fen, uci), after.get(uci), `${fen} ${uci}`);
      const chosen = theirs[random(theirs.length)];
      chess.move(chosen.san);
    }
    assert.equal(outcome(chess.fen()) !== 'none', chess.isCheckmate() || chess.isStalemate() || chess.isInsufficientMaterial() ||
      outcome(chess.fen()) === 'seventy-five-moves', chess.fen());
  }
  assert.ok(positions > 1500, `${positions} positions`);
});
