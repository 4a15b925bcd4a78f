#include "diagram/Diagram.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <string_view>

#include "notation/Utf8.h"
#include "position/Vocabulary.h"

namespace piecefen {

namespace {

// Every length is in units of the view box, where a square is 40 wide.
constexpr int SQUARE = 40;
constexpr int BOARD = 8 * SQUARE;
constexpr int FRAME = 2;
constexpr int COORDINATES = 16;
constexpr int MARKER = 16;
constexpr int TEXT_LINE = 24;
// The widest picture, in pixels: its height stays in range wherever an int is 32 bits.
constexpr int MAX_SIZE = 100000;

// The six kinds in the letter table's order, each as a filled outline and inner lines,
// drawn for this program on a 40-unit square, base at the bottom.
struct Shape {
    std::string_view outline;
    std::string_view lines;
};
static_assert(FenPosition::PIECE_LETTERS == "KQRBNP");
constexpr std::array<Shape, 6> SHAPES = {{
    // King: a cross over a body of two lobes.
    {"M12 34h16l1-5c3-2 5-5 5-8 0-3-2-5-5-5-2 0-4 1-5 3-1-2-2-3-3-3.5V12h3V9h-3V6h-2v3h-3v3h3v3.5c-1 .5-2 1.5-3 "
     "3.5-1-2-3-3-5-3-3 0-5 2-5 5 0 3 2 6 5 8z",
     "M11.5 29h17M20 19v9"},
    // Queen: a crown of five points, each with a ball.
    {"M11 34h18l-1-4 3-14-5 9-1-11-3 10-2-12-2 12-3-10-1 11-5-9 3 14zM7.4 16a1.6 1.6 0 1 0 3.2 0 1.6 1.6 0 1 0-3.2 "
     "0zm6 -2a1.6 1.6 0 1 0 3.2 0 1.6 1.6 0 1 0-3.2 0zm5-2a1.6 1.6 0 1 0 3.2 0 1.6 1.6 0 1 0-3.2 0zm5 2a1.6 1.6 0 1 0 "
     "3.2 0 1.6 1.6 0 1 0-3.2 0zm6 2a1.6 1.6 0 1 0 3.2 0 1.6 1.6 0 1 0-3.2 0z",
     "M12 30h16"},
    // Rook: a tower with three merlons.
    {"M11 34h18v-3h-2l-1-12 2-2v-6h-3v2h-3v-2h-4v2h-3v-2h-3v6l2 2-1 12h-2z", "M14 19h12M13 31h14"},
    // Bishop: a mitre with its slit, over a collar.
    {"M12 34h16v-2c-2-1-4-1.5-5-3 3-2 5-5 5-9 0-4-4-8-8-10 .8-.6 1.5-1.5 1.5-2.5a1.5 1.5 0 0 0-3 0c0 1 .7 1.9 "
     "1.5 2.5-4 2-8 6-8 10 0 4 2 7 5 9-1 1.5-3 2-5 3z",
     "M22.5 14.5l-4.5 5.5M16.5 29h7"},
    // Knight: a horse's head looking left.
    {"M14 34h16c0-7-1-13-3-17-1.5-3-4-5-6-6l-1-3-2 3c-2 1-4 3-5.5 5.5L10 21c-.5 1 0 2 1 2.5l2 .5c1 .3 2-.2 "
     "3-1l3-2c0 3-2 5-4 7-1.5 1.5-1 4-1 6z",
     "M16 15.2a.8.8 0 1 0 .1 0M27 18.5c-1-3-3-5.5-5.5-6.5"},
    // Pawn: a ball on a spreading foot.
    {"M12 34h16c0-5-3-8-5.5-10.5 2-1.2 3.5-3.4 3.5-5.8a6 6 0 0 0-12 0c0 2.4 1.5 4.6 3.5 5.8C15 26 12 29 12 34z", ""},
}};
// What stands on a square holding a byte that is no piece letter.
constexpr std::string_view NEUTRAL = "M20 12l8 8-8 8-8-8z";

// Files and ranks as strokes in a box 7 wide and 10 high (g hangs below), so that they
// look the same wherever the document is shown.
constexpr std::array<std::string_view, 8> FILE_GLYPHS = {
    "M6 4v6M6 7c0-1.7-1.1-3-2.5-3S1 5.3 1 7s1.1 3 2.5 3S6 8.7 6 7",
    "M1 0v10M1 7c0-1.7 1.1-3 2.5-3S6 5.3 6 7s-1.1 3-2.5 3S1 8.7 1 7",
    "M6 5c-.5-.7-1.3-1-2.2-1C2.2 4 1 5.3 1 7s1.2 3 2.8 3c.9 0 1.7-.3 2.2-1",
    "M6 0v10M6 7c0-1.7-1.1-3-2.5-3S1 5.3 1 7s1.1 3 2.5 3S6 8.7 6 7",
    "M1 7h5c0-1.7-1.1-3-2.5-3S1 5.3 1 7s1.2 3 2.8 3c.9 0 1.7-.3 2.2-1",
    "M5.5.5C5 .2 4.6 0 4 0 3 0 2.5.8 2.5 2v8M1 4.5h4",
    "M6 4v7c0 1.5-1 2.5-2.5 2.5-.9 0-1.6-.3-2-.8M6 7c0-1.7-1.1-3-2.5-3S1 5.3 1 7s1.1 3 2.5 3S6 8.7 6 7",
    "M1 0v10M1 7c0-1.7 1-3 2.5-3S6 5 6 6.5V10",
};
constexpr std::array<std::string_view, 8> RANK_GLYPHS = {
    "M2 2l2-2v10M2 10h4",
    "M1 2.5C1 1 2.2 0 3.5 0S6 1 6 2.5C6 5 1 7 1 10h5",
    "M1 1c.5-.6 1.4-1 2.4-1C4.9 0 6 1 6 2.4S4.9 5 3.5 5C5 5 6.2 6 6.2 7.5S5 10 3.4 10c-1 0-1.9-.4-2.4-1",
    "M5 10V0L.5 7h6",
    "M6 0H1.5L1 4.6c.6-.4 1.4-.6 2.2-.6C4.9 4 6 5.2 6 7s-1.2 3-2.9 3C2 10 1.2 9.6.8 9",
    "M5.5.5C5 .2 4.4 0 3.8 0 2 0 1 2 1 5v2c0 1.7 1.1 3 2.5 3S6 8.7 6 7 4.9 4 3.5 4 1 5.3 1 7",
    "M.5 0H6L2.5 10",
    "M3.5 5C2.1 5 1 4 1 2.5S2.1 0 3.5 0 6 1 6 2.5 4.9 5 3.5 5C1.9 5 .8 6.1.8 7.5S1.9 10 3.5 10s2.7-1 "
    "2.7-2.5S5.1 5 3.5 5z",
};

// The colours of each theme; the pieces' classes are "w" and "b" on each placement.
constexpr std::string_view SHARED_STYLE =
    ".w{fill:#fff;stroke:#000;color:#000}.b{fill:#222;stroke:#000;color:#eee}.i{fill:none;stroke:currentColor}"
    ".n{fill:#999;stroke:#444}.coord{fill:none;stroke-width:1.3;stroke-linecap:round;stroke-linejoin:round}"
    ".text{font:14px sans-serif}";
constexpr std::array<std::string_view, 2> THEME_STYLES = {
    ".light{fill:#f0d9b5}.dark{fill:#b58863}.frame{fill:none;stroke:#5a3f27}.coord{stroke:#5a3f27}"
    ".mark{fill:none;stroke:#c62828;stroke-width:3}.arrow{fill:#2e7d32;stroke:#2e7d32;stroke-width:5;opacity:.8}"
    ".text{fill:#222}",
    ".light{fill:#fff}.dark{fill:url(#hatch)}.frame{fill:none;stroke:#000}.coord{stroke:#000}"
    ".mark{fill:none;stroke:#000;stroke-width:3}.arrow{fill:#000;stroke:#000;stroke-width:5;opacity:.7}"
    ".text{fill:#000}",
};
// Lines a unit and a half apart, for the dark squares in print.
constexpr std::string_view HATCH =
    "<pattern id=\"hatch\" width=\"3\" height=\"3\" patternUnits=\"userSpaceOnUse\">"
    "<path d=\"M-1 1l2-2M0 3l3-3M2 4l2-2\" stroke=\"#000\" stroke-width=\".6\"/></pattern>";

void appendInt(std::string& out, int value) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) out += digits[--count];
}

