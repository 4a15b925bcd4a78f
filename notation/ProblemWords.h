#pragma once

#include <string_view>
#include <vector>

#include "notation/Problem.h"

// What every form of problem text shares: squares, counts, a FEN line's fields and the
// order errors are given in.
namespace piecefen::problemWords {

// Whether the text is one square or more, as "f2g2h2".
bool isSquares(std::string_view text);

// The count "(7+9)": the two numbers, or false.
bool readCount(std::string_view text, int& white, int& black);

// A FEN line's fields after its board, which a problem does not keep.
bool looksLikeFenField(std::string_view text);

// The errors in the order of their offsets.
void sortErrors(std::vector<ProblemError>& errors);

// The side to move the reading's stipulation gives, and the castling rights its board allows.
void setSideAndRights(ProblemReading& reading);

}  // namespace piecefen::problemWords
