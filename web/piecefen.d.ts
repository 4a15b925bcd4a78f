// SPDX-License-Identifier: MIT
// Types of the piecefen package: functions over plain values.

/** A position as a FEN line carries it, named as piecefen's C++ record. */
export interface FenPosition {
  /** The 64 squares, a8 first and h1 last, rank by rank; "." is an empty square. */
  board: string;
  /** 0 when White is to move, 1 when Black is. */
  sideToMove: number;
  /** [[White king side, White queen side], [Black king side, Black queen side]]. */
  castling: [[boolean, boolean], [boolean, boolean]];
  /** "-", or the two characters of the en-passant field, such as "e3". */
  enPassant: string;
  halfmoveClock: number;
  moveNumber: number;
}

/** What can make a position illegal, in the order illegalities() lists them. */
export type IllegalityName =
  | 'empty'
  | 'no-white-king'
  | 'no-black-king'
  | 'too-many-kings'
  | 'impossible-material'
  | 'pawn-on-back-rank'
  | 'bad-castling-rights'
  | 'bad-en-passant'
  | 'opposite-check'
  | 'too-many-checkers'
  | 'impossible-check'
  | 'not-a-piece';

/** One thing wrong with a position, and the squares it concerns, a8 first: ["e8", "e2"]. */
export interface Illegality {
  illegality: IllegalityName;
  squares: string[];
}

/** @deprecated Use IllegalityName: "problem" now means a composition. */
export type ProblemName = IllegalityName;

/** @deprecated Use Illegality, which names its kind `illegality`. */
export interface Problem {
  problem: IllegalityName;
  squares: string[];
}

/** The FEN line of a piece list such as "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7", as the tool prints it. */
export function toFen(pieceList: string): string;

/** The address that opens the position of a piece list on the Syzygy tablebase page. */
export function tablebaseAddress(pieceList: string): string;

/** The board of a FEN line as a piece list, White first: "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7". */
export function toPieceList(fen: string): string;

/** The record a FEN line fills; fields the text does not reach keep their first values. */
export function readFen(fen: string): FenPosition;

/**
 * The FEN line of a record such as readFen gives, as the C++ library writes it: readFen's
 * answer changed in any field. A TypeError names the field that is not as readFen gives
 * it: a board of other than 64 characters, a board or en-passant text with a character
 * beyond U+00FF, a side to move other than 0 or 1, a castling right that is no boolean, or
 * a counter that is not a whole number in the 32-bit range.
 */
export function writeFen(position: FenPosition): string;

/** What is wrong with the position of a FEN line, each kind at most once; [] when nothing is. */
export function illegalities(fen: string): Illegality[];

/** @deprecated Use illegalities(); the same list with each kind named `problem`. */
export function problems(fen: string): Problem[];

/** What a board allows in the other fields, whatever the FEN line's own fields say. */
export interface AllowedFields {
  /** The rights whose king and rook stand at home: [[White O-O, White O-O-O], [Black O-O, Black O-O-O]]. */
  castling: [[boolean, boolean], [boolean, boolean]];
  /** The squares a pawn of the side not to move can just have passed over with its double step, a8 first. */
  enPassant: string[];
}

/** The castling rights and en-passant squares the board of a FEN line allows, in one call. */
export function allowedFields(fen: string): AllowedFields;

/** The address that opens the position of a FEN line, as readFen reads it, on the Syzygy tablebase page. */
export function tablebaseAddressOfFen(fen: string): string;

/** The ways a text departs from a FEN line, in the order fenErrors() can list them. */
export type FenErrorName =
  | 'space'
  | 'fields'
  | 'ranks'
  | 'rank-length'
  | 'board-character'
  | 'side'
  | 'castling'
  | 'en-passant'
  | 'halfmove-clock'
  | 'move-number';

/** One departure from FEN, and the index in the text of the character at fault: text[at]. */
export interface FenError {
  error: FenErrorName;
  at: number;
}

/**
 * Every way the text departs from FEN, in the order of where they stand; [] for a
 * well-formed line, which may stop after any field. The empty text is [{ error: 'ranks', at: 0 }].
 */
