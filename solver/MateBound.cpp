#include "solver/MateBound.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

namespace piecefen::mateBound {

namespace {

using board::Board;
using board::Squares;

// More moves than any search has.
constexpr int FAR = 64;

int rowOf(int square) { return square / 8; }
int columnOf(int square) { return square % 8; }

int kingSteps(int from, int to) {
    return std::max(std::abs(rowOf(from) - rowOf(to)), std::abs(columnOf(from) - columnOf(to)));
}

bool sameLine(int from, int to) { return rowOf(from) == rowOf(to) || columnOf(from) == columnOf(to); }

bool sameDiagonal(int from, int to) {
    return std::abs(rowOf(from) - rowOf(to)) == std::abs(columnOf(from) - columnOf(to));
}

bool sameShade(int from, int to) { return (rowOf(from) + columnOf(from)) % 2 == (rowOf(to) + columnOf(to)) % 2; }

// The fewest knight moves between any two squares, worked out once.
const std::array<std::array<std::uint8_t, 64>, 64>& knightSteps() {
    static const auto table = [] {
        std::array<std::array<std::uint8_t, 64>, 64> found{};
        for (std::size_t from = 0; from < 64; ++from) {
            auto& steps = found[from];
            steps.fill(FAR);
            steps[from] = 0;
            std::array<std::size_t, 64> queue{};
            std::size_t head = 0;
            std::size_t tail = 0;
            queue[tail++] = from;
            while (head < tail) {
                const std::size_t at = queue[head++];
                for (Squares next = board::KNIGHT_ATTACKS[at]; next != 0; next &= next - 1) {
                    const auto to = static_cast<std::size_t>(std::countr_zero(next));
                    if (steps[to] != FAR) continue;
                    steps[to] = static_cast<std::uint8_t>(steps[at] + 1);
                    queue[tail++] = to;
                }
            }
        }
        return found;
    }();
    return table;
}

int knightMoves(int from, int to) { return knightSteps()[static_cast<std::size_t>(from)][static_cast<std::size_t>(to)]; }

// A pawn's moves to stand on `to` as a pawn: forward, a file aside for each capture, two
// ranks at once from its first rank.
int pawnSteps(int colour, int from, int to) {
    const int forward = colour == WHITE ? rowOf(from) - rowOf(to) : rowOf(to) - rowOf(from);
    const int aside = std::abs(columnOf(from) - columnOf(to));
    if (forward <= 0 || aside > forward) return from == to ? 0 : FAR;
    const bool first = rowOf(from) == (colour == WHITE ? 6 : 1);
    return std::max(aside, forward - (first && forward >= 2 ? 1 : 0));
}

int movesToPromote(int colour, int from) {
    const int forward = colour == WHITE ? rowOf(from) : 7 - rowOf(from);
    const bool first = rowOf(from) == (colour == WHITE ? 6 : 1);
    return forward - (first ? 1 : 0);
}

// The fewest moves for a piece to stand on `to`.
int reachMoves(int kind, int colour, int from, int to) {
    if (from == to) return 0;
    switch (kind) {
    case KNIGHT: return knightMoves(from, to);
    case BISHOP: return !sameShade(from, to) ? FAR : sameDiagonal(from, to) ? 1 : 2;
    case ROOK: return sameLine(from, to) ? 1 : 2;
    case QUEEN: return sameLine(from, to) || sameDiagonal(from, to) ? 1 : 2;
    case KING: return kingSteps(from, to);
    default:
        // A promoted pawn still has to move from its promotion square.
        return std::min(pawnSteps(colour, from, to), movesToPromote(colour, from) + 1);
    }
}

// The fewest moves for a piece to attack `to`; a piece on `to` has to move off it first.
int attackMoves(int kind, int colour, int from, int to) {
    switch (kind) {
    case KNIGHT: return from == to ? 1 : knightMoves(from, to) - 1;
    case KING: return from == to ? 1 : kingSteps(from, to) - 1;
    case BISHOP: return !sameShade(from, to) ? FAR : from != to && sameDiagonal(from, to) ? 0 : 1;
    case ROOK: return from != to && sameLine(from, to) ? 0 : 1;
    case QUEEN: return from != to && (sameLine(from, to) || sameDiagonal(from, to)) ? 0 : 1;
    default: {
        // From a square diagonally behind `to`, or as the piece it promotes to.
        int fewest = movesToPromote(colour, from);
        const int behind = rowOf(to) + (colour == WHITE ? 1 : -1);
        for (const int column : {columnOf(to) - 1, columnOf(to) + 1}) {
            if (behind < 0 || behind > 7 || column < 0 || column > 7) continue;
            fewest = std::min(fewest, pawnSteps(colour, from, behind * 8 + column));
        }
        return fewest;
    }
    }
}

bool castles(const Board& board, int colour) {
    return (board.castling & (board::castlingBit(colour, 0) | board::castlingBit(colour, 1))) != 0;
}

}  // namespace

bool possible(const Board& board, int mated, int matingMoves, int matedMoves) {
    const int mating = 1 - mated;
    // Castling moves the king two squares, and a rook with it, in one move.
    const int kingSaving = castles(board, mating) ? 1 : 0;
    const int matedSaving = castles(board, mated) ? 1 : 0;
    std::array<int, 64> attack{};
    attack.fill(FAR);
    std::array<int, 64> block{};
    block.fill(FAR);
    int blockers = 0;
    const int king = board.king(mated);
    // Only the squares the king can reach in time, and those around them, matter.
    Squares region = 0;
    for (int to = 0; to < 64; ++to) {
        if (kingSteps(king, to) <= matedMoves + matedSaving + 1) region |= Squares{1} << to;
    }
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        for (Squares left = board.pieces(mating, kind); left != 0; left &= left - 1) {
            const int from = std::countr_zero(left);
            for (Squares squares = region; squares != 0; squares &= squares - 1) {
                const int to = std::countr_zero(squares);
                const int moves = std::max(0, attackMoves(kind, mating, from, to) - (kind == KING ? kingSaving : 0));
                attack[static_cast<std::size_t>(to)] = std::min(attack[static_cast<std::size_t>(to)], moves);
            }
        }
        if (kind == KING) continue;
        for (Squares left = board.pieces(mated, kind); left != 0; left &= left - 1) {
            const int from = std::countr_zero(left);
            ++blockers;
            for (Squares squares = region; squares != 0; squares &= squares - 1) {
                const int to = std::countr_zero(squares);
                block[static_cast<std::size_t>(to)] = std::min(block[static_cast<std::size_t>(to)], reachMoves(kind, mated, from, to));
            }
        }
    }
    // A square the king can reach in time where it can be checked, each square around it
    // attacked in time or blocked by its own pieces within the moves it has left.
    for (int square = 0; square < 64; ++square) {
        int needed = kingSteps(king, square) - matedSaving;
        if (needed > matedMoves || attack[static_cast<std::size_t>(square)] > matingMoves) continue;
        int used = 0;
        for (Squares around = board::KING_ATTACKS[static_cast<std::size_t>(square)]; around != 0 && needed <= matedMoves; around &= around - 1) {
            const auto next = static_cast<std::size_t>(std::countr_zero(around));
            if (attack[next] <= matingMoves) continue;
            needed += block[next];
            ++used;
        }
        if (needed <= matedMoves && used <= blockers) return true;
    }
    return false;
}

}  // namespace piecefen::mateBound
