// SPDX-License-Identifier: MIT
// The address: the FEN as typed, the piece list where it was typed too, the view, and in
// Play mode the moves played from the FEN, so that a shared link replays them.
import { piecefen } from './library.js';
import { render, state, wantedOf } from './state.js';

// A lone surrogate, which no address can hold, goes in as U+FFFD.
const wellFormed = (text) => text.replace(/[\ud800-\udbff](?![\udc00-\udfff])|(?<![\ud800-\udbff])[\udc00-\udfff]/g, '\ufffd');
const encode = (text) => encodeURIComponent(wellFormed(text)).replaceAll('%2F', '/');
const decode = (text) => {
  try {
    return decodeURIComponent(text);
  } catch {
    return text; // A broken escape (a lone "%") is read as the characters it is.
  }
};

export function addressOf({ fen: line, pieceList: list, flipped, mode, game }) {
  const parts = [`fen=${encode(mode === 'play' ? game.start : line)}`];
  if (mode === 'play') parts.push(`moves=${game.moves.map(({ uci }) => uci).join(',')}`);
  else if (list !== piecefen.toPieceList(line)) parts.push(`pieces=${encode(list)}`);
  if (flipped) parts.push('view=black');
  return `#${parts.join('&')}`;
}

const FIELDS = new Set(['fen', 'pieces', 'view', 'moves']);

// The moves named in UCI played from a FEN line as far as each is legal.
function replay(start, names) {
  let line = start;
  const moves = [];
  for (const uci of names.split(',').filter(Boolean)) {
    const move = piecefen.legalMoves(line).find((each) => each.uci === uci);
    if (!move) break;
    moves.push({ uci, san: move.san });
    line = piecefen.play(line, uci);
  }
  return { line, game: { start, moves } };
}
// Eight ranks and perhaps the fields after them: a FEN line, not a piece list.
const looksLikeFen = (text) => /^[^\s/]*(\/[^\s/]*){7}(\s|$)/.test(text);

export function fromAddress() {
  state.address = location.hash;
  const raw = location.hash.slice(1);
  const parts = raw.split('&').map((part) => {
    const at = part.indexOf('=');
    return at < 0 ? [part, ''] : [part.slice(0, at), decode(part.slice(at + 1))];
  });
  const fields = new Map(parts.filter(([name]) => FIELDS.has(name)));
  const bare = decode(raw);
  let line;
  let list = null;
  if (fields.has('fen') || fields.has('pieces')) {
    line = fields.get('fen') ?? piecefen.toFen(fields.get('pieces'));
    list = fields.get('pieces') ?? null;
  } else if (looksLikeFen(bare)) {
    // A bare FEN, with "_" for its spaces as the tablebase's addresses have them.
    line = bare.includes(' ') ? bare : bare.replaceAll('_', ' ');
  } else if (!fields.has('view')) {
    // An address from before the board could be edited, which holds a piece list alone.
    list = bare;
    line = piecefen.toFen(bare);
  }
  Object.assign(state, { flipped: fields.get('view') === 'black', carried: null, drag: null, picked: null, promoting: null });
  if (line === undefined) {
    render();
    return;
  }
  const played = fields.has('moves') ? replay(line, fields.get('moves')) : { line, game: null };
  const position = piecefen.readFen(played.line);
  Object.assign(state, { fen: played.line, pieceList: played.game ? null : list, wanted: wantedOf(position),
    mode: played.game ? 'play' : 'edit', game: played.game });
  state.pieceList ??= piecefen.toPieceList(played.line);
  render();
}
