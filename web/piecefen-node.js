// SPDX-License-Identifier: MIT
// piecefen for node: the module beside this file, compiled as the package is loaded, with
// no top-level await, so that require('piecefen') works wherever node can require an ES
// module (20.19 and later) and import works from node 18.
import { readFileSync } from 'node:fs';

import { bind } from './bindings.js';

const module = new WebAssembly.Module(readFileSync(new URL('./piecefen.wasm', import.meta.url)));

export const { toFen, tablebaseAddress, toPieceList, readFen, writeFen, illegalities, problems, tablebaseAddressOfFen, fenErrors, allowedFields, toSvg, pieceSvg, legalMoves, perft, play, outcome, endgame, endgameCoverage, endgameTable, readProblem, readProblems, writeProblem, solve } =
  bind(new WebAssembly.Instance(module, {}).exports);
