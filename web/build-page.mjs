// SPDX-License-Identifier: MIT
// Assembles the page into one file that needs nothing beside it: the style, the page's
// script with the modules it imports inlined, and the module (in base64) go inside, and
// the Content-Security-Policy lets in exactly that style and that script by their hashes.
// Usage: node build-page.mjs <piecefen.wasm> <output.html>
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { posix } from 'node:path';

const [module, output] = process.argv.slice(2);
const source = (name) => readFileSync(new URL(name, import.meta.url), 'utf8');
const hash = (text) => `'sha256-${createHash('sha256').update(text, 'utf8').digest('base64')}'`;

// Whole-line comments and indentation are for the reader of the sources; the page goes
// without them. No string in the scripts runs over a line, so none is changed.
const compact = (text) => text.split('\n').filter((line) => !/^\s*\/\//.test(line)).map((line) => line.trimStart()).join('\n');

// Each module the page imports, by its path beside this file, is inlined once, before
// the first module that imports it: its text runs in a scope of its own and hands back
// the names it exports, which its importers take by name. Names imported must be exported.
const IMPORT = /^import \{([^}]*)\} from '(\.{1,2}\/[^']+)';$/gm;
const DECLARATION = /^export (?=(?:async\s+)?function\b|const\b|let\b|class\b)/gm;
const EXPORTED = /^export (?:async\s+)?(?:function\*?|const|let|class)\s+(\w+)/gm;
// A script for one entry module: the modules it imports, each inlined once, then its own
// text. A classic script (the worker's) cannot wait at its top level, so there no module may.
function bundle(entry, { classic = false } = {}) {
  const inlined = new Map();
  const parts = [];

  // The text of a module with its imports replaced by the names taken from the modules inlined.
  function resolved(path) {
    const text = source(path).replace(IMPORT, (_, names, specifier) => {
      const dependency = posix.join(posix.dirname(path), specifier);
      const { variable, exported } = inline(dependency, path);
      const wanted = names.split(',').map((name) => name.trim()).filter(Boolean);
      for (const name of wanted) if (!exported.has(name)) throw new Error(`${dependency} exports no ${name}`);
      return `const { ${wanted.join(', ')} } = ${variable};`;
    });
    if (/^\s*import\b/m.test(text)) throw new Error(`${path} imports in a form this build does not inline`);
    return text;
  }

  function inline(path, importer) {
    if (inlined.has(path)) {
      if (inlined.get(path) === null) throw new Error(`${importer} and ${path} import each other, which this build does not follow`);
      return inlined.get(path);
    }
    inlined.set(path, null);
    const text = resolved(path);
    const exported = new Set([...text.matchAll(EXPORTED)].map((match) => match[1]));
    const variable = `module${parts.length}`;
    const list = [...exported].join(', ');
    const body = `\n${compact(text.replace(DECLARATION, ''))}\nreturn { ${list} };\n`;
    parts.push(classic ? `const ${variable} = (() => {${body}})();` : `const ${variable} = await (async () => {${body}})();`);
    const entryOf = { variable, exported };
    inlined.set(path, entryOf);
    return entryOf;
  }

  const main = compact(resolved(entry));
  return [...parts, main].join('\n');
}

// The worker's script (endgame tables and the solver) rides in the page as a string, started from a blob.
const script = [
  `const MODULE = '${readFileSync(module).toString('base64')}';`,
  `const WORKER = ${JSON.stringify(bundle('page/worker.js', { classic: true }))};`,
  bundle('page/page.js'),
].join('\n');
const style = source('page/page.css');

// A function as the replacement, so that "$" in the sources stays as it is.
const fill = { '@STYLE@': style, '@SCRIPT@': script, '@STYLE_HASH@': hash(style), '@SCRIPT_HASH@': hash(script) };
const html = source('page/piecefen.html').replace(/@[A-Z_]+@/g, (key) => {
  if (!(key in fill)) throw new Error(`unknown placeholder ${key}`);
  return fill[key];
});
writeFileSync(output, html);
