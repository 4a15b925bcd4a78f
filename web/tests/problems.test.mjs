// SPDX-License-Identifier: MIT
// Problems through JavaScript: the reader's forms and errors, the writers read back, and
// the solver's answer as data and as text.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { PACKAGE } from './built.mjs';

const { readProblem, readProblems, writeProblem, solve } = await import(`${PACKAGE}/piecefen-node.js`);

const SHORT_CASTLE = '6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1';

test('readProblem reads each form and language', () => {
  const rows = [
    ['White: Kg1 Rf1 Pf2g2h2; Black: Kg8 Pf7g7h7', undefined, SHORT_CASTLE, null, 'en'],
    ['wKg1 wTf1 wBf2g2h2 sKg8 sBf7g7h7 #2 (5+4)', undefined, SHORT_CASTLE, '#2', 'de'],
    ['begin pieces white kg1 rf1 pf2g2h2 black kg8 pf7g7h7 stipulation h#2 end', undefined,
      '6k1/5ppp/8/8/8/8/5PPP/5RK1 b - - 0 1', 'h#2', 'en'],
    ['white Kg1 Bb2 black Kg8', 'de', '6k1/8/8/8/8/8/1P6/6K1 w - - 0 1', null, 'de'],
    ['Kg1 Rf1 / Kg8 s#2', undefined, '6k1/8/8/8/8/8/8/5RK1 w - - 0 1', 's#2', 'en'],
  ];
  for (const [text, language, fen, stipulation, readIn] of rows) {
    const reading = readProblem(text, language);
    assert.deepEqual([reading.fen, reading.stipulation, reading.language, reading.errors], [fen, stipulation, readIn, []], text);
  }
  assert.deepEqual(readProblem('wKg1 wTf1 sKg8 (2+1)').count, [2, 1]);
});

test('readProblem says what it could not read, where JavaScript counts it', () => {
  const ambiguous = readProblem('white Kg1 Bb2 black Kg8');
  assert.deepEqual([ambiguous.language, ambiguous.languages, ambiguous.errors], [null, ['en', 'de'], [{ error: 'ambiguous-language', at: 10 }]]);
  // "ß" is two bytes and one code unit.
  assert.deepEqual(readProblem('Weiß: Kg1 Qb2 Schwarz: Kg8 (2+2)').errors,
    [{ error: 'piece', at: 10 }, { error: 'count', at: 27 }]);
  assert.throws(() => readProblem('Kg1', 'it'), TypeError);
  assert.throws(() => readProblem(7), TypeError);
});

test('readProblems gives each problem and twin with its options and data, offsets where JavaScript counts them', () => {
  const readings = readProblems('begin\nauthor Zoë Müller\npieces white kg1 qd1 black kg8\nstipulation #1\noption try defence 2\n'
    + 'twin move d1 d8 twin stip #2 next pieces white kb1 ng5 black kb8 stip h#1 end');
  assert.deepEqual(readings.map(({ twin, fen, stipulation }) => [twin, fen, stipulation]), [
    ['a', '6k1/8/8/8/8/8/8/3Q2K1 w - - 0 1', '#1'],
    ['b', '3Q2k1/8/8/8/8/8/8/6K1 w - - 0 1', '#1'],
    ['c', '6k1/8/8/8/8/8/8/3Q2K1 w - - 0 1', '#2'],
    [null, '1k6/8/8/8/8/8/8/1K6 b - - 0 1', 'h#1'],
  ]);
  assert.deepEqual(readings[0].data, [{ field: 'author', text: 'Zoë Müller' }]);
  assert.deepEqual([readings[1].options.tries, readings[1].options.defences, readings[3].options.tries], [true, 2, false]);
  // "ë" and "ü" are two bytes each and one code unit.
  assert.deepEqual(readings[3].errors, [{ error: 'fairy', at: 142 }]);
  assert.throws(() => readProblems('Kg1', 'it'), TypeError);
});

test('every writer is read back to the same board and stipulation', () => {
  for (const form of ['popeye', 'pdb', 'yacpdb', 'latex-diagram', 'latex-skak']) {
    for (const stipulation of ['#2', 'h#2.5', 's#3', '=']) {
      const written = writeProblem(SHORT_CASTLE, stipulation, form);
      const reading = readProblem(written);
      assert.deepEqual([reading.fen.split(' ')[0], reading.stipulation, reading.errors], [SHORT_CASTLE.split(' ')[0], stipulation, []], written);
    }
  }
  assert.equal(writeProblem(SHORT_CASTLE, '#2', 'caption'), '#2 (5+4)');
  assert.equal(writeProblem(SHORT_CASTLE, null, 'caption'), '(5+4)');
  assert.throws(() => writeProblem(SHORT_CASTLE, '#2', 'png'), TypeError);
  assert.throws(() => writeProblem(SHORT_CASTLE, '#2\nend', 'popeye'), TypeError);
});

test('solve gives keys, threats, variations and tries as data and text', () => {
  const told = [];
  const solving = solve('8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1', '#2', { onProgress: (progress) => told.push(progress.fraction) });
  assert.equal(solving.status, 'solved');
  assert.equal(solving.cooked, false);
  const [solution] = solving.solutions;
  assert.deepEqual(solution.key, { uci: 'e4b7', san: 'Qb7' });
  assert.deepEqual(solution.threat.map((move) => move.san), ['Qb4#', 'Qb2#']);
  const bxb1 = solution.variations.find((defence) => defence.move.san === 'Bxb1');
  assert.deepEqual(bxb1.replies.map((reply) => reply.move.san), ['Qb4#', 'Nxb1#']);
  assert.ok(solving.tries.some((attempt) => attempt.move.san === 'Qa8' && attempt.refutation.san === 'Bxb1'));
  assert.ok(solving.text.startsWith('1.Qb7! (2.Qb4#/Qb2#)\n1...Nxb7 2.Ne4#\n'));
  assert.ok(told.length > 10 && told.at(-1) === 1 && told.every((fraction, at) => fraction >= (told[at - 1] ?? 0)));
});

