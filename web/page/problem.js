// SPDX-License-Identifier: MIT
// The Problem part: a problem pasted in any form composers use, its stipulation and count
// beside the board, solved in a worker that can be stopped, the solution's moves shown on
// the board when chosen, and the problem written out in each form.
import { START, count, element, item, piecefen } from './library.js';
import { edit, render, state, wantedOf } from './state.js';
import { WORKERS, ask, joinWorker, restartWorker } from './worker-client.js';

const LANGUAGE_NAMES = { en: 'English', de: 'German', fr: 'French' };
const ERROR_WORDS = {
  'language': 'no language this page reads',
  'ambiguous-language': 'the letters mean other pieces in more than one language: choose the language',
  'unknown-word': 'a word that is no piece, colour, stipulation or count',
  'piece': 'a letter that names no piece in this language',
  'square': 'a piece without its square',
  'board': 'a board that does not come to eight ranks of eight squares',
  'occupied': 'a second piece on one square',
  'stipulation': 'a stipulation this page does not know, such as #2, h#3, s#2, =2, h#2.5, + or =',
  'count': 'a count that does not match the board',
  'no-pieces': 'no pieces',
  'fairy': 'beyond orthodox chess (a fairy piece, a condition, a piece\'s attribute): not read',
  'option': 'an option this page does not know, or without its number or squares',
  'twin': 'a twin that cannot be made here',
};
// The options that change what the solver answers, as the page says them.
const OPTION_WORDS = [['tries', 'tries'], ['setPlay', 'set play'], ['noThreat', 'no threats'],
  ['stopOnShortSolutions', 'stop at short solutions'], ['noShortVariations', 'no short variations'], ['duplex', 'duplex'], ['halfDuplex', 'half-duplex'], ['whiteToPlay', 'White to play']];
export const FORMS = [['popeye', 'Popeye'], ['pdb', 'PDB'], ['yacpdb', 'YACPDB'], ['latex-diagram', 'LaTeX diagram'],
  ['latex-skak', 'LaTeX skak'], ['caption', 'Caption']];

// While solving: { fen, stipulation, percent, run }, and while the workers each look at a
// share of the first moves, `shares` (each one's percent), `left` and the `barren` first moves.
let progress = null;
let runs = 0;          // which search a worker's message belongs to
let answer = null;     // the last answer: { fen, stipulation, solving }
let exported = null;   // the form last exported: { form, text }
// The problems of the last import, where it held more than one (twins count each):
// { readings, at, answers, all } with `all` true while each is solved in turn.
let book = null;
let options = {};      // the options of the problem imported last, which Solve honours

// "Problem 2 b)" for a reading of the book.
function labelOf(index) {
  const { readings } = book;
  let problem = 0;
  for (let at = 0; at <= index; at += 1) if (readings[at].twin === null || readings[at].twin === 'a') problem += 1;
  return `Problem ${problem}${readings[index].twin ? ` ${readings[index].twin})` : ''}`;
}

// Sets the board, stipulation and options of one reading.
function load(reading) {
  options = reading.options;
  state.stipulation = reading.stipulation ?? '';
  edit({ fen: reading.fen, pieceList: null, wanted: wantedOf(piecefen.readFen(reading.fen)) });
  captionFromProblem();
}

export function stepTo(index) {
  if (!book || index < 0 || index >= book.readings.length) return;
  book.at = index;
  load(book.readings[index]);
  answer = book.answers[index] ?? null;
  state.status = `${labelOf(index)}, ${index + 1} of ${book.readings.length}.`;
  render();
}
export const previousProblem = () => book && stepTo(book.at - 1);
export const nextProblem = () => book && stepTo(book.at + 1);

// Solves every problem of the book in turn, from the first.
export function solveAll() {
  if (!book) return;
  book.all = true;
  stepTo(0);
  solveProblem();
}

// Words for one error where it stands: "Column 12, “Qz9”: a piece without its square."
function importErrorWords(text, { error, at }) {
  const word = text.slice(at).split(/[\s,;[\]{}]/)[0];
  return `Column ${at + 1}${word ? `, “${word.slice(0, 24)}”` : ''}: ${ERROR_WORDS[error] ?? error}.`;
}

