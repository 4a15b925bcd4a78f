#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"

namespace piecefen {

// An arrow from one square to another, by board index (a8 is 0, h1 is 63).
struct Arrow {
    int from;
    int to;

    bool operator==(const Arrow&) const = default;
};

// How a diagram is coloured: as the page shows a board, or for black-and-white print,
// with white light squares and hatched dark ones.
enum class DiagramTheme : std::uint8_t { classic, print };

// What a diagram shows beside the pieces.
struct DiagramOptions {
    // The picture's width in CSS pixels; the height follows. Below 1 counts as 1, and
    // above 100000 as 100000.
    int size = 360;
    // Black at the bottom.
    bool flipped = false;
    // Files and ranks beside the board, drawn as lines, so that no font is needed.
    bool coordinates = true;
    // A thin frame around the board.
    bool border = true;
    // A marker beside the board on the side of the player to move.
    bool sideToMove = false;
    // Squares ringed: bit i is board index i, as in Problem::squares.
    std::uint64_t marks = 0;
    // Arrows between squares; one with a square off the board, or to its own square, is left out.
    std::vector<Arrow> arrows;
    // One line of text under the board, such as "White to play and win".
    std::string caption;
    // The pieces of each colour under the board, as problemists print them: "(3+2)".
    bool count = false;
    DiagramTheme theme = DiagramTheme::classic;
};

// The position as an SVG 1.1 document that stands alone: each kind of piece drawn once
// and placed by reference, a title holding the FEN and a description holding the piece
// list, every text written for XML, and nothing fetched from elsewhere. With no
// coordinates, border, marker, caption or count, the view box is exactly the 64 squares.
PIECEFEN_API std::string toSvg(const FenPosition& position, const DiagramOptions& options = {});

// One piece alone, as the diagrams draw it, on a transparent square of `size` pixels; a
// byte that is no piece letter gets the diagrams' neutral mark, and "." nothing.
PIECEFEN_API std::string pieceSvg(char piece, int size = 40);

}  // namespace piecefen