test('solve: helpmates as lines, and what it does not take', () => {
  const help = solve('8/2K4P/8/k5p1/8/1P6/8/8 b - - 0 1', 'h#2');
  assert.deepEqual(help.solutions.map((solution) => solution.line.map((move) => move.uci).join(' ')), ['a5a6 h7h8q a6a7 h8a1']);
  assert.equal(help.text, '1.Ka6 h8=Q 2.Ka7 Qa1#\n');
  const series = solve('k7/8/1K6/8/8/8/8/7R b - - 0 1', 'ser-h#2');
  assert.deepEqual(series.solutions.map((solution) => [solution.moves, solution.line.map((move) => move.uci).join(' ')]),
    [[1, 'a8b8 h1h8'], [2, 'a8b8 b8a8 h1h8']]);
  assert.equal(series.text, '1.Kb8 Rh8#\n1.Kb8 2.Ka8 Rh8#\n');
  assert.equal(solve('k7/8/1K6/8/8/8/8/8 w - - 0 1', '#9').status, 'stipulation');
  assert.equal(solve('k7/8/1K6/8/8/8/8/K7 w - - 0 1', '#2').status, 'unplayable');
  assert.throws(() => solve(SHORT_CASTLE, 7), TypeError);
  assert.throws(() => solve(SHORT_CASTLE, '#2', { onProgress: 1 }), TypeError);
});

test('solve: shared out as workers share it, the answer is the whole one', () => {
  const rows = [
    ['k7/8/1K6/8/8/8/8/7R b - - 0 1', 'h#2', {}],
    ['k7/8/1K6/8/8/8/8/7R b - - 0 1', 'h#2', { stopOnShortSolutions: true }],
    ['8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1', '#2', { setPlay: true }],
  ];
  let passedOver = 0;
  for (const [fen, stipulation, options] of rows) {
    const whole = solve(fen, stipulation, { options });
    for (const parts of [2, 3]) {
      const barren = [];
      for (let part = 0; part < parts; part++) {
        const scan = solve(fen, stipulation, { options, share: { part, parts } });
        assert.ok(scan.barren.every((place) => place % parts === part), `${stipulation} ${part}/${parts}`);
        barren.push(...scan.barren);
      }
      passedOver += barren.length;
      const last = solve(fen, stipulation, { options, passOver: barren });
      assert.equal(last.text, whole.text, `${stipulation} in ${parts}`);
      assert.equal(last.barren, undefined);
    }
  }
  assert.ok(passedOver > 0);
  const fen = 'k7/8/1K6/8/8/8/8/7R b - - 0 1';
  for (const wrong of [{ share: null }, { share: { part: 2, parts: 2 } }, { share: { part: -1, parts: 2 } }, { passOver: 3 }, { passOver: [1.5] }]) {
    assert.throws(() => solve(fen, 'h#2', wrong), TypeError, JSON.stringify(wrong));
  }
});

test('solve: each option reaches the solver as its own', () => {
  const TWO = 'k7/8/1K6/8/8/8/8/7R w - - 0 1';
  const LEBECK = '8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1';
  const mostRefutations = (solving) => Math.max(...solving.tries.map((attempt) => attempt.refutations.length));
  const rows = [
    [TWO, '#2', { setPlay: true }, (solving) => solving.setPlay.length > 0, (solving) => solving.setPlay.length === 0],
    [LEBECK, '#2', { noThreat: true }, (solving) => solving.solutions[0].threat.length === 0, (solving) => solving.solutions[0].threat.length === 2],
    [LEBECK, '#2', { defences: 2 }, (solving) => mostRefutations(solving) === 2, (solving) => mostRefutations(solving) === 1],
    ['k7/8/1K6/8/8/8/8/7R b - - 0 1', 'h#2', { stopOnShortSolutions: true }, (solving) => solving.text === '1.Kb8 Rh8#\n',
      (solving) => solving.solutions.length === 14],
    ['k7/8/1K6/8/8/8/8/7R b - - 0 1', 'h#2', { maxSolutions: 1 }, (solving) => solving.solutions.length === 1,
      (solving) => solving.solutions.length === 14],
    ['8/8/8/8/R7/2k5/8/4K2R w K - 0 1', '#3', { tries: true }, (solving) => solving.tries.length > 0, (solving) => solving.tries.length === 0],
    ['r3k3/2Qp3R/1p6/1b2K3/4p3/8/5p2/8 w q - 0 1', '#4', { noShortVariations: true },
      (solving) => solving.text.split('\n').slice(1, -1).every((line) => line.includes(' 4.')),
      (solving) => !solving.text.split('\n').slice(1, -1).every((line) => line.includes(' 4.'))],
  ];
  for (const [fen, stipulation, options, withIt, without] of rows) {
    assert.ok(withIt(solve(fen, stipulation, { options })), JSON.stringify(options));
    assert.ok(without(solve(fen, stipulation)), `${JSON.stringify(options)} left out`);
  }
});
