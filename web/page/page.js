// SPDX-License-Identifier: MIT
// The page's own script. The build puts it after bindings.js and MODULE, the module's
// bytes in base64, in one inline script. Everything typed or taken from the address
// reaches the page as text (textContent, value, attributes), never as markup.

const piecefen = bind((await WebAssembly.instantiate(Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0)), {}))
  .instance.exports);

const NAMES = { k: 'king', q: 'queen', r: 'rook', b: 'bishop', n: 'knight', p: 'pawn' };
// The filled figures for both colours, coloured by the style; U+FE0E asks for the text
// figure where a system would otherwise draw the pawn as an emoji.
const FIGURES = { k: '\u265a', q: '\u265b', r: '\u265c', b: '\u265d', n: '\u265e', p: '\u265f\ufe0e' };

const pieceList = document.getElementById('piece-list');
const fen = document.getElementById('fen');
const copy = document.getElementById('copy');
const status = document.getElementById('status');
const tablebase = document.getElementById('tablebase');

// 1. The board: 64 squares, a8 first as the record keeps them, with the ranks on the left
// and the files along the bottom.
const board = document.getElementById('board');
const squares = [];
const edge = (text) => {
  const label = document.createElement('span');
  label.className = 'edge';
  label.setAttribute('aria-hidden', 'true');
  label.textContent = text;
  return label;
};
for (let row = 0; row < 8; ++row) {
  board.append(edge(String(8 - row)));
  for (let column = 0; column < 8; ++column) {
    const square = document.createElement('span');
    square.className = (row + column) % 2 === 0 ? 'square light' : 'square dark';
    square.setAttribute('role', 'img');
    square.dataset.name = 'abcdefgh'[column] + (8 - row);
    squares.push(square);
    board.append(square);
  }
}
board.append(edge(''));
for (const file of 'abcdefgh') board.append(edge(file));

// Shows the record's 64 square bytes; one that is no piece letter is shown as it is.
function drawBoard(bytes) {
  squares.forEach((square, index) => {
    const byte = bytes[index];
    const kind = byte.toLowerCase();
    const { name } = square.dataset;
    square.classList.remove('white', 'black', 'other');
    if (byte === '.') {
      square.textContent = '';
      square.setAttribute('aria-label', `${name} empty`);
    } else if (Object.hasOwn(NAMES, kind)) {
      const colour = byte === kind ? 'black' : 'white';
      square.textContent = FIGURES[kind];
      square.setAttribute('aria-label', `${name} ${colour} ${NAMES[kind]}`);
      square.classList.add(colour);
    } else {
      const code = byte.charCodeAt(0);
      const printable = code > 32 && code < 127;
      square.textContent = printable ? byte : '?';
      square.setAttribute('aria-label', printable ? `${name} “${byte}”` : `${name} byte ${code}`);
      square.classList.add('other');
    }
  });
  performance.mark('piecefen:board');
}

// 2. Keeping the fields, the board, the link and the address in step: `text` is the piece
// list and `line` the FEN line whose board is shown.
function show(text, line) {
  drawBoard(piecefen.readFen(line).board);
  tablebase.href = piecefen.tablebaseAddress(text);
  status.textContent = '';
  const fragment = `#${encodeURIComponent(text).replaceAll('%2F', '/')}`;
  if (location.hash !== fragment) {
    try {
      history.replaceState(null, '', fragment);
    } catch {
      // An address too long for the browser keeps the one it has; the page still follows.
    }
  }
}

function showPieceList(text) {
  const line = piecefen.toFen(text);
  fen.value = line;
  show(text, line);
}

function fromFragment() {
  const raw = location.hash.slice(1);
  let text = raw;
  try {
    text = decodeURIComponent(raw);
  } catch {
    // A broken escape (a lone "%") is read as the characters it is.
  }
  pieceList.value = text;
  showPieceList(text);
}

pieceList.addEventListener('input', () => showPieceList(pieceList.value));
// A FEN line typed or pasted shows its own board, and the field keeps it as typed.
fen.addEventListener('input', () => {
  pieceList.value = piecefen.toPieceList(fen.value);
  show(pieceList.value, fen.value);
});
window.addEventListener('hashchange', fromFragment);

copy.addEventListener('click', async () => {
  try {
    await navigator.clipboard.writeText(fen.value);
    status.textContent = 'FEN copied.';
  } catch {
    fen.select();
    status.textContent = 'Press Ctrl+C (or ⌘C) to copy the selected FEN.';
  }
});

fromFragment();
pieceList.focus();