// A length to a tenth of a unit, as short as it can be written: "12", "12.5", "-0.5";
// appendInt writes the digits of what is not negative.
void appendNumber(std::string& out, double value) {
    const auto tenths = static_cast<int>(std::lround(value * 10));
    if (tenths < 0) out += '-';
    const int magnitude = tenths < 0 ? -tenths : tenths;
    appendInt(out, magnitude / 10);
    if (magnitude % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + magnitude % 10);
    }
}

void appendAttribute(std::string& out, std::string_view name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendNumber(out, value);
    out += '"';
}

// The length of the UTF-8 sequence that starts text[at], or 0 if none does or XML cannot
// hold it.
std::size_t sequenceAt(std::string_view text, std::size_t at) {
    const std::size_t length = utf8SequenceAt(text, at);
    // U+FFFE and U+FFFF are no characters in XML.
    const auto byte = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    if (length == 3 && byte(at) == 0xEF && byte(at + 1) == 0xBF && byte(at + 2) >= 0xBE) return 0;
    return length;
}

// Text as XML character data or an attribute's value: the five special characters as
// references, and what XML cannot hold (control bytes, broken UTF-8) left out.
void appendText(std::string& out, std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const auto code = static_cast<unsigned char>(c);
        if (code >= 0x80) {
            const std::size_t length = sequenceAt(text, at);
            if (length == 0) {
                ++at;
                continue;
            }
            out.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (code >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
                break;
        }
    }
}

