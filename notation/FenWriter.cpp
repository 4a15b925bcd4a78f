#include <algorithm>
#include <charconv>

#include "notation/Notation.h"

namespace piecefen {

std::string numberText(int32_t value) {
    if (value < 0) {
        return {};
    }
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    return {digits, written.ptr};
}

std::string writeFen(const FenPosition& position) {
    const std::string halfmoveText = numberText(position.halfmoveClock);
    const std::string moveText = numberText(position.moveNumber);
    // The longest placement (71) and side and position.castling with their spaces (8), then the
    // rest exactly: the whole line is written into one allocation and trimmed.
    std::string fen(71 + 8 + position.enPassant.size() + 1 + halfmoveText.size() + 1 + moveText.size(), '\0');
    char* out = fen.data();

    // 1. Piece placement, rank 8 first; a run of empty squares never crosses a row end.
    for (int row = 0; row < 8; ++row) {
        char empty = 0;
        for (int column = 0; column < 8; ++column) {
            const char square = position.board[row * 8 + column];
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
    *out++ = position.sideToMove == 0 ? 'w' : 'b';
    *out++ = ' ';

    // 3. Castling rights, always in the order K, Q, k, q; "-" when there are none.
    const char* const rightsStart = out;
    if (position.castling[0][0]) *out++ = 'K';
    if (position.castling[0][1]) *out++ = 'Q';
    if (position.castling[1][0]) *out++ = 'k';
    if (position.castling[1][1]) *out++ = 'q';
    if (out == rightsStart) *out++ = '-';

    // 4-6. En passant, copied unchanged, then the two counters.
    auto append = [&out](const std::string& field) {
        *out++ = ' ';
        out = std::copy(field.begin(), field.end(), out);
    };
    append(position.enPassant);
    append(halfmoveText);
    append(moveText);
    fen.resize(static_cast<std::size_t>(out - fen.data()));
    return fen;
}


std::string FenPosition::numberToText(int32_t value) {
    return numberText(value);
}

std::string FenPosition::toFen() const {
    return writeFen(*this);
}

}  // namespace piecefen
