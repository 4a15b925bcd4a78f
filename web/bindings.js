// SPDX-License-Identifier: MIT
// The operations over an instantiated piecefen module. The C++ code keeps every rule;
// this side only moves bytes and builds plain values. It imports nothing, so that the page's
// build can inline it for the page's own import of it.

const encoder = new TextEncoder();

// A little-endian 32-bit word, as the module writes its lengths and counters.
const word = (heap, at) => heap[at] | (heap[at + 1] << 8) | (heap[at + 2] << 16) | (heap[at + 3] << 24);

// One character per byte, whatever the byte (a "latin1" TextDecoder would turn 0x80 to
// 0x9f into other characters); taken a slice at a time, since a call can spread only so
// many arguments onto the stack.
const SLICE = 0x2000;
const text = (heap, start, end) => {
  let result = '';
  for (let at = start; at < end; at += SLICE) result += String.fromCharCode.apply(null, heap.subarray(at, Math.min(at + SLICE, end)));
  return result;
};

// Where readFen's answer keeps each field after the 64 squares, as Module.cpp writes it;
// the tests compare these with the module's own piecefen_record_layout.
export const RECORD_LAYOUT = Object.freeze({ castling: 64, sideToMove: 68, halfmoveClock: 72, moveNumber: 76, enPassant: 80 });

const oneByteEach = (value) => typeof value === 'string' && /^[\x00-\xff]*$/.test(value);
const isPair = (value) => Array.isArray(value) && value.length === 2;
const isInt = (value) => Number.isInteger(value) && value >= -(2 ** 31) && value < 2 ** 31;

// Refuses a record's field that the module could only write as something else.
function refuse(field, expected) {
  throw new TypeError(`piecefen: writeFen expected ${field} to be ${expected}`);
}

// The block the module reads a record from: its fields at RECORD_LAYOUT's offsets, one byte
// a character of the board and the en-passant text, as readFen gives them.
function recordBytes(position) {
  const { board, sideToMove, castling, enPassant, halfmoveClock, moveNumber } = position ?? {};
  if (!oneByteEach(board) || board.length !== 64) refuse('board', '64 characters, none beyond U+00FF');
  if (sideToMove !== 0 && sideToMove !== 1) refuse('sideToMove', '0 or 1');
  if (!isPair(castling) || !castling.every((wings) => isPair(wings) && wings.every((right) => typeof right === 'boolean'))) {
    refuse('castling', 'two pairs of booleans');
  }
  if (!oneByteEach(enPassant)) refuse('enPassant', 'a string with no character beyond U+00FF');
  if (!isInt(halfmoveClock)) refuse('halfmoveClock', 'a whole number in the 32-bit range');
  if (!isInt(moveNumber)) refuse('moveNumber', 'a whole number in the 32-bit range');
  const bytes = new Uint8Array(RECORD_LAYOUT.enPassant + enPassant.length);
  const words = new DataView(bytes.buffer);
  for (let at = 0; at < 64; ++at) bytes[at] = board.charCodeAt(at);
  castling.flat().forEach((right, at) => { bytes[RECORD_LAYOUT.castling + at] = right ? 1 : 0; });
  words.setInt32(RECORD_LAYOUT.sideToMove, sideToMove, true);
  words.setInt32(RECORD_LAYOUT.halfmoveClock, halfmoveClock, true);
  words.setInt32(RECORD_LAYOUT.moveNumber, moveNumber, true);
  for (let at = 0; at < enPassant.length; ++at) bytes[RECORD_LAYOUT.enPassant + at] = enPassant.charCodeAt(at);
  return bytes;
}

// The index in `string` of the character that holds each of the ascending UTF-8 byte
// `offsets`, as encodeInto writes the string (a lone surrogate as the three bytes of U+FFFD).
function indicesOf(string, offsets) {
  let byte = 0;
  let index = 0;
  return offsets.map((offset) => {
    while (index < string.length) {
      const code = string.codePointAt(index);
      const size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
      if (byte + size > offset) break;
      byte += size;
      index += size === 4 ? 2 : 1;
    }
    return index;
  });
}

// The names of the 64 squares in the record's order, a8 first.
export const SQUARES = Array.from({ length: 64 }, (_, index) => 'abcdefgh'[index % 8] + (8 - Math.floor(index / 8)));

// A diagram's options and their defaults, as the C++ library names them.
export const DIAGRAM_DEFAULTS = Object.freeze({
  size: 360, flipped: false, coordinates: true, border: true, sideToMove: false, marks: Object.freeze([]),
  arrows: Object.freeze([]), caption: '', count: false, theme: 'classic',
});
const FLAGS = { flipped: 1, coordinates: 2, border: 4, sideToMove: 8, count: 16 };
const THEMES = ['classic', 'print'];
const MAX_SIZE = 100_000;

