// SPDX-License-Identifier: MIT
// Where the tests find the build: the wasm preset's folder, or PIECEFEN_BUILD.
import { fileURLToPath } from 'node:url';

export const BUILD = process.env.PIECEFEN_BUILD ?? fileURLToPath(new URL('../../build/wasm/', import.meta.url));
export const PACKAGE = `${BUILD}/npm`;
