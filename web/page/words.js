// SPDX-License-Identifier: MIT
// The position in words: each illegality, the flags on its squares, and where a line
// departs from FEN.
import { COLOURS, count } from './library.js';
import { indexOfName } from './state.js';

// Each illegality with its king first and its side named, and short flags for the
// squares an illegality names.
export function colourOf(byte) {
  if (/^[KQRBNP]$/.test(byte)) return 0;
  return /^[kqrbnp]$/.test(byte) ? 1 : -1;
}

export function illegalityWords({ illegality, squares }, position) {
  const mover = position.sideToMove === 0 ? 0 : 1;
  const at = (square) => position.board[indexOfName(square)];
  const list = (names) => names.join(', ');
  const byColour = (colour) => squares.filter((square) => colourOf(at(square)) === colour);
  const kingFirst = (colour) => {
    const king = squares.find((square) => at(square) === (colour === 0 ? 'K' : 'k'));
    return [king, squares.filter((square) => square !== king)];
  };
  switch (illegality) {
    case 'empty': return ['The board is empty.'];
    case 'no-white-king': return ['White has no king.'];
    case 'no-black-king': return ['Black has no king.'];
    case 'too-many-kings':
      return [0, 1].filter((colour) => byColour(colour).length > 1)
        .map((colour) => `${COLOURS[colour]} has ${count(byColour(colour).length)} kings: ${list(byColour(colour))}.`);
    case 'impossible-material':
      return [0, 1].filter((colour) => byColour(colour).length > 0).map((colour) =>
        `${COLOURS[colour]} has more pieces than a game can give (over 8 pawns, or more promoted pieces than pawns gone): ${list(byColour(colour))}.`);
    case 'pawn-on-back-rank': return [`A pawn stands on the first or the last rank: ${list(squares)}.`];
    case 'bad-castling-rights':
      return [`A castling right is set, but its king or rook is not on its starting square: ${list(squares)}.`];
    case 'bad-en-passant':
      return [`The en-passant square ${position.enPassant} is not one a pawn has just passed over with a double step.`];
    case 'opposite-check': {
      const [king, checkers] = kingFirst(1 - mover);
      return [`${COLOURS[1 - mover]}'s king on ${king} is in check from ${list(checkers)}, but it is ${COLOURS[mover]}'s move.`];
    }
    case 'too-many-checkers': {
      const [king, checkers] = kingFirst(mover);
      return [`${COLOURS[mover]}'s king on ${king} is in check from ${count(checkers.length)} pieces, ${list(checkers)}: no move gives more than two checks at once.`];
    }
    case 'impossible-check': {
      const [king, checkers] = kingFirst(mover);
      return [`${COLOURS[mover]}'s king on ${king} is in check from ${list(checkers)}, which no last move of ${COLOURS[1 - mover]} can have given.`];
    }
    case 'not-a-piece': return [`A square holds something that is no piece: ${list(squares)}.`];
    default: return [`${illegality}: ${list(squares)}.`];
  }
}

export function flagsOf(found, position) {
  const flags = new Map();
  const flag = (square, text) => flags.set(square, [...(flags.get(square) ?? []), text]);
  const mover = position.sideToMove === 0 ? 0 : 1;
  for (const { illegality, squares } of found) {
    for (const square of squares) {
      const byte = position.board[indexOfName(square)];
      const colour = colourOf(byte);
      const isKing = byte === 'K' || byte === 'k';
      const kings = squares.filter((other) => position.board[indexOfName(other)] === byte).length;
      flag(square, {
        'too-many-kings': `${count(kings)} ${colour === 0 ? 'white' : 'black'} kings`,
        'impossible-material': 'more pieces than a game can give',
        'pawn-on-back-rank': 'a pawn on a back rank',
        'bad-castling-rights': 'a castling right without its piece at home',
        'bad-en-passant': 'an en-passant square no pawn has passed',
        'opposite-check': isKing && colour !== mover ? 'in check out of turn' : 'giving check out of turn',
        'too-many-checkers': isKing && colour === mover ? 'in check from more than two pieces' : 'one of more than two checkers',
        'impossible-check': isKing && colour === mover ? 'in a check no move can give' : 'giving a check no move can give',
        'not-a-piece': 'no piece',
      }[illegality] ?? illegality);
    }
  }
  return flags;
}

// Where a FEN line departs from FEN, in words, with the column of the character at fault.
export function errorWords(text, { error, at }) {
  const column = at + 1;
  const char = text[at] ?? '';
  const field = text.slice(at).split(/\s/)[0];
  const board = text.trimStart().split(/\s/)[0];
  const ranksBefore = text.slice(0, at).split('/').length - 1;
  switch (error) {
    case 'space':
      if (char === '\t') return `A tab at column ${column}: one space stands between fields.`;
      if (char === '\n' || char === '\r') return `A line break at column ${column}: a FEN line is one line.`;
      if (text.slice(0, at).trim() === '') return `A space at the start, column ${column}: the line starts with the board.`;
      if (text.slice(at).trim() === '') return `A space at the end, column ${column}: nothing follows the last field.`;
      return /\s/.test(text[at - 1]) ? `Two spaces at columns ${column - 1} and ${column}: one between fields.`
        : `A space that is not one at column ${column}: one plain space stands between fields.`;
    case 'fields': return `More than six fields, from column ${column}: the line ends with the move number.`;
    case 'ranks': return `The board has ${count(board.split('/').length)} ranks (column ${column}): it needs eight, with a / between each two.`;
    case 'rank-length': return `Rank ${8 - ranksBefore} does not come to eight squares (column ${column}).`;
    case 'board-character': return `“${char}” at column ${column} is no piece letter, digit 1 to 8 or /.`;
    case 'side': return `The side to move at column ${column} is “${field}”: it is w or b${/^[WB]$/.test(field) ? ', in lower case' : ''}.`;
    case 'castling': return `The castling rights at column ${column}, “${field}”, are neither - nor letters of KQkq in that order.`;
    case 'en-passant': return `The en-passant square at column ${column}, “${field}”, is neither - nor a square on rank 3 or 6.`;
    case 'halfmove-clock': return `The halfmove clock at column ${column}, “${field}”, is not a whole number written without a leading zero.`;
    case 'move-number': return `The move number at column ${column}, “${field}”, is not a whole number from 1 written without a leading zero.`;
    default: return `${error} at column ${column}.`;
  }
}

// The line with its whitespace made plain, and the side to move in lower case: what a
// line means when only those are wrong.
export const tidied = (text) => text.trim().split(/\s+/).map((field, at) => (at === 1 && /^[WB]$/.test(field) ? field.toLowerCase() : field)).join(' ');

// How the game stands, for the summary: mate, stalemate, a dead position, or the side to
// move and its number of moves; nothing for a position nobody can play.
export function outcomeWords(outcome, position, moves) {
  const mover = COLOURS[position.sideToMove === 0 ? 0 : 1];
  switch (outcome) {
    case 'checkmate': return `${mover} is checkmated.`;
    case 'stalemate': return `Stalemate: ${mover} has no move.`;
    case 'insufficient-material': return 'Neither side can mate.';
    case 'seventy-five-moves': return 'Drawn by the seventy-five-move rule.';
    case 'none': return `${mover} to move: ${count(moves)} legal ${moves === 1 ? 'move' : 'moves'}.`;
    default: return '';
  }
}
