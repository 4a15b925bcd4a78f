// SPDX-License-Identifier: MIT
// The page in a real Chromium, as a person uses it: opened from disk and from a web
// server on 127.0.0.1, typed into, pasted into, and opened from a shared address. Every
// test also checks that the page asked for nothing but itself and logged no error.
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { after, before, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { chromium } from 'playwright-core';

import { BUILD } from './built.mjs';

const PAGE = `${BUILD}/piecefen.html`;
const SCREENSHOT = fileURLToPath(new URL('../../docs/piecefen-page.png', import.meta.url));
const EXAMPLE = 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7';
const EXAMPLE_FEN = '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1';
const ADDRESS = 'https://syzygy-tables.info/?fen=';

let browser;
let server;
const origins = {};
before(async () => {
  // Debian's Chromium, started as this machine allows: no sandbox as root, and none of
  // the background connections a closed network refuses.
  browser = await chromium.launch({
    executablePath: process.env.PIECEFEN_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--disable-quic', '--no-first-run'],
  });
  const page = await readFile(PAGE);
  server = createServer((request, response) => {
    if (request.url !== '/piecefen.html' && !request.url.startsWith('/piecefen.html?')) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' }).end(page);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origins['from disk'] = pathToFileURL(PAGE).href;
  origins['over HTTP'] = `http://127.0.0.1:${server.address().port}/piecefen.html`;
});
after(async () => {
  await browser?.close();
  server?.close();
});

// Opens the page at `fragment` in a fresh browser context; `t.after` then checks that it
// requested nothing but itself, logged no error and opened no dialog.
async function open(t, fragment = '', { origin = 'from disk', ...options } = {}) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 640 }, ...options });
  const page = await context.newPage();
  const problems = [];
  page.on('request', (request) => {
    if (request.url().split('#')[0] !== origins[origin]) problems.push(`request for ${request.url()}`);
  });
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') problems.push(`${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`uncaught ${error.message}`));
  page.on('dialog', (dialog) => {
    problems.push(`dialog: ${dialog.message()}`);
    dialog.dismiss();
  });
  t.after(async () => {
    await context.close();
    assert.deepEqual(problems, []);
  });
  await page.goto(origins[origin] + fragment);
  await page.waitForFunction(() => performance.getEntriesByName('piecefen:board').length > 0);
  return page;
}

const square = (page, label) => page.getByRole('img', { name: label, exact: true });
const emptySquares = (page) => page.getByRole('img', { name: / empty$/ }).count();

for (const origin of ['from disk', 'over HTTP']) {
  test(`typing the example shows its board, FEN and link, ${origin}`, async (t) => {
    const page = await open(t, '', { origin });
    const firstBoard = await page.evaluate(() => performance.getEntriesByName('piecefen:board')[0].startTime);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'piece-list');
    const historyLength = await page.evaluate(() => history.length);

    await page.keyboard.type(EXAMPLE);
    assert.equal(await page.getByLabel('FEN').inputValue(), EXAMPLE_FEN);
    const link = page.getByRole('link', { name: 'Open in the Syzygy tablebase' });
    assert.equal(await link.getAttribute('href'), `${ADDRESS}6k1/5ppp/8/8/8/8/5PPP/5RK1_w_-_-_0_1`);
    assert.equal(await link.getAttribute('target'), '_blank');
    for (const label of ['g1 white king', 'f1 white rook', 'h2 white pawn', 'g8 black king', 'f7 black pawn', 'e4 empty']) {
      await square(page, label).waitFor({ timeout: 1000 });
    }
    assert.equal(await emptySquares(page), 64 - 9);
    // The address follows without filling the history.
    assert.equal(await page.evaluate(() => location.hash), '#Kg1%20Rf1%20Pf2g2h2%20/%20Kg8%20Pf7g7h7');
    assert.equal(await page.evaluate(() => history.length), historyLength);

    // One more keystroke, timed from its key event to the board drawn for it.
    await page.evaluate(() => {
      window.keystroke = new Promise((resolve) => {
        let pressed;
        addEventListener('keydown', (event) => { pressed = event.timeStamp; }, { once: true, capture: true });
        new PerformanceObserver((list, observer) => {
          observer.disconnect();
          resolve(list.getEntries()[0].startTime - pressed);
        }).observe({ type: 'mark' });
      });
    });
    await page.keyboard.press('Backspace');
    const keystroke = await page.evaluate(() => window.keystroke);
    await square(page, 'h7 empty').waitFor({ timeout: 1000 });
    t.diagnostic(`${origin}: navigation to first board ${firstBoard.toFixed(1)} ms, keystroke to board ${keystroke.toFixed(2)} ms`);
  });
}

