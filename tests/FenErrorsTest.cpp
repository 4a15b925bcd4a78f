#include <gtest/gtest.h>

#include <random>
#include <string>

#include <piecefen/notation/FenErrors.h>
#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

// The errors as one line, each name with its offset: "space 20; side 22".
std::string errorsOf(std::string_view text) {
    std::string line;
    for (const auto& [kind, at] : piecefen::fenErrors(text)) {
        if (!line.empty()) line += "; ";
        line += std::string(piecefen::fenErrorName(kind)) + ' ' + std::to_string(at);
    }
    return line;
}

struct ErrorCase {
    std::string text;
    const char* errors;
};

void expectErrors(std::initializer_list<ErrorCase> cases) {
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(errorsOf(text), expected) << text;
    }
}

const std::string START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(FenErrors, WellFormedLinesMayStopAfterAnyField) {
    expectErrors({
        {START, ""},
        {"4k3/8/8/8/8/8/8/4K3", ""},
        {"4k3/8/8/8/8/8/8/4K3 b", ""},
        {"4k3/8/8/8/8/8/8/4K3 b Kq", ""},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", ""},
        {"4k3/8/8/8/8/8/8/4K3 w - d6 0", ""},
        {"4k3/8/8/8/8/8/8/4K3 w - - 100 7500", ""},
        {"", "ranks 0"},
    });
}

TEST(FenErrors, WhitespaceOtherThanOneSpaceBetweenFields) {
    expectErrors({
        {"8/8/8/8/8/2k5/8/K1Q5  w - - 0 1", "space 21"},
        {"  8/8/8/8/8/2k5/8/K1Q5 w - - 0 1", "space 0"},
        {"8/8/8/8/8/2k5/8/K1Q5 w - - 0 1 ", "space 30"},
        {"8/8/8/8/8/2k5/8/K1Q5 w - - 0 1\n", "space 30"},
        {"8/8/8/8/8/2k5/8/K1Q5\tw - - 0 1", "space 20"},
        {"8/8/8/8/8/2k5/8/K1Q5 \r\nw - - 0 1", "space 21"},
        {"8/8/8/8/8/2k5/8/K1Q5\r w - - 0 1", "space 20"},
        {" \t", "space 0; ranks 0"},
        // Every bad run is one error, each where it starts to be wrong.
        {" 8/8/8/8/8/2k5/8/K1Q5 w  - - 0\v1\f", "space 0; space 24; space 30; space 32"},
    });
}

TEST(FenErrors, MoreThanSixFields) {
    expectErrors({
        {START + " 5", "fields 57"},
        {START + " x y", "fields 57"},
        {START + " 5 ", "fields 57; space 58"},
    });
}

TEST(FenErrors, EightRanksOfEightSquares) {
    expectErrors({
        {"8/8/8/8/8/8/8 w - - 0 1", "ranks 12"},
        {"8 w - - 0 1", "ranks 0"},
        {"8/8/8/8/8/8/8/8/8 w - - 0 1", "ranks 15"},
        {"8/8/8/8/8/8/8/8/8/8", "ranks 15"},
        {"7/8/8/8/8/8/8/8", "rank-length 0"},
        {"8/7/8/8/8/8/8/8", "rank-length 2"},
        {"8/8/8/8/8/8/8/4K4", "rank-length 16"},
        {"8/8/8/8/8/8/8/ppppppppp", "rank-length 22"},
        {"44/8/8/8/8/8/8/8", ""},
        {"8/8//8/8/8/8/8", "rank-length 4"},
        {"8/8/8/8/8/8/8/", "rank-length 13"},
        {"/8/8/8/8/8/8/8", "rank-length 0"},
        {"8/8/8/8/8/8/8/8/", "ranks 15; rank-length 15"},
        {"8/8/8/8/8/8/8/8/4K3", "ranks 15"},
        // Without slashes the squares run on: each rank is long, and there is one.
        {"rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq -", "rank-length 8; ranks 35"},
    });
}

