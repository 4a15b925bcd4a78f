#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The kinds in the letter table's order, so that a piece's slot is colour * KIND_COUNT + kind.
enum PieceKind : int { KING, QUEEN, ROOK, BISHOP, KNIGHT, PAWN };
constexpr int KIND_COUNT = 6;
constexpr int WHITE = 0;
constexpr int BLACK = 1;
static_assert(FenPosition::PIECE_LETTERS == "KQRBNP");

// The letter of a piece of `colour` and `kind`, as the board holds it.
constexpr char letterOf(int colour, int kind) {
    const char letter = FenPosition::PIECE_LETTERS[static_cast<std::size_t>(kind)];
    return colour == WHITE ? letter : static_cast<char>(letter - 'A' + 'a');
}

// The name of board index 0..63, such as "e4".
inline std::string squareName(int index) {
    return {static_cast<char>('a' + index % 8), static_cast<char>('8' - index / 8)};
}

// Where each colour's king and rooks stand at home: a8 0, e8 4, h8 7, a1 56, e1 60, h1 63;
// the wing is 0 for the king side.
constexpr int kingHome(int colour) {
    return colour == WHITE ? 60 : 4;
}
constexpr int rookHome(int colour, int wing) {
    return kingHome(colour) + (wing == 0 ? 3 : -4);
}

// Whether a record's board has the king and the rook of a castling right at home, as a
// right needs.
inline bool castlingAtHome(const FenPosition& position, int colour, int wing) {
    return position.board[kingHome(colour)] == letterOf(colour, KING) && position.board[rookHome(colour, wing)] == letterOf(colour, ROOK);
}

// The board index of the square named at `at` ("e4" is 36), or -1 where no square is named
// there; the end of the text names none.
constexpr int squareAt(std::string_view text, std::size_t at) {
    if (at >= text.size() || text[at] < 'a' || text[at] > 'h') return -1;
    if (at + 1 >= text.size() || text[at + 1] < '1' || text[at + 1] > '8') return -1;
    return (text[at] - 'a') + ('8' - text[at + 1]) * 8;
}

// The piece letters for K, Q, R, B, N, P in the languages problems are written in.
constexpr std::string_view ENGLISH_LETTERS = "KQRBNP";
constexpr std::string_view GERMAN_LETTERS = "KDTLSB";
constexpr std::string_view FRENCH_LETTERS = "RDTFCP";

// The kind a promotion letter ('q', 'r', 'b', 'n', as UCI and the moves write it) makes,
// or -1 for any other.
constexpr int promotionKind(char letter) {
    return letter == 'q' ? QUEEN : letter == 'r' ? ROOK : letter == 'b' ? BISHOP : letter == 'n' ? KNIGHT : -1;
}

}  // namespace piecefen
