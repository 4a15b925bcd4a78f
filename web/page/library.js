// SPDX-License-Identifier: MIT
// The library as the page holds it, and what every part of the page names the same way:
// the pieces in words and as pictures, the positions it starts from.
import { bind } from '../bindings.js';

// Compiled once: the page's worker takes the same compiled module.
export const compiled = await WebAssembly.compile(Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0)));
export const piecefen = bind((await WebAssembly.instantiate(compiled, {})).exports);

export const EMPTY = '8/8/8/8/8/8/8/8 w - - 0 1';
export const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
export const NAMES = { k: 'king', q: 'queen', r: 'rook', b: 'bishop', n: 'knight', p: 'pawn' };
export const COLOURS = ['White', 'Black'];
export const NO_RIGHTS = [[false, false], [false, false]];
const NUMBERS = ['no', 'one', 'two', 'three', 'four', 'five', 'six', 'seven', 'eight', 'nine', 'ten'];
export const count = (number) => NUMBERS[number] ?? String(number);

export const element = (id) => document.getElementById(id);

// What a square's byte is, in words: "white queen", "empty", or the byte itself.
export function nameOf(byte) {
  if (byte === '.') return 'empty';
  const kind = byte.toLowerCase();
  if (Object.hasOwn(NAMES, kind)) return `${byte === kind ? 'black' : 'white'} ${NAMES[kind]}`;
  const code = byte.charCodeAt(0);
  return code > 32 && code < 127 ? `“${byte}”` : `byte ${code}`;
}

// The pieces as the library's diagrams draw them, each an image made once.
export const PIECE_IMAGES = new Map([...'KQRBNPkqrbnp'].map((piece) =>
  [piece, `data:image/svg+xml,${encodeURIComponent(piecefen.pieceSvg(piece))}`]));
const NEUTRAL_IMAGE = `data:image/svg+xml,${encodeURIComponent(piecefen.pieceSvg('?'))}`;
export const imageOf = (byte) => (byte === '.' ? '' : PIECE_IMAGES.get(byte) ?? NEUTRAL_IMAGE);
export function pieceImage(byte) {
  const image = document.createElement('img');
  image.alt = '';
  image.draggable = false;
  if (byte !== '.') image.src = imageOf(byte);
  return image;
}

// One entry of a list, its text as given.
export function item(text) {
  const entry = document.createElement('li');
  entry.textContent = text;
  return entry;
}