// A game in PGN: its FEN tag or the start, then every move it can play; null for no PGN.
function readPgn(text) {
  const tagged = /\[FEN\s+"([^"]*)"\]/.exec(text);
  const moves = text.replace(/\[[^\]]*\]/g, ' ').replace(/\{[^}]*\}|;[^\n]*/g, ' ').replace(/\(([^()]*)\)/g, ' ')
    .split(/\s+/).map((token) => token.replace(/^\d+\.+/, '')).filter((token) => token !== '' && !/^(1-0|0-1|1\/2-1\/2|\*|\$\d+)$/.test(token));
  if (!tagged && !/^\s*\[/.test(text) && !/^\s*1\.\s*\S/.test(text)) return null;
  let fen = tagged ? tagged[1] : START;
  let played = 0;
  for (const move of moves) {
    try {
      fen = piecefen.play(fen, move);
      played += 1;
    } catch {
      return { fen, played, stopped: move };
    }
  }
  return { fen, played, stopped: null };
}

// Whether a text pasted as FEN is a problem or a game: the page points it to the Import box.
export function looksLikeProblemOrGame(text) {
  if (/^\s*\[\w+\s+"/.test(text) || /^\s*1\.\s*[a-hKQRBNO]/.test(text)) return 'game';
  const words = /\b(white|black|weiss|weiß|schwarz|blancs|noirs|begin|pieces|forsyth|algebraic|stipulation)\b/i;
  if (words.test(text) || /(^|\s)(ser-)?[hs]?[#=][1-9][0-9]?(\.5)?(\s|$)/i.test(text) || /\b[wbs][KQRBNSDTLP][a-h][1-8]/.test(text)) return 'problem';
  return null;
}

// Reads the Import box: a problem in any form, or a game in PGN.
export function importText() {
  const text = element('import-text').value;
  const language = element('import-language').value || undefined;
  const game = readPgn(text);
  if (game) {
    edit({ fen: game.fen, pieceList: null, wanted: wantedOf(piecefen.readFen(game.fen)) });
    element('import-errors').replaceChildren();
    state.status = game.stopped ? `Imported the game as far as move ${game.played}: “${game.stopped}” is not a legal move there.`
      : `Imported the position after the game's ${game.played} half moves.`;
    render();
    return;
  }
  const readings = piecefen.readProblems(text, language);
  const reading = readings.find((each) => each.errors.length > 0) ?? readings[0];
  element('import-errors').replaceChildren(...reading.errors.slice(0, 10).map((error) => item(importErrorWords(text, error))));
  if (reading.errors.length > 10) element('import-errors').append(item(`and ${(reading.errors.length - 10).toLocaleString('en')} more`));
  const ambiguous = reading.languages !== undefined;
  element('import-language-part').hidden = !ambiguous && language === undefined;
  if (ambiguous) {
    state.status = `The letters read differently in ${reading.languages.map((code) => LANGUAGE_NAMES[code]).join(' and ')}: choose the language.`;
    render();
    return;
  }
  // A language chosen is for this import only: the next text says its own.
  element('import-language').value = '';
  element('import-language-part').hidden = true;
  book = readings.length > 1 ? { readings, at: 0, answers: [], all: false } : null;
  answer = null;
  load(readings[0]);
  state.status = reading.errors.length > 0 ? 'Imported what could be read: see the list under Import.'
    : book ? `Imported ${readings.length.toLocaleString('en')} problems and twins, read in ${LANGUAGE_NAMES[reading.language]}: ${labelOf(0)} is on the board.`
      : `Imported, read in ${LANGUAGE_NAMES[reading.language]}.`;
  render();
}

// A file opened: its text goes in the Import box and is imported.
export async function importFile(file) {
  if (!file) return;
  element('import-text').value = await file.text();
  importText();
}

// The diagram's caption follows the stipulation and count while no one has typed one.
let autoCaption = '';
export function captionFromProblem() {
  if (state.diagram.caption !== '' && state.diagram.caption !== autoCaption) return;
  autoCaption = state.stipulation ? piecefen.writeProblem(state.fen, state.stipulation, 'caption') : '';
  state.diagram = { ...state.diagram, caption: autoCaption };
}

export function setStipulation(text) {
  state.stipulation = text.trim();
  captionFromProblem();
  render();
}

joinWorker({
  heard(data) {
    if (progress === null || data.run !== progress.run) return;
    if ('progressOf' in data) {
      // The shares and the last search count alike: the last passes over most first moves.
      const at = data.part === -1 ? progress.shares.length - 1 : data.part;
      const shares = progress.shares.map((each, index) => (index === at ? data.percent : each));
      progress = { ...progress, shares, percent: Math.floor(shares.reduce((sum, each) => sum + each) / shares.length) };
    } else if ('scanned' in data) {
      progress.barren.push(...data.barren);
      progress.left -= 1;
      // Every share looked at: the first worker gives the whole answer, passing over what added nothing.
      if (progress.left === 0) ask({ solve: { ...progress.request, passOver: progress.barren } });
      return;
    } else if ('solved' in data) {
      progress = null;
      answer = { fen: data.solved, stipulation: data.stipulation, solving: data.solving };
      if (book) book.answers[book.at] = answer;
      // Solving all of them: the next one, until the last.
      if (book?.all) {
        if (book.at + 1 < book.readings.length) {
          stepTo(book.at + 1);
          solveProblem();
          return;
        }
        book.all = false;
        state.status = `Solved all ${book.readings.length.toLocaleString('en')}.`;
      }
      render();
      // The answer lies beside the board (on a desk) or under it (on a phone): both come into
      // view from wherever Solve was pressed.
      if (element('solution-part').getBoundingClientRect().top < 0 || element('board').getBoundingClientRect().top < 0) {
        element('board').scrollIntoView({ block: 'start' });
      }
      return;
    } else {
      return;
    }
    render();
  },
  failed(reason) {
    if (progress === null) return;
    progress = null;
    state.status = `The browser stopped the solver: ${reason || 'no reason given'}.`;
    render();
  },
  // A search that was stopped is not started again.
  unanswered: () => [],
});

export function solveProblem() {
  if (!state.stipulation) {
    if (book) book.all = false;
    state.status = 'Type the stipulation first, such as #2, h#3 or s#2.';
    render();
    return;
  }
  // What an earlier action said goes: this one speaks for itself.
  state.status = '';
  runs += 1;
  const request = { fen: state.fen, stipulation: state.stipulation, options, run: runs };
  // With one worker it looks at every first move itself; with more, each first looks at a share.
  const shares = WORKERS === 1 ? [0] : Array(WORKERS + 1).fill(0);
  progress = { fen: state.fen, stipulation: state.stipulation, percent: 0, run: runs, request, shares, left: WORKERS, barren: [] };
  answer = null;
  if (WORKERS === 1) {
    ask({ solve: request });
  } else {
    for (let part = 0; part < WORKERS; part += 1) ask({ solve: { ...request, share: { part, parts: WORKERS } } }, part);
  }
  render();
}

export function stopSolving() {
  progress = null;
  if (book) book.all = false;
  restartWorker();
  state.status = 'Stopped.';
  render();
}

export function exportAs(form) {
  exported = { form, text: piecefen.writeProblem(state.fen, state.stipulation || null, form) };
  render();
}

// Shows a move's position on the board; the problem's own position is one Undo away.
function showMove(fen) {
  edit({ fen, pieceList: null, wanted: wantedOf(piecefen.readFen(fen)) });
  // Where the solution lies below the board (on a phone), the board comes back into view.
  element('board').scrollIntoView({ block: 'nearest' });
}
export const backToProblem = () => answer && showMove(answer.fen);

// The answer's lines, made once, and every position they show: the solution stays while
// the board shows the problem or one of those positions.
let cached = null;
function solutionShown() {
  if (!answer || answer.stipulation !== state.stipulation) return false;
  if (cached?.answer !== answer) {
    const { lines } = answer.solving;
    cached = { answer, lines, fens: new Set(lines.flat().map((part) => part.fen).filter(Boolean)) };
  }
  return state.fen === answer.fen || cached.fens.has(state.fen);
}

const STATUS_WORDS = {
  stipulation: 'The solver takes #1 to #8, =1 to =8, h#1 to h#4 (and h#3.5), h=1 to h=4, s#1 to s#5, s=1 to s=5 and series of up to 12 moves (ser-#, ser-h#, ser-s# and their stalemates).',
  unplayable: 'This position cannot be played: see Legality.',
};

// What an answer says of the problem, in a sentence.
function verdictWords({ stipulation, solving }) {
  if (solving.status !== 'solved') return STATUS_WORDS[solving.status];
  const { solutions, unlisted } = solving;
  const found = solutions.length + unlisted;
  // A solution in fewer moves than asked is short, which composers count a flaw.
  const asked = Number(/\d+/.exec(stipulation)?.[0]);
  const short = found === 1 && solutions[0].moves < asked;
  return found === 0 ? 'No solution.' : found > 1 ? `Cooked: ${found.toLocaleString('en')} solutions.`
    : short ? `Short: one solution, in ${count(solutions[0].moves)} ${solutions[0].moves === 1 ? 'move' : 'moves'} where ${count(asked)} were asked. Choose a move to see its position.`
      : 'Sound: one solution. Choose a move to see its position.';
}

// The same in a word or two, for the list of every problem solved.
function shortWords({ stipulation, solving }) {
  if (solving.status === 'stipulation') return 'not a stipulation the solver takes';
  if (solving.status === 'unplayable') return 'a position that cannot be played';
  const found = solving.solutions.length + solving.unlisted;
  const asked = Number(/\d+/.exec(stipulation)?.[0]);
  return found === 0 ? 'no solution' : found > 1 ? `cooked, ${found.toLocaleString('en')} solutions`
    : solving.solutions[0].moves < asked ? 'short' : 'sound';
}

// The book's place, the options honoured, and each problem's verdict once solved.
function drawBook() {
  element('problems-part').hidden = book === null;
  const asked = OPTION_WORDS.filter(([name]) => options[name]).map(([, words]) => words);
  if (options.defences > 1) asked.push(`tries refuted up to ${count(options.defences)} times`);
  if (options.maxSolutions > 0) asked.push(`at most ${count(options.maxSolutions)} ${options.maxSolutions === 1 ? 'solution' : 'solutions'}`);
  element('problem-options').textContent = asked.length > 0 ? `Options: ${asked.join(', ')}.` : '';
  element('problem-options').hidden = asked.length === 0;
  const answered = book ? book.answers.map((each, index) => [each, index]).filter(([each]) => each) : [];
  element('problem-results').hidden = answered.length === 0;
  if (!book) return;
  element('problem-place').textContent = `${labelOf(book.at)}, ${book.at + 1} of ${book.readings.length}`;
  element('previous-problem').disabled = book.at === 0;
  element('next-problem').disabled = book.at + 1 === book.readings.length;
  element('solve-all').disabled = progress !== null;
  element('problem-results').replaceChildren(...answered.map(([each, index]) => {
    const entry = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = labelOf(index);
    button.addEventListener('click', () => stepTo(index));
    entry.append(button, `: ${shortWords(each)}.`);
    return entry;
  }));
}

export function drawProblem() {
  drawBook();
  const caption = state.stipulation ? piecefen.writeProblem(state.fen, state.stipulation, 'caption') : '';
  element('problem-line').textContent = caption;
  element('problem-line').hidden = caption === '';
  const input = element('stipulation');
  if (document.activeElement !== input && input.value !== state.stipulation) input.value = state.stipulation;
  element('count').textContent = piecefen.writeProblem(state.fen, null, 'caption');

  const solving = progress !== null;
  element('solve').disabled = solving;
  element('stop').hidden = !solving;
  const shown = solutionShown();
  let words = '';
  if (solving) words = `Solving ${progress.stipulation}: ${progress.percent} % of the first moves looked at.`;
  else if (shown && answer.solving.status !== 'solved') words = STATUS_WORDS[answer.solving.status];
  else if (shown) words = verdictWords(answer);
  element('solve-status').textContent = words;
  element('back-to-problem').hidden = !shown || state.fen === answer.fen;
  const lines = shown ? cached.lines : [];
  element('solution').replaceChildren(...lines.map((parts) => {
    const entry = document.createElement('li');
    for (const part of parts) {
      if (part.kind !== 'move') {
        entry.append(part.text);
        continue;
      }
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'move';
      button.textContent = `${part.text}${part.mark}`;
      button.addEventListener('click', () => showMove(part.fen));
      entry.append(button);
    }
    return entry;
  }));
  element('solution').hidden = lines.length === 0;
  element('solution-part').hidden = words === '' && lines.length === 0;
  element('export-part').hidden = exported === null;
  if (exported) {
    element('export-text').value = exported.text;
    element('export-form').textContent = FORMS.find(([form]) => form === exported.form)[1];
  }
}