function refuseOption(name, expected) {
  throw new TypeError(`piecefen: toSvg expected the option ${name} to be ${expected}`);
}

function squareOf(name, option) {
  const index = typeof name === 'string' ? SQUARES.indexOf(name) : -1;
  if (index < 0) refuseOption(option, 'square names such as "e4"');
  return index;
}

// The block the module reads a diagram from: the options as Module.cpp lays them out, then
// the FEN line as UTF-8.
function diagramBytes(fen, options) {
  if (typeof fen !== 'string') throw new TypeError(`piecefen: expected a string, got ${fen === null ? 'null' : typeof fen}`);
  if (options === null || typeof options !== 'object' || Array.isArray(options)) {
    throw new TypeError('piecefen: toSvg expected its options as an object');
  }
  for (const name of Object.keys(options)) {
    if (!Object.hasOwn(DIAGRAM_DEFAULTS, name)) throw new TypeError(`piecefen: toSvg has no option ${name}`);
  }
  const chosen = { ...DIAGRAM_DEFAULTS };
  for (const [name, value] of Object.entries(options)) if (value !== undefined) chosen[name] = value;
  const { size, marks, arrows, caption, theme } = chosen;
  if (!Number.isInteger(size) || size < 1 || size > MAX_SIZE) refuseOption('size', `a whole number from 1 to ${MAX_SIZE}`);
  let flags = THEMES.indexOf(theme) * 32;
  if (flags < 0) refuseOption('theme', '"classic" or "print"');
  for (const [name, bit] of Object.entries(FLAGS)) {
    if (typeof chosen[name] !== 'boolean') refuseOption(name, 'a boolean');
    if (chosen[name]) flags |= bit;
  }
  if (!Array.isArray(marks)) refuseOption('marks', 'an array of square names such as "e4"');
  if (!Array.isArray(arrows) || !arrows.every((arrow) => typeof arrow === 'object' && arrow !== null)) {
    refuseOption('arrows', 'an array of { from, to } with square names');
  }
  if (typeof caption !== 'string') refuseOption('caption', 'a string');
  const captionBytes = encoder.encode(caption);
  const fenBytes = encoder.encode(fen);
  const arrowsAt = 17;
  const captionAt = arrowsAt + 2 * arrows.length + 4;
  const bytes = new Uint8Array(captionAt + captionBytes.length + fenBytes.length);
  const words = new DataView(bytes.buffer);
  words.setUint32(0, size, true);
  bytes[4] = flags;
  for (const square of marks) {
    const index = squareOf(square, 'marks');
    bytes[5 + (index >> 3)] |= 1 << (index & 7);
  }
  words.setUint32(13, arrows.length, true);
  arrows.forEach(({ from, to }, at) => {
    bytes[arrowsAt + 2 * at] = squareOf(from, 'arrows');
    bytes[arrowsAt + 2 * at + 1] = squareOf(to, 'arrows');
  });
  words.setUint32(captionAt - 4, captionBytes.length, true);
  bytes.set(captionBytes, captionAt);
  bytes.set(fenBytes, captionAt + captionBytes.length);
  return bytes;
}

// The names of the squares in a set of 64 bits, two words at `at` with the low one first.
function squaresAt(heap, at) {
  const squares = [];
  for (let half = 0; half < 2; ++half) {
    for (let bits = word(heap, at + 4 * half); bits !== 0; bits &= bits - 1) squares.push(SQUARES[32 * half + 31 - Math.clz32(bits & -bits)]);
  }
  return squares;
}

const decoder = new TextDecoder();
const utf8 = (heap, start, end) => decoder.decode(heap.subarray(start, end));

