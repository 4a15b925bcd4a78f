// SPDX-License-Identifier: MIT
// The page's workers, each with the module once, for whichever part asks: the first does
// the Tablebase part's verdicts and the Problem part's solving, and a search is shared out
// between all of them. A search cannot be asked to stop from outside, so stopping ends
// the workers; what a part asked and had no answer to yet, it asks again of the next ones.
import { compiled } from './library.js';

// One worker a processor the browser owns to, at most eight: more would only share the same cores.
export const WORKERS = Math.max(1, Math.min(8, globalThis.navigator?.hardwareConcurrency || 1));

const parts = [];
const workers = [];

function start() {
  const started = new Worker(URL.createObjectURL(new Blob([WORKER], { type: 'text/javascript' })));
  // A browser that refuses the worker, or a worker that fails, is told to each part.
  started.onerror = (event) => {
    for (const part of parts) part.failed(event.message || '');
  };
  started.onmessage = ({ data }) => {
    for (const part of parts) part.heard(data);
  };
  started.postMessage({ module: compiled });
  return started;
}

// A part of the page that uses the workers: `heard` takes each of their messages (each part
// picks out its own), `failed` the reason one stopped, `unanswered` the requests to send again.
export function joinWorker(part) {
  parts.push(part);
}

// Sends a request to the worker `at` (0 to WORKERS - 1), started when first asked.
export function ask(request, at = 0) {
  workers[at] ??= start();
  workers[at].postMessage(request);
}

export function restartWorker() {
  for (const worker of workers) worker?.terminate();
  workers.length = 0;
  for (const part of parts) for (const request of part.unanswered()) ask(request);
}
