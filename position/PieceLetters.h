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
    const auto kinds = static_cast<int8_t>(FenPosition::PIECE_LETTERS.size());
    int8_t kind = 0;
    for (const char letter : FenPosition::PIECE_LETTERS) {
        table[static_cast<unsigned char>(letter)] = kind;
        table[static_cast<unsigned char>(letter - 'A' + 'a')] = static_cast<int8_t>(kind + kinds);
        ++kind;
    }
    return table;
}();

inline int pieceSlot(char c) {
    return PIECE_SLOT[static_cast<unsigned char>(c)];
}

}  // namespace piecefen
