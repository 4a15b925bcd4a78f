#include <array>
#include <cstring>

#include "position/Vocabulary.h"
#include "notation/Notation.h"

namespace piecefen {

// Returns the board as a piece list, White first, as problem collections print it.
std::string writePieceList(const FenPosition& position) {
    constexpr std::size_t KINDS = FenPosition::PIECE_LETTERS.size();
    // 1. One pass over the squares in file order, rank 1 up within a file, dealing each
    // one's name into its piece's group; bytes that are no piece letter cannot be named.
    std::array<std::array<char, 128>, 2 * KINDS> names;
    std::array<std::size_t, 2 * KINDS> lengths{};
    for (int column = 0; column < 8; ++column) {
        for (int row = 7; row >= 0; --row) {
            const int slot = pieceSlot(position.board[row * 8 + column]);
            if (slot < 0) {
                continue;
            }
            const auto kind = static_cast<std::size_t>(slot);
            names[kind][lengths[kind]] = static_cast<char>('a' + column);
            names[kind][lengths[kind] + 1] = static_cast<char>('1' + 7 - row);
            lengths[kind] += 2;
        }
    }

    // 2. The groups of each colour, the letter once before its squares; " / " before
    // Black's, or "/ " when White has nothing. Written into one allocation, then trimmed:
    // room for the longest text (every square named, twelve letters, the spaces between
    // groups and the two more of " / "), and one block more, since the names move in
    // whole 16-byte blocks (a call to memmove per group would cost more than the rest).
    constexpr std::size_t LONGEST = 2 * std::size_t{64} + 2 * KINDS + (2 * KINDS - 1) + 2;
    std::string text(LONGEST + 16, '\0');
    char* out = text.data();
    bool blackBegun = false;
    for (std::size_t kind = 0; kind < 2 * KINDS; ++kind) {
        if (lengths[kind] == 0) {
            continue;
        }
        if (kind >= KINDS && !blackBegun) {
            if (out != text.data()) *out++ = ' ';
            *out++ = '/';
            *out++ = ' ';
            blackBegun = true;
        } else if (out != text.data()) {
            *out++ = ' ';
        }
        *out++ = FenPosition::PIECE_LETTERS[kind % KINDS];
        for (std::size_t at = 0; at < lengths[kind]; at += 16) {
            std::memcpy(out + at, names[kind].data() + at, 16);
        }
        out += lengths[kind];
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}


std::string FenPosition::toPieceList() const {
    return writePieceList(*this);
}

}  // namespace piecefen
