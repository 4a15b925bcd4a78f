#include "position/FenPosition.h"

#include <algorithm>

namespace piecefen {

FenPosition::FenPosition() {
    reset();
}

void FenPosition::reset() {
    std::fill(std::begin(board), std::end(board), '.');
    castling[0][0] = castling[0][1] = castling[1][0] = castling[1][1] = false;
    sideToMove = 0;
    // A character count rather than a literal keeps GCC 12 free of a false -Wrestrict.
    enPassant.assign(1, '-');
    halfmoveClock = 0;
    moveNumber = 1;
}

}  // namespace piecefen