// A reference to a definition, placed with its top left corner at (x, y).
void appendUse(std::string& out, std::string_view id, std::string_view classes, double x, double y) {
    out += "<use xlink:href=\"#";
    out += id;
    out += '"';
    if (!classes.empty()) {
        out += " class=\"";
        out += classes;
        out += '"';
    }
    appendAttribute(out, "x", x);
    appendAttribute(out, "y", y);
    out += "/>";
}

void appendShape(std::string& out, std::string_view id, const Shape& shape) {
    out += "<g id=\"";
    out += id;
    // Drawn a little small, so that the outline never touches the square's edge; shown a tenth larger.
    out += "\" transform=\"matrix(1.1 0 0 1.1 -2 -2.4)\" stroke-width=\"1.4\" stroke-linejoin=\"round\" "
           "stroke-linecap=\"round\"><path d=\"";
    out += shape.outline;
    out += "\"/>";
    if (!shape.lines.empty()) {
        out += "<path class=\"i\" d=\"";
        out += shape.lines;
        out += "\"/>";
    }
    out += "</g>";
}

// The definition's name for a kind of piece: its letter in lower case, "x" for the neutral mark.
std::string_view shapeId(int kind) {
    constexpr std::string_view IDS = "kqrbnpx";
    return IDS.substr(static_cast<std::size_t>(kind), 1);
}

// The line from the centre of one square to the centre of another, with a head at its end.
void appendArrow(std::string& out, double fromX, double fromY, double toX, double toY) {
    const double dx = toX - fromX;
    const double dy = toY - fromY;
    const double length = std::sqrt(dx * dx + dy * dy);
    const double ux = dx / length;
    const double uy = dy / length;
    // The head is 13 long and 16 wide, its tip a little short of the centre.
    const double tipX = toX - ux * 4;
    const double tipY = toY - uy * 4;
    const double baseX = tipX - ux * 13;
    const double baseY = tipY - uy * 13;
    out += "<path class=\"arrow\" d=\"M";
    const double points[][2] = {{fromX, fromY}, {baseX, baseY}, {tipX, tipY}, {baseX + uy * 8, baseY - ux * 8},
                                {baseX - uy * 8, baseY + ux * 8}};
    for (std::size_t point = 0; point < std::size(points); ++point) {
        if (point == 2) out += 'M';
        if (point == 1 || point > 2) out += 'L';
        appendNumber(out, points[point][0]);
        out += ' ';
        appendNumber(out, points[point][1]);
    }
    out += "z\"/>";
}

