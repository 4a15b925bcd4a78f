// SPDX-License-Identifier: MIT
// The page as a person uses it, in Chromium and in Firefox over the same steps: opened from
// disk and from a web server on 127.0.0.1, typed into, clicked, keyed and dragged on, and
// opened from a shared address. Controls are found by their accessible names, as a
// screen reader finds them. Every page must ask for nothing but itself and log no error.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { BUILD } from './built.mjs';
import { PUPPETEER_ENGINES, launch } from './browsers.mjs';

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
const find = (page, name, role) => page.waitForSelector(`::-p-aria([name="${name}"][role="${role}"])`, { timeout: 2000 });
const square = (page, label) => find(page, label, 'gridcell');
const valueOf = async (page, name) => (await find(page, name, 'textbox')).evaluate((field) => field.value);
const click = async (page, name, role = 'button') => (await find(page, name, role)).click();
// Text arrives in a field as a paste does: all at once.
const paste = async (page, name, text) => (await find(page, name, 'textbox')).evaluate((field, value) => {
  field.value = value;
  field.dispatchEvent(new InputEvent('input', { bubbles: true, inputType: 'insertFromPaste' }));
}, text);
const emptySquares = (page) => page.$$eval('[role="gridcell"]', (cells) => cells.filter((cell) => cell.ariaLabel.endsWith(' empty')).length);
const problemTexts = async (page) => (await find(page, 'Problems', 'list')).$$eval('li', (items) => items.map((item) => item.textContent));
const shows = (page, text) => page.waitForSelector(`::-p-text(${JSON.stringify(text)})`, { timeout: 2000 });
const markup = (page) => page.$$eval('img, b, script', (elements) => elements.length);
// The centre of an element on the screen.
const centre = async (handle) => {
  const { x, y, width, height } = await handle.boundingBox();
  return [x + width / 2, y + height / 2];
};

