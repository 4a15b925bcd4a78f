#include <iostream>

#include "position/FenPosition.h"

namespace piecefen {

// Writes the board, rank 8 at the top, and the other five fields as they are stored.
void FenPosition::dump(std::ostream& out) const {
    // Built whole and written once, so the caller's stream flags and locale cannot
    // change a byte; the counters are plain decimal with a "-" when negative.
    std::string report;
    // The longest report but for the en-passant text: both counters eleven characters.
    report.reserve(280 + enPassant.size());
    for (int index = 0; index < 64; ++index) {
        if (index % 8 == 0) {
            report += '\n';
        }
        report += board[index];
        report += ' ';
    }
    report += '\n';
    report += "White's castling rights:  ";
    report += castling[0][0] ? 'K' : '-';
    report += castling[0][1] ? 'Q' : '-';
    report += "\nBlack's castling rights:  ";
    report += castling[1][0] ? 'k' : '-';
    report += castling[1][1] ? 'q' : '-';
    report += "\nOn Move:     ";
    report += sideToMove == 0 ? "White" : "Black";
    report += "\nEP:          ";
    report += enPassant;
    report += "\nHalfMove:    ";
    report += std::to_string(halfmoveClock);
    report += "\nMoveNumber:  ";
    report += std::to_string(moveNumber);
    report += '\n';
    out.write(report.data(), static_cast<std::streamsize>(report.size()));
}

void FenPosition::dump() const {
    dump(std::cout);
}

}  // namespace piecefen