test('a FEN line pasted into its field shows its board and piece list, and stays as typed', async (t) => {
  const page = await open(t);
  const line = 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1';
  await page.getByLabel('FEN').fill(line);
  assert.equal(await page.getByLabel('Piece list').inputValue(),
    'Ke1 Qd1 Ra1h1 Bc1f1 Nb1g1 Pa2b2c2d2e4f2g2h2 / Ke8 Qd8 Ra8h8 Bc8f8 Nb8g8 Pa7b7c7d7e7f7g7h7');
  assert.equal(await page.getByLabel('FEN').inputValue(), line);
  await square(page, 'e4 white pawn').waitFor({ timeout: 1000 });
  await square(page, 'e2 empty').waitFor({ timeout: 1000 });
  assert.equal(await emptySquares(page), 64 - 32);

  // A byte the FEN reader stores that is no piece is shown as it is.
  await page.getByLabel('FEN').fill('x7/8/8/8/8/8/8/7K w - - 0 1');
  await square(page, 'a8 “x”').waitFor({ timeout: 1000 });
  assert.equal(await page.getByLabel('Piece list').inputValue(), 'Kh1');
});

test('an address with a fragment opens that position, and a new fragment replaces it', async (t) => {
  const page = await open(t, '#Ke1%20Qd1%20/%20Ke8');
  assert.equal(await page.getByLabel('Piece list').inputValue(), 'Ke1 Qd1 / Ke8');
  await square(page, 'e8 black king').waitFor({ timeout: 1000 });
  await square(page, 'd1 white queen').waitFor({ timeout: 1000 });

  await page.evaluate(() => { location.hash = '#Pa2 / a7'; });
  await square(page, 'a7 black pawn').waitFor({ timeout: 1000 });
  assert.equal(await page.getByLabel('FEN').inputValue(), '8/p7/8/8/8/8/P7/8 w - - 0 1');

  // A broken escape is read as the characters it is.
  await page.evaluate(() => { location.hash = '#Ke1%E0%A4%A'; });
  await page.waitForFunction(() => document.getElementById('piece-list').value === 'Ke1%E0%A4%A');
  await square(page, 'e1 white king').waitFor({ timeout: 1000 });
});

test('hostile text in the address and in both fields stays text', async (t) => {
  const hostile = '<img src=x onerror=alert(1)><script>alert(2)</script>"\'><b>';
  const page = await open(t, `#${hostile}`);
  const markup = () => page.evaluate(() => document.querySelectorAll('img, b, script').length);
  assert.equal(await page.getByLabel('Piece list').inputValue(), hostile);
  assert.equal(await markup(), 1);
  await page.getByLabel('Piece list').fill(`Ke1 ${hostile}`);
  await page.getByLabel('FEN').fill(`${hostile} w - - 0 1`);
  // The FEN reader stores the bytes as squares; they are labelled, never parsed.
  await square(page, 'a8 “<”').waitFor({ timeout: 1000 });
  assert.equal(await markup(), 1);
});

test('a 100,000-character paste answers at once', async (t) => {
  const page = await open(t);
  const pieceList = `${'Ka1 '.repeat(25_000)}/ Qh8`;
  const start = Date.now();
  await page.getByLabel('Piece list').fill(pieceList);
  assert.equal(await page.getByLabel('FEN').inputValue(), '7q/8/8/8/8/8/8/K7 w - - 0 1');
  await page.getByLabel('FEN').fill(`${'p'.repeat(100_000)} b - - 0 1`);
  assert.equal(await page.getByLabel('Piece list').inputValue(), `/ P${[...'abcdefgh'].flatMap((f) => [...'12345678'].map((r) => f + r)).join('')}`);
  t.diagnostic(`two 100,000-character pastes answered in ${Date.now() - start} ms`);
});

test('the Copy button copies the FEN, reached from the keyboard', async (t) => {
  const page = await open(t, '#Ke1%20/%20Ke8', { origin: 'over HTTP', permissions: ['clipboard-read', 'clipboard-write'] });
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'fen');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  await page.getByText('FEN copied.').waitFor({ timeout: 1000 });
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), '4k3/8/8/8/8/8/8/4K3 w - - 0 1');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Open in the Syzygy tablebase');
});

test('the README\'s screenshot, of the example position', async (t) => {
  const page = await open(t, `#${EXAMPLE}`, { viewport: { width: 960, height: 600 } });
  await page.screenshot({ path: SCREENSHOT });
});