async function drag(page, from, to) {
  const [x, y] = await centre(await square(page, from));
  const [toX, toY] = typeof to === 'string' ? await centre(await square(page, to)) : to;
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.move((x + toX) / 2, (y + toY) / 2, { steps: 4 });
  await page.mouse.move(toX, toY, { steps: 4 });
  await page.mouse.up();
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
        if (url.split('#')[0] !== origins[origin] && !url.startsWith('data:')) faults.push(`request for ${url}`);
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
        assert.deepEqual(await problemTexts(page), []);
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
      await click(page, 'white king');
      await (await square(page, 'e1 empty')).click();
      // One square in the tab order, the one last used; the arrows move it, letters place.
      assert.equal(await page.$$eval('[role="gridcell"][tabindex="0"]', (cells) => cells.map((cell) => cell.ariaLabel).join()),
        'e1 white king');
      for (let rank = 1; rank < 8; ++rank) await page.keyboard.press('ArrowUp');
      await page.keyboard.type('k');
      await page.keyboard.press('ArrowLeft');
      await page.keyboard.type('R');
      await square(page, 'd8 white rook');
      await page.keyboard.press('Delete');
      await square(page, 'd8 empty');
      assert.equal(await page.evaluate(() => document.activeElement.ariaLabel), 'd8 empty');

      await drag(page, 'd4 black queen', 'h4 empty');
      await square(page, 'h4 black queen');
      await square(page, 'd4 empty');
      const [x, y] = await centre(await square(page, 'h4 black queen'));
      await drag(page, 'h4 black queen', [x - 600, y]);
      await square(page, 'h4 empty');
      assert.equal(await valueOf(page, 'FEN'), '4k3/8/8/8/8/8/8/4K3 w - - 0 1');
      assert.equal(await valueOf(page, 'Piece list'), 'Ke1 / Ke8');
    });

    test('side to move, castling, en passant and the buttons write the FEN, and offer only what the board allows',
      async (t) => {
        const page = await open(t);
        const checkbox = (name) => find(page, name, 'checkbox');
        const state = async (name) => (await checkbox(name)).evaluate((box) => [box.checked, box.disabled]);
        const options = () => page.$$eval('#en-passant option', (all) => all.map((option) => option.textContent));
        await click(page, 'Start position');
        assert.equal(await valueOf(page, 'FEN'), START);
        assert.deepEqual(await state('White O-O'), [true, false]);
        await (await checkbox('Black O-O-O')).click();
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1');
        // Without its rook at home a right goes, and cannot be set.
        await click(page, 'empty square');
        await (await square(page, 'h1 white rook')).click();
        assert.deepEqual(await state('White O-O'), [false, true]);
        await click(page, 'Black to move', 'radio');
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 b Qk - 0 1');

        await paste(page, 'FEN', 'rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3');
        assert.deepEqual(await options(), ['none', 'd6']);
        assert.equal(await (await find(page, 'En passant', 'combobox')).evaluate((select) => select.value), 'd6');
        await click(page, 'Black to move', 'radio');
        assert.deepEqual(await options(), ['none']);
        assert.equal(await valueOf(page, 'FEN'), 'rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3');

        await click(page, 'Flip board');
        assert.equal(await page.$eval('[role="gridcell"]', (first) => first.ariaLabel), 'h1 white rook');
        assert.match(await page.evaluate(() => location.hash), /&view=black$/);
        await (await square(page, 'e2 empty')).focus();
        await page.keyboard.press('ArrowUp');
        assert.equal(await page.evaluate(() => document.activeElement.ariaLabel), 'e1 white king');
        await click(page, 'Clear board');
        assert.equal(await valueOf(page, 'FEN'), '8/8/8/8/8/8/8/8 b - - 0 3');
        assert.deepEqual(await problemTexts(page), ['The board is empty.', 'White has no king.', 'Black has no king.']);
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

      // Addresses from before hold a piece list, or even a broken escape.
      const old = await open(t, '#Ke1%20Qd1%20/%20Ke8');
      assert.equal(await valueOf(old, 'Piece list'), 'Ke1 Qd1 / Ke8');
      assert.equal(await valueOf(old, 'FEN'), '4k3/8/8/8/8/8/8/3QK3 w - - 0 1');
      await old.evaluate(() => { location.hash = '#Ke1%E0%A4%A'; });
      await square(old, 'e1 white king');
      await square(old, 'd1 empty');
    });

    test('what is wrong is listed in words and marked on the board, and the link comes where the tablebase answers',
      async (t) => {
        const page = await open(t, fragmentOf('4k3/8/8/8/8/8/4R3/4K3 w - - 0 1'));
        assert.deepEqual(await problemTexts(page), ["Black's king is in check, but it is White's move: e8, e2."]);
        const marks = await page.$$eval('[role="gridcell"]', (cells) => cells.filter((cell) => getComputedStyle(cell, '::after').content === '"!"')
          .map((cell) => cell.ariaLabel));
        assert.deepEqual(marks, ['e8 black king', 'e2 white rook']);
        assert.deepEqual(await axeViolations(page), []);
        await shows(page, 'The tablebase answers only for a position without problems.');

        await click(page, 'Black to move', 'radio');
        assert.deepEqual(await problemTexts(page), []);
        const link = await find(page, 'Open in the Syzygy tablebase', 'link');
        assert.equal(await link.evaluate((a) => a.href), `${ADDRESS}4k3/8/8/8/8/8/4R3/4K3_b_-_-_0_1`);
        await paste(page, 'FEN', 'r3k3/8/8/8/8/8/4R3/4K3 b q - 0 1');
        await shows(page, 'The tablebase answers only for a position without castling rights.');
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

    test('the Copy button copies the FEN, reached from the keyboard', async (t) => {
      const page = await open(t, fragmentOf(EXAMPLE_FEN), { origin: 'over HTTP' });
      await (await find(page, 'FEN', 'textbox')).focus();
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Copy');
      await page.keyboard.press('Enter');
      await shows(page, 'FEN copied.');
    });

    test('hostile text stays text, through the address, the fields, the controls and the palette', async (t) => {
      const page = await open(t, `#${HOSTILE}`);
      assert.equal(await valueOf(page, 'Piece list'), HOSTILE);
      await paste(page, 'Piece list', `Ke1 ${HOSTILE}`);
      await paste(page, 'FEN', `${HOSTILE} w - - 0 1`);
      // The FEN reader stores the bytes as squares; they are labelled and moved, never parsed.
      await drag(page, 'a8 “<”', 'e4 empty');
      await click(page, 'white pawn');
      await (await square(page, 'b8 “i”')).click();
      await click(page, 'Black to move', 'radio');
      await click(page, 'Flip board');
      await square(page, 'e4 “<”');
      const shared = await page.evaluate(() => location.hash);
      assert.equal(await markup(page), 1);
      const again = await open(t, shared);
      assert.equal(await valueOf(again, 'FEN'), await valueOf(page, 'FEN'));
      assert.equal(await markup(again), 1);
    });

    test('axe finds no WCAG 2.2 AA fault in the dark scheme either, problems shown', async (t) => {
      const dark = await launch(engine, { dark: true });
      const page = await open(t, fragmentOf('kk6/8/8/8/8/8/8/7P w K e3 0 1'), { on: dark });
      t.after(() => dark.close());
      assert.equal(await page.evaluate(() => matchMedia('(prefers-color-scheme: dark)').matches), true);
      assert.equal((await problemTexts(page)).length, 5);
      assert.deepEqual(await axeViolations(page), []);
    });
  });
}