TEST(FenErrors, BoardCharacters) {
    expectErrors({
        {"x7/8/8/8/8/8/8/7K", "board-character 0"},
        // A stray byte is one square, as the reader stores it.
        {"8/8/8/8/8/8/8/7k9", "board-character 16; rank-length 16"},
        {"8/8/8/8/8/8/8/0Kpppppp", "board-character 14"},
        // A byte beyond ASCII is a square of its own for each of its bytes, as the reader keeps it.
        {"\xc3\xa9" "5k/8/8/8/8/8/8/4K3", "board-character 0; board-character 1"},
        {"\xc3\xa9" "7k/8/8/8/8/8/8/4K3", "board-character 0; board-character 1; rank-length 2"},
        {std::string("7k/8/8/8/8/8/8/3\0K3", 19), "board-character 16"},
    });
}

TEST(FenErrors, SideCastlingAndEnPassant) {
    expectErrors({
        {"4k3/8/8/8/8/8/8/4K3 W - - 0 1", "side 20"},
        {"4k3/8/8/8/8/8/8/4K3 white - - 0 1", "side 20"},
        {"4k3/8/8/8/8/8/8/4K3 - - 0 1", "side 20; en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w K - 0 1", ""},
        {"4k3/8/8/8/8/8/8/4K3 w Qk - 0 1", ""},
        {"4k3/8/8/8/8/8/8/4K3 w qK - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w KK - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w K- - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w -- - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w KQkqK - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w AHah - 0 1", "castling 22"},
        {"4k3/8/8/8/8/8/8/4K3 w - a3 0 1", ""},
        {"4k3/8/8/8/8/8/8/4K3 w - h6 0 1", ""},
        {"4k3/8/8/8/8/8/8/4K3 w - e4 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - i3 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - `3 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - E3 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - e3e 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - e 0 1", "en-passant 24"},
        {"4k3/8/8/8/8/8/8/4K3 w - -- 0 1", "en-passant 24"},
    });
}

TEST(FenErrors, Counters) {
    expectErrors({
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", ""},
        // A leading zero is no way to write a counter, and three are more than a reader takes.
        {"4k3/8/8/8/8/8/8/4K3 w - - 05 007", "halfmove-clock 26; move-number 29"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0001", "move-number 28"},
        {"4k3/8/8/8/8/8/8/4K3 w - - -1 1", "halfmove-clock 26"},
        {"4k3/8/8/8/8/8/8/4K3 w - - x 1", "halfmove-clock 26"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 9 109", ""},
        {"4k3/8/8/8/8/8/8/4K3 w - - / 1", "halfmove-clock 26"},
        {"4k3/8/8/8/8/8/8/4K3 w - - : 1", "halfmove-clock 26"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 1x 1", "halfmove-clock 26"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 0", "move-number 28"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 000", "move-number 28"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 +1", "move-number 28"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1.", "move-number 28"},
    });
    EXPECT_EQ(piecefen::fenErrorName(static_cast<piecefen::FenErrorKind>(10)), "");
    // A view into a longer text ends where it ends, whatever follows it.
    const std::string longer = "4k3/8/8/8/8/8/8/4K3x w";
    EXPECT_EQ(errorsOf(std::string_view(longer).substr(0, 19)), "");
    EXPECT_EQ(errorsOf(std::string_view(longer).substr(0, 20)), "board-character 19; rank-length 19");
    const std::string spaced = "4k3/8/8/8/8/8/8/4K3 w";
    EXPECT_EQ(errorsOf(std::string_view(spaced).substr(0, 19)), "");
}

// What the writer writes is FEN, for any board the piece-list reader places and for any
// record a well-formed line gives.
TEST(FenErrors, WhatTheWriterWritesHasNone) {
    std::mt19937 random(2026);
    const std::string words[] = {"K", "Q", "R", "B", "N", "P", "/", " ", "a", "h", "1", "8", "e4", "x", "k"};
    FenPosition position;
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int word = 0; word < 24; ++word) text += words[random() % std::size(words)];
        position.readPieceList(text);
        ASSERT_EQ(errorsOf(position.toFen()), "") << text;
    }
    for (const char* line : {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
                             "8/8/8/4k3/8/8/8/4K2R w K - 12 40", "4k3/8/8/8/8/8/8/4K3 w - - 1234 5678",
                             "4k3/8/8/8/8/8/8/4K3"}) {
        ASSERT_EQ(errorsOf(line), "") << line;
        position.fromFen(line);
        EXPECT_EQ(errorsOf(position.toFen()), "") << line;
    }
}

}  // namespace
