// SPDX-License-Identifier: MIT
// The page's own script: the controls, and the start. The build puts it in one inline
// script with the modules it imports, each once, and MODULE, the module's bytes in
// base64. Everything typed or taken from the address reaches the page as text
// (textContent, value, attributes), never as markup.
//
// One state holds what the person set and how the page shows it; every edit changes the
// state and one render draws every view from it. The library reads and writes the FEN and
// keeps every rule: the page asks it once per view, never by trial.
import { NO_RIGHTS, START, element, piecefen } from './library.js';
import { TURNS, derive, edit, editBoard, editFields, redo, state, turnRound, undo, wantedOf, render } from './state.js';
import { tidied } from './words.js';
import { copy, diagramBoxes, diagramCanvas, diagramOf, save } from './handing-on.js';
import { fromAddress } from './address.js';
import { counters, enPassant, fen, pieceList, rights, sides } from './drawing.js';
import { listenToTheBoard } from './board-input.js';
import { playTyped, promote, setMode, setPlayItOut } from './play.js';
import { backToProblem, exportAs, importFile, importText, nextProblem, previousProblem, setStipulation, solveAll, solveProblem, stopSolving } from './problem.js';

// The controls.
pieceList.addEventListener('input', () => {
  editBoard(piecefen.readFen(piecefen.toFen(pieceList.value)).board, { typed: pieceList.value, kind: 'piece-list' });
});
// A FEN line typed or pasted is the state as it stands; the field keeps it as typed.
fen.addEventListener('input', () => {
  const line = fen.value;
  edit({ fen: line, pieceList: null, wanted: wantedOf(piecefen.readFen(line)) }, 'fen');
});
fen.addEventListener('keydown', (event) => {
  if (event.key === 'Enter') event.preventDefault();
});
element('tidy').addEventListener('click', () => {
  const line = tidied(state.fen);
  edit({ fen: line, pieceList: null, wanted: wantedOf(piecefen.readFen(line)) });
});
sides.forEach((radio, side) => radio.addEventListener('change', () => {
  // The side decides which en-passant squares there can be: the one wanted comes back with its side.
  editBoard(derive().position.board, { sideToMove: side });
}));
rights.forEach((box, right) => box.addEventListener('change', () => {
  const castling = derive().position.castling.map((wings) => [...wings]);
  castling[right >> 1][right & 1] = box.checked;
  editFields({ castling });
}));
enPassant.addEventListener('change', () => editFields({ enPassant: enPassant.value === 'none' ? '-' : enPassant.value }));
for (const [field, input] of Object.entries(counters)) {
  input.addEventListener('input', () => {
    const value = Number(input.value);
    const least = field === 'moveNumber' ? 1 : 0;
    if (input.value !== '' && Number.isInteger(value) && value >= least && value <= 999) editFields({ [field]: value }, field);
  });
}
element('undo').addEventListener('click', undo);
element('redo').addEventListener('click', redo);
element('flip').addEventListener('click', () => {
  state.flipped = !state.flipped;
  render();
});
element('clear').addEventListener('click', () => editBoard('.'.repeat(64), { wanted: { castling: NO_RIGHTS, enPassant: '-' } }));
element('start').addEventListener('click', () => edit({ fen: START, pieceList: null, wanted: wantedOf(piecefen.readFen(START)) }));
for (const [id, turn] of Object.entries(TURNS)) element(id).addEventListener('click', () => turnRound(turn));

element('copy').addEventListener('click', async () => {
  await copy(state.fen, 'FEN');
  if (state.status.startsWith('Press')) fen.select();
});
element('copy-pgn').addEventListener('click', async () => {
  await copy(element('pgn').value, 'PGN');
  if (state.status.startsWith('Press')) element('pgn').select();
});

for (const [name, box] of Object.entries(diagramBoxes)) {
  box.addEventListener('change', () => {
    state.diagram = { ...state.diagram, [name]: box.checked };
    render();
  });
}
element('diagram-theme').addEventListener('change', (event) => {
  state.diagram = { ...state.diagram, theme: event.target.value };
  render();
});
element('diagram-caption').addEventListener('input', (event) => {
  state.diagram = { ...state.diagram, caption: event.target.value };
  render();
});
element('png-size').addEventListener('change', (event) => {
  state.diagram = { ...state.diagram, width: Number(event.target.value) };
  render();
});
element('download-svg').addEventListener('click', () => {
  save('position.svg', `data:image/svg+xml;charset=utf-8,${encodeURIComponent(diagramOf(derive().found, state.diagram.width))}`);
});
element('download-png').addEventListener('click', async () => save('position.png', (await diagramCanvas()).toDataURL('image/png')));
element('copy-image').addEventListener('click', async () => {
  try {
    const canvas = await diagramCanvas();
    const blob = await new Promise((resolve) => { canvas.toBlob(resolve, 'image/png'); });
    await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
    state.status = 'Diagram copied as an image.';
  } catch {
    state.status = 'This browser lets no page put an image on the clipboard here: download the PNG instead.';
  }
  render();
});
window.addEventListener('hashchange', fromAddress);

// Undo and redo from the keyboard, wherever a text field does not keep its own.
const inText = (target) => target instanceof HTMLTextAreaElement
  || (target instanceof HTMLInputElement && ['text', 'number', 'search', ''].includes(target.type));
document.addEventListener('keydown', (event) => {
  if (!(event.ctrlKey || event.metaKey) || event.altKey || inText(event.target)) return;
  const key = event.key.toLowerCase();
  if (key === 'z' && !event.shiftKey) undo();
  else if (key === 'y' || (key === 'z' && event.shiftKey)) redo();
  else return;
  event.preventDefault();
});
element('mode-edit').addEventListener('change', () => setMode('edit'));
element('mode-play').addEventListener('change', () => setMode('play'));
element('play-it-out').addEventListener('change', (event) => setPlayItOut(event.target.checked));
element('move-form').addEventListener('submit', (event) => {
  event.preventDefault();
  if (playTyped(element('typed-move').value)) element('typed-move').value = '';
});
for (const button of element('promotion').querySelectorAll('button')) {
  button.addEventListener('click', () => promote(button.dataset.promotion));
}
element('import').addEventListener('click', importText);
element('import-language').addEventListener('change', importText);
element('import-from-fen').addEventListener('click', () => {
  element('import-text').value = state.fen;
  element('import-language').value = '';
  element('import-part').open = true;
  importText();
  element('import-text').focus();
});
element('stipulation').addEventListener('input', (event) => setStipulation(event.target.value));
element('solve').addEventListener('click', solveProblem);
element('import-file').addEventListener('change', (event) => importFile(event.target.files[0]));
element('previous-problem').addEventListener('click', previousProblem);
element('next-problem').addEventListener('click', nextProblem);
element('solve-all').addEventListener('click', solveAll);
element('stop').addEventListener('click', stopSolving);
element('back-to-problem').addEventListener('click', backToProblem);
for (const button of element('problem').querySelectorAll('[data-form]')) {
  button.addEventListener('click', () => exportAs(button.dataset.form));
}
element('copy-export').addEventListener('click', async () => {
  await copy(element('export-text').value, 'the problem');
  if (state.status.startsWith('Press')) element('export-text').select();
});
listenToTheBoard();
fromAddress();
pieceList.focus();
