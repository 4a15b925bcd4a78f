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

const oneByteEach = (value) => typeof value === 'string' && /^[\x00-\xff]*$/.test(value);

// Refuses an argument that is not a string, naming the function and the argument.
function expectText(operation, name, value) {
  if (typeof value !== 'string') {
    throw new TypeError(`piecefen: ${operation} expected ${name} to be a string, got ${value === null ? 'null' : typeof value}`);
  }
  return value;
}
const isPair = (value) => Array.isArray(value) && value.length === 2;
const isInt = (value) => Number.isInteger(value) && value >= -(2 ** 31) && value < 2 ** 31;

// Refuses a record's field that the module could only write as something else.
function refuse(field, expected) {
  throw new TypeError(`piecefen: writeFen expected ${field} to be ${expected}`);
}

// A record's fields as the module takes them: the board and the en-passant text a byte a
// character, as readFen gives them, then the castling rights as four bits and the numbers.
function recordFields(position) {
  const { board, sideToMove, castling, enPassant, halfmoveClock, moveNumber } = position ?? {};
  if (!oneByteEach(board) || board.length !== 64) refuse('board', '64 characters, none beyond U+00FF');
  if (sideToMove !== 0 && sideToMove !== 1) refuse('sideToMove', '0 or 1');
  if (!isPair(castling) || !castling.every((wings) => isPair(wings) && wings.every((right) => typeof right === 'boolean'))) {
    refuse('castling', 'two pairs of booleans');
  }
  if (!oneByteEach(enPassant)) refuse('enPassant', 'a string with no character beyond U+00FF');
  if (!isInt(halfmoveClock)) refuse('halfmoveClock', 'a whole number in the 32-bit range');
  if (!isInt(moveNumber)) refuse('moveNumber', 'a whole number in the 32-bit range');
  const bytesOf = (string) => Uint8Array.from(string, (character) => character.charCodeAt(0));
  const rights = castling.flat().reduce((bits, right, at) => bits | (right ? 1 << at : 0), 0);
  return { texts: [bytesOf(board), bytesOf(enPassant)], numbers: [rights, sideToMove, halfmoveClock, moveNumber] };
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

// A diagram's options as the module takes them: the FEN line and the caption as texts,
// the arrows two bytes each, then the size, the flags and the marked squares as two words.
function diagramFields(fen, options) {
  expectText('toSvg', 'fen', fen);
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
  const marked = [0, 0];
  for (const square of marks) {
    const index = squareOf(square, 'marks');
    marked[index >> 5] |= 1 << (index & 31);
  }
  const ends = new Uint8Array(2 * arrows.length);
  arrows.forEach(({ from, to }, at) => {
    ends[2 * at] = squareOf(from, 'arrows');
    ends[2 * at + 1] = squareOf(to, 'arrows');
  });
  return { texts: [fen, caption, ends], numbers: [size, flags, marked[0] >>> 0, marked[1] >>> 0] };
}

const decoder = new TextDecoder();
const utf8 = (heap, start, end) => decoder.decode(heap.subarray(start, end));

export function bind(wasm) {
  const { memory } = wasm;
  // A view of the memory stops working when the memory grows, so it is made again then.
  let heap = new Uint8Array(memory.buffer);
  const view = () => (heap.buffer === memory.buffer ? heap : (heap = new Uint8Array(memory.buffer)));

  // Hands each text to the module in a block of its own, a string as UTF-8 and bytes as
  // they are, and calls the operation with each block's address and length and then the
  // numbers; gives back what it returns.
  // An empty text needs no room of its own: they all share one byte, kept for good.
  const nowhere = wasm.piecefen_alloc(1);
  function withTexts(operation, texts, numbers = []) {
    const blocks = [];
    try {
      const fields = [];
      for (const input of texts) {
        // No UTF-16 code unit takes more than three bytes of UTF-8.
        const capacity = typeof input === 'string' ? 3 * input.length : input.length;
        if (capacity === 0) {
          fields.push(nowhere, 0);
          continue;
        }
        const at = wasm.piecefen_alloc(capacity);
        blocks.push(at);
        const room = view().subarray(at, at + capacity);
        if (typeof input === 'string') {
          fields.push(at, encoder.encodeInto(input, room).written);
        } else {
          room.set(input);
          fields.push(at, input.length);
        }
      }
      return operation(...fields, ...numbers);
    } finally {
      for (const at of blocks) wasm.piecefen_free(at);
    }
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

  const call = (operation, texts, take, numbers) => read(withTexts(operation, texts, numbers), take);

  // The same for one text, the most calls, without the lists.
  function withText(operation, input) {
    const capacity = 3 * input.length;
    if (capacity === 0) return operation(nowhere, 0);
    const at = wasm.piecefen_alloc(capacity);
    try {
      return operation(at, encoder.encodeInto(input, view().subarray(at, at + capacity)).written);
    } finally {
      wasm.piecefen_free(at);
    }
  }

  // Does the work the module lined up last a slice at a time, endgame tables or a solution
  // alike, so that the caller hears how far it is.
  const inSlices = (onProgress, heard = {}) => {
    for (let done = 0; done < 1000;) {
      done = wasm.piecefen_step();
      onProgress?.({ ...heard, fraction: done / 1000 });
    }
  };

  // Offsets in the text as JavaScript counts it, in UTF-16 code units, not bytes.
  const inUtf16 = (problemText, readings) => {
    const bytes = encoder.encode(problemText);
    for (const reading of readings) {
      for (const error of reading.errors) error.at = decoder.decode(bytes.subarray(0, error.at)).length;
    }
    return readings;
  };

  // Every answer with parts comes as JSON, which the module's one writer escapes.
  const json = (heap, start, end) => JSON.parse(utf8(heap, start, end));

  // The kinds' names, as the module gives them, in the order of their numbers.
  const namesOf = (operation) => {
    const names = [];
    for (let name; (name = read(operation(names.length), text)) !== '';) names.push(name);
    return names;
  };
  const outcomeNames = namesOf(wasm.piecefen_outcome_name);
  const coverageNames = namesOf(wasm.piecefen_endgame_coverage_name);

  // The moves the side that mates needs: 19 plies is mate in 10, -56 mated in 28.
  const mateIn = (dtm) => (dtm === null ? null : Math.ceil(Math.abs(dtm) / 2));

  const LANGUAGES = ['en', 'de', 'fr'];
  const FORMS = ['popeye', 'pdb', 'yacpdb', 'latex-diagram', 'latex-skak', 'caption'];

  // One function of a FEN line (or piece list) that answers in the given way.
  const ofText = (name, argument, operation, take) => (input) => read(withText(operation, expectText(name, argument, input)), take);

  const illegalities = ofText('illegalities', 'fen', wasm.piecefen_illegalities, json);

  return {
    legalMoves: ofText('legalMoves', 'fen', wasm.piecefen_legal_moves, (heap, start, end) => {
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
      expectText('perft', 'fen', fen);
      if (!Number.isInteger(depth) || depth < 0 || depth > 20) throw new TypeError('piecefen: perft expected depth to be a whole number from 0 to 20');
      return call(wasm.piecefen_perft, [fen], (heap, start) => (word(heap, start) >>> 0) + (word(heap, start + 4) >>> 0) * 2 ** 32, [depth]);
    },
    play: (fen, move) => {
      expectText('play', 'fen', fen);
      expectText('play', 'move', move);
      const after = call(wasm.piecefen_play, [fen, move], text);
      if (after === '') throw new TypeError(`piecefen: play expected move to be legal in the position of fen, and ${JSON.stringify(move)} is not a legal move in ${fen}`);
      return after;
    },
    outcome: (fen) => outcomeNames[withTexts(wasm.piecefen_outcome, [expectText('outcome', 'fen', fen)])],
    endgame: (fen, { onProgress } = {}) => {
      expectText('endgame', 'fen', fen);
      if (onProgress !== undefined && typeof onProgress !== 'function') throw new TypeError('piecefen: endgame expected onProgress to be a function');
      if (withText(wasm.piecefen_endgame_prepare, fen) === 1) inSlices(onProgress, { table: call(wasm.piecefen_endgame_table, [fen], text) });
      const verdict = read(withText(wasm.piecefen_endgame, fen), json);
      if (verdict === null) return null;
      const { category, dtm, fiftyMoveRuleMayMatter, moves } = verdict;
      return { category, dtm, mateIn: mateIn(dtm), fiftyMoveRuleMayMatter, moves };
    },
    readProblem: (problemText, language) => {
      expectText('readProblem', 'text', problemText);
      if (language !== undefined && !LANGUAGES.includes(language)) {
        throw new TypeError(`piecefen: readProblem expected language to be one of ${LANGUAGES.join(', ')}`);
      }
      return inUtf16(problemText, [call(wasm.piecefen_read_problem, [problemText, language ?? ''], json)])[0];
    },
    readProblems: (problemText, language) => {
      expectText('readProblems', 'text', problemText);
      if (language !== undefined && !LANGUAGES.includes(language)) {
        throw new TypeError(`piecefen: readProblems expected language to be one of ${LANGUAGES.join(', ')}`);
      }
      return inUtf16(problemText, call(wasm.piecefen_read_problems, [problemText, language ?? ''], json));
    },
    writeProblem: (fen, stipulation, form) => {
      expectText('writeProblem', 'fen', fen);
      if (!FORMS.includes(form)) throw new TypeError(`piecefen: writeProblem expected form to be one of ${FORMS.join(', ')}`);
      const given = stipulation ?? '';
      if (typeof given !== 'string' || given.includes('\n')) throw new TypeError('piecefen: writeProblem expected stipulation to be one line');
      return call(wasm.piecefen_write_problem, [fen, given, form], text);
    },
    solve: (fen, stipulation, { onProgress, options = {}, share, passOver = [] } = {}) => {
      expectText('solve', 'fen', fen);
      expectText('solve', 'stipulation', stipulation);
      if (onProgress !== undefined && typeof onProgress !== 'function') throw new TypeError('piecefen: solve expected onProgress to be a function');
      if (options === null || typeof options !== 'object') throw new TypeError('piecefen: solve expected options to be an object');
      const count = (name, fallback) => {
        const value = options[name] ?? fallback;
        if (!Number.isInteger(value) || value < 0) throw new TypeError(`piecefen: solve expected options.${name} to be a whole number`);
        return Math.min(value, 0x7fffffff);
      };
      const flags = (options.tries ? 1 : 0) | (options.setPlay ? 2 : 0) | (options.noThreat ? 4 : 0) | (options.stopOnShortSolutions ? 8 : 0) |
        (options.noShortVariations ? 16 : 0);
      const place = (value, name) => {
        if (!Number.isInteger(value) || value < 0 || value > 0x7fffffff) throw new TypeError(`piecefen: solve expected ${name} to be a whole number`);
        return value;
      };
      if (share !== undefined) {
        if (share === null || typeof share !== 'object') throw new TypeError('piecefen: solve expected share to be { part, parts }');
        if (place(share.part, 'share.part') >= place(share.parts, 'share.parts')) throw new TypeError('piecefen: solve expected share.part to be less than share.parts');
      }
      if (!Array.isArray(passOver)) throw new TypeError('piecefen: solve expected passOver to be an array of places');
      passOver.forEach((value) => place(value, 'passOver\'s places'));
      withTexts(wasm.piecefen_solve_start, [fen, stipulation], [flags, count('defences', 1), count('maxSolutions', 0)]);
      if (share !== undefined) wasm.piecefen_solve_share(share.part, share.parts);
      for (const value of passOver) wasm.piecefen_solve_pass_over(value);
      inSlices(onProgress);
      const solving = read(wasm.piecefen_solve_result(), json);
      if (share !== undefined) solving.barren = read(wasm.piecefen_solve_barren(), json);
      return solving;
    },
    endgameCoverage: (fen) => coverageNames[withTexts(wasm.piecefen_endgame_coverage, [expectText('endgameCoverage', 'fen', fen)])],
    endgameTable: (fen) => call(wasm.piecefen_endgame_table, [expectText('endgameTable', 'fen', fen)], text) || null,
    toFen: ofText('toFen', 'pieceList', wasm.piecefen_to_fen, text),
    tablebaseAddress: ofText('tablebaseAddress', 'pieceList', wasm.piecefen_tablebase_address, text),
    toPieceList: ofText('toPieceList', 'fen', wasm.piecefen_to_piece_list, text),
    readFen: ofText('readFen', 'fen', wasm.piecefen_read_fen, json),
    writeFen: (position) => {
      const { texts, numbers } = recordFields(position);
      return call(wasm.piecefen_write_fen, texts, text, numbers);
    },
    illegalities,
    // The name before 1.7, when "problem" came to mean a composition.
    problems: (fen) => illegalities(fen).map(({ illegality, squares }) => ({ problem: illegality, squares })),
    tablebaseAddressOfFen: ofText('tablebaseAddressOfFen', 'fen', wasm.piecefen_tablebase_address_of_fen, text),
    allowedFields: ofText('allowedFields', 'fen', wasm.piecefen_allowed_fields, json),
    toSvg: (fen, options = {}) => {
      const { texts, numbers } = diagramFields(fen, options);
      return call(wasm.piecefen_to_svg, texts, utf8, numbers);
    },
    pieceSvg: (piece, size = 40) => {
      if (typeof piece !== 'string' || piece.length !== 1 || piece.charCodeAt(0) > 0xff) {
        throw new TypeError('piecefen: pieceSvg expected piece to be one character of a board, such as "K" or "."');
      }
      if (!Number.isInteger(size) || size < 1 || size > MAX_SIZE) throw new TypeError(`piecefen: pieceSvg expected size to be a whole number from 1 to ${MAX_SIZE}`);
      return read(wasm.piecefen_piece_svg(piece.charCodeAt(0), size), utf8);
    },
    fenErrors: (fen) => {
      // Each error comes with its byte offset; a character of several bytes may be at
      // fault in each of them, and is named once.
      const found = call(wasm.piecefen_fen_errors, [expectText('fenErrors', 'text', fen)], json);
      const indices = indicesOf(fen, found.map(({ offset }) => offset));
      return found.map(({ error }, at) => ({ error, at: indices[at] }))
        .filter(({ error, at }, place, all) => place === 0 || error !== all[place - 1].error || at !== all[place - 1].at);
    },
  };
}
