// SPDX-License-Identifier: MIT
// A small seeded generator for the tests that draw random positions, so that a failure
// can be run again: generator(seed) gives a function of `below` that answers 0 to below - 1.
export function generator(seed) {
  let state = seed >>> 0;
  return (below) => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = Math.imul(state ^ (state >>> 15), 1 | state);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return (((t ^ (t >>> 14)) >>> 0) % below);
  };
}
