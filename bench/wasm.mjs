// SPDX-License-Identifier: MIT
// Times the JavaScript package's calls in node, each the median of five runs of many
// calls, against chess.js doing the like in the same process, and gives the module's
// size. Usage, after cmake --workflow --preset wasm and npm ci in web/:
//   node bench/wasm.mjs [build/wasm]
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { gzipSync } from 'node:zlib';

const build = process.argv[2] ?? new URL('../build/wasm', import.meta.url).pathname;
const piecefen = await import(`${build}/npm/piecefen-node.js`);
// chess.js is a development dependency of web/, where npm ci puts it.
const { Chess } = await import(createRequire(new URL('../web/package.json', import.meta.url)).resolve('chess.js'));

const EXAMPLE = 'Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7';
const EXAMPLE_FEN = '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1';
const OPENING = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';
const CROWDED = 'qqqqkqqq/pppppppp/QQQQQQQQ/nnnnnnnn/NNNNNNNN/PPPPPPPP/RRRRRRRR/BBBBKBBx b KQkq e6 0 1';
const cases = [
  ['toFen of the example', () => piecefen.toFen(EXAMPLE)],
  ['chess.js: new Chess(fen).fen() of it', () => new Chess(EXAMPLE_FEN).fen()],
  ['tablebaseAddress of the example', () => piecefen.tablebaseAddress(EXAMPLE)],
  ['toPieceList of the opening position', () => piecefen.toPieceList(OPENING)],
  ['readFen of the opening position', () => piecefen.readFen(OPENING)],
  ['problems of the opening position', () => piecefen.problems(OPENING)],
  ['problems of a crowded position', () => piecefen.problems(CROWDED)],
  ['toFen of 1,000 bytes of piece list', () => piecefen.toFen('Ka1 '.repeat(250))],
  ['fenErrors of the opening position', () => piecefen.fenErrors(OPENING)],
  ['toSvg of the opening position (aim: under 25 µs)', () => piecefen.toSvg(OPENING)],
];

const CALLS = 100_000;
let sink = 0;
const medians = {};
for (const [name, call] of cases) {
  const runs = [];
  for (let run = 0; run < 6; ++run) {
    const start = process.hrtime.bigint();
    for (let i = 0; i < CALLS; ++i) sink ^= call().length ?? 1;
    runs.push(Number(process.hrtime.bigint() - start) / CALLS);
  }
  // The first run warms the JIT up and is not counted.
  const sorted = runs.slice(1).sort((a, b) => a - b);
  medians[name] = sorted[2];
  console.log(`${name.padEnd(40)} ${sorted[2].toFixed(0).padStart(6)} ns a call (${sorted[0].toFixed(0)}–${sorted[4].toFixed(0)})`);
}
const ratio = medians['toFen of the example'] / medians['chess.js: new Chess(fen).fen() of it'];
console.log(`toFen takes ${ratio.toFixed(2)} of the time chess.js takes (aim: under 0.25)`);
console.log(`toSvg of the opening position: ${Buffer.byteLength(piecefen.toSvg(OPENING))} bytes (aim: under 10,000)`);
const module = readFileSync(`${build}/npm/piecefen.wasm`);
console.log(`piecefen.wasm: ${module.length} bytes, ${gzipSync(module, { level: 9 }).length} gzipped${sink === 0.5 ? '' : ''}`);

// perft through the module against chess.js's own perft, each timed once after a warm-up.
const KIWIPETE = 'r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1';
const seconds = (call) => {
  call();
  const start = process.hrtime.bigint();
  const nodes = call();
  return { nodes, seconds: Number(process.hrtime.bigint() - start) / 1e9 };
};
for (const [name, fen, depth] of [['the opening position', OPENING, 4], ['Kiwipete', KIWIPETE, 3]]) {
  const ours = seconds(() => piecefen.perft(fen, depth));
  const theirs = seconds(() => new Chess(fen).perft(depth));
  console.log(`perft ${depth} of ${name}: ${ours.nodes} nodes, piecefen ${(ours.nodes / ours.seconds / 1e6).toFixed(1)} M/s, ` +
    `chess.js ${(theirs.nodes / theirs.seconds / 1e6).toFixed(2)} M/s: ${(theirs.seconds / ours.seconds).toFixed(0)} times faster (aim: 30)`);
}
for (const [name, call] of [['legalMoves of the opening position', () => piecefen.legalMoves(OPENING)],
  ['chess.js: moves({ verbose: true }) of it', () => new Chess(OPENING).moves({ verbose: true })]]) {
  const start = process.hrtime.bigint();
  for (let i = 0; i < 10_000; ++i) sink ^= call().length;
  console.log(`${name.padEnd(40)} ${(Number(process.hrtime.bigint() - start) / 10_000).toFixed(0).padStart(6)} ns a call`);
}

