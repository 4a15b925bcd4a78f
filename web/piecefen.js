// SPDX-License-Identifier: MIT
// piecefen for JavaScript: the C++ library compiled to WebAssembly. The module beside
// this file is read from disk in node and fetched in a browser; it needs no imports.
import { bind } from './bindings.js';

const url = new URL('./piecefen.wasm', import.meta.url);
const bytes = url.protocol === 'file:'
  ? await (await import('node:fs/promises')).readFile(url)
  : await (await fetch(url)).arrayBuffer();
const { instance } = await WebAssembly.instantiate(bytes, {});

export const { toFen, tablebaseAddress, toPieceList, readFen } = bind(instance.exports);
