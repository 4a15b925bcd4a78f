// SPDX-License-Identifier: MIT
// The endgame tables' worker: it works them out away from the page, so that the board
// never freezes, and says how far it is. The page sends the compiled module first, then
// the FEN lines it wants verdicts for.
import { bind } from '../bindings.js';

let piecefen = null;
self.onmessage = ({ data }) => {
  if (data.module) {
    piecefen = bind(new WebAssembly.Instance(data.module, {}).exports);
    return;
  }
  const { fen } = data;
  let told = -1;
  const verdict = piecefen.endgame(fen, {
    onProgress: ({ table, fraction }) => {
      const percent = Math.floor(fraction * 100);
      if (percent !== told) self.postMessage({ fen, table, percent: (told = percent) });
    },
  });
  self.postMessage({ fen, verdict });
};
