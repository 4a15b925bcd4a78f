#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

void placeOpening(FenPosition& p) {
    const std::string back = "rnbqkbnr";
    for (int column = 0; column < 8; ++column) {
        p.board[column] = back[static_cast<std::size_t>(column)];
        p.board[8 + column] = 'p';
        p.board[48 + column] = 'P';
        p.board[56 + column] = static_cast<char>(back[static_cast<std::size_t>(column)] - 'a' + 'A');
    }
}

struct WriterCase {
    const char* why;
    std::function<void(FenPosition&)> change;
    const char* fen;
};

TEST(FenWriter, WritesEachFieldExactly) {
    const WriterCase cases[] = {
        {"initial record", [](FenPosition&) {}, "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"opening", [](FenPosition& p) {
             placeOpening(p);
             p.castling[0][0] = p.castling[0][1] = p.castling[1][0] = p.castling[1][1] = true;
         }, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
        {"runs start and end a row", [](FenPosition& p) { p.board[59] = p.board[60] = 'K'; },
         "8/8/8/8/8/8/8/3KK3 w - - 0 1"},
        {"corners", [](FenPosition& p) { p.board[0] = 'r'; p.board[63] = 'K'; },
         "r7/8/8/8/8/8/8/7K w - - 0 1"},
        {"any other byte is copied", [](FenPosition& p) { p.board[9] = 'x'; },
         "8/1x6/8/8/8/8/8/8 w - - 0 1"},
        {"black queen side only", [](FenPosition& p) { p.castling[1][1] = true; },
         "8/8/8/8/8/8/8/8 w q - 0 1"},
        {"white's two rights", [](FenPosition& p) { p.castling[0][0] = p.castling[0][1] = true; },
         "8/8/8/8/8/8/8/8 w KQ - 0 1"},
        {"black to move", [](FenPosition& p) { p.sideToMove = 1; }, "8/8/8/8/8/8/8/8 b - - 0 1"},
        {"any non-zero side is black", [](FenPosition& p) { p.sideToMove = -7; },
         "8/8/8/8/8/8/8/8 b - - 0 1"},
        {"en passant copied", [](FenPosition& p) { p.enPassant = "e3"; }, "8/8/8/8/8/8/8/8 w - e3 0 1"},
        {"counters", [](FenPosition& p) { p.halfmoveClock = 99; p.moveNumber = 100; },
         "8/8/8/8/8/8/8/8 w - - 99 100"},
        {"negative counter leaves its field empty", [](FenPosition& p) { p.halfmoveClock = -1; },
         "8/8/8/8/8/8/8/8 w - -  1"},
    };
    for (const auto& testCase : cases) {
        FenPosition position;
        testCase.change(position);
        EXPECT_EQ(position.toFen(), testCase.fen) << testCase.why;
    }
}

TEST(FenWriter, NumberToTextWritesPlainDecimal) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0"},     {7, "7"},       {10, "10"},  {99, "99"},
        {100, "100"}, {999, "999"},   {1000, "1000"}, {INT32_MAX, "2147483647"},
        {-1, ""},     {INT32_MIN, ""},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FenPosition::numberToText(value), text) << value;
    }
}

TEST(FenPosition, ResetRestoresEveryInitialValue) {
    FenPosition position;
    placeOpening(position);
    position.sideToMove = 1;
    position.castling[0][1] = true;
    position.enPassant = "e3";
    position.halfmoveClock = 5;
    position.moveNumber = 40;
    position.reset();
    EXPECT_EQ(position, FenPosition{});
    EXPECT_EQ(position.toFen(), "8/8/8/8/8/8/8/8 w - - 0 1");
}

}  // namespace
