// SPDX-License-Identifier: MIT
// Times the page in each browser engine: from an edit (a piece list typed, a square set
// from the keyboard) to the board drawn for it, and to the next frame, the median of 50
// edits each after 10 to warm up; and the mean of 200 edits made back to back, since two
// of the engines count time in whole milliseconds only. Usage, after cmake --workflow --preset wasm and npm ci
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
  ];
  const medians = [];
  for (const edit of edits) {
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
    medians.push([median(drawn), median(framed), (performance.now() - start) / 200]);
  }
  return medians;
})();`;

const report = (engine, edits) => {
  for (const [name, [drawn, framed, mean]] of [['piece list typed', edits[0]], ['square keyed', edits[1]]]) {
    console.log(`${engine.padEnd(9)} ${name}: ${drawn.toFixed(2)} ms to the board drawn, ${framed.toFixed(1)} ms to`
      + ` the next frame; back to back, ${mean.toFixed(3)} ms an edit`);
  }
};

for (const engine of PUPPETEER_ENGINES) {
  const browser = await launch(engine);
  const page = await browser.newPage();
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