export function fenErrors(text: string): FenError[];

/** A square's name, such as "e4". */
export type Square = string;

/** What a diagram shows beside the pieces; every option may be left out. */
export interface DiagramOptions {
  /** The picture's width in CSS pixels, 1 to 100000; the height follows. Default 360. */
  size?: number;
  /** Black at the bottom. Default false. */
  flipped?: boolean;
  /** Files and ranks beside the board, drawn as lines, so that no font is needed. Default true. */
  coordinates?: boolean;
  /** A thin frame around the board. Default true. */
  border?: boolean;
  /** A marker beside the board on the side of the player to move. Default false. */
  sideToMove?: boolean;
  /** Squares ringed, such as ["e8", "e2"]. */
  marks?: Square[];
  /** Arrows from a square to a square. */
  arrows?: { from: Square; to: Square }[];
  /** One line of text under the board, such as "White to play and win". */
  caption?: string;
  /** The pieces of each colour under the board, as problemists print them: "(3+2)". Default false. */
  count?: boolean;
  /** "classic", the page's colours, or "print": white light squares and hatched dark ones. */
  theme?: 'classic' | 'print';
}

/**
 * The position of a FEN line, as readFen reads it, as a standalone SVG document: the same
 * bytes the C++ library's toSvg writes. An option that is unknown or of the wrong type is
 * a TypeError that names it.
 */
export function toSvg(fen: string, options?: DiagramOptions): string;

/** One piece ("K" to "p") as the diagrams draw it, alone on a transparent square of `size` pixels. */
export function pieceSvg(piece: string, size?: number): string;

/** A legal move: its squares, the piece a pawn becomes, and its names in UCI and SAN. */
export interface LegalMove {
  from: Square;
  to: Square;
  /** For a pawn reaching the last rank: "q", "r", "b" or "n". */
  promotion?: 'q' | 'r' | 'b' | 'n';
  /** "e2e4", "e7e8q", castling as the king's move of two squares. */
  uci: string;
  /** Standard algebraic notation: "Nbd7", "exd6", "e8=Q+", "O-O-O#". */
  san: string;
}

/**
 * Every legal move in the position of a FEN line, by from square (a8 first), then to
 * square, then q, r, b, n; [] where there is none or the position cannot be played.
 */
export function legalMoves(fen: string): LegalMove[];

/** The number of move sequences `depth` half moves long from the position (0 to 20; 1 for depth 0). */
export function perft(fen: string, depth: number): number;

/**
 * The FEN line after a move, given as SAN ("Nf3", "O-O", "e8=Q"; also "nf3", "0-0" or a
 * missing piece letter where only one move fits) or UCI ("g1f3"). A move that is not
 * legal there is a TypeError that names it.
 */
export function play(fen: string, move: string): string;

/** How the game stands in a position. */
export type Outcome =
  | 'none'
  | 'checkmate'
  | 'stalemate'
  | 'insufficient-material'
  | 'seventy-five-moves'
  | 'unplayable';

/**
 * "checkmate" or "stalemate" when the side to move has no move, "insufficient-material"
 * when neither side can ever mate, "seventy-five-moves" after 150 half moves without a
 * capture or pawn move, "unplayable" for a position nobody can play from (a king missing
 * or doubled, the side not to move in check, a pawn on a back rank), and "none" otherwise.
 */
export function outcome(fen: string): Outcome;

/** A result for one side. */
export type EndgameCategory = 'win' | 'draw' | 'loss';

export interface EndgameMove {
  uci: string;
  san: string;
  /** For the side that plays the move. */
  category: EndgameCategory;
  /** Plies to mate after the move, for the side that plays it: odd and positive for a win, even and negative for a loss, null for a draw. */
  dtm: number | null;
}