// An endgame table through the module: the first answer for queen against rook works out
// its table and those it leads into; later answers only read them.
{
  const fen = '8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1';
  const start = process.hrtime.bigint();
  piecefen.endgame(fen);
  console.log(`endgame of queen against rook, cold: ${(Number(process.hrtime.bigint() - start) / 1e6).toFixed(0)} ms (aim: under 3 s)`);
  const warm = process.hrtime.bigint();
  for (let i = 0; i < 10_000; ++i) sink ^= piecefen.endgame(fen).moves.length;
  console.log(`endgame of queen against rook, warm: ${(Number(process.hrtime.bigint() - warm) / 10_000 / 1000).toFixed(1)} µs a call (aim: under 50 µs)`);
}

// Problems through the module: the same as the C++ benchmarks, for the ratio to them.
for (const [name, fen, stipulation, aim, times] of [
  ['#2 of 14 pieces, with tries', '8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1', '#2', '5 ms', 50],
  ['#2 of 16 pieces, with tries', '2n2K2/1Q3Pr1/3pk3/5bp1/4p1q1/2B1nNNB/8/8 w - - 0 1', '#2', '5 ms', 50],
  ['#3 of 13 pieces', '3k4/3P3P/1P5Q/8/5r1p/1KB5/P6p/b1b2B2 w - - 0 1', '#3', '100 ms', 20],
  ['h#3 of 8 pieces', '3b3b/8/3P3P/1K1B4/8/r6k/8/8 b - - 0 1', 'h#3', '1 s', 3],
]) {
  sink ^= piecefen.solve(fen, stipulation).solutions.length;
  const start = process.hrtime.bigint();
  for (let i = 0; i < times; ++i) sink ^= piecefen.solve(fen, stipulation).solutions.length;
  console.log(`solve ${name}: ${(Number(process.hrtime.bigint() - start) / times / 1e6).toFixed(2)} ms (aim: native under ${aim}, this at most three times native)`);
}

// Helpmates through the module, as the C++ benchmarks time them, then shared out between
// two workers as the page shares them: each looks at a share of the first moves, then one
// solves the rest and passes over what led nowhere.
{
  const { Worker } = await import('node:worker_threads');
  const helper = `
    const { parentPort, workerData } = require('node:worker_threads');
    import(workerData.url).then((piecefen) => parentPort.on('message', ({ fen, stipulation, share }) =>
      parentPort.postMessage(piecefen.solve(fen, stipulation, { share }).barren)));`;
  const url = new URL(`file://${build}/npm/piecefen-node.js`).href;
  const workers = [0, 1].map(() => new Worker(helper, { eval: true, workerData: { url } }));
  const ask = (worker, request) => new Promise((resolve) => { worker.once('message', resolve); worker.postMessage(request); });
  for (const [name, fen, stipulation] of [
    ['h#3 of 8 pieces (Ebert)', '8/8/8/1nk5/1rp5/6P1/8/R3K3 b Q - 0 1', 'h#3'],
    ['h#3 of 19 pieces (intelligent mode\'s #39)', '5B2/2p1p3/1p2pp1b/5P1b/2p1k2q/6rp/p3B1P1/R3K3 b Q - 0 1', 'h#3'],
  ]) {
    // Each timed the second time, when the engine has compiled the module's hot code fully.
    const barrenOf = () => Promise.all(workers.map((worker, part) => ask(worker, { fen, stipulation, share: { part, parts: 2 } })));
    await barrenOf();
    piecefen.solve(fen, stipulation);
    let start = process.hrtime.bigint();
    const whole = piecefen.solve(fen, stipulation);
    const one = Number(process.hrtime.bigint() - start) / 1e6;
    start = process.hrtime.bigint();
    const barren = (await barrenOf()).flat();
    const shares = Number(process.hrtime.bigint() - start) / 1e6;
    const shared = piecefen.solve(fen, stipulation, { passOver: barren });
    const two = Number(process.hrtime.bigint() - start) / 1e6;
    console.log(`  shares ${shares.toFixed(0)} ms, then ${(two - shares).toFixed(0)} ms for ${piecefen.legalMoves(fen).length - barren.length} first moves`);
    if (shared.text !== whole.text) throw new Error(`${name}: two workers gave another answer`);
    console.log(`solve ${name}: ${one.toFixed(0)} ms in one, ${two.toFixed(0)} ms in two workers (${(one / two).toFixed(2)} times as fast)`);
  }
  await Promise.all(workers.map((worker) => worker.terminate()));
}
