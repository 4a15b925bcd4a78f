// SPDX-License-Identifier: MIT
// Times the page in each browser engine: from an edit (a piece list typed, a square set
// from the keyboard, a square clicked) to the board drawn for it, and to the next frame,
// the median of 50 edits each after 10 to warm up; and the mean of 200 edits made back to
// back, since two of the engines count time in whole milliseconds only. In Chromium and
// Firefox it also counts the page's calls into the module for one edit of each kind,
// every exported function but the memory helpers. Usage, after cmake --workflow --preset wasm and npm ci
// in web/:  node bench/page.mjs [build/wasm]
import { pathToFileURL } from 'node:url';

import { PUPPETEER_ENGINES, launch, webkit } from '../web/tests/browsers.mjs';

const build = process.argv[2] ?? new URL('../build/wasm', import.meta.url).pathname;
const address = `${pathToFileURL(`${build}/piecefen.html`).href}#fen=rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR%20w%20KQkq%20-%200%201`;

// Runs in the page: each edit's time to the board drawn (the page's own mark) and to the
// frame after it, in milliseconds.
const MEASURE = `return (async () => {
  const list = document.getElementById('piece-list');
  const square = document.querySelector('[role="gridcell"][data-index="36"]');
  const edits = [
    (round) => { list.value = 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h' + (1 + round % 7); list.dispatchEvent(new Event('input')); },
    (round) => { square.dispatchEvent(new KeyboardEvent('keydown', { key: round % 2 ? 'Q' : 'Delete', bubbles: true })); },
    () => { square.dispatchEvent(new MouseEvent('click', { bubbles: true })); },
  ];
  const medians = [];
  for (const edit of edits) {
    const before = window.piecefenCalls ?? 0;
    edit(1);
    const calls = (window.piecefenCalls ?? 0) - before;
    const drawn = [];
    const framed = [];
    for (let round = 0; round < 60; ++round) {
      const start = performance.now();
      edit(round);
      const marks = performance.getEntriesByName('piecefen:board');
      drawn.push(marks[marks.length - 1].startTime - start);
      await new Promise((resolve) => requestAnimationFrame(() => resolve()));
      framed.push(performance.now() - start);
    }
    const median = (times) => times.slice(10).sort((a, b) => a - b)[25];
    const start = performance.now();
    for (let round = 0; round < 200; ++round) edit(round);
    medians.push([median(drawn), median(framed), (performance.now() - start) / 200, calls]);
  }
  return medians;
})();`;

// Runs before the page: every function the module exports, but its memory helpers, counts
// its calls in window.piecefenCalls.
const COUNT_CALLS = () => {
  const instantiate = WebAssembly.instantiate;
  // Given a compiled module, as the page gives it, instantiate answers with the instance alone.
  WebAssembly.instantiate = async (...args) => {
    const answer = await instantiate(...args);
    const instance = answer instanceof WebAssembly.Instance ? answer : answer.instance;
    const exports = {};
    for (const [name, value] of Object.entries(instance.exports)) {
      const counted = typeof value === 'function' && name !== 'piecefen_alloc' && name !== 'piecefen_free';
      exports[name] = counted ? (...call) => { window.piecefenCalls = (window.piecefenCalls ?? 0) + 1; return value(...call); } : value;
    }
    return answer instanceof WebAssembly.Instance ? { exports } : { module: answer.module, instance: { exports } };
  };
};

const report = (engine, edits) => {
  const names = ['piece list typed', 'square keyed', 'square clicked'];
  edits.forEach(([drawn, framed, mean, calls], at) => {
    console.log(`${engine.padEnd(9)} ${names[at]}: ${drawn.toFixed(2)} ms to the board drawn, ${framed.toFixed(1)} ms to`
      + ` the next frame; back to back, ${mean.toFixed(3)} ms an edit${engine === 'webkit' ? '' : `; ${calls} module calls`}`);
  });
};

for (const engine of PUPPETEER_ENGINES) {
  const browser = await launch(engine);
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(COUNT_CALLS);
  await page.goto(address);
  await page.waitForFunction(() => performance.getEntriesByName('piecefen:board').length > 0);
  report(engine, await page.evaluate(new Function(MEASURE)));
  await browser.close();
}

const browser = await webkit();
await browser.command('POST', '/url', { url: address });
await new Promise((resolve) => setTimeout(resolve, 1000));
report('webkit', await browser.command('POST', '/execute/async', {
  script: `const done = arguments[arguments.length - 1]; (async () => { ${MEASURE} })().then(done);`, args: [],
}));
await browser.close();
