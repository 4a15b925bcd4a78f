// SPDX-License-Identifier: MIT
// What the page hands on: the tablebase and analysis links, the PGN, the diagram as SVG
// and PNG, and copies to the clipboard.
import { PIECE_IMAGES, element, piecefen } from './library.js';
import { derive, render, state } from './state.js';
import { movetext, resultOf } from './play.js';

export const diagramBoxes = { coordinates: element('diagram-coordinates'), sideToMove: element('diagram-side'),
  count: element('diagram-count'), marks: element('diagram-marks') };

// A game from the position `line`: its moves, if any were played, and its result.
export const pgnOf = (line, moves = '*', result = '*') => ['[Event "?"]', '[Site "?"]', '[Date "????.??.??"]', '[Round "?"]',
  '[White "?"]', '[Black "?"]', `[Result "${result}"]`, '[SetUp "1"]', `[FEN "${line}"]`, '', moves, ''].join('\n');

// The tablebase link where the tablebase answers; a PGN and the analysis link for a
// well-formed line.
export function drawHandOn(position, found, errors) {
  const pieces = [...position.board].filter((byte) => PIECE_IMAGES.has(byte)).length;
  const why = errors.length > 0 ? 'The tablebase link comes once the FEN is well-formed.'
    : found.length > 0 ? 'The tablebase answers only for a legal position.'
      : pieces > 7 ? `The tablebase answers for at most 7 pieces; this position has ${pieces}.`
        : position.castling.flat().some(Boolean) ? 'The tablebase answers only for a position without castling rights.' : '';
  element('tablebase-line').hidden = why !== '';
  element('tablebase-why').textContent = why;
  if (why === '') element('tablebase').href = piecefen.tablebaseAddressOfFen(state.fen);

  const wellFormed = errors.length === 0;
  element('hand-on').hidden = !wellFormed;
  element('hand-on-why').hidden = wellFormed;
  if (!wellFormed) return;
  const result = state.mode === 'play' ? resultOf() : '*';
  const pgn = state.mode === 'play' ? pgnOf(state.game.start, movetext(state.game, result), result) : pgnOf(state.fen);
  element('pgn').value = pgn;
  element('download-pgn').href = `data:application/x-chess-pgn;charset=utf-8,${encodeURIComponent(pgn)}`;
  element('analyse').href = `https://lichess.org/analysis/${encodeURI(state.fen.replaceAll(' ', '_'))}`;
}

// Diagrams: the same writer as the library's, with the options chosen here and the
// board the way it faces.
export function diagramOf(found, width) {
  const { coordinates, sideToMove, count: pieceCount, marks, caption, theme } = state.diagram;
  return piecefen.toSvg(state.fen, {
    size: width, flipped: state.flipped, coordinates, sideToMove, count: pieceCount, caption, theme,
    marks: marks ? [...new Set(found.flatMap(({ squares }) => squares))] : [],
  });
}

export function drawDiagram(found) {
  for (const [name, box] of Object.entries(diagramBoxes)) box.checked = state.diagram[name];
  element('diagram-theme').value = state.diagram.theme;
  if (element('diagram-caption').value !== state.diagram.caption) element('diagram-caption').value = state.diagram.caption;
  element('png-size').value = String(state.diagram.width);
  const source = `data:image/svg+xml,${encodeURIComponent(diagramOf(found, 240))}`;
  if (element('diagram-preview').getAttribute('src') !== source) element('diagram-preview').src = source;
}

// Saves a file by following a link to it, as a download.
export function save(name, address) {
  const link = document.createElement('a');
  link.download = name;
  link.href = address;
  link.click();
}

// The diagram drawn on a canvas at the width chosen, as PNG.
export async function diagramCanvas() {
  const svg = diagramOf(derive().found, state.diagram.width);
  const image = new Image();
  image.src = `data:image/svg+xml,${encodeURIComponent(svg)}`;
  await image.decode();
  const canvas = document.createElement('canvas');
  canvas.width = image.naturalWidth;
  canvas.height = image.naturalHeight;
  canvas.getContext('2d').drawImage(image, 0, 0, canvas.width, canvas.height);
  return canvas;
}

export async function copy(text, what) {
  try {
    await navigator.clipboard.writeText(text);
    state.status = `${what} copied.`;
  } catch {
    state.status = `Press Ctrl+C (or ⌘C) to copy the selected ${what}.`;
  }
  render();
}
