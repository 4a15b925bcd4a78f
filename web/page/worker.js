// SPDX-License-Identifier: MIT
// The page's worker: it works out endgame tables and solves problems away from the page,
// so that the board never freezes, and says how far it is. The page sends the compiled
// module first, then the FEN lines it wants verdicts for, or a problem to solve.
import { bind } from '../bindings.js';

let piecefen = null;

// Tells the page each whole percent once, with `what` beside it.
function teller(what) {
  let told = -1;
  return (fraction, extra = {}) => {
    const percent = Math.floor(fraction * 100);
    if (percent !== told) self.postMessage({ ...what, ...extra, percent: (told = percent) });
  };
}

self.onmessage = ({ data }) => {
  if (data.module) {
    piecefen = bind(new WebAssembly.Instance(data.module, {}).exports);
    return;
  }
  if (data.solve) {
    // A share of a search says only which of its first moves added nothing.
    const { fen, stipulation, options, run, share, passOver } = data.solve;
    const tell = teller({ progressOf: fen, run, part: share?.part ?? -1 });
    const solving = piecefen.solve(fen, stipulation, { onProgress: ({ fraction }) => tell(fraction), options: options ?? {}, share, passOver });
    self.postMessage(share ? { scanned: fen, run, barren: solving.barren } : { solved: fen, stipulation, solving, run });
    return;
  }
  const { fen } = data;
  const tell = teller({ fen });
  const verdict = piecefen.endgame(fen, { onProgress: ({ table, fraction }) => tell(fraction, { table }) });
  self.postMessage({ fen, verdict });
};