export interface EndgameVerdict {
  /** For the side to move. */
  category: EndgameCategory;
  /** Plies to mate with best play: odd and positive when the side to move mates, even and negative (or 0, mated now) when it is mated, null for a draw. */
  dtm: number | null;
  /** The moves of the side that mates, mate included: 10 for a dtm of 19 or -20; null for a draw. */
  mateIn: number | null;
  /** The mate takes more plies than the halfmove clock leaves before the fifty-move rule. */
  fiftyMoveRuleMayMatter: boolean;
  /** Every legal move, best first: the fastest mate, the draws, then the slowest loss. */
  moves: EndgameMove[];
}

/** Why a position has a verdict or not. */
export type EndgameCoverage = 'covered' | 'too-many-pieces' | 'castling-rights' | 'unplayable';

export interface EndgameProgress {
  /** The position's table, such as "KQvKR", the stronger side as White. */
  table: string;
  /** The part of the work done, from 0 to 1. */
  fraction: number;
}

/**
 * The truth of a position of up to four pieces, kings included, and of each of its moves,
 * worked out by the module from the rules the first time a table is needed and kept for
 * the next call; null for a position it does not cover (see endgameCoverage). While a
 * table is worked out, onProgress is told how far the work is.
 */
export function endgame(fen: string, options?: { onProgress?: (progress: EndgameProgress) => void }): EndgameVerdict | null;

/** "covered", or why endgame() gives no verdict. */
export function endgameCoverage(fen: string): EndgameCoverage;

/** The table of a covered position, such as "KQvKR" (the stronger side as White); null otherwise. */
export function endgameTable(fen: string): string | null;

/** Why readProblem() could not read all of a problem text. */
export type ProblemError = 'language' | 'ambiguous-language' | 'unknown-word' | 'piece' | 'square' | 'board' | 'occupied'
  | 'stipulation' | 'count' | 'no-pieces' | 'fairy' | 'option' | 'twin';

/** What the solver's input asks beyond the stipulation, as its options say. */
export interface ProblemOptions {
  tries: boolean;
  /** A try fails to at most this many defences. */
  defences: number;
  setPlay: boolean;
  /** Threats and variations. */
  variations: boolean;
  noThreat: boolean;
  /** A defence holds where no threat this short remains; 0 for any. */
  threatLength: number;
  noShortVariations: boolean;
  /** A helpmate that White starts. */
  whiteToPlay: boolean;
  duplex: boolean;
  halfDuplex: boolean;
  /** 0 for no limit. */
  maxSolutions: number;
  /** Asks for speed only. */
  intelligent: boolean;
  stopOnShortSolutions: boolean;
  quodlibet: boolean;
  postKeyPlay: boolean;
}

export interface ProblemReading {
  /** The board, with the side to move the stipulation gives (Black in a helpmate of whole moves). */
  fen: string;
  /** "#2", "h#2.5", "s#3", "=2", "+"; null where the text has none. */
  stipulation: string | null;
  /** The count the text gives, [7, 9] for "(7+9)"; null where it has none. */
  count: [number, number] | null;
  /** The language the pieces were read in; null where it is ambiguous. */
  language: 'en' | 'de' | 'fr' | null;
  /** Where the language is ambiguous, the languages that fit. */
  languages?: ('en' | 'de' | 'fr')[];
  /** Each error and where it stands, in UTF-16 code units as JavaScript counts them. */
  errors: { error: ProblemError; at: number }[];
  options: ProblemOptions;
  /** The twin's label, "a", "b" and on, where the problem has twins; null where it has none. */
  twin: string | null;
  /** The lines beside the position: its author, origin, title, award or a remark. */
  data: { field: 'author' | 'origin' | 'title' | 'award' | 'remark'; text: string }[];
}

/**
 * Reads a chess problem as composers paste it: words ("White: Kg1 Rf1; Black: Kg8"), a
 * colour letter before each piece ("wKg1 wTf1 sKg8"), the solver's input ("begin pieces
 * white kg1 ... stipulation #2 end" or "forsyth ..."), yacpdb's "algebraic:" block, the
 * LaTeX that writeProblem() writes, or this tool's piece list; in English, German or
 * French, which the text or the call says.
 */
export function readProblem(text: string, language?: 'en' | 'de' | 'fr'): ProblemReading;

