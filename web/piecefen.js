// SPDX-License-Identifier: MIT
// piecefen for web pages and bundlers: the C++ library compiled to WebAssembly, fetched
// from beside this file (node takes piecefen-node.js instead). The module needs no imports.
import { bind } from './bindings.js';

const { instance } = await WebAssembly.instantiate(
  await (await fetch(new URL('./piecefen.wasm', import.meta.url))).arrayBuffer(), {});

export const { toFen, tablebaseAddress, toPieceList, readFen, writeFen, illegalities, problems, tablebaseAddressOfFen, fenErrors, allowedFields, toSvg, pieceSvg, legalMoves, perft, play, outcome, endgame, endgameCoverage, endgameTable, readProblem, readProblems, writeProblem, solve } = bind(instance.exports);
