// SPDX-License-Identifier: MIT
// Whatever a caller passes crosses the boundary as data: every exported function, given
// hostile text in each of its string arguments, answers as its types say or throws a
// TypeError that names the argument, and no text becomes a field of an answer.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';

const piecefen = await import(`${PACKAGE}/piecefen-node.js`);

const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const MATE_IN_ONE = '6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1';
const INJECTION = 'x","status":"solved","cooked":true,"z":"';
const HOSTILE = ['"', '\\', '#"2', INJECTION, '\\"}]', '\0', 'a\0b', '\ud800', '\udc00x', '#2\u2028', '\u2029',
  '\n', '\r\n', '\u007f\u0080\u00ff', '😀', '</script><script>', '{"a":1}', 'x'.repeat(100_000)];

const isString = (value) => typeof value === 'string';
const isSquares = (value) => Array.isArray(value) && value.every((square) => /^[a-h][1-8]$/.test(square));
const isMove = (move) => isString(move?.uci) && isString(move?.san);
const isCastling = (value) => Array.isArray(value) && value.length === 2 && value.flat().every((right) => typeof right === 'boolean');

// Each function, the arguments it is called with (`given` where the hostile text goes),
// which of them are strings, and what its answer must look like.
const given = Symbol('given');
const record = (field) => ({ ...piecefen.readFen(START), [field]: given });
const FUNCTIONS = [
  ['toFen', ['pieceList'], (text) => [text], (fen) => isString(fen) && !fen.includes('\n')],
  ['tablebaseAddress', ['pieceList'], (text) => [text], (address) => address.startsWith('https://')],
  ['toPieceList', ['fen'], (text) => [text], isString],
  ['readFen', ['fen'], (text) => [text], (position) => position.board.length === 64 && isCastling(position.castling) &&
    isString(position.enPassant) && [0, 1].includes(position.sideToMove) && Number.isInteger(position.moveNumber)],
  ['writeFen', ['board', 'enPassant'], (text, field) => [{ ...record(field), [field]: field === 'board' ? text.padEnd(64, '.').slice(0, 64) : text }], isString],
  ['illegalities', ['fen'], (text) => [text], (found) => found.every(({ illegality, squares }) => isString(illegality) && isSquares(squares))],
  ['problems', ['fen'], (text) => [text], (found) => found.every(({ problem, squares }) => isString(problem) && isSquares(squares))],
  ['tablebaseAddressOfFen', ['fen'], (text) => [text], (address) => address.startsWith('https://')],
  ['fenErrors', ['text'], (text) => [text], (errors) => errors.every(({ error, at }) => isString(error) && Number.isInteger(at))],
  ['allowedFields', ['fen'], (text) => [text], ({ castling, enPassant }) => isCastling(castling) && isSquares(enPassant)],
  ['toSvg', ['fen', 'caption'], (text, argument) => (argument === 'fen' ? [text] : [START, { caption: text }]),
    (svg) => svg.startsWith('<svg') && !svg.includes('<script')],
  ['pieceSvg', ['piece'], (text) => [text], (svg) => svg.startsWith('<svg')],
  ['legalMoves', ['fen'], (text) => [text], (moves) => Array.isArray(moves) && moves.every(isMove)],
  ['perft', ['fen'], (text) => [text, 1], Number.isInteger],
  ['play', ['fen', 'move'], (text, argument) => (argument === 'fen' ? [text, 'e4'] : [START, text]), isString],
  ['outcome', ['fen'], (text) => [text], isString],
  ['endgame', ['fen'], (text) => [text], (verdict) => verdict === null || Array.isArray(verdict.moves)],
  ['endgameCoverage', ['fen'], (text) => [text], isString],
  ['endgameTable', ['fen'], (text) => [text], (table) => table === null || isString(table)],
  ['readProblem', ['text', 'language'], (text, argument) => (argument === 'text' ? [text] : ['Kg1 / Kg8 #2', text]),
    (reading) => isString(reading.fen) && reading.errors.every(({ error, at }) => isString(error) && Number.isInteger(at))],
  ['readProblems', ['text', 'language'], (text, argument) => (argument === 'text' ? [text] : ['Kg1 / Kg8 #2', text]),
    (readings) => readings.length > 0 && readings.every((reading) => isString(reading.fen) && (reading.twin === null || isString(reading.twin))
      && reading.data.every(({ field, text }) => isString(field) && isString(text)))],
  ['writeProblem', ['fen', 'stipulation', 'form'],
    (text, argument) => [argument === 'fen' ? text : START, argument === 'stipulation' ? text : '#2', argument === 'form' ? text : 'popeye'], isString],
  ['solve', ['fen', 'stipulation'], (text, argument) => (argument === 'fen' ? [text, '#1'] : [MATE_IN_ONE, text]),
    (solving) => ['solved', 'stipulation', 'unplayable'].includes(solving.status) && Array.isArray(solving.solutions) && isString(solving.text)],
];

test('every exported function is in the table', () => {
  const exported = Object.keys(piecefen).filter((name) => typeof piecefen[name] === 'function').sort();
  assert.deepEqual(FUNCTIONS.map(([name]) => name).sort(), exported);
});

test('hostile text in every string argument: an answer of its type, or a TypeError that names the argument', () => {
  for (const [name, argumentNames, argumentsOf, fits] of FUNCTIONS) {
    for (const argument of argumentNames) {
      for (const text of HOSTILE) {
        const label = `${name}(${argument}: ${JSON.stringify(text.slice(0, 40))})`;
        let answer;
        try {
          answer = piecefen[name](...argumentsOf(text, argument));
        } catch (error) {
          assert.ok(error instanceof TypeError, `${label} threw ${error}`);
          assert.match(error.message, new RegExp(`\\b${argument}\\b`), label);
          continue;
        }
        assert.ok(fits(answer), label);
      }
    }
  }
});

test('a caller\'s text comes back as the text it was, never as structure', () => {
  for (const stipulation of [INJECTION, '#"2', '#2\u2028', '\\', 'é']) {
    const solving = piecefen.solve(MATE_IN_ONE, stipulation);
    assert.equal(solving.status, 'stipulation', stipulation);
    assert.equal(solving.cooked, false);
    assert.deepEqual(Object.keys(solving), ['status', 'stipulation', 'cooked', 'unlisted', 'moves', 'setPlay', 'solutions', 'tries', 'lines', 'text']);
  }
  assert.equal(piecefen.solve(MATE_IN_ONE, '#1').solutions[0].key.san, 'Ra8#');
  // The record's bytes come back one character each, whatever they are.
  const board = '\u0080\u00ff"\\\u0000'.padEnd(64, '.');
  assert.ok(piecefen.writeFen({ ...piecefen.readFen(START), board }).startsWith(`${board.slice(0, 5)}3/8/`));
  assert.equal(piecefen.readFen('"\\x\u00e95/8/8/8/8/8/8/8 w - - 0 1').board.slice(0, 5), '"\\x\u00c3\u00a9');
  const caption = '"<&>\u2028😀';
  assert.ok(piecefen.toSvg(START, { caption }).includes('&quot;&lt;&amp;&gt;\u2028😀'));
});
