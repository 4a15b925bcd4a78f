#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <piecefen/diagram/Diagram.h>
#include <piecefen/position/FenPosition.h>

using piecefen::DiagramOptions;
using piecefen::FenPosition;

namespace {

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string diagramOf(const std::string& fen, const DiagramOptions& options) {
    FenPosition position;
    position.fromFen(fen);
    return piecefen::toSvg(position, options);
}

// A document and what it must hold, each part the number of times given (0: never).
struct DiagramCase {
    std::string fen;
    DiagramOptions options;
    std::vector<std::pair<std::string, std::size_t>> holds;
};

DiagramOptions bare() {
    DiagramOptions options;
    options.coordinates = false;
    options.border = false;
    return options;
}

template <typename Change>
DiagramOptions with(Change change, DiagramOptions options = {}) {
    change(options);
    return options;
}

TEST(Diagram, WhatTheDocumentHolds) {
    const std::vector<DiagramCase> cases = {
        {START, {}, {
            {"<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" "
             "viewBox=\"-18 -2 340 340\" width=\"360\" height=\"360\">", 1},
            {"<title>rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1</title>", 1},
            {"<desc>Ke1 Qd1 Ra1h1 Bc1f1 Nb1g1 Pa2b2c2d2e2f2g2h2 / Ke8 Qd8 Ra8h8 Bc8f8 Nb8g8 Pa7b7c7d7e7f7g7h7</desc>", 1},
            // Each kind defined once and placed by reference, and each glyph.
            {"<g id=\"", 6}, {"<use xlink:href=\"#p\" class=\"w\"", 8}, {"<use xlink:href=\"#p\" class=\"b\"", 8},
            {"<use xlink:href=\"#k\" class=\"w\" x=\"160\" y=\"280\"/>", 1}, {"<use xlink:href=\"#q\" class=\"b\" x=\"120\" y=\"0\"/>", 1},
            {"<path id=\"fa\"", 1}, {"<use xlink:href=\"#fa\" x=\"16.5\" y=\"324\"/>", 1},
            {"<use xlink:href=\"#r8\" x=\"-13.5\" y=\"15\"/>", 1}, {"class=\"frame\"", 1},
            {"M40 0h40v40h-40z", 1}, {"M0 40h40v40h-40z", 1}, {"h40v40h-40z", 32},
            {"<text", 0}, {"class=\"mark\"", 0}, {"class=\"arrow\"", 0}, {"hatch", 0}, {"<script", 0}, {"href=\"http", 0},
        }},
        // The board alone is the 64 squares, a8 at the top left, or h1 when flipped.
        {"k7/8/8/8/8/8/8/7K b - - 0 1", bare(), {
            {"viewBox=\"0 0 320 320\" width=\"360\" height=\"360\"", 1}, {"<g id=\"k\"", 1}, {"<g id=\"", 1},
            {"<use xlink:href=\"#k\" class=\"b\" x=\"0\" y=\"0\"/>", 1}, {"<use xlink:href=\"#k\" class=\"w\" x=\"280\" y=\"280\"/>", 1},
            {"class=\"frame\"", 0}, {"id=\"fa\"", 0}, {"#fa", 0},
        }},
        {"k7/8/8/8/8/8/8/7K b - - 0 1", with([](DiagramOptions& o) { o.flipped = true; }, bare()), {
            {"<use xlink:href=\"#k\" class=\"b\" x=\"280\" y=\"280\"/>", 1}, {"<use xlink:href=\"#k\" class=\"w\" x=\"0\" y=\"0\"/>", 1},
        }},
        // Flipped, the files run h to a and the ranks 1 to 8 down the side.
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.flipped = true; }), {
            {"<use xlink:href=\"#fh\" x=\"16.5\"", 1}, {"<use xlink:href=\"#fg\" x=\"56.5\"", 1},
            {"<use xlink:href=\"#r1\" x=\"-13.5\" y=\"15\"/>", 1}, {"<use xlink:href=\"#r2\" x=\"-13.5\" y=\"55\"/>", 1},
            {"<g id=\"", 0},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.border = false; }), {
            {"viewBox=\"-16 0 336 336\"", 1}, {"class=\"frame\"", 0},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.size = 100; }, bare()), {{"width=\"100\" height=\"100\"", 1}}},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.size = -5; }, bare()), {{"width=\"1\" height=\"1\"", 1}}},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.size = 2147483647; o.count = true; }, bare()), {
            {"width=\"100000\" height=\"107500\"", 1},
        }},
        // The marker beside the player to move: White at the bottom, Black at the top, turned with the board.
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.sideToMove = true; }, bare()), {
            {"viewBox=\"0 0 336 320\" width=\"360\" height=\"343\"", 1}, {"<rect class=\"w\" x=\"323.5\" y=\"308.5\"", 1},
        }},
        {"8/8/8/8/8/8/8/8 b - - 0 1", with([](DiagramOptions& o) { o.sideToMove = true; }, bare()), {
            {"<rect class=\"b\" x=\"323.5\" y=\"1.5\"", 1},
        }},
        {"8/8/8/8/8/8/8/8 b - - 0 1", with([](DiagramOptions& o) { o.sideToMove = o.flipped = true; }, bare()), {
            {"<rect class=\"b\" x=\"323.5\" y=\"308.5\"", 1},
        }},
        // Marks and arrows turn with the board; an arrow off the board or to its own square is left out.
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.marks = (1ULL << 0) | (1ULL << 63); }, bare()), {
            {"<circle class=\"mark\" cx=\"20\" cy=\"20\" r=\"17.5\"/>", 1}, {"<circle class=\"mark\" cx=\"300\" cy=\"300\"", 1},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.arrows = {{52, 36}, {-1, 3}, {5, 64}, {9, 9}, {0, 63}}; }, bare()), {
            {"<path class=\"arrow\" d=\"M180 260L180 197M180 184L172 197L188 197z\"/>", 1}, {"class=\"arrow\"", 2},
            {"<path class=\"arrow\" d=\"M20 20L288 288M297.2 297.2L293.6 282.3L282.3 293.6z\"/>", 1},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.arrows = {{52, 36}}; o.flipped = true; }, bare()), {
            {"<path class=\"arrow\" d=\"M140 60L140 123M140 136L148 123L132 123z\"/>", 1},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.arrows = {{62, 45}}; }, bare()), {
            {"<path class=\"arrow\" d=\"M260 300L227.6 235.2M221.8 223.6L220.4 238.8L234.8 231.6z\"/>", 1},
        }},
        // The caption and the count share one line under the board.
        {"4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1", with([](DiagramOptions& o) { o.count = true; }, bare()), {
            {"viewBox=\"0 0 320 344\" width=\"360\" height=\"387\"", 1},
            {"<text class=\"text\" x=\"320\" y=\"338\" text-anchor=\"end\">(4+1)</text>", 1}, {"<text", 1},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.caption = "White to play and win"; }), {
            {"<text class=\"text\" x=\"0\" y=\"356\">White to play and win</text>", 1},
        }},
        // Every text is written for XML: the special characters as references, what XML forbids left out.
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) {
            constexpr char CAPTION[] = "<b>\"Tom & Jerry's\"</b>\0\x01\x1f\t\n\r\xff\xc3\xa9\xed\xa0\x80\xef\xbf\xbe\xf0\x9f\x98\x80|\xc3\xa9";
            o.caption.assign(CAPTION, sizeof CAPTION - 1);
        }), {
            {">&lt;b&gt;&quot;Tom &amp; Jerry&apos;s&quot;&lt;/b&gt;\t\n\r\xc3\xa9\xf0\x9f\x98\x80|\xc3\xa9</text>", 1},
        }},
        // UTF-8 at the edges of each length kept; overlong forms, surrogates, U+FFFF, past U+10FFFF,
        // stray continuations and a cut sequence left out, a byte at a time.
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) {
            o.caption = "\xc2\x80|\xdf\xbf|\xe0\xa0\x80|\xed\x9f\xbf|\xee\x80\x80|\xef\xbf\xbd|\xf0\x90\x80\x80|\xf4\x8f\xbf\xbf|"
                        "\xc1\xbf|\xe0\x9f\xbf|\xed\xa0\x80|\xef\xbf\xbf|\xf0\x8f\xbf\xbf|\xf4\x90\x80\x80|\xf5\x80\x80\x80|\x80|\xe2\x82";
        }, bare()), {
            {">\xc2\x80|\xdf\xbf|\xe0\xa0\x80|\xed\x9f\xbf|\xee\x80\x80|\xef\xbf\xbd|\xf0\x90\x80\x80|\xf4\x8f\xbf\xbf|||||||||</text>", 1},
        }},
        {"<7/&6\"/8/8/8/8/8/\x01\xff" "5K w - \x02- 0 1", bare(), {
            {"<title>&lt;7/&amp;6&quot;/8/8/8/8/8/5K w - - 0 1</title>", 1}, {"<desc>Kh1</desc>", 1},
            // Each byte that is no piece letter gets the neutral mark, defined once.
            {"<path id=\"x\" class=\"n\" d=\"M20 12l8 8-8 8-8-8z\"/>", 1}, {"<path id=\"x\"", 1}, {"<use xlink:href=\"#x\" x=", 5},
        }},
        {"8/8/8/8/8/8/8/8 w - - 0 1", with([](DiagramOptions& o) { o.theme = piecefen::DiagramTheme::print; }), {
            {"<pattern id=\"hatch\"", 1}, {".light{fill:#fff}.dark{fill:url(#hatch)}", 1}, {"#f0d9b5", 0},
        }},
    };
    for (const auto& [fen, options, holds] : cases) {
        const std::string document = diagramOf(fen, options);
        for (const auto& [part, times] : holds) {
            EXPECT_EQ(occurrences(document, part), times) << fen << "\n  " << part << "\n  in " << document;
        }
    }
}

