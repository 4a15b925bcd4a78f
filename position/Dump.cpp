#include <iostream>

#include "position/FenPosition.h"

namespace piecefen {

// Writes the board, rank 8 at the top, and the other five fields as they are stored.
void FenPosition::dump() const {
    std::ostream& out = std::cout;
    for (int index = 0; index < 64; ++index) {
        if (index % 8 == 0) {
            out << '\n';
        }
        out << board[index] << ' ';
    }
    out << '\n';
    out << "White's castling rights:  " << (castling[0][0] ? 'K' : '-') << (castling[0][1] ? 'Q' : '-') << '\n';
    out << "Black's castling rights:  " << (castling[1][0] ? 'k' : '-') << (castling[1][1] ? 'q' : '-') << '\n';
    out << "On Move:     " << (sideToMove == 0 ? "White" : "Black") << '\n';
    out << "EP:          " << enPassant << '\n';
    out << "HalfMove:    " << halfmoveClock << '\n';
    out << "MoveNumber:  " << moveNumber << '\n';
}

}  // namespace piecefen
