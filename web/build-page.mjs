// SPDX-License-Identifier: MIT
// Assembles the page into one file that needs nothing beside it: the style, the wrapper,
// the page's script and the module (in base64) go inside, and the Content-Security-Policy
// lets in exactly that style and that script by their hashes.
// Usage: node build-page.mjs <piecefen.wasm> <output.html>
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';

const [module, output] = process.argv.slice(2);
const source = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

const bindings = source('bindings.js');
if (!/^export function bind\(/m.test(bindings)) throw new Error('bindings.js no longer exports bind as this build expects');
if (/^\s*import\b/m.test(bindings)) throw new Error('bindings.js imports something, which one inline script cannot');
const script = [
  bindings.replace(/^export /gm, ''),
  `const MODULE = '${readFileSync(module).toString('base64')}';`,
  source('page/page.js'),
].join('\n');
const style = source('page/page.css');

// A function as the replacement, so that "$" in the sources stays as it is.
const fill = { '@STYLE@': style, '@SCRIPT@': script, '@STYLE_HASH@': hash(style), '@SCRIPT_HASH@': hash(script) };
const page = source('page/piecefen.html').replace(/@[A-Z_]+@/g, (key) => {
  if (!(key in fill)) throw new Error(`unknown placeholder ${key}`);
  return fill[key];
});
writeFileSync(output, page);
