#include <gtest/gtest.h>

#include <string>

#include <piecefen/notation/Notation.h>
#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

std::string fenOfPieceList(const std::string& text) {
    FenPosition position;
    position.readPieceList(text);
    return position.toFen();
}

struct PieceListCase {
    std::string text;
    std::string fen;
};

const PieceListCase PIECE_LIST_CASES[] = {
    {"", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"Ke1", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1 Pe2 / Ke8", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
    {"Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7", "6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1"},
    {"Ke1/Ke8", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1\\Ke8", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1,Kd1", "8/8/8/8/8/8/8/3KK3 w - - 0 1"},
    {"Pa2 b2 c2", "8/8/8/8/8/8/PPP5/8 w - - 0 1"},
    // The letter in force crosses the colour switch; a second slash changes nothing.
    {"Pa2 / a7", "8/p7/8/8/8/8/P7/8 w - - 0 1"},
    {"Ke1 / Ke8 / Kd1", "4k3/8/8/8/8/8/8/3kK3 w - - 0 1"},
    {"Ke1 d1 / d8", "3k4/8/8/8/8/8/8/3KK3 w - - 0 1"},
    {"Ke1 Qe1", "8/8/8/8/8/8/8/4Q3 w - - 0 1"},
    // Reading stops at the first square that is not one, and keeps what came before.
    {"Ke9 Qd1", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"Qd1 Ke9", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"KE1", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"K e1", "8/8/8/8/8/8/8/8 w - - 0 1"},
    {"Qd1 and Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Ke1 black Ke8", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1 Q", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1 Qa", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1 a", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"Ke1 Qh", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    // The neighbours of the file letters and rank digits are no square: the reading stops.
    {"Qd1 K`1 Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Qd1 Ki1 Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Qd1 Ke0 Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Qd1 Ke9 Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Qd1 Kh9 Ke1", "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
    {"Ka1 Kh8 Qa8 h1", "Q6K/8/8/8/8/8/8/K6Q w - - 0 1"},
    // Standing alone, they are no file letter either, and are skipped.
    {"Ke1 `1 i1 Qd1", "8/8/8/8/8/8/8/3QK3 w - - 0 1"},
    {"Pa1b2c3d4e5f6g7h8", "7P/6P1/5P2/4P3/3P4/2P5/1P6/P7 w - - 0 1"},
    {"Bb1 Na8 Rh8 Qh1", "N6R/8/8/8/8/8/8/1B5Q w - - 0 1"},
    // A square before any piece letter is passed over and the reading goes on.
    {"e2 Ke1", "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    {"ke1 Kd1", "8/8/8/8/8/8/8/3K4 w - - 0 1"},
    {"/u", "8/8/8/8/8/8/8/8 w - - 0 1"},
    // Digits, other letters and bytes above 127 are skipped.
    {"1 Z \xff\x80 Ke1 \xe9 Qd1", "8/8/8/8/8/8/8/3QK3 w - - 0 1"},
    {std::string("Ke1 \0 Qd1", 9), "8/8/8/8/8/8/8/3QK3 w - - 0 1"},
};

TEST(PieceListReader, GivesTheExactFen) {
    for (const auto& testCase : PIECE_LIST_CASES) {
        EXPECT_EQ(fenOfPieceList(testCase.text), testCase.fen) << "text: " << testCase.text;
        // The free functions give what the record's members give.
        EXPECT_EQ(piecefen::writeFen(piecefen::readPieceList(testCase.text)), testCase.fen) << "text: " << testCase.text;
        EXPECT_EQ(piecefen::readFen(testCase.fen), piecefen::readPieceList(testCase.text)) << "text: " << testCase.text;
    }
}

TEST(PieceListReader, StartsFromTheInitialPosition) {
    FenPosition position;
    position.board[0] = 'r';
    position.sideToMove = 1;
    position.castling[1][1] = true;
    position.enPassant = "e3";
    position.halfmoveClock = 7;
    position.moveNumber = 9;
    position.readPieceList("Ke1");
    EXPECT_EQ(position.toFen(), "8/8/8/8/8/8/8/4K3 w - - 0 1");
}

}  // namespace
