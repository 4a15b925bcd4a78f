// SPDX-License-Identifier: MIT
// A first look at the page in WebKit, Safari's engine and so every iPhone's, through
// WebKitGTK's WebDriver: the example typed, a piece put down from the palette, Black to
// move, a move played in Play mode, and no error on the way. WebKit paints a moment after the DOM changes, so each
// check waits for what it expects.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';

import { BUILD } from './built.mjs';
import { webkit } from './browsers.mjs';

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';
const missing = spawnSync('sh', ['-c', 'command -v WebKitWebDriver && command -v xvfb-run']).status !== 0;

test('WebKit: the example typed, a piece from the palette, Black to move, a move played, an endgame answered, a problem solved, and no error', {
  // CI installs what this needs, so only a developer's machine may go without.
  skip: missing && process.env.CI !== 'true' && 'WebKitWebDriver or xvfb-run is not installed',
}, async (t) => {
  const browser = await webkit();
  t.after(browser.close);
  const run = (script) => browser.command('POST', '/execute/sync', { script, args: [] });
  const element = async (css) => (await browser.command('POST', '/element', { using: 'css selector', value: css }))[ELEMENT];
  const click = async (css) => browser.command('POST', `/element/${await element(css)}/click`, {});
  const until = async (script, expected) => {
    for (let tries = 0; ; ++tries) {
      const value = await run(script);
      if (value === expected || tries === 50) return assert.equal(value, expected, script);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  };

  await browser.command('POST', '/url', { url: pathToFileURL(`${BUILD}/piecefen.html`).href });
  await until('return performance.getEntriesByName("piecefen:board").length', 1);
  await run('window.faults = []; addEventListener("error", (event) => faults.push(event.message));'
    + 'addEventListener("unhandledrejection", (event) => faults.push(String(event.reason)));');
  await browser.command('POST', `/element/${await element('#piece-list')}/value`, { text: 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7' });
  await until('return document.getElementById("fen").value', '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1');
  await click('[aria-label="black queen"]');
  await click('[role="gridcell"][data-index="36"]');
  await click('#black-to-move');
  await until('return document.getElementById("fen").value', '6k1/5ppp/8/8/4q3/8/5PPP/5RK1 b - - 0 1');
  const e4 = await element('[role="gridcell"][data-index="36"]');
  assert.equal(await browser.command('GET', `/element/${e4}/computedlabel`), 'e4 black queen');

  // Play mode from an address that holds a move: a pawn picked up and put down plays the next.
  const start = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
  await run(`location.hash = ${JSON.stringify(`#fen=${encodeURIComponent(start).replaceAll('%2F', '/')}&moves=e2e4`)}`);
  await until('return document.getElementById("summary").textContent', 'Legal. Black to move: 20 legal moves.');
  await click('[role="gridcell"][data-index="11"]');
  await click('[role="gridcell"][data-index="27"]');
  await until('return document.getElementById("fen").value', 'rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2');
  await until('return [...document.querySelectorAll("#moves li")].map((item) => item.textContent).join(" | ")', 'Set-up position | 1. e4 d5');

  // The Tablebase part, worked out in a worker.
  await run(`location.hash = ${JSON.stringify('#fen=8/8/8/5k2/8/8/1Q6/K7%20w%20-%20-%200%201')}`);
  for (let tries = 0; tries < 300 && await run('return document.getElementById("endgame-verdict").textContent') !== 'White mates in 10'; ++tries) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await until('return document.getElementById("endgame-verdict").textContent', 'White mates in 10');
  await until('return document.querySelector("#winning-moves li").textContent', 'Qb8: mate in 10');

  // A problem imported in German and solved in the worker.
  await run('document.getElementById("import-part").open = true');
  await browser.command('POST', `/element/${await element('#import-text')}/value`, { text: 'wKg6 wTb1 sKh8 h#1' });
  await click('#import');
  await until('return document.getElementById("fen").value', '7k/8/6K1/8/8/8/8/1R6 b - - 0 1');
  await click('#solve');
  // As long as the endgame's wait: WebKit's worker can take many seconds to start solving.
  for (let tries = 0; tries < 300 && await run('return document.getElementById("solution").textContent') === ''; ++tries) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  await until('return document.getElementById("solution").textContent', '1.Kg8 Rb8#');
  assert.deepEqual(await run('return faults'), []);
});
