#include <algorithm>
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
    const std::string halfmoveText = numberToText(halfmoveClock);
    const std::string moveText = numberToText(moveNumber);
    // The longest placement (71) and side and castling with their spaces (8), then the
    // rest exactly: the whole line is written into one allocation and trimmed.
    std::string fen(71 + 8 + enPassant.size() + 1 + halfmoveText.size() + 1 + moveText.size(), '\0');
    char* out = fen.data();

    // 1. Piece placement, rank 8 first; a run of empty squares never crosses a row end.
    for (int row = 0; row < 8; ++row) {
        char empty = 0;
        for (int column = 0; column < 8; ++column) {
            const char square = board[row * 8 + column];
            if (square == '.') {
                ++empty;
                continue;
            }
            if (empty > 0) {
                *out++ = static_cast<char>('0' + empty);
                empty = 0;
            }
            *out++ = square;
        }
        if (empty > 0) {
            *out++ = static_cast<char>('0' + empty);
        }
        if (row < 7) {
            *out++ = '/';
        }
    }

    // 2. Side to move.
    *out++ = ' ';
    *out++ = sideToMove == 0 ? 'w' : 'b';
    *out++ = ' ';

    // 3. Castling rights, always in the order K, Q, k, q; "-" when there are none.
    const char* const rightsStart = out;
    if (castling[0][0]) *out++ = 'K';
    if (castling[0][1]) *out++ = 'Q';
    if (castling[1][0]) *out++ = 'k';
    if (castling[1][1]) *out++ = 'q';
    if (out == rightsStart) *out++ = '-';

    // 4-6. En passant, copied unchanged, then the two counters.
    auto append = [&out](const std::string& field) {
        *out++ = ' ';
        out = std::copy(field.begin(), field.end(), out);
    };
    append(enPassant);
    append(halfmoveText);
    append(moveText);
    fen.resize(static_cast<std::size_t>(out - fen.data()));
    return fen;
}

}  // namespace piecefen
