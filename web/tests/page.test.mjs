// SPDX-License-Identifier: MIT
// The page as a person uses it, in Chromium and in Firefox over the same steps: opened from
// disk and from a web server on 127.0.0.1, typed into, clicked, keyed and dragged on, and
// opened from a shared address. Controls are found by their accessible names, as a
// screen reader finds them. Every page must ask for nothing but itself and log no error.
import assert from 'node:assert/strict';
import { mkdtemp, readFile, writeFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { BUILD } from './built.mjs';
import { PUPPETEER_ENGINES, launch } from './browsers.mjs';
import { colours, decodePng, readBoard } from './pixels.mjs';

const PAGE = `${BUILD}/piecefen.html`;
const AXE = fileURLToPath(new URL('../node_modules/axe-core/axe.min.js', import.meta.url));
const EXAMPLE = 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7';
const EXAMPLE_FEN = '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1';
const START = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const ADDRESS = 'https://syzygy-tables.info/?fen=';
const HOSTILE = '<img src=x onerror=alert(1)><script>alert(2)</script>"\'><b>';
const fragmentOf = (fen) => `#fen=${encodeURIComponent(fen).replaceAll('%2F', '/')}`;

let server;
const origins = {};
before(async () => {
  const page = await readFile(PAGE);
  server = createServer((request, response) => {
    const found = request.url === '/piecefen.html' || request.url.startsWith('/piecefen.html?');
    if (found) response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' }).end(page);
    else response.writeHead(404).end();
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origins['from disk'] = pathToFileURL(PAGE).href;
  origins['over HTTP'] = `http://127.0.0.1:${server.address().port}/piecefen.html`;
});
after(() => server?.close());

// A control by its accessible name and role.
// Five seconds: Firefox's accessibility tree was seen to answer in over two on a loaded machine.
const find = (page, name, role) => page.waitForSelector(`::-p-aria([name="${name}"][role="${role}"])`, { timeout: 5000 });
const square = (page, label) => find(page, label, 'gridcell');
const valueOf = async (page, name) => (await find(page, name, 'textbox')).evaluate((field) => field.value);
const click = async (page, name, role = 'button') => (await find(page, name, role)).click();
// Text arrives in a field as a paste does: all at once.
const paste = async (page, name, text) => (await find(page, name, 'textbox')).evaluate((field, value) => {
  field.value = value;
  field.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertFromPaste' }));
}, text);
const emptySquares = (page) => page.$$eval('[role="gridcell"]', (cells) => cells.filter((cell) => cell.ariaLabel.endsWith(' empty')).length);
const illegalityTexts = async (page) => (await find(page, 'Legality', 'list')).$$eval('li', (items) => items.map((item) => item.textContent));
const shows = (page, text) => page.waitForSelector(`::-p-text(${JSON.stringify(text)})`, { timeout: 2000 });
const markup = (page) => page.$$eval('img[src="x"], b, script', (elements) => elements.length);
// The 64 squares of a FEN line's board, a8 first, as the reader fills them from a well-formed line.
const boardOf = (fen) => fen.split(' ')[0].replace(/[1-8]/g, (run) => '.'.repeat(Number(run))).replaceAll('/', '');
// The centre of an element on the screen.
const centre = async (handle) => {
  const { x, y, width, height } = await handle.boundingBox();
  return [x + width / 2, y + height / 2];
};

async function drag(page, from, to, role = 'gridcell') {
  const [x, y] = await centre(await find(page, from, role));
  const [toX, toY] = typeof to === 'string' ? await centre(await square(page, to)) : to;
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move((x + toX) / 2, (y + toY) / 2, { steps: 4 });
  await page.mouse.move(toX, toY, { steps: 4 });
  await page.mouse.up();
}

// The least contrast of the focus ring on a square with the square's own colour, over a
// light square and a dark one reached from the keyboard.
async function ringContrast(page) {
  const least = [];
  for (const label of ['a1', 'b1']) {
    const cell = await page.$(`[role="gridcell"][aria-label^="${label} "]`);
    await cell.focus();
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowLeft');
    least.push(await cell.evaluate((square) => {
      const style = getComputedStyle(square);
      const channels = (colour) => colour.match(/[\d.]+/g).slice(0, 3).map(Number);
      const luminance = (colour) => {
        const [r, g, b] = channels(colour).map((value) => {
          const c = value / 255;
          return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
        });
        return 0.2126 * r + 0.7152 * g + 0.0722 * b;
      };
      const [a, b] = [luminance(style.outlineColor), luminance(style.backgroundColor)].sort((x, y) => y - x);
      return style.outlineStyle === 'solid' ? (a + 0.05) / (b + 0.05) : 0;
    }));
  }
  return Math.min(...least);
}

async function axeViolations(page) {
  await page.evaluate(await readFile(AXE, 'utf8'));
  const { violations } = await page.evaluate(() => window.axe.run(document, {
    runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] },
  }));
  return violations.map(({ id, nodes }) => `${id}: ${nodes.map((node) => node.target).join(' ')}`);
}

for (const engine of PUPPETEER_ENGINES) {
  describe(engine, () => {
    let browser;
    before(async () => { browser = await launch(engine); });
    after(() => browser?.close());

    // Opens the page at `fragment` in a context of its own; `t.after` then checks that it
    // requested nothing but itself and data, logged no error and opened no dialog.
    async function open(t, fragment = '', { origin = 'from disk', viewport = { width: 1000, height: 700 }, on = browser } = {}) {
      const context = await on.createBrowserContext();
      const page = await context.newPage();
      const faults = [];
      page.on('request', (request) => {
        const url = request.url();
        // The endgame worker's script is a blob the page made, not a request for anything.
        if (url.split('#')[0] !== origins[origin] && !url.startsWith('data:') && !url.startsWith('blob:')) faults.push(`request for ${url}`);
      });
      page.on('console', (message) => {
        if (['error', 'warn', 'warning'].includes(message.type())) faults.push(`${message.type()}: ${message.text()}`);
      });
      page.on('pageerror', (error) => faults.push(`uncaught ${error.message}`));
      page.on('dialog', (dialog) => {
        faults.push(`dialog: ${dialog.message()}`);
        dialog.dismiss();
      });
      t.after(async () => {
        await context.close();
        assert.deepEqual(faults, []);
      });
      await page.setViewport(viewport);
      await page.goto(origins[origin] + fragment);
      await page.waitForFunction(() => performance.getEntriesByName('piecefen:board').length > 0);
      return page;
    }

    test('typing the example shows its board and FEN, and says why the tablebase has no link', async (t) => {
      for (const origin of ['from disk', 'over HTTP']) {
        const page = await open(t, '', { origin });
        assert.equal(await page.evaluate(() => document.activeElement.id), 'piece-list');
        const historyLength = await page.evaluate(() => history.length);
        await page.keyboard.type(EXAMPLE);
        assert.equal(await valueOf(page, 'FEN'), EXAMPLE_FEN);
        for (const label of ['g1 white king', 'f1 white rook', 'h2 white pawn', 'g8 black king', 'f7 black pawn', 'e4 empty']) {
          await square(page, label);
        }
        assert.equal(await emptySquares(page), 64 - 9);
        assert.deepEqual(await illegalityTexts(page), []);
        assert.equal(await page.$('::-p-aria([name="Open in the Syzygy tablebase"][role="link"])'), null);
        await shows(page, 'The tablebase answers for at most 7 pieces; this position has 9.');
        // The address follows without filling the history.
        assert.equal(await page.evaluate(() => location.hash), fragmentOf(EXAMPLE_FEN));
        assert.equal(await page.evaluate(() => history.length), historyLength);
      }
    });

    test('the palette, a click, the keys and a drag edit the board', async (t) => {
      const page = await open(t);
      await click(page, 'black queen');
      const pressed = await page.$$eval('[aria-pressed="true"]', (buttons) => buttons.map((button) => button.ariaLabel));
      assert.deepEqual(pressed, ['black queen']);
      await (await square(page, 'd4 empty')).click();
      // A second click with the same piece takes it away again.
      await (await square(page, 'd4 black queen')).click();
      await (await square(page, 'd4 empty')).click();
      await click(page, 'white king');
      await (await square(page, 'e1 empty')).click();
      // One square in the tab order, the one last used; the arrows move it, letters place.
      assert.equal(await page.$$eval('[role="gridcell"][tabindex="0"]', (cells) => cells.map((cell) => cell.ariaLabel).join()),
        'e1 white king');
      for (let rank = 1; rank < 8; ++rank) await page.keyboard.press('ArrowUp');
      await page.keyboard.type('k');
      await page.keyboard.press('ArrowLeft');
      await page.keyboard.type('R');
      await square(page, 'd8 white rook, giving check out of turn');
      await page.keyboard.press('Delete');
      await square(page, 'd8 empty');
      assert.equal(await page.evaluate(() => document.activeElement.ariaLabel), 'd8 empty');

      await drag(page, 'd4 black queen', 'h4 empty');
      await square(page, 'h4 black queen');
      await square(page, 'd4 empty');
      const [x, y] = await centre(await square(page, 'h4 black queen'));
      await drag(page, 'h4 black queen', [x - 600, y]);
      await square(page, 'h4 empty');
      // A piece from the palette dragged onto a square, and one dragged off the board.
      await drag(page, 'black knight', 'c6 empty', 'button');
      await drag(page, 'white pawn', [x - 600, y], 'button');
      assert.equal(await valueOf(page, 'FEN'), '4k3/8/2n5/8/8/8/8/4K3 w - - 0 1');
      assert.equal(await valueOf(page, 'Piece list'), 'Ke1 / Ke8 Nc6');
    });

    test('the keyboard picks a piece up, carries it and puts it down, and moves as a grid does', async (t) => {
      const page = await open(t, fragmentOf('4k3/8/8/8/8/8/8/4K3 w - - 0 1'));
      const focused = () => page.evaluate(() => document.activeElement.ariaLabel);
      const announced = () => page.$eval('#announce', (region) => region.textContent);
      await (await square(page, 'e1 white king')).focus();
      await page.keyboard.press(' ');
      assert.match(await announced(), /^white king on e1 picked up/);
      await page.keyboard.press('ArrowUp');
      await page.keyboard.press('ArrowLeft');
      assert.equal(await announced(), 'white king over d2.');
      await page.keyboard.press('Escape');
      assert.equal(await announced(), 'white king put back on e1.');
      assert.equal(await focused(), 'e1 white king');
      await page.keyboard.press(' ');
      await page.keyboard.press('ArrowUp');
      await page.keyboard.press(' ');
      assert.equal(await announced(), 'white king put down on e2.');
      assert.equal(await valueOf(page, 'FEN'), '4k3/8/8/8/8/8/4K3/8 w - - 0 1');
      // Enter places the palette's piece; Home, End, Page Up, Page Down and Ctrl with Home and End jump.
      await page.keyboard.press('Home');
      assert.equal(await focused(), 'a2 empty');
      await page.keyboard.press('Enter');
      await square(page, 'a2 white king, two white kings');
      await page.keyboard.press('End');
      assert.equal(await focused(), 'h2 empty');
      await page.keyboard.press('PageUp');
      assert.equal(await focused(), 'h8 empty');
      await page.keyboard.press('PageDown');
      assert.equal(await focused(), 'h1 empty');
      await page.keyboard.down('Control');
      await page.keyboard.press('Home');
      assert.equal(await focused(), 'a8 empty');
      await page.keyboard.press('End');
      await page.keyboard.up('Control');
      assert.equal(await focused(), 'h1 empty');
      await click(page, 'Flip board');
      await (await square(page, 'h1 empty')).focus();
      await page.keyboard.press('Home');
      assert.equal(await focused(), 'h1 empty');
      await page.keyboard.press('End');
      assert.equal(await focused(), 'a1 empty');
    });

    test('undo and redo take back every edit, a burst of typing as one, and nothing the person set is lost on the way',
      async (t) => {
        const page = await open(t, fragmentOf(START));
        const typeInto = async (name, text) => {
          const field = await find(page, name, 'textbox');
          await field.click({ count: 3 });
          await page.keyboard.type(text);
        };
        // A half-typed list costs no one's rights: they come back with the rooks.
        await typeInto('Piece list', 'Ke1 Ra1h1 / Ke8 Ra8h');
        // Read from the field itself within the burst: Firefox's query by accessible name can
        // take most of the burst's second.
        assert.equal(await page.$eval('#fen', (field) => field.value), 'r3k3/8/8/8/8/8/8/R3K2R w KQq - 0 1');
        await page.keyboard.type('8');
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1');
        // So does a king taken away and put back.
        await drag(page, 'e1 white king', 'e2 empty');
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/4K3/R6R w kq - 0 1');
        await drag(page, 'e2 white king', 'e1 empty');
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1');

        await click(page, 'Undo');
        await click(page, 'Undo');
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1');
        // The typing was one burst: one more step goes back to the start position.
        await click(page, 'Undo');
        assert.equal(await valueOf(page, 'FEN'), START);
        assert.equal(await (await find(page, 'Undo', 'button')).evaluate((button) => button.disabled), true);
        await click(page, 'Redo');
        assert.equal(await valueOf(page, 'Piece list'), 'Ke1 Ra1h1 / Ke8 Ra8h8');
        // The keys, from anywhere but a text field, where the browser's own undo stays.
        await (await square(page, 'a1 white rook')).focus();
        const modifier = engine === 'firefox' && process.platform === 'darwin' ? 'Meta' : 'Control';
        await page.keyboard.down(modifier);
        await page.keyboard.press('z');
        await page.keyboard.up(modifier);
        assert.equal(await valueOf(page, 'FEN'), START);
        await page.keyboard.down(modifier);
        await page.keyboard.press('y');
        await page.keyboard.up(modifier);
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1');
        await page.keyboard.down(modifier);
        await page.keyboard.press('z');
        await page.keyboard.down('Shift');
        await page.keyboard.press('Z');
        await page.keyboard.up('Shift');
        await page.keyboard.up(modifier);
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1');
      });

    test('side to move, castling, en passant and the counters write the FEN, and the controls say what it says',
      async (t) => {
        const page = await open(t);
        const checkbox = (name) => find(page, name, 'checkbox');
        const state = async (name) => (await checkbox(name)).evaluate((box) => [box.checked, box.disabled]);
        const options = () => page.$$eval('#en-passant option', (all) => all.map((option) => option.textContent));
        const chosen = async () => (await find(page, 'En passant', 'combobox')).evaluate((select) => select.value);
        await click(page, 'Start position');
        assert.equal(await valueOf(page, 'FEN'), START);
        assert.deepEqual(await state('White O-O'), [true, false]);
        await (await checkbox('Black O-O-O')).click();
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1');
        // Without its rook at home a right goes and cannot be set; with the rook back it returns.
        await click(page, 'empty square');
        await (await square(page, 'h1 white rook')).click();
        assert.deepEqual(await state('White O-O'), [false, true]);
        await click(page, 'white rook');
        await (await square(page, 'h1 empty')).click();
        assert.deepEqual(await state('White O-O'), [true, false]);
        await click(page, 'Black to move', 'radio');
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQk - 0 1');

        // A right the FEN sets shows ticked where the board does not allow it, and can be unticked.
        await paste(page, 'FEN', 'r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq - 0 1');
        assert.deepEqual(await state('White O-O'), [true, false]);
        await (await checkbox('White O-O')).click();
        assert.equal(await valueOf(page, 'FEN'), 'r3k2r/8/8/8/8/8/8/R3K1R1 w Qkq - 0 1');
        assert.deepEqual(await state('White O-O'), [false, true]);

        await paste(page, 'FEN', 'rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3');
        assert.deepEqual(await options(), ['none', 'd6']);
        assert.equal(await chosen(), 'd6');
        await click(page, 'Black to move', 'radio');
        assert.deepEqual(await options(), ['none']);
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3');
        await click(page, 'White to move', 'radio');
        assert.equal(await chosen(), 'd6');
        // A square the FEN names is held, flagged, where the board does not allow it.
        await paste(page, 'FEN', `${START.slice(0, -5)}e3 0 1`);
        assert.deepEqual(await options(), ['none', 'e3 (not allowed)']);
        assert.equal(await chosen(), 'e3');

        const counter = async (name, value) => {
          const field = await find(page, name, 'spinbutton');
          await field.click({ count: 3 });
          await page.keyboard.type(value);
        };
        await counter('Halfmove clock', '12');
        await counter('Move number', '40');
        assert.equal(await valueOf(page, 'FEN'), `${START.slice(0, -5)}e3 12 40`);

        await click(page, 'Flip board');
        assert.equal(await page.$eval('[role="gridcell"]', (first) => first.ariaLabel), 'h1 white rook');
        assert.match(await page.evaluate(() => location.hash), /&view=black$/);
        await (await square(page, 'e2 white pawn')).focus();
        await page.keyboard.press('ArrowUp');
        assert.equal(await page.evaluate(() => document.activeElement.ariaLabel), 'e1 white king');
        await click(page, 'Clear board');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/8/8/8/8/8 w - - 12 40');
        assert.deepEqual(await illegalityTexts(page), ['The board is empty.']);
      });

    test('mirror, swap colours and the shifts turn the position round, offered only where nothing leaves the board',
      async (t) => {
        const page = await open(t, fragmentOf('4k3/8/8/8/8/8/4P3/4K3 w - - 0 1'));
        const disabled = async (name) => (await find(page, name, 'button')).evaluate((button) => button.disabled);
        assert.deepEqual([await disabled('Shift up'), await disabled('Shift down'), await disabled('Shift left')], [true, true, false]);
        await click(page, 'Mirror');
        assert.equal(await valueOf(page, 'FEN'), '3k4/8/8/8/8/8/3P4/3K4 w - - 0 1');
        await click(page, 'Swap colours');
        assert.equal(await valueOf(page, 'FEN'), '3k4/3p4/8/8/8/8/8/3K4 b - - 0 1');
        await click(page, 'Shift right');
        assert.equal(await valueOf(page, 'FEN'), '4k3/4p3/8/8/8/8/8/4K3 b - - 0 1');
        // The rights and the en-passant square follow the pieces.
        await paste(page, 'FEN', 'r3k3/8/8/8/3pP3/8/8/4K2R b Kq e3 0 1');
        await click(page, 'Swap colours');
        assert.equal(await valueOf(page, 'FEN'), '4k2r/8/8/3Pp3/8/8/8/R3K3 w Qk e6 0 1');
        await click(page, 'Undo');
        assert.equal(await valueOf(page, 'FEN'), 'r3k3/8/8/8/3pP3/8/8/4K2R b Kq e3 0 1');
      });

    test('a FEN typed sets the board and the controls and stays as typed; the address brings it all back', async (t) => {
      const page = await open(t);
      const typed = '4k3/8/8/8/8/8/8/4K2R b K - 5';
      await paste(page, 'FEN', typed);
      assert.equal(await valueOf(page, 'FEN'), typed);
      assert.equal(await valueOf(page, 'Piece list'), 'Ke1 Rh1 / Ke8');
      assert.equal(await (await find(page, 'Black to move', 'radio')).evaluate((radio) => radio.checked), true);
      assert.equal(await (await find(page, 'White O-O', 'checkbox')).evaluate((box) => box.checked), true);
      await paste(page, 'Piece list', 'Ke1 Rh1 /  Ke8');
      await click(page, 'Flip board');
      const shared = await page.evaluate(() => location.hash);

      const again = await open(t, shared);
      assert.equal(await valueOf(again, 'FEN'), '4k3/8/8/8/8/8/8/4K2R b K - 5 1');
      assert.equal(await valueOf(again, 'Piece list'), 'Ke1 Rh1 /  Ke8');
      assert.equal(await again.$eval('[role="gridcell"]', (first) => first.ariaLabel), 'h1 white rook');

      // The named fields in any order, and a bare FEN, with spaces or with "_" for them.
      const reordered = await open(t, `#view=black&${fragmentOf('4k3/8/8/8/8/8/8/4K2R b K - 5 1').slice(1)}`);
      assert.equal(await valueOf(reordered, 'FEN'), '4k3/8/8/8/8/8/8/4K2R b K - 5 1');
      assert.equal(await reordered.$eval('[role="gridcell"]', (first) => first.ariaLabel), 'h1 white rook');
      assert.equal(await reordered.evaluate(() => location.hash), shared.replace(/&pieces=[^&]*/, ''));
      for (const bare of ['#4k3/8/8/8/8/8/8/4K3%20b%20-%20-%200%201', '#4k3/8/8/8/8/8/8/4K3_b_-_-_0_1']) {
        const opened = await open(t, bare);
        assert.equal(await valueOf(opened, 'FEN'), '4k3/8/8/8/8/8/8/4K3 b - - 0 1', bare);
      }

      // Addresses from before hold a piece list, or even a broken escape.
      const old = await open(t, '#Ke1%20Qd1%20/%20Ke8');
      assert.equal(await valueOf(old, 'Piece list'), 'Ke1 Qd1 / Ke8');
      assert.equal(await valueOf(old, 'FEN'), '4k3/8/8/8/8/8/8/3QK3 w - - 0 1');
      // A render before the hashchange arrives (here a click; a worker's answer in life) leaves the new address alone.
      await old.evaluate(() => { location.hash = '#Ke1%E0%A4%A'; document.getElementById('flip').click(); });
      await square(old, 'e1 white king');
      await square(old, 'd1 empty');
      // A lone surrogate typed goes into the address as U+FFFD, and throws nothing.
      await paste(old, 'Piece list', 'Ke1 \ud800');
      await paste(old, 'FEN', '4k3/8/8/8/8/8/8/4K3 w - - 0 1\udc00');
      assert.match(await old.evaluate(() => location.hash), /%EF%BF%BD/);
    });

    test('a FEN line that is not FEN says where, in words and in the field, links nowhere, and is tidied in a click',
      async (t) => {
        const page = await open(t);
        const errors = async () => (await find(page, 'What is not FEN', 'list')).$$eval('li', (items) => items.map((entry) => entry.textContent));
        const marked = () => page.$$eval('#fen-marks mark', (marks) => marks.map((mark) => mark.textContent));
        await paste(page, 'FEN', '8/8/8/8/8/2k5/8/K1Q5  W - - 0 1');
        assert.deepEqual(await errors(), ['Two spaces at columns 21 and 22: one between fields.',
          'The side to move at column 23 is “W”: it is w or b, in lower case.']);
        assert.deepEqual(await marked(), [' ', 'W']);
        await shows(page, 'Not FEN: two errors, listed below; the board shows the nearest reading.');
        assert.equal(await page.$('::-p-aria([name="Open in the Syzygy tablebase"][role="link"])'), null);
        assert.equal(await page.$('::-p-aria([name="Analyse"][role="link"])'), null);
        await click(page, 'Tidy the spaces');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/8/8/2k5/8/K1Q5 w - - 0 1');
        assert.deepEqual(await marked(), []);
        assert.deepEqual(await illegalityTexts(page), ["Black's king on c3 is in check from c1, but it is White's move."]);

        const cases = [
          ['  4k3/8/8/8/8/8/8/4K3 w - - 0 1', 'A space at the start, column 1: the line starts with the board.'],
          ['4k3/8/8/8/8/8/4K3 w - - 0 1', 'The board has seven ranks (column 17): it needs eight, with a / between each two.'],
          ['4k3/8/8/8/8/8/8/4K2 w', 'Rank 1 does not come to eight squares (column 19).'],
          ['4k3/8/8/8/8/8/8/4K3 w KK - 0 1\t', 'The castling rights at column 23, “KK”, are neither - nor letters of KQkq in that order.'],
        ];
        for (const [line, first] of cases) {
          await paste(page, 'FEN', line);
          assert.equal((await errors())[0], first, line);
        }
        assert.equal(await (await find(page, 'Tidy the spaces', 'button')).evaluate((button) => button.hidden), false);
      });

    test('what is wrong is listed in words and marked on the board, and the link comes where the tablebase answers',
      async (t) => {
        const page = await open(t, fragmentOf('4k3/8/8/8/8/8/4R3/4K3 w - - 0 1'));
        assert.deepEqual(await illegalityTexts(page), ["Black's king on e8 is in check from e2, but it is White's move."]);
        const marks = await page.$$eval('[role="gridcell"]', (cells) => cells.filter((cell) => getComputedStyle(cell, '::after').content === '"!"')
          .map((cell) => cell.ariaLabel));
        assert.deepEqual(marks, ['e8 black king, in check out of turn', 'e2 white rook, giving check out of turn']);
        assert.deepEqual(await axeViolations(page), []);
        assert.ok(await ringContrast(page) >= 3);
        await shows(page, 'The tablebase answers only for a legal position.');
        await shows(page, 'Illegal: one reason, see Legality.');

        await click(page, 'Black to move', 'radio');
        assert.deepEqual(await illegalityTexts(page), []);
        const link = await find(page, 'Open in the Syzygy tablebase', 'link');
        assert.equal(await link.evaluate((a) => a.href), `${ADDRESS}4k3/8/8/8/8/8/4R3/4K3_b_-_-_0_1`);
        await paste(page, 'FEN', 'r3k3/8/8/8/8/8/4R3/4K3 b q - 0 1');
        await shows(page, 'The tablebase answers only for a position without castling rights.');
        await paste(page, 'FEN', 'k1K5/8/8/8/8/8/8/K7 w - - 0 1');
        assert.deepEqual(await illegalityTexts(page), ['White has two kings: c8, a1.']);
        await square(page, 'c8 white king, two white kings');
        await paste(page, 'FEN', '3k4/8/8/8/7B/8/3R4/3K4 b - - 0 1');
        assert.deepEqual(await illegalityTexts(page), ["Black's king on d8 is in check from h4, d2, which no last move of White can have given."]);
        await square(page, 'd8 black king, in a check no move can give');
      });

    test('Play mode shows the legal squares and plays by click, drag, keys and typing; undo, the PGN and the address follow',
      async (t) => {
        const page = await open(t, fragmentOf(START));
        await shows(page, 'Legal. White to move: 20 legal moves.');
        await click(page, 'Play', 'radio');
        const targets = () => page.$$eval('[role="gridcell"]', (cells) => cells.filter((cell) => cell.ariaLabel.endsWith(', a legal move'))
          .map((cell) => cell.ariaLabel.split(' ')[0]));
        await (await square(page, 'e2 white pawn')).click();
        assert.deepEqual(await targets(), ['e4', 'e3']);
        await (await square(page, 'e4 empty, a legal move')).click();
        await drag(page, 'e7 black pawn', 'e5 empty');
        // A square with no move of the side to move picks nothing up.
        await (await square(page, 'e5 black pawn')).click();
        assert.deepEqual(await targets(), []);
        const knight = await square(page, 'g1 white knight');
        await knight.focus();
        for (const key of [' ', 'ArrowUp', 'ArrowUp', 'ArrowLeft', ' ']) await page.keyboard.press(key);
        await (await find(page, 'Move', 'textbox')).type('nc6');
        await page.keyboard.press('Enter');
        const afterFour = 'r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3';
        assert.equal(await valueOf(page, 'FEN'), afterFour);
        const moves = () => page.$$eval('#moves li', (items) => items.map((entry) => entry.textContent));
        assert.deepEqual(await moves(), ['Set-up position', '1. e4 e5', '2. Nf3 Nc6']);
        assert.equal(await page.evaluate(() => location.hash), `${fragmentOf(START)}&moves=e2e4,e7e5,g1f3,b8c6`);
        assert.match(await valueOf(page, 'PGN'), /\[SetUp "1"\]\n\[FEN "rnbqkbnr\/pppppppp\/8\/8\/8\/8\/PPPPPPPP\/RNBQKBNR w KQkq - 0 1"\]\n\n1\. e4 e5 2\. Nf3 Nc6 \*\n$/);
        await (await find(page, 'Move', 'textbox')).type('Ke3');
        await page.keyboard.press('Enter');
        await shows(page, '“Ke3” is not a legal move here.');
        // What was typed stays to be mended; here it is cleared.
        await (await find(page, 'Move', 'textbox')).evaluate((field) => { field.value = ''; });

        await click(page, 'Undo');
        assert.deepEqual(await moves(), ['Set-up position', '1. e4 e5', '2. Nf3']);
        await click(page, 'Redo');
        for (const move of ['Bc4', 'Nf6', 'Ng5', 'd5', 'exd5', 'Nxd5', 'Nxf7', 'Kxf7', 'Qf3+', 'Ke6', 'Nc3']) {
          await (await find(page, 'Move', 'textbox')).type(move);
          await page.keyboard.press('Enter');
        }
        await shows(page, 'Legal. Black to move: 32 legal moves.');
        assert.deepEqual((await moves()).slice(-2), ['7. Qf3+ Ke6', '8. Nc3']);

        // A shared link replays the moves; leaving Play mode keeps the position reached.
        const shared = await open(t, await page.evaluate(() => location.hash));
        assert.equal(await valueOf(shared, 'FEN'), await valueOf(page, 'FEN'));
        assert.equal(await (await find(shared, 'Play', 'radio')).evaluate((radio) => radio.checked), true);
        await click(shared, 'Edit', 'radio');
        assert.equal(await valueOf(shared, 'FEN'), await valueOf(page, 'FEN'));
        assert.equal(await shared.evaluate(() => location.hash.includes('moves')), false);
      });

    test('the Tablebase part works out four pieces offline, sets the winning moves apart, and Play it out answers each move',
      async (t) => {
        const page = await open(t, fragmentOf('8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1'));
        const verdict = () => page.$eval('#endgame-verdict', (line) => line.textContent);
        assert.match(await verdict(), /^Working out queen against rook: \d+ %$|^White mates in 9$/);
        await page.waitForFunction(() => document.getElementById('endgame-verdict').textContent === 'White mates in 9', { timeout: 60000 });
        const listed = (id) => page.$$eval(`#${id} li`, (items) => items.map((entry) => entry.textContent));
        assert.ok((await listed('winning-moves')).includes('Qg7+: mate in 9'));
        const others = await listed('other-moves');
        assert.ok(others.includes('Qd4+: draw'));
        assert.ok(others.some((text) => /^Qg2: Black mates in \d+$/.test(text)), others.join());
        // The board stays where it is as the Tablebase part comes and goes.
        const place = () => page.$eval('#board', (board) => {
          const { left, top, width } = board.getBoundingClientRect();
          return JSON.stringify([left + window.scrollX, top + window.scrollY, width].map(Math.round));
        });
        const shown = await place();
        // A board of more than seven pieces has no Tablebase part.
        await click(page, 'Start position');
        assert.equal(await page.$eval('#endgame', (part) => part.hidden), true);
        assert.equal(await place(), shown);
        await click(page, 'Undo');
        await shows(page, 'White mates in 9');
        // Five pieces, or castling rights, and the part says why its tables are silent.
        await paste(page, 'FEN', '8/8/8/8/8/2k5/1r6/K4RQ1 w - - 0 1');
        await shows(page, 'This page\'s tables cover up to four pieces, and this position has five: the online tablebase answers for up to seven.');
        assert.equal(await page.$eval('#tablebase-line', (line) => line.hidden), false);
        await paste(page, 'FEN', 'r3k3/8/8/8/8/8/8/4K3 b q - 0 1');
        await shows(page, 'This page\'s tables cover positions without castling rights: take them away in Castling to see the verdict.');
        await click(page, 'Undo');
        await click(page, 'Undo');
        await shows(page, 'White mates in 9');
        assert.equal(await place(), shown);

        await click(page, 'Play', 'radio');
        await click(page, 'Play it out: the tables answer each move', 'checkbox');
        await (await find(page, 'Move', 'textbox')).type('Qd4+');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => document.querySelectorAll('#moves li')[1]?.textContent.split(' ').length === 3, { timeout: 10000 });
        assert.match(await page.$eval('#status', (line) => line.textContent),
          /^Qd4\+ throws the win away: a draw now\. Q\w+\+? mates in 9\.$/);
        assert.equal(await verdict(), 'Draw');
        // Undo takes back the reply and the move it answered, and the page does not answer again.
        await click(page, 'Undo');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1');
        await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 300)));
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1');
        assert.equal(await page.$$eval('#moves li', (items) => items.length), 1);
      });

    test('a problem pasted in German is imported, solved in a worker with its tries, shown move by move and exported',
      async (t) => {
        const page = await open(t);
        await (await page.$('#import-part summary')).click();
        await paste(page, 'Paste a problem as composers write it (“White: Kg1 Rf1; Black: Kg8 #2”, “wKg1 wTf1 sKg8”, the solver\'s input, yacpdb, LaTeX) or a game in PGN.',
          'wKd1 wTb1h3 wDe4 wSd2f1 wBa3c2 sKc3 sLa2 sSc5 sBc4d3d4 #2 (8+6)');
        await click(page, 'Import');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1');
        assert.equal(await valueOf(page, 'Stipulation'), '#2');
        assert.equal(await page.$eval('#problem-line', (line) => line.textContent), '#2 (8+6)');
        assert.equal(await valueOf(page, 'Caption'), '#2 (8+6)');
        await shows(page, 'Imported, read in German.');
        await click(page, 'Solve');
        await shows(page, 'Sound: one solution. Choose a move to see its position.');
        // What the import said went when Solve started.
        assert.equal(await page.$eval('#status', (line) => line.textContent), '');
        const lines = await page.$$eval('#solution li', (items) => items.map((entry) => entry.textContent));
        assert.equal(lines[0], '1.Qb7! (2.Qb4#/Qb2#)');
        assert.ok(lines.includes('1...Bxb1 2.Qb4#/Nxb1#'), lines.join('|'));
        assert.ok(lines.includes('1.Qa8? Bxb1!'), lines.join('|'));
        // A move of the solution shows its position; the problem is one click away.
        await click(page, 'Nxb1#');
        assert.equal(await valueOf(page, 'FEN'), '8/1Q6/8/2n5/2pp4/P1kp3R/2P5/1N1K1N2 b - - 0 2');
        await click(page, 'Back to the problem');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1');
        await click(page, 'Popeye');
        assert.equal(await valueOf(page, 'As Popeye'),
          'begin\npieces white kd1 qe4 rb1h3 sd2f1 pa3c2 black kc3 ba2 sc5 pc4d3d4\nstipulation #2\nend\n');

        // A long helpmate is shared between a worker a processor, and Stop stops them all.
        await paste(page, 'Stipulation', 'h#4');
        await click(page, 'Solve');
        const processors = await page.evaluate(() => Math.min(8, navigator.hardwareConcurrency || 1));
        if (engine === 'chromium') {
          for (let tries = 0; page.workers().length < processors && tries < 100; tries += 1) await new Promise((resolve) => setTimeout(resolve, 50));
          assert.equal(page.workers().length, processors);
        }
        // Found by its id: with every core searching, Firefox's accessibility tree answers slowly.
        assert.equal(await page.$eval('#stop', (button) => button.hidden), false);
        await page.$eval('#stop', (button) => button.click());
        await shows(page, 'Stopped.');
        assert.equal(await page.$eval('#solve', (button) => button.disabled), false);
        if (engine === 'chromium') {
          for (let tries = 0; page.workers().length > 0 && tries < 100; tries += 1) await new Promise((resolve) => setTimeout(resolve, 50));
          assert.equal(page.workers().length, 0);
        }
      });

    test('a file of problems and twins is stepped through, each solved with its options, and all of them in turn', async (t) => {
      const page = await open(t);
      const text = 'begin\nauthor A. Composer\npieces white kb6 rh1 black ka8\nstipulation #2\noption setplay nothreat maxsolutions 1\n'
        + 'next\npieces white kb6 rh1 black ka8\nstipulation h#1\ntwin move h1 h2\nend\n';
      const importBox = await page.$('#import-file');
      if (engine === 'chromium') {
        // The file opened goes through the Import box.
        const file = join(await mkdtemp(join(tmpdir(), 'piecefen-page-')), 'problems.txt');
        await writeFile(file, text);
        await importBox.uploadFile(file);
      } else {
        await page.$eval('#import-part', (part) => { part.open = true; });
        await page.$eval('#import-text', (box, value) => { box.value = value; }, text);
        await click(page, 'Import');
      }
      await shows(page, 'Imported 3 problems and twins, read in English: Problem 1 is on the board.');
      assert.equal(await page.$eval('#problem-place', (place) => place.textContent), 'Problem 1, 1 of 3');
      assert.equal(await page.$eval('#problem-options', (line) => line.textContent), 'Options: set play, no threats, at most one solution.');
      await click(page, 'Solve');
      await shows(page, 'Sound: one solution. Choose a move to see its position.');
      assert.deepEqual(await page.$$eval('#solution li', (items) => items.map((entry) => entry.textContent)),
        ['1...Kb8 2.Rh8#', '1.Kc7!', '1...Ka7 2.Ra1#']);
      await click(page, 'Next');
      assert.equal(await page.$eval('#problem-place', (place) => place.textContent), 'Problem 2 a), 2 of 3');
      assert.equal(await valueOf(page, 'Stipulation'), 'h#1');
      await click(page, 'Next');
      assert.equal(await valueOf(page, 'FEN'), 'k7/8/1K6/8/8/8/7R/8 b - - 0 1');
      assert.equal(await page.$eval('#next-problem', (button) => button.disabled), true);
      await click(page, 'Solve all');
      await shows(page, 'Solved all 3.');
      assert.deepEqual(await page.$$eval('#problem-results li', (items) => items.map((entry) => entry.textContent)),
        ['Problem 1: sound.', 'Problem 2 a): sound.', 'Problem 2 b): sound.']);
      // A problem's answer comes back with it.
      await click(page, 'Problem 1');
      assert.equal(await valueOf(page, 'FEN'), 'k7/8/1K6/8/8/8/8/7R w - - 0 1');
      await shows(page, 'Sound: one solution. Choose a move to see its position.');
    });

    test('the answer shares the first screen with the board on a desk and comes right under it on a phone, a short solution called short',
      async (t) => {
        for (const viewport of [{ width: 1280, height: 900 }, { width: 375, height: 740 }]) {
          const page = await open(t, fragmentOf('8/8/8/5k2/8/8/1Q6/K7 w - - 0 1'), { viewport });
          await page.waitForFunction(() => /mates in 10/.test(document.getElementById('endgame-verdict').textContent), { timeout: 60000 });
          const boxes = () => page.evaluate(() => Object.fromEntries(['board', 'answer', 'fen', 'endgame-verdict', 'solution'].map((id) => [id,
            document.getElementById(id).getBoundingClientRect().toJSON()])));
          let at = await boxes();
          assert.ok(at['endgame-verdict'].bottom <= viewport.height && at.board.bottom <= viewport.height, JSON.stringify(at));
          // On a phone the answer comes under the board and before the fields.
          if (viewport.width < 500) assert.ok(at.answer.top >= at.board.bottom && at.answer.bottom <= at.fen.top, JSON.stringify(at));
          await paste(page, 'FEN', '6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1');
          await paste(page, 'Stipulation', '#2');
          await click(page, 'Solve');
          await shows(page, 'Short: one solution, in one move where two were asked. Choose a move to see its position.');
          at = await boxes();
          // Scrolled into view to the pixel, give or take a part of one.
          assert.ok(at.solution.top >= -1 && at.solution.bottom <= viewport.height && at.board.top >= -1, JSON.stringify(at));
          await click(page, 'Ra8#!');
          assert.equal(await valueOf(page, 'FEN'), 'R5k1/5ppp/8/8/8/8/8/6K1 b - - 1 1');
          at = await boxes();
          assert.ok(at.board.top >= -1 && at.board.top < viewport.height, JSON.stringify(at));
        }
      });

    test('an ambiguous problem asks for the language, and a problem or a long paste in the FEN field is pointed to Import',
      async (t) => {
        const page = await open(t);
        await page.$eval('#import-part', (part) => { part.open = true; });
        await paste(page, 'Paste a problem as composers write it (“White: Kg1 Rf1; Black: Kg8 #2”, “wKg1 wTf1 sKg8”, the solver\'s input, yacpdb, LaTeX) or a game in PGN.',
          'white Kg1 Bb2 black Kg8 h#2');
        await click(page, 'Import');
        await shows(page, 'The letters read differently in English and German: choose the language.');
        await page.select('#import-language', 'en');
        assert.equal(await valueOf(page, 'FEN'), '6k1/8/8/8/8/8/1B6/6K1 b - - 0 1');
        // The language chosen was for that import: the next text is read in its own.
        await paste(page, 'Paste a problem as composers write it (“White: Kg1 Rf1; Black: Kg8 #2”, “wKg1 wTf1 sKg8”, the solver\'s input, yacpdb, LaTeX) or a game in PGN.',
          'wKg1 wDd1 wTf1 sKg8 sBf7g7h7 #2');
        await click(page, 'Import');
        assert.equal(await valueOf(page, 'FEN'), '6k1/5ppp/8/8/8/8/8/3Q1RK1 w - - 0 1');
        assert.equal(await page.$eval('#import-language-part', (part) => part.hidden), true);

        await paste(page, 'FEN', 'White: Kg1 Rf1; Black: Kg8 #2');
        await shows(page, 'This looks like a chess problem, not a FEN line.');
        await click(page, 'Import it');
        assert.equal(await valueOf(page, 'FEN'), '6k1/8/8/8/8/8/8/5RK1 w - - 0 1');
        await paste(page, 'FEN', '[Event "?"]\n1. e4 e5 2. Nf3 *');
        await shows(page, 'This looks like a game in PGN, not a FEN line.');
        await click(page, 'Import it');
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2');

        // A long paste that is no FEN lists a screenful of errors, not one item for each byte.
        await paste(page, 'FEN', 'x'.repeat(10000));
        const listed = await page.$$eval('#fen-errors li', (items) => items.map((entry) => entry.textContent));
        assert.equal(listed.length, 11);
        assert.equal(listed.at(-1), 'and 9,992 more');
        // The field stays within the screen, and its marks inside it.
        const [field, marks, screen] = await page.evaluate(() => [document.getElementById('fen').getBoundingClientRect(),
          document.getElementById('fen-marks').getBoundingClientRect(), window.innerHeight].map((box) => (typeof box === 'number' ? box : box.toJSON())));
        assert.ok(field.height <= screen / 2, JSON.stringify(field));
        assert.ok(marks.top >= field.top - 1 && marks.bottom <= field.bottom + 1, JSON.stringify({ field, marks }));
      });

    test('Play mode asks for the piece a pawn becomes, by click or key, and says mate, stalemate and a dead position, on a phone too',
      async (t) => {
        const page = await open(t, `${fragmentOf('k7/4P3/1K6/8/8/8/8/8 w - - 0 1')}&moves=`, { viewport: { width: 375, height: 740 } });
        await (await square(page, 'e7 white pawn')).tap();
        await (await square(page, 'e8 empty, a legal move')).tap();
        await click(page, 'Knight');
        assert.equal(await valueOf(page, 'FEN'), 'k3N3/8/1K6/8/8/8/8/8 b - - 0 1');
        await shows(page, 'Legal. Neither side can mate.');
        const summary = await page.evaluate(() => document.getElementById('summary').getBoundingClientRect().bottom);
        assert.ok(summary <= 740, String(summary));
        await click(page, 'Undo');
        const pawn = await square(page, 'e7 white pawn');
        await pawn.focus();
        for (const key of [' ', 'ArrowUp', ' ', 'q']) await page.keyboard.press(key);
        assert.equal(await valueOf(page, 'FEN'), 'k3Q3/8/1K6/8/8/8/8/8 b - - 0 1');
        await shows(page, 'Legal. Black is checkmated.');
        await click(page, 'Undo');
        await (await find(page, 'Move', 'textbox')).type('e8=R');
        await page.keyboard.press('Enter');
        await shows(page, 'Legal. Black is checkmated.');
        assert.match(await valueOf(page, 'PGN'), /\[Result "1-0"\][^]*\n1\. e8=R# 1-0\n$/);
        await paste(page, 'FEN', 'k7/2Q5/1K6/8/8/8/8/8 b - - 0 1');
        await shows(page, 'Legal. Stalemate: Black has no move.');
        assert.deepEqual(await page.$$eval('#moves li', (items) => items.map((entry) => entry.textContent)), ['Set-up position']);
      });

    test('the position is handed on as a PGN to copy or download and as a link to analyse it', async (t) => {
      const page = await open(t, fragmentOf('4k3/8/8/8/8/8/4P3/4K3 w - - 0 1'), { origin: 'over HTTP' });
      const pgn = await (await find(page, 'PGN', 'textbox')).evaluate((field) => field.value);
      assert.equal(pgn, '[Event "?"]\n[Site "?"]\n[Date "????.??.??"]\n[Round "?"]\n[White "?"]\n[Black "?"]\n[Result "*"]\n'
        + '[SetUp "1"]\n[FEN "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"]\n\n*\n');
      const download = await find(page, 'Download PGN', 'link');
      assert.equal(await download.evaluate((a) => decodeURIComponent(a.href.split(',')[1])), pgn);
      assert.equal(await (await find(page, 'Analyse', 'link')).evaluate((a) => a.href),
        'https://lichess.org/analysis/4k3/8/8/8/8/8/4P3/4K3_w_-_-_0_1');
      await click(page, 'Copy PGN');
      await shows(page, 'PGN copied.');
    });

    test('the diagram is saved as SVG and as PNG, drawn from the same pieces, and its PNG reads back as the board',
      async (t) => {
        const fen = 'r3k2r/pp1n1ppp/2p1b3/q2pP3/3P1B2/2N2N2/PP3PPP/R2QK2R b KQkq - 0 1';
        const page = await open(t, fragmentOf(fen));
        // A link followed to save a file is caught here, with the address it holds.
        await page.evaluate(() => {
          window.saved = [];
          HTMLAnchorElement.prototype.click = function follow() { window.saved.push([this.download, this.href]); };
        });
        const saved = () => page.evaluate(() => window.saved.splice(0));
        await click(page, 'Download SVG');
        const [[svgName, svgAddress]] = await saved();
        assert.equal(svgName, 'position.svg');
        const svg = decodeURIComponent(svgAddress.split(',')[1]);
        assert.match(svg, /^<svg [^>]*width="720"/);
        assert.match(svg, new RegExp(`<title>${fen}</title>`));
        await (await find(page, 'Coordinates', 'checkbox')).click();
        await (await find(page, 'PNG width', 'combobox')).select('360');
        await click(page, 'Download PNG');
        await page.waitForFunction(() => window.saved.length > 0);
        const [[pngName, pngAddress]] = await saved();
        assert.equal(pngName, 'position.png');
        const picture = decodePng(Buffer.from(pngAddress.split(',')[1], 'base64'));
        assert.equal(picture.width, 360);
        // The border is two units of a board of 320 drawn 360 wide.
        const square = 360 / 324 * 40;
        assert.equal(readBoard(picture, { left: 360 / 324 * 2, top: 360 / 324 * 2, square }), colours(boardOf(fen)));
        await click(page, 'Copy image');
        await page.waitForFunction(() => /copied|clipboard/.test(document.getElementById('status').textContent));
        // The board on the page is drawn with the library's pieces, never with font characters.
        assert.equal(await page.$$eval('[role="gridcell"]', (cells) => cells.every((cell) => cell.textContent === '')), true);
        assert.equal(await page.$$eval('[role="gridcell"] img[src^="data:image/svg+xml"]', (images) => images.length),
          boardOf(fen).replaceAll('.', '').length);
      });

    test('on a phone the FEN and whether it is legal stay in view after a tap on the board', async (t) => {
      const page = await open(t, fragmentOf(START), { viewport: { width: 375, height: 740 } });
      await (await square(page, 'e4 empty')).tap();
      const bottoms = await page.evaluate(() => ['fen', 'summary'].map((id) => document.getElementById(id).getBoundingClientRect().bottom));
      assert.ok(bottoms.every((bottom) => bottom <= 740), JSON.stringify(bottoms));
      assert.equal(await page.evaluate(() => document.getElementById('summary').textContent), 'Illegal: one reason, see Legality.');
    });

    test('the whole FEN is in view, on a phone the piece list and the board too, and nothing scrolls sideways',
      async (t) => {
        const long = 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 100 200';
        for (const viewport of [{ width: 1280, height: 800 }, { width: 375, height: 740 }]) {
          const page = await open(t, fragmentOf(long), { viewport });
          // Where a field cannot size itself to its text, the page measures it in the next frame.
          await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
          const layout = await page.evaluate(() => {
            const bottom = (id) => document.getElementById(id).getBoundingClientRect().bottom;
            const fen = document.getElementById('fen');
            return { fenHidden: fen.scrollHeight - fen.clientHeight, fenRight: fen.getBoundingClientRect().right,
              wide: document.documentElement.scrollWidth, list: bottom('piece-list'), board: bottom('board') };
          });
          assert.ok(layout.fenHidden <= 0 && layout.fenRight <= viewport.width, JSON.stringify(layout));
          assert.ok(layout.wide <= viewport.width, JSON.stringify(layout));
          if (viewport.width < 500) assert.ok(layout.list <= 740 && layout.board <= 740, JSON.stringify(layout));
        }
      });

    test('the Copy button copies the FEN, reached from the keyboard, and what it said goes at the next edit', async (t) => {
      const page = await open(t, fragmentOf(EXAMPLE_FEN), { origin: 'over HTTP' });
      await (await find(page, 'FEN', 'textbox')).focus();
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Copy');
      await page.keyboard.press('Enter');
      await shows(page, 'FEN copied.');
      await click(page, 'Black to move', 'radio');
      assert.equal(await page.$eval('#status', (line) => line.textContent), '');
    });

    test('hostile text stays text, through the address, the fields, the controls and the palette', async (t) => {
      const page = await open(t, `#${HOSTILE}`);
      assert.equal(await valueOf(page, 'Piece list'), HOSTILE);
      await paste(page, 'Piece list', `Ke1 ${HOSTILE}`);
      await paste(page, 'FEN', `${HOSTILE} w - - 0 1`);
      // The FEN reader stores the bytes as squares; they are labelled and moved, never parsed.
      await drag(page, 'a8 “<”, no piece', 'e4 empty');
      await click(page, 'white pawn');
      await (await square(page, 'b8 “i”, no piece')).click();
      await click(page, 'Black to move', 'radio');
      await click(page, 'Flip board');
      await square(page, 'e4 “<”, no piece');
      const shared = await page.evaluate(() => location.hash);
      assert.equal(await markup(page), 1);
      const again = await open(t, shared);
      assert.equal(await valueOf(again, 'FEN'), await valueOf(page, 'FEN'));
      assert.equal(await markup(again), 1);
    });

    test('axe finds no WCAG 2.2 AA fault in the dark scheme either, illegalities shown', async (t) => {
      const dark = await launch(engine, { dark: true });
      const page = await open(t, fragmentOf('kk6/8/8/8/8/8/8/7P w K e3 0 1'), { on: dark });
      t.after(() => dark.close());
      assert.equal(await page.evaluate(() => matchMedia('(prefers-color-scheme: dark)').matches), true);
      assert.equal((await illegalityTexts(page)).length, 5);
      assert.deepEqual(await axeViolations(page), []);
      assert.ok(await ringContrast(page) >= 3);
    });
  });
}
