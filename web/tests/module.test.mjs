// SPDX-License-Identifier: MIT
// The boundary between JavaScript and the module: text in as UTF-8, bytes out one
// character each, and plain values; what the library does with them, its own tables test.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';

const { toFen, tablebaseAddress, toPieceList, readFen, writeFen, problems, tablebaseAddressOfFen, fenErrors, allowedFields } =
  await import(`${PACKAGE}/piecefen-node.js`);

const EMPTY = '8/8/8/8/8/8/8/8 w - - 0 1';

test('texts of any content cross intact, as UTF-8', () => {
  const cases = [
    ['Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7', '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1'],
    ['', EMPTY],
    // A NUL does not end the text: the queen after it is read.
    ['Ke1\0Qd1', '8/8/8/8/8/8/8/3QK3 w - - 0 1'],
    // Characters beyond ASCII are several bytes, each of them skipped.
    ['Ke1 é 😀 \ud800 Qd1', '8/8/8/8/8/8/8/3QK3 w - - 0 1'],
    // A file letter ends the reading, so the megabyte before the queen must be read whole.
    ['€'.repeat(350_000) + ' Ke1 / Qd1', '8/8/8/8/8/8/8/3qK3 w - - 0 1'],
  ];
  for (const [pieceList, fen] of cases) {
    assert.equal(toFen(pieceList), fen, pieceList.slice(0, 20));
    assert.equal(tablebaseAddress(pieceList), `https://syzygy-tables.info/?fen=${fen.replaceAll(' ', '_')}`);
  }
  assert.equal(toPieceList('8/8/8/4k3/8/8/8/4K2R w K - 12 40'), 'Ke1 Rh1 / Ke5');
  assert.equal(toPieceList('x'.repeat(1_000_000)), '');
});

test('readFen gives the record as a plain object', () => {
  assert.deepEqual(readFen('rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 12 40'), {
    board: 'rnbqkbnrpppppppp....................P...........PPPP.PPPRNBQKBNR',
    sideToMove: 1,
    castling: [[true, false], [false, true]],
    enPassant: 'e3',
    halfmoveClock: 12,
    moveNumber: 40,
  });
  assert.deepEqual(readFen(''), {
    board: '.'.repeat(64), sideToMove: 0, castling: [[false, false], [false, false]],
    enPassant: '-', halfmoveClock: 0, moveNumber: 1,
  });
});

