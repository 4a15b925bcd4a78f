#pragma once

#include <compare>
#include <cstdint>

namespace piecefen {

// A move as board indices (a8 is 0, h1 63) and, for a pawn reaching the last rank, the
// piece it becomes: 'q', 'r', 'b' or 'n', and 0 otherwise. Castling is the king's move
// of two squares.
struct Move {
    std::uint8_t from;
    std::uint8_t to;
    char promotion;

    bool operator==(const Move&) const = default;
    // The order legalMoves() lists moves in: by `from`, then `to`, then q, r, b, n.
    friend std::strong_ordering operator<=>(const Move& a, const Move& b) {
        if (const auto order = a.from <=> b.from; std::is_neq(order)) return order;
        if (const auto order = a.to <=> b.to; std::is_neq(order)) return order;
        return promotionRank(a.promotion) <=> promotionRank(b.promotion);
    }

private:
    static constexpr int promotionRank(char promotion) {
        return promotion == 'q' ? 1 : promotion == 'r' ? 2 : promotion == 'b' ? 3 : promotion == 'n' ? 4 : 0;
    }
};

}  // namespace piecefen
