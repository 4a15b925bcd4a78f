// SPDX-License-Identifier: MIT
// The package as a user gets it: packed, installed from the tarball into a project of
// their own without the network, imported, and type-checked from TypeScript.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { PACKAGE } from './built.mjs';

const SOURCE = fileURLToPath(new URL('../../', import.meta.url));
const TSC = join(SOURCE, 'web/node_modules/.bin/tsc');
const run = (command, args, cwd) => execFileSync(command, args, { cwd, encoding: 'utf8' });

let scratch;
let tarball;
before(async () => {
  scratch = await mkdtemp(join(tmpdir(), 'piecefen-package-'));
  tarball = join(scratch, run('npm', ['pack', '--silent', '--pack-destination', scratch, PACKAGE]).trim());
});
after(() => rm(scratch, { recursive: true, force: true }));

test('the tarball holds the module, its wrapper, the types, README and LICENSE, at the project\'s version', async () => {
  const files = run('tar', ['-tzf', tarball]).split('\n').filter(Boolean).sort();
  assert.deepEqual(files, ['LICENSE', 'README.md', 'bindings.js', 'package.json', 'piecefen.d.ts', 'piecefen.js',
    'piecefen.wasm'].map((file) => `package/${file}`));
  const cmake = await readFile(join(SOURCE, 'CMakeLists.txt'), 'utf8');
  const version = cmake.match(/^\s*VERSION (\S+)$/m)[1];
  assert.equal(tarball.endsWith(`piecefen-${version}.tgz`), true, tarball);
  const manifest = JSON.parse(run('tar', ['-xzOf', tarball, 'package/package.json']));
  assert.equal(manifest.version, version);
  assert.deepEqual(manifest.dependencies ?? {}, {});
});

test('a project installs the tarball offline, imports it and type-checks against it', async () => {
  const project = join(scratch, 'project');
  await rm(project, { recursive: true, force: true });
  run('mkdir', ['-p', project]);
  await writeFile(join(project, 'package.json'), JSON.stringify({ name: 'consumer', private: true, type: 'module' }));
  run('npm', ['install', '--offline', '--no-audit', '--no-fund', '--silent', tarball], project);

  await writeFile(join(project, 'example.js'), `import { toFen, tablebaseAddress, toPieceList, readFen } from 'piecefen';
console.log(toFen('Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7'));
console.log(tablebaseAddress('Ke1 / Ke8'));
console.log(toPieceList(toFen('Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7')));
console.log(readFen('8/8/8/4k3/8/8/8/4K2R w K - 12 40').moveNumber);
`);
  assert.equal(run('node', ['example.js'], project), [
    '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1',
    'https://syzygy-tables.info/?fen=4k3/8/8/8/8/8/8/4K3_w_-_-_0_1',
    'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7',
    '40', ''].join('\n'));

  await writeFile(join(project, 'consumer.ts'), `import { toFen, readFen, type FenPosition } from 'piecefen';
const position: FenPosition = readFen(toFen('Ke1 / Ke8'));
const blackQueenSide: boolean = position.castling[1][1];
const counters: number = position.halfmoveClock + position.moveNumber + position.sideToMove;
const squares: string = position.board + position.enPassant;
// @ts-expect-error: only a string is a piece list
toFen(42);
// @ts-expect-error: castling holds two wings for each of two colours
position.castling[0][2];
export { blackQueenSide, counters, squares };
`);
  await writeFile(join(project, 'tsconfig.json'), JSON.stringify({
    compilerOptions: { strict: true, noEmit: true, module: 'nodenext', moduleResolution: 'nodenext', target: 'es2022' },
    files: ['consumer.ts'],
  }));
  run(TSC, ['-p', project]);
});
