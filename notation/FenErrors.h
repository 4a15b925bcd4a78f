#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "piecefen/Export.h"

namespace piecefen {

// How a text departs from a FEN line, as fenErrors() names it.
enum class FenErrorKind : std::uint8_t {
    space,           // whitespace other than one space between two fields
    fields,          // more than six fields
    ranks,           // a board of other than eight ranks
    rankLength,      // a rank that does not come to eight squares
    boardCharacter,  // a byte in the board that is no piece letter, digit 1 to 8 or "/"
    side,            // a side to move other than "w" or "b"
    castling,        // neither "-" nor letters of "KQkq" in that order, each at most once
    enPassant,       // neither "-" nor a square on rank 3 or 6
    halfmoveClock,   // not a whole number from 0, written without a leading zero
    moveNumber,      // not a whole number from 1, written without a leading zero
};

// One departure and the byte offset in the text where it stands.
struct FenError {
    FenErrorKind kind;
    std::size_t at;

    bool operator==(const FenError&) const = default;
};

// Every way the text departs from FEN, in the order of their offsets; empty for a
// well-formed line. A line may stop after any field, as the readers fill the rest.
// Every offset lies inside the text; the empty text is one error, "ranks" at 0.
PIECEFEN_API std::vector<FenError> fenErrors(std::string_view text);

// The kind's stable name, such as "rank-length".
PIECEFEN_API std::string_view fenErrorName(FenErrorKind kind);

}  // namespace piecefen
