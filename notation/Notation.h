#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"

namespace piecefen {

// The notations of a position as free functions. The record's members fromFen, toFen,
// readPieceList, toPieceList and numberToText do the same, through these.

// A FEN line read leniently into a record; fields the text does not reach keep the empty
// record's values.
PIECEFEN_API FenPosition readFen(std::string_view text);

// The record as one FEN line, without a line end.
PIECEFEN_API std::string writeFen(const FenPosition& position);

// A piece list such as "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7" read into a record, stopping quietly
// where a square was expected and none stands.
PIECEFEN_API FenPosition readPieceList(std::string_view text);

// The board as a piece list that readPieceList reads back to the same board: White's
// pieces, then " / " and Black's, each kind K to P once with its squares, file by file and
// rank 1 up; the empty board gives the empty text.
PIECEFEN_API std::string writePieceList(const FenPosition& position);

// The decimal digits of a counter; the empty text for a negative value.
PIECEFEN_API std::string numberText(std::int32_t value);

}  // namespace piecefen