TEST(Diagram, OnePieceAlone) {
    EXPECT_EQ(occurrences(piecefen::pieceSvg('N', 64), "viewBox=\"0 0 40 40\" width=\"64\" height=\"64\""), 1U);
    EXPECT_EQ(occurrences(piecefen::pieceSvg('n'), "<g class=\"b\"><g id=\"n\""), 1U);
    EXPECT_TRUE(piecefen::pieceSvg('n').ends_with("\"/></g></g></svg>"));
    EXPECT_EQ(occurrences(piecefen::pieceSvg('?'), "<path class=\"n\""), 1U);
    EXPECT_EQ(occurrences(piecefen::pieceSvg('.'), "<path"), 0U);
    EXPECT_EQ(occurrences(piecefen::pieceSvg('K', 0), "width=\"1\""), 1U);
    // Each letter in its colour's class and with its own kind's shape; a byte that is no
    // piece gets the neutral mark, drawn, as the page's palette and board show it.
    for (const char letter : std::string_view("KQRBNPkqrbnp")) {
        const bool white = letter < 'a';
        const char kind = static_cast<char>(white ? letter - 'A' + 'a' : letter);
        const std::string expected = std::string("<g class=\"") + (white ? 'w' : 'b') + "\"><g id=\"" + kind + '"';
        EXPECT_EQ(occurrences(piecefen::pieceSvg(letter), expected), 1U) << letter;
    }
    EXPECT_EQ(occurrences(piecefen::pieceSvg('x'), "<path class=\"n\" d=\"M20 12l8 8-8 8-8-8z\"/>"), 1U);
}

// The README's picture is what the library writes, byte for byte, wherever the tests can
// read the source tree; PIECEFEN_UPDATE_EXAMPLES=1 writes it anew.
TEST(Diagram, TheReadmePicture) {
    DiagramOptions options;
    options.sideToMove = true;
    options.count = true;
    options.caption = "White to play and win";
    options.marks = std::uint64_t{1} << 28;
    options.arrows = {{53, 37}};
    const std::string document = diagramOf("8/8/8/4k3/8/8/4PP2/4K3 w - - 0 1", options) + '\n';
    const std::string path = PIECEFEN_SOURCE_DIR "/docs/diagram.svg";
    if (std::getenv("PIECEFEN_UPDATE_EXAMPLES") != nullptr) std::ofstream(path, std::ios::binary) << document;
    std::ifstream file(path, std::ios::binary);
    if (!file) GTEST_SKIP() << "the source tree is out of this test's reach here";
    std::ostringstream kept;
    kept << file.rdbuf();
    EXPECT_EQ(kept.str(), document);
}

}  // namespace
