// SPDX-License-Identifier: MIT
// The package as a user gets it: packed, installed from the tarball into a project that
// `npm init -y` made, without the network, run by the README's own examples, and
// type-checked from TypeScript.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdir, mkdtemp, readFile, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { PACKAGE } from './built.mjs';

const SOURCE = fileURLToPath(new URL('../../', import.meta.url));
const TSC = join(SOURCE, 'web/node_modules/.bin/tsc');
const run = (command, args, cwd) => execFileSync(command, args, { cwd, encoding: 'utf8', stdio: 'pipe' });

// The first code block of the JavaScript and diagram guides after the words that name `file`.
async function readmeExample(file) {
  const guides = await Promise.all(['javascript.md', 'diagrams.md'].map((guide) => readFile(join(SOURCE, 'docs', guide), 'utf8')));
  const readme = guides.join('\n');
  const block = readme.match(new RegExp(`\`${file.replace('.', '\\.')}\`(?:(?!\`\`\`)[^])*\`\`\`js\n([^]*?)\`\`\`\n`));
  assert.ok(block, `the guides have no example in ${file}`);
  return block[1];
}

let scratch;
let tarball;
let project;
before(async () => {
  scratch = await mkdtemp(join(tmpdir(), 'piecefen-package-'));
  tarball = join(scratch, run('npm', ['pack', '--silent', '--pack-destination', scratch, PACKAGE]).trim());
  project = join(scratch, 'project');
  await mkdir(project);
  run('npm', ['init', '-y'], project);
  run('npm', ['install', '--offline', '--no-audit', '--no-fund', '--silent', tarball], project);
});
after(() => rm(scratch, { recursive: true, force: true }));

test('the tarball holds the module, both entries, the types, README and LICENSE, at the project\'s version', async () => {
  const files = run('tar', ['-tzf', tarball]).split('\n').filter(Boolean).sort();
  assert.deepEqual(files, ['LICENSE', 'README.md', 'bindings.js', 'package.json', 'piecefen-node.js', 'piecefen.d.ts',
    'piecefen.js', 'piecefen.wasm'].map((file) => `package/${file}`));
  const cmake = await readFile(join(SOURCE, 'CMakeLists.txt'), 'utf8');
  const version = cmake.match(/^\s*VERSION (\S+)$/m)[1];
  assert.equal(tarball.endsWith(`piecefen-${version}.tgz`), true, tarball);
  const manifest = JSON.parse(run('tar', ['-xzOf', tarball, 'package/package.json']));
  assert.equal(manifest.version, version);
  assert.deepEqual(manifest.dependencies ?? {}, {});
});

test('packing the source folder, where the module is not, fails and says how to pack', () => {
  assert.throws(() => run('npm', ['pack', '--pack-destination', scratch], join(SOURCE, 'web')),
    (error) => /pack the built package instead: cmake --workflow --preset wasm/.test(error.stderr));
});

// The guides' example in `file`, run as it stands: each call prints the line its comment gives.
async function runsAsTheReadmeSays(file) {
  const code = await readmeExample(file);
  await writeFile(join(project, file), code);
  const expected = [...code.matchAll(/^console\.log\(.*\/\/ (.*)$/gm)].map((line) => line[1]);
  assert.ok(expected.length >= 4, file);
  assert.deepEqual(run(process.execPath, [file], project).trim().split('\n'), expected);
}

test('a project npm init made runs the guide\'s example by import', () => runsAsTheReadmeSays('example.mjs'));

test('and by require', { skip: process.features.require_module !== true && `node ${process.version} cannot require an ES module` },
  () => runsAsTheReadmeSays('example.js'));

test('and the diagram guide\'s example writes board.svg', async () => {
  await runsAsTheReadmeSays('board.mjs');
  assert.match(await readFile(join(project, 'board.svg'), 'utf8'), /^<svg xmlns="http:\/\/www\.w3\.org\/2000\/svg"/);
});

test('TypeScript checks a project against the types', async () => {
  await writeFile(join(project, 'consumer.ts'), `import { toFen, readFen, illegalities, problems, fenErrors, allowedFields, toSvg, pieceSvg, legalMoves, perft, play, outcome,
  type FenPosition, type Illegality, type Problem, type FenError, type DiagramOptions, type LegalMove, type Outcome } from 'piecefen';
const position: FenPosition = readFen(toFen('Ke1 / Ke8'));
const blackQueenSide: boolean = position.castling[1][1];
const counters: number = position.halfmoveClock + position.moveNumber + position.sideToMove;
const squares: string = position.board + position.enPassant;
const legality: Illegality[] = illegalities('4k3/8/8/8/8/8/4R3/4K3 w - - 0 1');
const illegalSquares: string[] = legality.filter(({ illegality }) => illegality === 'opposite-check').flatMap((each) => each.squares);
const found: Problem[] = problems('4k3/8/8/8/8/8/4R3/4K3 w - - 0 1');
const named: string[] = found.filter(({ problem }) => problem === 'opposite-check').flatMap((each) => each.squares);
const errors: FenError[] = fenErrors('8/8/8/8/8/8/8/8  w');
const where: number = errors[0].at;
const rights: boolean = allowedFields('4k3/8/8/8/8/8/8/4K2R w - - 0 1').castling[0][0];
const options: DiagramOptions = { size: 480, theme: 'print', marks: ['e4'], arrows: [{ from: 'e2', to: 'e4' }] };
const drawn: string = toSvg('8/8/8/8/8/8/8/8', options) + pieceSvg('K', 64);
const start = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const moves: LegalMove[] = legalMoves(start);
const line: string = play(start, moves[0].san) + moves[0].uci + (moves[0].promotion ?? '') + perft(start, 2);
const ended: Outcome = outcome(line);
// @ts-expect-error: the outcomes are named
outcome(start) === 'mate';
// @ts-expect-error: only a string is a piece list
toFen(42);
// @ts-expect-error: the themes are named, and no other name is one
toSvg('', { theme: 'dark' });
// @ts-expect-error: the kinds of FEN error are named
errors.filter(({ error }) => error === 'rank_length');
// @ts-expect-error: castling holds two wings for each of two colours
position.castling[0][2];
// @ts-expect-error: the kinds of problem are named, and no other name is one
found.filter(({ problem }) => problem === 'opposite_check');
export { blackQueenSide, counters, squares, named, illegalSquares, where, rights, drawn, ended };
`);
  await writeFile(join(project, 'tsconfig.json'), JSON.stringify({
    compilerOptions: { strict: true, noEmit: true, module: 'nodenext', moduleResolution: 'nodenext', target: 'es2022' },
    files: ['consumer.ts'],
  }));
  run(TSC, ['-p', project]);
});
