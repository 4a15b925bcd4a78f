#pragma once

#include "rules/Board.h"

// Whether a mate can still come in the moves left, as far as the pieces' paths on an
// empty board allow: the mated king must reach a square that the other side can attack,
// and each square around it must be attacked or blocked by its own pieces in time. With
// one or two moves left to the mating side, only one or two of its pieces move, each to a
// square of its own, and the rest attack from where they stand. A piece never needs fewer
// moves on the real board than on the empty one, nor attacks more there, so a mate this
// rules out cannot come; what it lets through the search still plays.
namespace piecefen::mateBound {

// `mated` is the side to be mated, `matingMoves` and `matedMoves` how many moves each
// side has left, the mating move included.
bool possible(const board::Board& board, int mated, int matingMoves, int matedMoves);

}  // namespace piecefen::mateBound
