// SPDX-License-Identifier: MIT
// The four operations over an instantiated piecefen module. The C++ code keeps every rule;
// this side only moves bytes and builds plain values. The page's build inlines this file
// with its one `export` taken away, so it imports nothing.

const encoder = new TextEncoder();

// A little-endian 32-bit word, as the module writes its lengths and counters.
const word = (heap, at) => heap[at] | (heap[at + 1] << 8) | (heap[at + 2] << 16) | (heap[at + 3] << 24);

// One character per byte, whatever the byte (a "latin1" TextDecoder would turn 0x80 to
// 0x9f into other characters); every answer is short, under 200 bytes.
const text = (heap, start, end) => String.fromCharCode.apply(null, heap.subarray(start, end));

export function bind(wasm) {
  const { memory } = wasm;
  // A view of the memory stops working when the memory grows, so it is made again then.
  let heap = new Uint8Array(memory.buffer);
  const view = () => (heap.buffer === memory.buffer ? heap : (heap = new Uint8Array(memory.buffer)));

  // Hands the text to one of the module's operations as UTF-8, then lets `read` take what
  // it needs of the answer's bytes, from `start` to `end` of the view, before they are freed.
  function call(operation, input, read) {
    if (typeof input !== 'string') {
      throw new TypeError(`piecefen: expected a string, got ${input === null ? 'null' : typeof input}`);
    }
    // No UTF-16 code unit takes more than three bytes of UTF-8.
    const capacity = 3 * input.length;
    const bytes = wasm.piecefen_alloc(capacity);
    const { written } = encoder.encodeInto(input, view().subarray(bytes, bytes + capacity));
    const block = operation(bytes, written);
    wasm.piecefen_free(bytes);
    const answer = view();
    const start = block + 4;
    const result = read(answer, start, start + word(answer, block));
    wasm.piecefen_free(block);
    return result;
  }

  return {
    toFen: (pieceList) => call(wasm.piecefen_to_fen, pieceList, text),
    tablebaseAddress: (pieceList) => call(wasm.piecefen_tablebase_address, pieceList, text),
    toPieceList: (fen) => call(wasm.piecefen_to_piece_list, fen, text),
    // The record comes as the 64 squares, four castling bytes, three counters, then the
    // en-passant text.
    readFen: (fen) => call(wasm.piecefen_read_fen, fen, (heap, start, end) => ({
      board: text(heap, start, start + 64),
      sideToMove: word(heap, start + 68),
      castling: [[heap[start + 64] === 1, heap[start + 65] === 1], [heap[start + 66] === 1, heap[start + 67] === 1]],
      enPassant: text(heap, start + 80, end),
      halfmoveClock: word(heap, start + 72),
      moveNumber: word(heap, start + 76),
    })),
  };
}
