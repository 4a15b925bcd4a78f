#include <algorithm>

#include "notation/Notation.h"

namespace piecefen {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads up to three digits at `at`, the most a counter is written with; the caller
// has checked that the first is one.
int32_t readCounter(std::string_view text, std::size_t& at) {
    int32_t value = 0;
    for (int digits = 0; digits < 3 && at < text.size() && isDigit(text[at]); ++digits, ++at) {
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

}  // namespace

// Fills a record from a FEN line, field by field, stopping quietly wherever the text ends
// or stops making sense; in place, so that the member reads without a copy.
static void fillFen(FenPosition& position, std::string_view text) {
    position.reset();
    const std::size_t n = text.size();
    std::size_t at = 0;
    int32_t square = 0;

    // 1. Piece placement: squares fill in reading order; "/" means nothing, and
    // whatever describes more than 64 squares is dropped.
    for (; at < n && text[at] != ' '; ++at) {
        const char c = text[at];
        if (c == '/') {
            continue;
        }
        if (isDigit(c)) {
            // Held at 64 so that a long run of digits cannot overflow the index.
            square = std::min<int32_t>(square + (c - '0'), 64);
        } else if (square < 64) {
            position.board[square++] = c;
        }
    }

    // 2. Side to move: one character after the space, then one more taken as the separator.
    if (at + 1 >= n) {
        return;
    }
    position.sideToMove = text[at + 1] == 'w' ? 0 : 1;
    at += 3;

    // 3. Castling rights are only ever set, so order and repetition do not matter.
    for (; at < n && text[at] != ' '; ++at) {
        switch (text[at]) {
            case 'K': position.castling[0][0] = true; break;
            case 'Q': position.castling[0][1] = true; break;
            case 'k': position.castling[1][0] = true; break;
            case 'q': position.castling[1][1] = true; break;
            default: break;
        }
    }

    // 4. En passant: "-" or the two characters after the space, whatever they are.
    ++at;
    if (at >= n) {
        return;
    }
    if (text[at] == '-') {
        at += 2;
    } else {
        position.enPassant.assign(text.substr(at, 2));
        at += 3;
    }

    // 5. Halfmove clock.
    if (at >= n || !isDigit(text[at])) {
        return;
    }
    position.halfmoveClock = readCounter(text, at);

    // 6. Exactly one space, with something after it; a fourth digit ends the reading here.
    if (at + 1 >= n || text[at] != ' ') {
        return;
    }
    ++at;

    // 7. Move number; anything after its third digit is ignored.
    if (!isDigit(text[at])) {
        return;
    }
    position.moveNumber = readCounter(text, at);
}


FenPosition readFen(std::string_view text) {
    FenPosition position;
    fillFen(position, text);
    return position;
}

void FenPosition::fromFen(const std::string& text) {
    fillFen(*this, text);
}

}  // namespace piecefen
