#pragma once

#include <array>
#include <cstdint>

#include "position/FenPosition.h"

namespace piecefen {

// Each byte's place among the twelve piece letters (white's "KQRBNP" first, then black's
// in the same order), or -1 for any other byte: one lookup decides both what a byte is
// and which group it belongs to.
inline constexpr std::array<int8_t, 256> PIECE_SLOT = [] {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    const auto letters = FenPosition::PIECE_LETTERS;
    for (std::size_t kind = 0; kind < letters.size(); ++kind) {
        table[static_cast<unsigned char>(letters[kind])] = static_cast<int8_t>(kind);
        table[static_cast<unsigned char>(letters[kind] - 'A' + 'a')] = static_cast<int8_t>(kind + letters.size());
    }
    return table;
}();

inline int pieceSlot(char c) {
    return PIECE_SLOT[static_cast<unsigned char>(c)];
}

}  // namespace piecefen
