// SPDX-License-Identifier: MIT
// The page's one worker, with the module once, for whichever part asks: the Tablebase part
// for verdicts, the Problem part for solutions. A search cannot be asked to stop from
// outside, so stopping ends the worker; what a part asked and had no answer to yet, it
// asks again of the next one.
import { compiled } from './library.js';

const parts = [];
let worker = null;

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

// A part of the page that uses the worker: `heard` takes each of its messages (each part
// picks out its own), `failed` the reason it stopped, `unanswered` the requests to send again.
export function joinWorker(part) {
  parts.push(part);
}

export function ask(request) {
  worker ??= start();
  worker.postMessage(request);
}

export function restartWorker() {
  worker?.terminate();
  worker = null;
  for (const part of parts) for (const request of part.unanswered()) ask(request);
}
