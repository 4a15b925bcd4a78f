#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"

namespace piecefen {

// What can be wrong with a position, in the order illegalities() reports them.
enum class IllegalityKind : std::uint8_t {
    empty,               // no piece on the board
    noWhiteKing,
    noBlackKing,
    tooManyKings,        // a colour has more than one king
    impossibleMaterial,  // more than 8 pawns, or more promoted pieces than missing pawns
    pawnOnBackRank,
    badCastlingRights,   // a right whose king or rook is not on its starting square
    badEnPassant,        // neither "-" nor a square a pawn has just passed over
    oppositeCheck,       // the side not to move stands in check
    tooManyCheckers,     // the side to move is attacked by more than two pieces
    impossibleCheck,     // a check of one or two pieces that no last move can have given
    notAPiece,           // a square holds a byte that is no piece letter
};

// One thing wrong with a position and the squares it concerns: bit i of `squares` is
// board index i (a8 is bit 0, h1 bit 63).
struct Illegality {
    IllegalityKind kind;
    std::uint64_t squares;

    bool operator==(const Illegality&) const = default;
};

// Everything wrong with the position by the rules of standard chess, each kind at most
// once and in IllegalityKind's order; empty for a legal position. A byte that is neither
// "." nor a piece letter blocks lines and attacks nothing.
PIECEFEN_API std::vector<Illegality> illegalities(const FenPosition& position);

// The castling rights and en-passant squares that a board allows, whatever the record's
// own fields say: a right whose king and rook stand at home, and a square a pawn of the
// side not to move can just have passed over with its double step.
struct AllowedFields {
    // First index the colour (0 white, 1 black), second the wing (0 king side, 1 queen side).
    bool castling[2][2];
    // Bit i is board index i, as in Illegality::squares.
    std::uint64_t enPassant;

    bool operator==(const AllowedFields&) const = default;
};

// What the board and the side to move allow in the other fields; illegalities() reports a
// record's right or en-passant square that is not among them.
PIECEFEN_API AllowedFields allowedFields(const FenPosition& position);

// The kind's stable name, such as "opposite-check".
PIECEFEN_API std::string_view illegalityName(IllegalityKind kind);

}  // namespace piecefen
