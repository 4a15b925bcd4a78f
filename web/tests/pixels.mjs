// SPDX-License-Identifier: MIT
// Reads a board back from a picture of it: a PNG decoded here, and each square told by
// the share of its pixels that are white or black as the pieces are drawn.
import { inflateSync } from 'node:zlib';

// The pixels of an 8-bit RGB or RGBA PNG, not interlaced, as rows of RGBA.
export function decodePng(png) {
  const bytes = Buffer.from(png);
  let at = 8;
  let header;
  const data = [];
  while (at < bytes.length) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') header = { width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8], colour: body[9], interlace: body[12] };
    if (type === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const { width, height, depth, colour, interlace } = header;
  if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0) throw new Error(`an unread kind of PNG: ${JSON.stringify(header)}`);
  const channels = colour === 6 ? 4 : 3;
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = new Uint8Array(width * height * 4);
  let previous = new Uint8Array(stride);
  for (let row = 0; row < height; ++row) {
    const filter = raw[row * (stride + 1)];
    const line = raw.subarray(row * (stride + 1) + 1, (row + 1) * (stride + 1));
    const current = new Uint8Array(stride);
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? current[x - channels] : 0;
      const b = previous[x];
      const c = x >= channels ? previous[x - channels] : 0;
      const p = a + b - c;
      const paeth = Math.abs(p - a) <= Math.abs(p - b) && Math.abs(p - a) <= Math.abs(p - c) ? a : Math.abs(p - b) <= Math.abs(p - c) ? b : c;
      const predictor = [0, a, b, (a + b) >> 1, paeth][filter];
      current[x] = (line[x] + predictor) & 0xff;
    }
    for (let x = 0; x < width; ++x) {
      for (let k = 0; k < 4; ++k) pixels[(row * width + x) * 4 + k] = k < channels ? current[x * channels + k] : 255;
    }
    previous = current;
  }
  return { width, height, pixels };
}

// The board as 64 characters, a8 first: "W" where a white piece stands, "B" a black one,
// "." an empty square, read from a picture of the board alone, `left` and `top` its corner
// and `square` the side of a square in pixels.
export function readBoard({ width, pixels }, { left = 0, top = 0, square }) {
  let board = '';
  for (let index = 0; index < 64; ++index) {
    let white = 0;
    let black = 0;
    let all = 0;
    const x0 = left + (index % 8) * square;
    const y0 = top + Math.floor(index / 8) * square;
    // The middle of the square, where a piece is broad and no ring or edge reaches.
    for (let y = Math.floor(y0 + square * 0.3); y < y0 + square * 0.85; ++y) {
      for (let x = Math.floor(x0 + square * 0.3); x < x0 + square * 0.7; ++x) {
        const at = (y * width + x) * 4;
        const [r, g, b] = [pixels[at], pixels[at + 1], pixels[at + 2]];
        if (r > 235 && g > 235 && b > 235) ++white;
        if (r < 60 && g < 60 && b < 60) ++black;
        ++all;
      }
    }
    board += white > all * 0.3 ? 'W' : black > all * 0.3 ? 'B' : '.';
  }
  return board;
}

// What readBoard should read for a record's board.
export const colours = (board) => [...board].map((c) => (/[KQRBNP]/.test(c) ? 'W' : /[kqrbnp]/.test(c) ? 'B' : '.')).join('');
