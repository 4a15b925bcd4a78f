// SPDX-License-Identifier: MIT
// Diagrams through JavaScript: the C++ writer's bytes, options refused by name, and the
// board read back from librsvg's pixels.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';
import { colours, decodePng, readBoard } from './pixels.mjs';

const { toSvg, pieceSvg, readFen } = await import(`${PACKAGE}/piecefen-node.js`);

const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const hasRsvg = (() => {
  try {
    execFileSync('rsvg-convert', ['--version']);
    return true;
  } catch {
    return false;
  }
})();

test('toSvg writes the bytes the C++ library writes for the README', () => {
  const kept = readFileSync(new URL('../../docs/diagram.svg', import.meta.url), 'utf8');
  const written = toSvg('8/8/8/4k3/8/8/4PP2/4K3 w - - 0 1', {
    sideToMove: true, count: true, caption: 'White to play and win', marks: ['e5'], arrows: [{ from: 'f2', to: 'f4' }],
  });
  assert.equal(`${written}\n`, kept);
  assert.equal(toSvg(START), toSvg(START, { size: 360, flipped: false, coordinates: true, border: true, theme: undefined }));
  assert.ok(Buffer.byteLength(toSvg(START)) < 10_000);
  // Text beyond ASCII arrives as UTF-8 and leaves as the same characters.
  assert.match(toSvg('8/8/8/8/8/8/8/8', { caption: 'Étude № 1 😀 \ud800' }), />Étude № 1 😀 \ufffd<\/text>/);
  assert.match(pieceSvg('n', 64), /^<svg [^>]*width="64" height="64"/);
});

test('an option unknown or of the wrong type is a TypeError that names it', () => {
  const refused = [
    [{ flip: true }, 'flip'], [{ size: 0 }, 'size'], [{ size: 1.5 }, 'size'], [{ size: '360' }, 'size'], [{ size: 100_001 }, 'size'],
    [{ flipped: 'yes' }, 'flipped'], [{ coordinates: 1 }, 'coordinates'], [{ border: null }, 'border'],
    [{ sideToMove: 'w' }, 'sideToMove'], [{ count: 0 }, 'count'], [{ marks: 'e4' }, 'marks'], [{ marks: ['e9'] }, 'marks'],
    [{ arrows: [['e2', 'e4']] }, 'arrows'], [{ arrows: [{ from: 'e2' }] }, 'arrows'], [{ arrows: 'e2e4' }, 'arrows'],
    [{ caption: 7 }, 'caption'], [{ theme: 'dark' }, 'theme'], [null, 'options'], [[], 'options'],
  ];
  for (const [options, name] of refused) {
    assert.throws(() => toSvg(START, options), (error) => error instanceof TypeError && error.message.includes(name), name);
  }
  assert.throws(() => toSvg(42), TypeError);
  for (const piece of ['', 'KQ', '€', 7]) assert.throws(() => pieceSvg(piece), TypeError);
  assert.throws(() => pieceSvg('K', 0), TypeError);
});

test('librsvg draws each piece where the record has it, whichever way the board faces', { skip: !hasRsvg && 'rsvg-convert is not installed' }, () => {
  const positions = [START, 'r3k2r/pp1n1ppp/2p1b3/q2pP3/3P1B2/2N2N2/PP3PPP/R2QK2R b KQkq - 0 1', '8/8/8/8/8/8/8/8 w - - 0 1',
    'kKkKkKkK/QqQqQqQq/RrRrRrRr/BbBbBbBb/NnNnNnNn/PpPpPpPp/8/8 w - - 0 1'];
  for (const fen of positions) {
    for (const flipped of [false, true]) {
      const svg = toSvg(fen, { coordinates: false, border: false, size: 320, flipped, marks: ['e4', 'e8'] });
      const read = readBoard(decodePng(execFileSync('rsvg-convert', ['-f', 'png'], { input: svg })), { square: 40 });
      const board = colours(readFen(fen).board);
      assert.equal(read, flipped ? [...board].reverse().join('') : board, `${fen}${flipped ? ', flipped' : ''}`);
    }
  }
});
