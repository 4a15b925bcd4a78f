#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "piecefen/Export.h"

namespace piecefen {

// One chess position as a FEN line carries it; a plain record that the readers fill
// and the writer and the dump read.
struct PIECEFEN_API FenPosition {
    // The piece letters a piece list may name, white's spelling.
    static constexpr std::string_view PIECE_LETTERS = "KQRBNP";

    // Square bytes in index order: a8 is 0, h8 is 7, a1 is 56, h1 is 63; "." is empty.
    char board[64];
    // 0 is white to move; any other value is black.
    int32_t sideToMove;
    // First index the colour (0 white, 1 black), second the wing (0 king side, 1 queen side).
    bool castling[2][2];
    // The FEN en-passant field as text: "-" or a square such as "e3".
    std::string enPassant;
    int32_t halfmoveClock;
    int32_t moveNumber;

    FenPosition();

    bool operator==(const FenPosition&) const = default;

    // Puts every field back to the empty board, white to move, no rights, "-", 0 and 1.
    void reset();

    // Fills the record from a piece list such as "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7",
    // stopping quietly where a square was expected and none stands.
    void readPieceList(const std::string& text);

    // Fills the record from a FEN line, leniently; fields the text does not reach keep
    // their initial values.
    void fromFen(const std::string& text);

    // Returns the position as one FEN line, without a line end.
    [[nodiscard]] std::string toFen() const;

    // Returns the board as a piece list that readPieceList reads back to the same board:
    // White's pieces, then " / " and Black's; within a colour one group per kind in the
    // order K, Q, R, B, N, P, each the letter once and then its squares, file by file and
    // rank 1 up ("Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7"). A square holding anything but a piece
    // letter is left out; the empty board gives the empty text.
    [[nodiscard]] std::string toPieceList() const;

    // Writes the board and the other five fields to `out` for a person to read: an empty
    // line, eight ranks of "x " squares (rank 8 first), then six labelled lines.
    void dump(std::ostream& out) const;
    // The same report on standard output.
    void dump() const;

    // Board index of the square spelled at text[at] and text[at + 1], or -1 if there is none.
    [[nodiscard]] static int32_t squareIndex(const std::string& text, std::size_t at);
    [[nodiscard]] static bool isPieceLetter(char c);
    [[nodiscard]] static bool isColourSeparator(char c);
    // Decimal digits of a counter; the empty text for a negative value.
    [[nodiscard]] static std::string numberToText(int32_t value);
};

}  // namespace piecefen
