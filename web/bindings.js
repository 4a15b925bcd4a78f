// SPDX-License-Identifier: MIT
// The operations over an instantiated piecefen module. The C++ code keeps every rule;
// this side only moves bytes and builds plain values. The page's build inlines this file
// with its `export` words taken away, so it imports nothing.

const encoder = new TextEncoder();

// A little-endian 32-bit word, as the module writes its lengths and counters.
const word = (heap, at) => heap[at] | (heap[at + 1] << 8) | (heap[at + 2] << 16) | (heap[at + 3] << 24);

// One character per byte, whatever the byte (a "latin1" TextDecoder would turn 0x80 to
// 0x9f into other characters); every answer is short, under 200 bytes.
const text = (heap, start, end) => String.fromCharCode.apply(null, heap.subarray(start, end));

// Where readFen's answer keeps each field after the 64 squares, as Module.cpp writes it;
// the tests compare these with the module's own piecefen_record_layout.
export const RECORD_LAYOUT = Object.freeze({ castling: 64, sideToMove: 68, halfmoveClock: 72, moveNumber: 76, enPassant: 80 });

const oneByteEach = (value) => typeof value === 'string' && /^[\x00-\xff]*$/.test(value);
const isPair = (value) => Array.isArray(value) && value.length === 2;

// The block the module reads a record from: its fields at RECORD_LAYOUT's offsets, one byte
// a character of the board and the en-passant text, as readFen gives them.
function recordBytes(position) {
  const { board, sideToMove, castling, enPassant, halfmoveClock, moveNumber } = position ?? {};
  if (!oneByteEach(board) || board.length !== 64 || !oneByteEach(enPassant) || !isPair(castling) || !castling.every(isPair)) {
    throw new TypeError('piecefen: expected a record as readFen gives one: 64 squares, castling rights and the en-passant text');
  }
  const bytes = new Uint8Array(RECORD_LAYOUT.enPassant + enPassant.length);
  const words = new DataView(bytes.buffer);
  for (let at = 0; at < 64; ++at) bytes[at] = board.charCodeAt(at);
  castling.flat().forEach((right, at) => { bytes[RECORD_LAYOUT.castling + at] = right ? 1 : 0; });
  words.setInt32(RECORD_LAYOUT.sideToMove, Number(sideToMove) | 0, true);
  words.setInt32(RECORD_LAYOUT.halfmoveClock, Number(halfmoveClock) | 0, true);
  words.setInt32(RECORD_LAYOUT.moveNumber, Number(moveNumber) | 0, true);
  for (let at = 0; at < enPassant.length; ++at) bytes[RECORD_LAYOUT.enPassant + at] = enPassant.charCodeAt(at);
  return bytes;
}

// The names of the 64 squares in the record's order, a8 first.
const SQUARES = Array.from({ length: 64 }, (_, index) => 'abcdefgh'[index % 8] + (8 - Math.floor(index / 8)));

export function bind(wasm) {
  const { memory } = wasm;
  // A view of the memory stops working when the memory grows, so it is made again then.
  let heap = new Uint8Array(memory.buffer);
  const view = () => (heap.buffer === memory.buffer ? heap : (heap = new Uint8Array(memory.buffer)));

  // Hands the text to one of the module's operations as UTF-8, then lets `take` have the
  // answer's bytes.
  function call(operation, input, take) {
    if (typeof input !== 'string') {
      throw new TypeError(`piecefen: expected a string, got ${input === null ? 'null' : typeof input}`);
    }
    // No UTF-16 code unit takes more than three bytes of UTF-8.
    const capacity = 3 * input.length;
    const bytes = wasm.piecefen_alloc(capacity);
    const { written } = encoder.encodeInto(input, view().subarray(bytes, bytes + capacity));
    const block = operation(bytes, written);
    wasm.piecefen_free(bytes);
    return read(block, take);
  }

  // The same for bytes that go to the module as they are.
  function callWithBytes(operation, input, take) {
    const bytes = wasm.piecefen_alloc(input.length);
    view().set(input, bytes);
    const block = operation(bytes, input.length);
    wasm.piecefen_free(bytes);
    return read(block, take);
  }

  // Lets `take` have an answer's bytes, from `start` to `end` of the view, then frees them.
  function read(block, take) {
    const answer = view();
    const start = block + 4;
    const result = take(answer, start, start + word(answer, block));
    wasm.piecefen_free(block);
    return result;
  }

  // The kinds' names, as the module gives them, in the order of their numbers.
  const problemNames = [];
  for (let name; (name = read(wasm.piecefen_problem_name(problemNames.length), text)) !== '';) problemNames.push(name);

  // Each problem comes as its kind in one byte and its squares as two words, the low one first.
  const problemList = (heap, start, end) => {
    const list = [];
    for (let at = start; at < end; at += 9) {
      const squares = [];
      for (let half = 0; half < 2; ++half) {
        for (let bits = word(heap, at + 1 + 4 * half); bits !== 0; bits &= bits - 1) {
          squares.push(SQUARES[32 * half + 31 - Math.clz32(bits & -bits)]);
        }
      }
      list.push({ problem: problemNames[heap[at]], squares });
    }
    return list;
  };

  return {
    toFen: (pieceList) => call(wasm.piecefen_to_fen, pieceList, text),
    tablebaseAddress: (pieceList) => call(wasm.piecefen_tablebase_address, pieceList, text),
    toPieceList: (fen) => call(wasm.piecefen_to_piece_list, fen, text),
    readFen: (fen) => call(wasm.piecefen_read_fen, fen, (heap, start, end) => {
      const at = (field) => start + RECORD_LAYOUT[field];
      const right = (index) => heap[at('castling') + index] === 1;
      return {
        board: text(heap, start, start + 64),
        sideToMove: word(heap, at('sideToMove')),
        castling: [[right(0), right(1)], [right(2), right(3)]],
        enPassant: text(heap, at('enPassant'), end),
        halfmoveClock: word(heap, at('halfmoveClock')),
        moveNumber: word(heap, at('moveNumber')),
      };
    }),
    writeFen: (position) => callWithBytes(wasm.piecefen_write_fen, recordBytes(position), text),
    problems: (fen) => call(wasm.piecefen_problems, fen, problemList),
    tablebaseAddressOfFen: (fen) => call(wasm.piecefen_tablebase_address_of_fen, fen, text),
  };
}
