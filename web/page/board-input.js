// SPDX-License-Identifier: MIT
// The squares by click or tap, by keyboard, and by dragging a piece: in Edit mode they
// place and move pieces at will, in Play mode they play legal moves.
import { SQUARES } from '../bindings.js';
import { nameOf } from './library.js';
import { derive, render, setSquares, state } from './state.js';
import { flagsOf } from './words.js';
import { board, cells, drawBoard, palette } from './drawing.js';
import { chooseSquare, movesFrom, moveTo, promote } from './play.js';

export function listenToTheBoard() {
  const indexOf = (target) => {
    const index = target instanceof Element ? target.closest('#board [data-index]')?.dataset.index : undefined;
    return index === undefined ? undefined : Number(index);
  };

  function focusSquare(index) {
    state.focused = index;
    render();
    cells[index].focus();
  }

  palette.forEach((button) => button.addEventListener('click', () => {
    if (state.drag?.wasDragged) return;
    state.chosen = button.dataset.piece;
    render();
  }));

  board.addEventListener('click', (event) => {
    const index = indexOf(event.target);
    if (index === undefined || state.drag?.wasDragged) return;
    state.focused = index;
    if (state.mode === 'play') {
      chooseSquare(index);
      cells[index].focus();
      return;
    }
    // A second click with the same piece takes it away again.
    setSquares([[index, derive().position.board[index] === state.chosen ? '.' : state.chosen]]);
    cells[index].focus();
  });

  // Keys on a square move as the ARIA grid does, and act on the square or the piece carried.
  board.addEventListener('keydown', (event) => {
    const index = indexOf(event.target);
    if (index === undefined || event.altKey || ((event.ctrlKey || event.metaKey) && !['Home', 'End'].includes(event.key))) return;
    const way = state.flipped ? -1 : 1;
    const row = Math.floor(index / 8);
    const column = index % 8;
    // Where each key goes, as the board is shown: Home and End along the row on the screen.
    const screenRow = state.flipped ? 7 - row : row;
    const screenColumn = state.flipped ? 7 - column : column;
    const fromScreen = (r, c) => (state.flipped ? (7 - r) * 8 + 7 - c : r * 8 + c);
    const moves = {
      ArrowUp: [row - way, column], ArrowDown: [row + way, column], ArrowLeft: [row, column - way], ArrowRight: [row, column + way],
    };
    const jumps = {
      Home: event.ctrlKey || event.metaKey ? fromScreen(0, 0) : fromScreen(screenRow, 0),
      End: event.ctrlKey || event.metaKey ? fromScreen(7, 7) : fromScreen(screenRow, 7),
      PageUp: fromScreen(0, screenColumn),
      PageDown: fromScreen(7, screenColumn),
    };
    const { carried } = state;
    const byte = derive().position.board[index];
    const playing = state.mode === 'play';
    if (Object.hasOwn(moves, event.key)) {
      const [r, c] = moves[event.key];
      if (r >= 0 && r < 8 && c >= 0 && c < 8) carry(8 * r + c);
    } else if (Object.hasOwn(jumps, event.key)) {
      carry(jumps[event.key]);
    } else if (playing && (event.key === ' ' || event.key === 'Enter')) {
      chooseSquare(index);
    } else if (playing && event.key === 'Escape' && (state.picked !== null || state.promoting)) {
      Object.assign(state, { picked: null, promoting: null, announcement: 'Put back.' });
      render();
    } else if (playing && state.promoting && /^[qrbn]$/i.test(event.key)) {
      promote(event.key.toLowerCase());
    } else if (playing) {
      return;
    } else if (event.key === ' ' && carried) {
      state.carried = null;
      state.announcement = `${nameOf(carried.piece)} put down on ${SQUARES[index]}.`;
      if (index === carried.from) render();
      else setSquares([[carried.from, '.'], [index, carried.piece]]);
    } else if (event.key === 'Escape' && carried) {
      state.carried = null;
      state.announcement = `${nameOf(carried.piece)} put back on ${SQUARES[carried.from]}.`;
      focusSquare(carried.from);
    } else if (event.key === ' ' && byte !== '.') {
      state.carried = { from: index, piece: byte };
      state.announcement = `${nameOf(byte)} on ${SQUARES[index]} picked up: the arrows carry it, Space puts it down, Escape puts it back.`;
      render();
    } else if (carried) {
      return;
    } else if (/^[KQRBNPkqrbnp]$/.test(event.key)) {
      setSquares([[index, event.key]]);
    } else if (event.key === 'Delete' || event.key === 'Backspace') {
      setSquares([[index, '.']]);
    } else if (event.key === 'Enter' || event.key === ' ') {
      setSquares([[index, state.chosen]]);
    } else {
      return;
    }
    event.preventDefault();
  });

  function carry(index) {
    if (state.carried) state.announcement = `${nameOf(state.carried.piece)} over ${SQUARES[index]}.`;
    focusSquare(index);
  }

  // A press on a piece, on the board or in the palette, becomes a drag once the pointer has
  // moved a little; the piece then follows it, and lands on the square it is let go over, or
  // leaves the board.
  function press(event, from, piece) {
    if (event.button !== 0) return;
    state.drag = { from, piece, pointerId: event.pointerId, startX: event.clientX, startY: event.clientY,
      x: event.clientX, y: event.clientY, moved: false, wasDragged: false };
    event.target.closest('[data-index], [data-piece]').setPointerCapture(event.pointerId);
  }
  board.addEventListener('pointerdown', (event) => {
    const index = indexOf(event.target);
    const movable = index !== undefined && (state.mode === 'play' ? movesFrom(index).length > 0 : derive().position.board[index] !== '.');
    if (movable) press(event, index, derive().position.board[index]);
    else state.drag = null;
  });
  palette.forEach((button) => button.addEventListener('pointerdown', (event) => {
    if (button.dataset.piece !== '.') press(event, -1, button.dataset.piece);
  }));
  document.addEventListener('pointermove', (event) => {
    const { drag } = state;
    if (drag?.pointerId !== event.pointerId) return;
    if (!drag.moved && Math.hypot(event.clientX - drag.startX, event.clientY - drag.startY) < 6) return;
    Object.assign(drag, { moved: true, x: event.clientX, y: event.clientY });
    drawBoard(derive().position, flagsOf(derive().found, derive().position));
  });
  function letGo(event, drop) {
    const { drag } = state;
    if (drag?.pointerId !== event.pointerId) return;
    if (!drag.moved) {
      state.drag = null;
      return;
    }
    // The click that follows a drag is the drag's, not a click of its own.
    state.drag = { wasDragged: true };
    setTimeout(() => { if (state.drag?.wasDragged) state.drag = null; }, 0);
    const target = drop ? indexOf(document.elementFromPoint(event.clientX, event.clientY)) : undefined;
    if (state.mode === 'play') {
      if (target !== undefined) state.focused = target;
      if (target === undefined || !moveTo(drag.from, target)) render();
      return;
    }
    const changes = drag.from >= 0 ? [[drag.from, '.']] : [];
    if (target !== undefined) changes.push([target, drag.piece]);
    if (!drop || changes.length === 0) {
      render();
      return;
    }
    if (target !== undefined) state.focused = target;
    setSquares(changes);
  }
  document.addEventListener('pointerup', (event) => letGo(event, true));
  document.addEventListener('pointercancel', (event) => letGo(event, false));
}