/**
 * Every problem of a text and every twin of each, as readProblem() reads one: the
 * solver's input may hold several problems ("nextproblem") and twins ("twin move a1 a2").
 */
export function readProblems(text: string, language?: 'en' | 'de' | 'fr'): ProblemReading[];

export type ProblemForm = 'popeye' | 'pdb' | 'yacpdb' | 'latex-diagram' | 'latex-skak' | 'caption';

/** The problem in one form; readProblem() reads each but the caption back to the same board and stipulation. */
export function writeProblem(fen: string, stipulation: string | null, form: ProblemForm): string;

export interface SolvedMove {
  uci: string;
  san: string;
}

/** A move of the side that forces the goal and the answers to it (none after the last move). */
export interface Continuation {
  move: SolvedMove;
  defences: Defence[];
}

/** An answer of the defending side and the moves that still force the goal after it. */
export interface Defence {
  move: SolvedMove;
  replies: Continuation[];
}

export interface Solution {
  /** Direct mates and selfmates: the first move, the moves it needs, its threat and every answer. */
  key?: SolvedMove;
  moves?: number;
  threat?: SolvedMove[];
  variations?: Defence[];
  /** Helpmates: the whole line; `moves` counts its whole moves, fewer than asked for a short solution. */
  line?: SolvedMove[];
}

export interface Solving {
  /** "solved", or why not: "stipulation" (one the solver does not take) or "unplayable". */
  status: 'solved' | 'stipulation' | 'unplayable';
  stipulation: string;
  /** More than one solution, or one shorter than asked. */
  cooked: boolean;
  /** The whole moves the stipulation asks, 2 for "h#2.5". */
  moves: number;
  /** With the option setPlay: the defender's moves as if it were to move, each answered. */
  setPlay: Defence[];
  /** Helpmate solutions past the first hundred, counted and not listed. */
  unlisted: number;
  solutions: Solution[];
  /**
   * First moves that fail to one defence only (or to as many as options.defences allows),
   * and those defences, `refutation` the first: for two-movers always, for other lengths
   * with the option tries.
   */
  tries: { move: SolvedMove; refutation: SolvedMove; refutations: SolvedMove[] }[];
  /** The answer in the composers' layout as lines of parts, which `text` writes out. */
  lines: LinePart[][];
  /** The whole answer in the composers' layout, a line each: "1.Qb8! (2.Qb2#)". */
  text: string;
}

/**
 * One part of a line of the solution: a move number ("1." or "1..."), a separator (" ",
 * "/", " (", ")"), words ("no solution"), or a move: its SAN, its UCI, the FEN line after
 * it and its mark ("!" after a key or refutation, "?" after a try, else "").
 */
export type LinePart =
  | { kind: 'number' | 'separator' | 'words'; text: string }
  | { kind: 'move'; text: string; uci: string; fen: string; mark: '' | '!' | '?' };

/**
 * Solves an orthodox problem: #1 to #8, =1 to =8, h#1 to h#4 (h#3.5 too), h=, s#1 to s#5,
 * s=1 to s=5, and series of up to 12 moves (ser-#, ser-=, ser-h#, ser-h=, ser-s#, ser-s=);
 * the position's side to move starts. onProgress hears the part of the first
 * moves done. The options are readProblems()'s: tries, defences, setPlay, noThreat,
 * stopOnShortSolutions, noShortVariations and maxSolutions change the answer (duplex is two calls, the
 * second with the other side to move).
 */
export function solve(fen: string, stipulation: string, options?: {
  onProgress?: (progress: { fraction: number }) => void;
  options?: Partial<ProblemOptions>;
  /**
   * For sharing the work out between workers: look only at the first moves whose place
   * (their turn among the solver's own) is `part` modulo `parts`. The answer then has
   * `barren`, the places looked at that added nothing.
   */
  share?: { part: number; parts: number };
  /**
   * The places every share's `barren` gave: passed over, the answer is the same as if they
   * had been looked at.
   */
  passOver?: number[];
}): Solving & { barren?: number[] };
