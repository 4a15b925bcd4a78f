// SPDX-License-Identifier: MIT
// Assembles the page into one file that needs nothing beside it: the style, the page's
// script with the modules it imports inlined, and the module (in base64) go inside, and
// the Content-Security-Policy lets in exactly that style and that script by their hashes.
// Usage: node build-page.mjs <piecefen.wasm> <output.html>
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';

const [module, output] = process.argv.slice(2);
const source = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

// One module imported by name, inlined where the import stood: its text runs in a scope of
// its own and hands back exactly the names imported, each of which it must export.
const DECLARATION = /^export (?=(?:async\s+)?function\b|const\b|let\b|class\b)/gm;
function inline(names, path) {
  const text = source(path);
  if (/^\s*import\b/m.test(text)) throw new Error(`${path} imports something itself, which this build does not follow`);
  const exported = new Set([...text.matchAll(/^export (?:async\s+)?(?:function\*?|const|let|class)\s+(\w+)/gm)].map((match) => match[1]));
  const wanted = names.split(',').map((name) => name.trim()).filter(Boolean);
  for (const name of wanted) if (!exported.has(name)) throw new Error(`${path} exports no ${name}`);
  const list = wanted.join(', ');
  return `const { ${list} } = (() => {\n${compact(text.replace(DECLARATION, ''))}\nreturn { ${list} };\n})();`;
}

// Whole-line comments and indentation are for the reader of the sources; the page goes
// without them. No string in the scripts runs over a line, so none is changed.
const compact = (text) => text.split('\n').filter((line) => !/^\s*\/\//.test(line)).map((line) => line.trimStart()).join('\n');

const page = source('page/page.js');
const IMPORT = /^import \{([^}]*)\} from '\.\.\/([^']+)';$/gm;
if (/^\s*import\b/m.test(page.replace(IMPORT, ''))) throw new Error('page.js imports in a form this build does not inline');
const script = [
  `const MODULE = '${readFileSync(module).toString('base64')}';`,
  compact(page).replace(IMPORT, (_, names, path) => inline(names, path)),
].join('\n');
const style = source('page/page.css');

// A function as the replacement, so that "$" in the sources stays as it is.
const fill = { '@STYLE@': style, '@SCRIPT@': script, '@STYLE_HASH@': hash(style), '@SCRIPT_HASH@': hash(script) };
const html = source('page/piecefen.html').replace(/@[A-Z_]+@/g, (key) => {
  if (!(key in fill)) throw new Error(`unknown placeholder ${key}`);
  return fill[key];
});
writeFileSync(output, html);
