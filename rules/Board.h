#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>

#include "position/Vocabulary.h"
#include "rules/Move.h"

// The board that the rules play on: one set of squares per kind and per colour, bit i
// being board index i (a8 is bit 0, h1 bit 63), built from the record and never seen
// outside the library.
namespace piecefen::board {

using Squares = std::uint64_t;

constexpr Squares bit(int index) {
    return Squares{1} << index;
}

constexpr Squares FILE_A = 0x0101010101010101;
constexpr Squares FILE_H = FILE_A << 7;
constexpr Squares RANK_8 = 0xFF;
constexpr Squares RANK_1 = RANK_8 << 56;
// a8, c8, ..., b7, d7, ...: rank 8 is the lowest byte, and its light squares are bits 0, 2, 4, 6.
constexpr Squares LIGHT_SQUARES = 0xAA55AA55AA55AA55;

// Castling rights as bits: colour * 2 + wing, the wing 0 for the king side.
constexpr unsigned castlingBit(int colour, int wing) {
    return 1U << (colour * 2 + wing);
}
using piecefen::kingHome;
using piecefen::rookHome;

namespace tables {

constexpr bool onBoard(int row, int column) {
    return row >= 0 && row < 8 && column >= 0 && column < 8;
}

template <std::size_t N>
constexpr std::array<Squares, 64> leaps(const int (&steps)[N][2]) {
    std::array<Squares, 64> table{};
    for (int square = 0; square < 64; ++square) {
        for (std::size_t step = 0; step < N; ++step) {
            const int row = square / 8 + steps[step][0];
            const int column = square % 8 + steps[step][1];
            if (onBoard(row, column)) table[static_cast<std::size_t>(square)] |= bit(row * 8 + column);
        }
    }
    return table;
}

constexpr int KNIGHT_STEPS[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
constexpr int KING_STEPS[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
// A white pawn takes towards rank 8, which is row 0; a black one towards row 7.
constexpr int WHITE_PAWN_STEPS[2][2] = {{-1, -1}, {-1, 1}};
constexpr int BLACK_PAWN_STEPS[2][2] = {{1, -1}, {1, 1}};

// The squares of the line through `square` in direction (rowStep, columnStep) both ways,
// the square itself left out.
constexpr std::array<Squares, 64> lines(int rowStep, int columnStep) {
    std::array<Squares, 64> table{};
    for (int square = 0; square < 64; ++square) {
        for (const int sign : {-1, 1}) {
            int row = square / 8 + sign * rowStep;
            int column = square % 8 + sign * columnStep;
            for (; onBoard(row, column); row += sign * rowStep, column += sign * columnStep) {
                table[static_cast<std::size_t>(square)] |= bit(row * 8 + column);
            }
        }
    }
    return table;
}

// What a slider on file `column` of a rank reaches, for each occupancy of the six inner
// squares of that rank.
constexpr std::array<std::array<std::uint8_t, 64>, 8> rankAttacks() {
    std::array<std::array<std::uint8_t, 64>, 8> table{};
    for (int column = 0; column < 8; ++column) {
        for (unsigned inner = 0; inner < 64; ++inner) {
            const unsigned occupied = inner << 1;
            unsigned reach = 0;
            for (int c = column + 1; c < 8; ++c) {
                reach |= 1U << c;
                if ((occupied >> c & 1U) != 0) break;
            }
            for (int c = column - 1; c >= 0; --c) {
                reach |= 1U << c;
                if ((occupied >> c & 1U) != 0) break;
            }
            table[static_cast<std::size_t>(column)][inner] = static_cast<std::uint8_t>(reach);
        }
    }
    return table;
}

}  // namespace tables

inline constexpr std::array<Squares, 64> KNIGHT_ATTACKS = tables::leaps(tables::KNIGHT_STEPS);
inline constexpr std::array<Squares, 64> KING_ATTACKS = tables::leaps(tables::KING_STEPS);
// The squares a pawn of each colour on a square attacks.
inline constexpr std::array<Squares, 64> PAWN_ATTACKS[2] = {tables::leaps(tables::WHITE_PAWN_STEPS),
                                                     tables::leaps(tables::BLACK_PAWN_STEPS)};
inline constexpr std::array<Squares, 64> FILE_LINES = tables::lines(1, 0);
inline constexpr std::array<Squares, 64> RANK_LINES = tables::lines(0, 1);
inline constexpr std::array<Squares, 64> DIAGONALS = tables::lines(1, 1);
inline constexpr std::array<Squares, 64> ANTIDIAGONALS = tables::lines(1, -1);
inline constexpr auto RANK_ATTACKS = tables::rankAttacks();

// The rows in reverse order, which turns each file and diagonal end for end.
constexpr Squares flipRows(Squares squares) {
    squares = ((squares >> 8) & 0x00FF00FF00FF00FF) | ((squares & 0x00FF00FF00FF00FF) << 8);
    squares = ((squares >> 16) & 0x0000FFFF0000FFFF) | ((squares & 0x0000FFFF0000FFFF) << 16);
    return (squares >> 32) | (squares << 32);
}

// What a slider on `square` reaches along `line` (a file or a diagonal through it, itself
// left out): the lowest blocker above it found by a subtraction, the one below by the same
// on the flipped board.
constexpr Squares lineAttacks(int square, Squares occupied, Squares line) {
    Squares forward = occupied & line;
    Squares reverse = flipRows(forward);
    forward -= bit(square);
    reverse -= flipRows(bit(square));
    return (forward ^ flipRows(reverse)) & line;
}

constexpr Squares rankAttacksOf(int square, Squares occupied) {
    const int shift = square & 56;
    const auto inner = static_cast<std::size_t>((occupied >> (shift + 1)) & 63);
    return Squares{RANK_ATTACKS[static_cast<std::size_t>(square & 7)][inner]} << shift;
}

constexpr Squares rookAttacks(int square, Squares occupied) {
    return lineAttacks(square, occupied, FILE_LINES[static_cast<std::size_t>(square)]) | rankAttacksOf(square, occupied);
}

constexpr Squares bishopAttacks(int square, Squares occupied) {
    const auto at = static_cast<std::size_t>(square);
    return lineAttacks(square, occupied, DIAGONALS[at]) | lineAttacks(square, occupied, ANTIDIAGONALS[at]);
}

// The squares strictly between two squares on one line, or none.
inline Squares between(int from, int to) {
    const auto at = static_cast<std::size_t>(from);
    const Squares target = bit(to);
    if (((FILE_LINES[at] | RANK_LINES[at]) & target) != 0) return rookAttacks(from, target) & rookAttacks(to, bit(from));
    if (((DIAGONALS[at] | ANTIDIAGONALS[at]) & target) != 0) {
        return bishopAttacks(from, target) & bishopAttacks(to, bit(from));
    }
    return 0;
}

// The whole line through two squares, both included; a pinned piece stays on it.
inline Squares lineThrough(int from, int to) {
    const auto at = static_cast<std::size_t>(from);
    const Squares target = bit(to);
    for (const Squares line : {FILE_LINES[at], RANK_LINES[at], DIAGONALS[at], ANTIDIAGONALS[at]}) {
        if ((line & target) != 0) return line | bit(from);
    }
    return 0;
}

struct Board {
    std::array<Squares, KIND_COUNT> kinds;  // both colours
    std::array<Squares, 2> colours;
    int side;              // WHITE or BLACK to move
    unsigned castling;     // castlingBit()s
    int enPassant;         // the square a pawn has just passed over, or -1

    [[nodiscard]] Squares pieces(int colour, int kind) const {
        return kinds[static_cast<std::size_t>(kind)] & colours[static_cast<std::size_t>(colour)];
    }
    [[nodiscard]] Squares occupied() const { return colours[0] | colours[1]; }
    // The kind on a square, or -1 for an empty one.
    [[nodiscard]] int kindOn(int square) const {
        for (int kind = 0; kind < KIND_COUNT; ++kind) {
            if ((kinds[static_cast<std::size_t>(kind)] >> square & 1U) != 0) return kind;
        }
        return -1;
    }
    [[nodiscard]] int king(int colour) const { return std::countr_zero(pieces(colour, KING)); }
};

// The pieces of `colour` that attack `square` when `occupied` are the squares taken.
inline Squares attackersOf(const Board& board, int square, int colour, Squares occupied) {
    const auto at = static_cast<std::size_t>(square);
    const Squares theirs = board.colours[static_cast<std::size_t>(colour)];
    const Squares straight = (board.kinds[ROOK] | board.kinds[QUEEN]) & theirs;
    const Squares diagonal = (board.kinds[BISHOP] | board.kinds[QUEEN]) & theirs;
    Squares found = ((KNIGHT_ATTACKS[at] & board.kinds[KNIGHT]) | (KING_ATTACKS[at] & board.kinds[KING]) |
                     (PAWN_ATTACKS[static_cast<std::size_t>(1 - colour)][at] & board.kinds[PAWN])) &
                    theirs;
    if (((FILE_LINES[at] | RANK_LINES[at]) & straight) != 0) found |= rookAttacks(square, occupied) & straight;
    if (((DIAGONALS[at] | ANTIDIAGONALS[at]) & diagonal) != 0) found |= bishopAttacks(square, occupied) & diagonal;
    return found;
}

inline bool inCheck(const Board& board) {
    return attackersOf(board, board.king(board.side), 1 - board.side, board.occupied()) != 0;
}

// Any record's board as sets of squares: its pieces, with the side to move and no rights
// or en-passant square, and the bytes that are no piece, which block lines and attack
// nothing. The rules of legality read every record this way, a playable one or not.
struct Pieces {
    Board board;
    Squares strangers;

    [[nodiscard]] Squares occupied() const { return board.occupied() | strangers; }
};
Pieces piecesOf(const FenPosition& position);

// What a board allows in the other fields, whatever the record says: the castling rights
// (castlingBit()s) whose king and rook stand at home, and the squares a pawn of the side
// not to move can just have passed over with its double step.
struct Allowed {
    unsigned castling;
    Squares enPassant;
};
Allowed allowedOf(const Board& board, Squares occupied);

// The squares a piece of `kind` and `colour` on `square` can have come from with its last
// move, each empty in `occupied`: back along its lines or by its leap; a pawn one step
// back or, from its home rank, two, or with `taking` one back on a diagonal (never from a
// back rank). What the move took, its captures en passant, castling and promotion are the
// caller's to add.
Squares origins(int kind, int colour, int square, Squares occupied, bool taking);

// The board of a record that can be played: one king a colour, no pawn on a back rank,
// nothing but piece letters, and the side not to move out of check. A castling right or
// an en-passant square counts where allowedOf() allows it.
std::optional<Board> boardOf(const FenPosition& position);

// Writes the board into the record's squares, side to move, rights and en-passant text.
void writeBoard(const Board& board, FenPosition& position);

// The record after a move known to be legal on `board`, the board of `position`: what
// play() gives, without asking again whether the move is legal.
FenPosition playLegal(const Board& board, const FenPosition& position, Move move);

// The board after a legal move.
Board afterMove(const Board& board, Move move);

// More moves than any board can have: 63 pieces of one colour with a queen's 27 each (a
// pawn about to promote has 12).
constexpr std::size_t MOST_MOVES = std::size_t{63} * 27;

struct MoveList {
    std::array<Move, MOST_MOVES> moves;
    std::size_t size = 0;

    void add(int from, int to, char promotion = 0) {
        moves[size++] = Move{static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), promotion};
    }
    [[nodiscard]] const Move* begin() const { return moves.data(); }
    [[nodiscard]] const Move* end() const { return moves.data() + size; }
};

// Every legal move of the side to move, by `from`, then `to`, then q, r, b, n.
void generateMoves(const Board& board, MoveList& list);
// The legal moves that may give check, in the same order: every checking move is among
// them, with few others (a discovering piece's every move, each promotion).
void generateChecks(const Board& board, MoveList& list);
// How many legal moves the side to move has, counted without listing them.
std::uint64_t countMoves(const Board& board);
// Whether the side to move has a legal move, found without looking for the rest.
bool hasMove(const Board& board);

// The SAN of a legal move of the board, as san() writes it for a record.
std::string sanOf(const Board& board, Move move);

}  // namespace piecefen::board