constexpr bool onBoard(int index) {
    return index >= 0 && index < 64;
}

}  // namespace

// Writes the document in one pass: the view box from the options, the definitions of
// what the board uses, then squares, frame, coordinates, pieces, marks, arrows and text.
std::string toSvg(const FenPosition& position, const DiagramOptions& options) {
    const bool white = position.sideToMove == 0;
    int whitePieces = 0;
    int blackPieces = 0;
    unsigned shapesUsed = 0;
    for (const char square : position.board) {
        const int slot = pieceSlot(square);
        if (slot >= 0) {
            (slot < 6 ? whitePieces : blackPieces) += 1;
            shapesUsed |= 1U << (slot % 6);
        } else if (square != '.') {
            shapesUsed |= 1U << 6;
        }
    }

    // 1. The view box: the board from (0, 0) to (320, 320), and room around it.
    const int frame = options.border ? FRAME : 0;
    const int coordinates = options.coordinates ? COORDINATES : 0;
    const bool textLine = !options.caption.empty() || options.count;
    const int left = -frame - coordinates;
    const int top = -frame;
    const int right = BOARD + frame + (options.sideToMove ? MARKER : 0);
    const int bottom = BOARD + frame + coordinates + (textLine ? TEXT_LINE : 0);
    const int width = std::clamp(options.size, 1, MAX_SIZE);
    const auto height = static_cast<int>(std::lround(static_cast<double>(width) * (bottom - top) / (right - left)));

    std::string out;
    out.reserve(9000);
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" "
           "viewBox=\"";
    appendNumber(out, left);
    out += ' ';
    appendNumber(out, top);
    out += ' ';
    appendInt(out, right - left);
    out += ' ';
    appendInt(out, bottom - top);
    out += "\" width=\"";
    appendInt(out, width);
    out += "\" height=\"";
    appendInt(out, height);
    out += "\"><title>";
    appendText(out, position.toFen());
    out += "</title><desc>";
    appendText(out, position.toPieceList());
    out += "</desc><style type=\"text/css\">";
    out += SHARED_STYLE;
    out += THEME_STYLES[options.theme == DiagramTheme::print ? 1 : 0];
    out += "</style>";

    // 2. Definitions: each shape the board holds, the glyphs, the hatching for print.
    out += "<defs>";
    for (int kind = 0; kind < 7; ++kind) {
        if ((shapesUsed >> kind & 1U) == 0) continue;
        if (kind < 6) {
            appendShape(out, shapeId(kind), SHAPES[static_cast<std::size_t>(kind)]);
        } else {
            out += "<path id=\"x\" class=\"n\" d=\"";
            out += NEUTRAL;
            out += "\"/>";
        }
    }
    if (options.coordinates) {
        for (std::size_t glyph = 0; glyph < 8; ++glyph) {
            out += "<path id=\"f";
            out += static_cast<char>('a' + glyph);
            out += "\" d=\"";
            out += FILE_GLYPHS[glyph];
            out += "\"/><path id=\"r";
            out += static_cast<char>('1' + glyph);
            out += "\" d=\"";
            out += RANK_GLYPHS[glyph];
            out += "\"/>";
        }
    }
    if (options.theme == DiagramTheme::print) out += HATCH;
    out += "</defs>";

    // 3. The squares: one light rectangle, and the dark squares as one path over it.
    out += "<rect class=\"light\" width=\"320\" height=\"320\"/><path class=\"dark\" d=\"";
    for (int row = 0; row < 8; ++row) {
        for (int column = (row + 1) % 2; column < 8; column += 2) {
            out += 'M';
            appendInt(out, column * SQUARE);
            out += ' ';
            appendInt(out, row * SQUARE);
            out += "h40v40h-40z";
        }
    }
    out += "\"/>";
    if (options.border) out += "<rect class=\"frame\" x=\"-1\" y=\"-1\" width=\"322\" height=\"322\" stroke-width=\"2\"/>";

    // Where a square of the board stands, whichever way it faces.
    auto columnOf = [&options](int index) { return options.flipped ? 7 - index % 8 : index % 8; };
    auto rowOf = [&options](int index) { return options.flipped ? 7 - index / 8 : index / 8; };

    // 4. Files under the board and ranks to its left, in the order the board shows them.
    if (options.coordinates) {
        out += "<g class=\"coord\">";
        for (int line = 0; line < 8; ++line) {
            const int file = options.flipped ? 7 - line : line;
            const int rank = options.flipped ? line : 7 - line;
            const char fileName[] = {'f', static_cast<char>('a' + file)};
            const char rankName[] = {'r', static_cast<char>('1' + rank)};
            appendUse(out, std::string_view(fileName, 2), "", line * SQUARE + 16.5, BOARD + frame + 2);
            appendUse(out, std::string_view(rankName, 2), "", left + 4.5, line * SQUARE + 15);
        }
        out += "</g>";
    }

    // 5. The pieces, and the neutral mark on any other byte.
    for (int index = 0; index < 64; ++index) {
        const char square = position.board[index];
        if (square == '.') continue;
        const int slot = pieceSlot(square);
        const int kind = slot < 0 ? 6 : slot % 6;
        appendUse(out, shapeId(kind), slot < 0 ? "" : (slot < 6 ? "w" : "b"), columnOf(index) * SQUARE,
                  rowOf(index) * SQUARE);
    }

    // 6. Rings around the marked squares, then the arrows over everything on the board.
    for (std::uint64_t rest = options.marks; rest != 0; rest &= rest - 1) {
        const int index = std::countr_zero(rest);
        out += "<circle class=\"mark\"";
        appendAttribute(out, "cx", columnOf(index) * SQUARE + 20);
        appendAttribute(out, "cy", rowOf(index) * SQUARE + 20);
        out += " r=\"17.5\"/>";
    }
    for (const Arrow& arrow : options.arrows) {
        if (!onBoard(arrow.from) || !onBoard(arrow.to) || arrow.from == arrow.to) continue;
        appendArrow(out, columnOf(arrow.from) * SQUARE + 20, rowOf(arrow.from) * SQUARE + 20,
                    columnOf(arrow.to) * SQUARE + 20, rowOf(arrow.to) * SQUARE + 20);
    }

    // 7. The side to move beside its own side of the board, and the line of text under it.
    if (options.sideToMove) {
        const bool atBottom = white != options.flipped;
        out += "<rect class=\"";
        out += white ? "w" : "b";
        out += "\"";
        appendAttribute(out, "x", BOARD + frame + 3.5);
        appendAttribute(out, "y", atBottom ? BOARD - 11.5 : 1.5);
        out += " width=\"9\" height=\"9\" stroke-width=\"1.5\"/>";
    }
    if (textLine) {
        const int baseline = BOARD + frame + coordinates + 18;
        if (!options.caption.empty()) {
            out += "<text class=\"text\" x=\"0\"";
            appendAttribute(out, "y", baseline);
            out += '>';
            appendText(out, options.caption);
            out += "</text>";
        }
        if (options.count) {
            out += "<text class=\"text\" x=\"320\"";
            appendAttribute(out, "y", baseline);
            out += " text-anchor=\"end\">(";
            appendInt(out, whitePieces);
            out += '+';
            appendInt(out, blackPieces);
            out += ")</text>";
        }
    }
    out += "</svg>";
    return out;
}

std::string pieceSvg(char piece, int size) {
    const int slot = pieceSlot(piece);
    const int width = std::clamp(size, 1, MAX_SIZE);
    std::string out;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"0 0 40 40\" width=\"";
    appendInt(out, width);
    out += "\" height=\"";
    appendInt(out, width);
    out += "\"><style type=\"text/css\">";
    out += SHARED_STYLE;
    out += "</style>";
    if (piece != '.') {
        if (slot < 0) {
            out += "<path class=\"n\" d=\"";
            out += NEUTRAL;
            out += "\"/>";
        } else {
            out += "<g class=\"";
            out += slot < 6 ? "w" : "b";
            out += "\">";
            appendShape(out, shapeId(slot % 6), SHAPES[static_cast<std::size_t>(slot % 6)]);
            out += "</g>";
        }
    }
    out += "</svg>";
    return out;
}

}  // namespace piecefen
