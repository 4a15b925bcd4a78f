#include <charconv>

#include "position/FenPosition.h"

namespace piecefen {

std::string FenPosition::numberToText(int32_t value) {
    if (value < 0) {
        return {};
    }
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    return {digits, written.ptr};
}

// Returns a FEN representation of the position.
std::string FenPosition::toFen() const {
    std::string fen;
    // Longest placement (71), four fixed fields with their spaces (11) and two counters.
    fen.reserve(71 + 11 + enPassant.size() + 2 * 11);

    // 1. Piece placement, rank 8 first; a run of empty squares never crosses a row end.
    for (int row = 0; row < 8; ++row) {
        int empty = 0;
        for (int column = 0; column < 8; ++column) {
            const char square = board[row * 8 + column];
            if (square == '.') {
                ++empty;
                continue;
            }
            if (empty > 0) {
                fen += static_cast<char>('0' + empty);
                empty = 0;
            }
            fen += square;
        }
        if (empty > 0) {
            fen += static_cast<char>('0' + empty);
        }
        if (row < 7) {
            fen += '/';
        }
    }

    // 2. Side to move.
    fen += sideToMove == 0 ? " w " : " b ";

    // 3. Castling rights, always in the order K, Q, k, q.
    std::string rights;
    if (castling[0][0]) rights += 'K';
    if (castling[0][1]) rights += 'Q';
    if (castling[1][0]) rights += 'k';
    if (castling[1][1]) rights += 'q';
    if (rights.empty()) rights.assign(1, '-');  // not = "-": GCC 12 warns falsely on that
    fen += rights;

    // 4-6. En passant, copied unchanged, then the two counters.
    fen += ' ';
    fen += enPassant;
    fen += ' ';
    fen += numberToText(halfmoveClock);
    fen += ' ';
    fen += numberToText(moveNumber);
    return fen;
}

}  // namespace piecefen