export function bind(wasm) {
  const { memory } = wasm;
  // A view of the memory stops working when the memory grows, so it is made again then.
  let heap = new Uint8Array(memory.buffer);
  const view = () => (heap.buffer === memory.buffer ? heap : (heap = new Uint8Array(memory.buffer)));

  // Hands the text to one of the module's operations as UTF-8, then lets `take` have the
  // answer's bytes.
  function call(operation, input, take) {
    return read(withText(operation, input), take);
  }

  // Hands the text to an operation as UTF-8 and gives back what it returns.
  function withText(operation, input) {
    if (typeof input !== 'string') {
      throw new TypeError(`piecefen: expected a string, got ${input === null ? 'null' : typeof input}`);
    }
    // No UTF-16 code unit takes more than three bytes of UTF-8.
    const capacity = 3 * input.length;
    const bytes = wasm.piecefen_alloc(capacity);
    try {
      const { written } = encoder.encodeInto(input, view().subarray(bytes, bytes + capacity));
      return operation(bytes, written);
    } finally {
      wasm.piecefen_free(bytes);
    }
  }

  // The same for bytes that go to the module as they are.
  function callWithBytes(operation, input, take) {
    const bytes = wasm.piecefen_alloc(input.length);
    let block;
    try {
      view().set(input, bytes);
      block = operation(bytes, input.length);
    } finally {
      wasm.piecefen_free(bytes);
    }
    return read(block, take);
  }

  // Lets `take` have an answer's bytes, from `start` to `end` of the view, then frees them,
  // whatever `take` does.
  function read(block, take) {
    try {
      const answer = view();
      const start = block + 4;
      return take(answer, start, start + word(answer, block));
    } finally {
      wasm.piecefen_free(block);
    }
  }

  // The kinds' names, as the module gives them, in the order of their numbers.
  const namesOf = (operation) => {
    const names = [];
    for (let name; (name = read(operation(names.length), text)) !== '';) names.push(name);
    return names;
  };
  const problemNames = namesOf(wasm.piecefen_problem_name);
  const fenErrorNames = namesOf(wasm.piecefen_fen_error_name);

  // Each problem comes as its kind in one byte and its squares as two words, the low one first.
  const problemList = (heap, start, end) => {
    const list = [];
    for (let at = start; at < end; at += 9) list.push({ problem: problemNames[heap[at]], squares: squaresAt(heap, at + 1) });
    return list;
  };

  const outcomeNames = namesOf(wasm.piecefen_outcome_name);
  const coverageNames = namesOf(wasm.piecefen_endgame_coverage_name);

  // A number of plies as the module writes it, or null for "-".
  const pliesOf = (field) => (field === '-' ? null : Number(field));
  // The moves the side that mates needs: 19 plies is mate in 10, -56 mated in 28.
  const mateIn = (dtm) => (dtm === null ? null : Math.ceil(Math.abs(dtm) / 2));

  // The verdict's lines: the position's "category dtm fifty", then "uci san category dtm"
  // for each move.
  const verdictOf = (heap, start, end) => {
    if (start === end) return null;
    const [head, ...moves] = text(heap, start, end).split('\n');
    const [category, dtm, fifty] = head.split(' ');
    return {
      category,
      dtm: pliesOf(dtm),
      mateIn: mateIn(pliesOf(dtm)),
      fiftyMoveRuleMayMatter: fifty === '1',
      moves: moves.map((line) => {
        const [uci, san, moveCategory, moveDtm] = line.split(' ');
        return { uci, san, category: moveCategory, dtm: pliesOf(moveDtm) };
      }),
    };
  };

  const problemErrorNames = namesOf(wasm.piecefen_problem_error_name);
  const LANGUAGES = ['en', 'de', 'fr'];
  const FORMS = ['popeye', 'pdb', 'yacpdb', 'latex-diagram', 'latex-skak', 'caption'];

  // The reading's lines: FEN, stipulation, count, language, the languages that fit, errors.
  const readingOf = (heap, start, end) => {
    const [fen, stipulation, count, language, fitting, ...errors] = text(heap, start, end).split('\n');
    const reading = {
      fen,
      stipulation: stipulation || null,
      count: count === '-' ? null : count.split(' ').map(Number),
      language: language || null,
      errors: errors.map((line) => {
        const [kind, at] = line.split(' ').map(Number);
        return { error: problemErrorNames[kind], at };
      }),
    };
    if (fitting !== '') reading.languages = fitting.trim().split(' ');
    return reading;
  };

  // A FEN line's text, refused as call() refuses it where it is put inside another text.
  const fenText = (fen) => {
    if (typeof fen !== 'string') throw new TypeError(`piecefen: expected a string, got ${fen === null ? 'null' : typeof fen}`);
    return fen;
  };

  return {
    legalMoves: (fen) => call(wasm.piecefen_legal_moves, fen, (heap, start, end) => {
      const moves = [];
      for (let at = start; at < end;) {
        const move = { from: SQUARES[heap[at]], to: SQUARES[heap[at + 1]] };
        if (heap[at + 2] !== 0) move.promotion = String.fromCharCode(heap[at + 2]);
        at += 3;
        for (const name of ['uci', 'san']) {
          move[name] = text(heap, at + 1, at + 1 + heap[at]);
          at += 1 + heap[at];
        }
        moves.push(move);
      }
      return moves;
    }),
    perft: (fen, depth) => {
      if (!Number.isInteger(depth) || depth < 0 || depth > 20) throw new TypeError('piecefen: perft expected depth to be a whole number from 0 to 20');
      return call((bytes, size) => wasm.piecefen_perft(bytes, size, depth), fen,
        (heap, start) => (word(heap, start) >>> 0) + (word(heap, start + 4) >>> 0) * 2 ** 32);
    },
    play: (fen, move) => {
      if (typeof move !== 'string') throw new TypeError(`piecefen: play expected the move as a string, got ${move === null ? 'null' : typeof move}`);
      const after = move.includes('\n') ? '' : call(wasm.piecefen_play, `${move}\n${fenText(fen)}`, text);
      if (after === '') throw new TypeError(`piecefen: ${JSON.stringify(move)} is not a legal move in ${fen}`);
      return after;
    },
    outcome: (fen) => outcomeNames[withText(wasm.piecefen_outcome, fen)],
    endgame: (fen, { onProgress } = {}) => {
      if (onProgress !== undefined && typeof onProgress !== 'function') throw new TypeError('piecefen: endgame expected onProgress to be a function');
      // The tables are worked out a slice at a time, so that the caller hears how far it is.
      if (withText(wasm.piecefen_endgame_prepare, fen) === 1) {
        const table = call(wasm.piecefen_endgame_table, fen, text);
        for (let done = 0; done < 1000;) {
          done = wasm.piecefen_endgame_work();
          onProgress?.({ table, fraction: done / 1000 });
        }
      }
      return call(wasm.piecefen_endgame, fen, verdictOf);
    },
    readProblem: (problemText, language) => {
      if (language !== undefined && !LANGUAGES.includes(language)) {
        throw new TypeError(`piecefen: readProblem expected the language to be one of ${LANGUAGES.join(', ')}`);
      }
      if (typeof problemText !== 'string') throw new TypeError(`piecefen: expected a string, got ${problemText === null ? 'null' : typeof problemText}`);
      const reading = call(wasm.piecefen_read_problem, `${language ?? ''}\n${problemText}`, readingOf);
      // Offsets in the text as JavaScript counts it, in UTF-16 code units, not bytes.
      const bytes = encoder.encode(problemText);
      for (const error of reading.errors) error.at = decoder.decode(bytes.subarray(0, error.at)).length;
      return reading;
    },
    writeProblem: (fen, stipulation, form) => {
      if (!FORMS.includes(form)) throw new TypeError(`piecefen: writeProblem expected the form to be one of ${FORMS.join(', ')}`);
      const given = stipulation ?? '';
      if (typeof given !== 'string' || given.includes('\n')) throw new TypeError('piecefen: writeProblem expected the stipulation as one line');
      return call(wasm.piecefen_write_problem, `${form}\n${given}\n${fenText(fen)}`, text);
    },
    solve: (fen, stipulation, { onProgress } = {}) => {
      if (onProgress !== undefined && typeof onProgress !== 'function') throw new TypeError('piecefen: solve expected onProgress to be a function');
      if (typeof stipulation !== 'string' || stipulation.includes('\n')) throw new TypeError('piecefen: solve expected the stipulation as one line');
      withText(wasm.piecefen_solve_start, `${stipulation}\n${fenText(fen)}`);
      // A first move a step, so that the caller hears how far it is.
      for (let done = 0; done < 1000;) {
        done = wasm.piecefen_solve_step();
        onProgress?.({ fraction: done / 1000 });
      }
      return JSON.parse(read(wasm.piecefen_solve_result(), text));
    },
    endgameCoverage: (fen) => coverageNames[withText(wasm.piecefen_endgame_coverage, fen)],
    endgameTable: (fen) => call(wasm.piecefen_endgame_table, fen, text) || null,
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
    allowedFields: (fen) => call(wasm.piecefen_allowed_fields, fen, (heap, start) => ({
      castling: [[heap[start] === 1, heap[start + 1] === 1], [heap[start + 2] === 1, heap[start + 3] === 1]],
      enPassant: squaresAt(heap, start + 4),
    })),
    toSvg: (fen, options = {}) => callWithBytes(wasm.piecefen_to_svg, diagramBytes(fen, options), utf8),
    pieceSvg: (piece, size = 40) => {
      if (typeof piece !== 'string' || piece.length !== 1 || piece.charCodeAt(0) > 0xff) {
        throw new TypeError('piecefen: pieceSvg expected one character of a board, such as "K" or "."');
      }
      if (!Number.isInteger(size) || size < 1 || size > MAX_SIZE) throw new TypeError(`piecefen: pieceSvg expected size to be a whole number from 1 to ${MAX_SIZE}`);
      return read(wasm.piecefen_piece_svg(piece.charCodeAt(0), size), utf8);
    },
    fenErrors: (fen) => {
      // Each error comes as its kind in one byte and its byte offset in a word; a character
      // of several bytes may be at fault in each of them, and is named once.
      const found = call(wasm.piecefen_fen_errors, fen, (heap, start, end) => {
        const list = [];
        for (let at = start; at < end; at += 5) list.push({ error: fenErrorNames[heap[at]], offset: word(heap, at + 1) });
        return list;
      });
      const indices = indicesOf(fen, found.map(({ offset }) => offset));
      return found.map(({ error }, at) => ({ error, at: indices[at] }))
        .filter(({ error, at }, place, all) => place === 0 || error !== all[place - 1].error || at !== all[place - 1].at);
    },
  };
}
