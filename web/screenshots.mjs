// SPDX-License-Identifier: MIT
// Takes the README's pictures of the page, on a desk and on a phone, and of its Tablebase part, into docs/; run on
// purpose, never by the tests. Usage, after cmake --workflow --preset wasm and npm ci in
// web/:  node web/screenshots.mjs [build/wasm]
import { fileURLToPath, pathToFileURL } from 'node:url';

import { launch } from './tests/browsers.mjs';

const build = process.argv[2] ?? fileURLToPath(new URL('../build/wasm', import.meta.url));
const docs = (name) => fileURLToPath(new URL(`../docs/${name}`, import.meta.url));
const page = `${pathToFileURL(`${build}/piecefen.html`).href}#`;
// On the desk, a position with a problem, its squares marked; on the phone, the example typed.
const shots = [
  ['piecefen-page.png', { width: 1280, height: 800 }, 'fen=4k3/8/8/8/8/8/4R3/4K3%20w%20-%20-%200%201'],
  ['piecefen-phone.png', { width: 375, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true },
    'fen=6k1/5ppp/8/8/8/8/5PPP/5RK1%20w%20-%20-%200%201&pieces=Kg1%20Rf1%20Pf2g2h2%20/%20Kg8%20Pf7g7h7'],
];

const browser = await launch('chromium');
for (const [name, viewport, fragment] of shots) {
  const tab = await browser.newPage();
  await tab.setViewport(viewport);
  await tab.goto(page + fragment);
  await tab.waitForFunction(() => performance.getEntriesByName('piecefen:board').length > 0);
  await tab.screenshot({ path: docs(name) });
  console.log(`docs/${name}`);
}

// The Tablebase part of queen against rook, once its table is worked out.
const tab = await browser.newPage();
await tab.setViewport({ width: 1280, height: 1000 });
await tab.goto(`${page}fen=8/8/8/8/8/2k5/1r6/K5Q1%20w%20-%20-%200%201`);
await tab.waitForFunction(() => document.getElementById('endgame-verdict').textContent === 'White mates in 9', { timeout: 60000 });
await (await tab.$('#endgame')).screenshot({ path: docs('piecefen-endgame.png') });
console.log('docs/piecefen-endgame.png');
await browser.close();