test('writeFen writes back what readFen reads, whatever field was changed', () => {
  const cases = [
    ['rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 12 40', 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b Kq e3 12 40'],
    ['', '8/8/8/8/8/8/8/8 w - - 0 1'],
    // Bytes beyond ASCII go back one a character: é is two squares, which moves the rest one on, and € gives its first two bytes.
    ['é6k/8/8/8/8/8/8/4K3 w - €', '\xc3\xa96/k7/8/8/8/8/8/5K2 w - \xe2\x82 0 1'],
  ];
  for (const [fen, written] of cases) assert.equal(writeFen(readFen(fen)), written, fen);
  const position = readFen('4k3/8/8/8/8/8/8/4K2R w K - 0 1');
  Object.assign(position, { board: `${'.'.repeat(63)}\xff`, sideToMove: 1, castling: [[false, true], [true, false]],
    enPassant: 'x\0', halfmoveClock: -1, moveNumber: 2 ** 31 - 1 });
  assert.equal(writeFen(position), '8/8/8/8/8/8/8/7\xff b Qk x\0  2147483647');
  // Each wrongly typed field is refused by name, never written as something else.
  const refused = [
    [null, 'board'], ['e4', 'board'], [{ board: undefined }, 'board'], [{ board: '.'.repeat(63) }, 'board'], [{ board: '€'.repeat(64) }, 'board'],
    [{ sideToMove: 'b' }, 'sideToMove'], [{ sideToMove: 2 }, 'sideToMove'], [{ sideToMove: true }, 'sideToMove'],
    [{ castling: [true, false] }, 'castling'], [{ castling: [[false, 'false'], [false, false]] }, 'castling'],
    [{ castling: [[0, 1], [0, 0]] }, 'castling'], [{ enPassant: 3 }, 'enPassant'],
    [{ halfmoveClock: 1e10 }, 'halfmoveClock'], [{ halfmoveClock: 1.5 }, 'halfmoveClock'], [{ halfmoveClock: '3' }, 'halfmoveClock'],
    [{ moveNumber: undefined }, 'moveNumber'], [{ moveNumber: 2 ** 31 }, 'moveNumber'], [{ moveNumber: NaN }, 'moveNumber'],
  ];
  for (const [change, field] of refused) {
    const record = change === null || typeof change === 'string' ? change : { ...position, ...change };
    assert.throws(() => writeFen(record), (error) => error instanceof TypeError && error.message.includes(field), field);
  }
});

test('fenErrors says where a text departs from FEN, as an index into the string', () => {
  const cases = [
    ['rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1', []],
    ['8/8/8/8/8/2k5/8/K1Q5  w - - 0 1', [{ error: 'space', at: 21 }]],
    ['4k3/8/8/8/8/8/8/4K3 W - x 0 0 1', [{ error: 'side', at: 20 }, { error: 'en-passant', at: 24 },
      { error: 'move-number', at: 28 }, { error: 'fields', at: 30 }]],
    ['', [{ error: 'ranks', at: 0 }]],
    // A character of several bytes is named once, at its own index; one past U+FFFF takes two.
    ['é5k/8/8/8/8/8/8/4K3 b', [{ error: 'board-character', at: 0 }]],
    ['😀é4k/8/8/8/8/8/8/4K3 x', [{ error: 'board-character', at: 0 }, { error: 'board-character', at: 2 },
      { error: 'rank-length', at: 3 }, { error: 'side', at: 22 }]],
    ['\ud800\ud800 4k3/8/8/8/8/8/8/4K3', [{ error: 'board-character', at: 0 }, { error: 'board-character', at: 1 },
      { error: 'rank-length', at: 1 }, { error: 'ranks', at: 1 }, { error: 'side', at: 3 }]],
  ];
  for (const [fen, expected] of cases) {
    assert.deepEqual(fenErrors(fen), expected, fen);
    for (const { at } of expected) assert.ok(at < fen.length || fen === '', fen);
  }
  // What writeFen writes is FEN, for every record the piece-list reader gives.
  for (const pieceList of ['', 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7', 'Pa8h8a1 / Kb5']) {
    assert.deepEqual(fenErrors(writeFen(readFen(toFen(pieceList)))), [], pieceList);
  }
});

test('an answer of any length converts, and its block is freed when it cannot be read', async () => {
  const { bind } = await import(`${PACKAGE}/bindings.js`);
  const { instance } = await WebAssembly.instantiate(await readFile(`${PACKAGE}/piecefen.wasm`), {});
  const module = bind(instance.exports);
  const position = module.readFen(EMPTY);
  const long = 'e'.repeat(200_000);
  assert.equal(module.writeFen({ ...position, enPassant: long }), `8/8/8/8/8/8/8/8 w - ${long} 0 1`);
  module.writeFen(position);
  const size = instance.exports.memory.buffer.byteLength;
  for (let call = 0; call < 1000; ++call) module.writeFen({ ...position, enPassant: long });
  assert.equal(instance.exports.memory.buffer.byteLength, size);
});

test('answers have one character per byte, whatever bytes the record holds', () => {
  // U+0080 is the bytes C2 80: a decoder for windows-1252 would give "Â€" instead.
  const odd = readFen('é\u0080\0 w - \u00ff 1 2');
  assert.equal(odd.board, '\xc3\xa9\xc2\x80\0' + '.'.repeat(59));
  assert.equal(odd.board.length, 64);
  assert.equal(odd.enPassant, '\xc3\xbf');
  assert.equal(readFen('8/8/8/8/8/8/8/8 w - €').enPassant, '\xe2\x82');
  assert.equal(toFen('x'), EMPTY);
});

test('problems come in the library\'s order with their squares named, over the record readFen gives', () => {
  const cases = [
    ['rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1', []],
    ['4k3/8/8/8/8/8/4R3/4K3 w - - 0 1', [{ problem: 'opposite-check', squares: ['e8', 'e2'] }]],
    ['', [{ problem: 'empty', squares: [] }, { problem: 'no-white-king', squares: [] }, { problem: 'no-black-king', squares: [] }]],
    // Bytes beyond ASCII are squares of their own, one a byte, as readFen shows them.
    ['é6k/8/8/8/8/8/8/4K3 w - e9', [{ problem: 'bad-en-passant', squares: [] }, { problem: 'not-a-piece', squares: ['a8', 'b8'] }]],
  ];
  for (const [fen, expected] of cases) assert.deepEqual(problems(fen), expected, fen);
  assert.deepEqual(allowedFields('r3k2r/8/8/8/PpP5/8/8/R3K1R1 b - - 0 1'),
    { castling: [[false, true], [true, true]], enPassant: ['a3', 'c3'] });
  assert.deepEqual(allowedFields('4k3/8/8/pP6/8/8/8/4K3 w KQkq - 0 1'), { castling: [[false, false], [false, false]], enPassant: ['a6'] });
  assert.equal(tablebaseAddressOfFen('8/8/8/4k3/8/8/8/4K2R w K - 12 40'), 'https://syzygy-tables.info/?fen=8/8/8/4k3/8/8/8/4K2R_w_K_-_12_40');
  assert.equal(tablebaseAddressOfFen('4k3/8/8/8/8/8/8/4K3 b'), `https://syzygy-tables.info/?fen=4k3/8/8/8/8/8/8/4K3_b_-_-_0_1`);
});

test('anything but a string is a TypeError', () => {
  for (const notText of [undefined, null, 42, {}, ['Ke1'], new String('Ke1'), Symbol('Ke1')]) {
    for (const operation of [toFen, tablebaseAddress, toPieceList, readFen, problems, tablebaseAddressOfFen, fenErrors, allowedFields]) {
      assert.throws(() => operation(notText), TypeError);
    }
  }
});

test('memory does not grow with the number of calls', async () => {
  const { bind } = await import(`${PACKAGE}/bindings.js`);
  const { instance } = await WebAssembly.instantiate(await readFile(`${PACKAGE}/piecefen.wasm`), {});
  const module = bind(instance.exports);
  const long = 'Ka1 '.repeat(25_000);
  const round = () => {
    for (let call = 0; call < 500; ++call) {
      module.toFen(long);
      module.tablebaseAddress('Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7');
      module.toPieceList(long);
      module.writeFen(module.readFen('rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1'));
      module.problems('kkkkkkkk/QQQQQQQQ/8/8/8/8/8/8 w KQkq e4 0 1');
    }
  };
  round();
  const size = instance.exports.memory.buffer.byteLength;
  for (let rounds = 0; rounds < 10; ++rounds) round();
  assert.equal(instance.exports.memory.buffer.byteLength, size);
});
