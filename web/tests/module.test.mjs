// SPDX-License-Identifier: MIT
// The boundary between JavaScript and the module: text in as UTF-8, bytes out one
// character each, and plain values; what the library does with them, its own tables test.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';

const { toFen, tablebaseAddress, toPieceList, readFen, writeFen, problems, tablebaseAddressOfFen } =
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
  Object.assign(position, { board: `${'.'.repeat(63)}\xff`, sideToMove: 7, castling: [[false, true], [true, false]],
    enPassant: 'x\0', halfmoveClock: -1, moveNumber: 1234 });
  assert.equal(writeFen(position), '8/8/8/8/8/8/8/7\xff b Qk x\0  1234');
  for (const notRecord of [null, 'e4', {}, { ...position, board: '.'.repeat(63) }, { ...position, board: '€'.repeat(64) },
    { ...position, enPassant: 3 }, { ...position, castling: [true, false] }]) {
    assert.throws(() => writeFen(notRecord), TypeError);
  }
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
  assert.equal(tablebaseAddressOfFen('8/8/8/4k3/8/8/8/4K2R w K - 12 40'), 'https://syzygy-tables.info/?fen=8/8/8/4k3/8/8/8/4K2R_w_K_-_12_40');
  assert.equal(tablebaseAddressOfFen('4k3/8/8/8/8/8/8/4K3 b'), `https://syzygy-tables.info/?fen=4k3/8/8/8/8/8/8/4K3_b_-_-_0_1`);
});

test('readFen\'s fields lie where the module writes them', async () => {
  const { RECORD_LAYOUT } = await import(`${PACKAGE}/bindings.js`);
  const { instance } = await WebAssembly.instantiate(await readFile(`${PACKAGE}/piecefen.wasm`), {});
  const words = new Uint32Array(instance.exports.memory.buffer, instance.exports.piecefen_record_layout(), 5);
  assert.deepEqual([...words], [RECORD_LAYOUT.castling, RECORD_LAYOUT.sideToMove, RECORD_LAYOUT.halfmoveClock,
    RECORD_LAYOUT.moveNumber, RECORD_LAYOUT.enPassant]);
});

test('anything but a string is a TypeError', () => {
  for (const notText of [undefined, null, 42, {}, ['Ke1'], new String('Ke1'), Symbol('Ke1')]) {
    for (const operation of [toFen, tablebaseAddress, toPieceList, readFen, problems, tablebaseAddressOfFen]) {
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
