#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "position/FenPosition.h"

using piecefen::FenPosition;

namespace {

std::string dumpOf(const FenPosition& position) {
    std::ostringstream captured;
    std::streambuf* const saved = std::cout.rdbuf(captured.rdbuf());
    position.dump();
    std::cout.rdbuf(saved);
    return captured.str();
}

const std::string EMPTY_RANK = ". . . . . . . . \n";

TEST(Dump, InitialRecord) {
    const std::string expected = "\n" + EMPTY_RANK + EMPTY_RANK + EMPTY_RANK + EMPTY_RANK + EMPTY_RANK +
                                 EMPTY_RANK + EMPTY_RANK + EMPTY_RANK +
                                 "White's castling rights:  --\n"
                                 "Black's castling rights:  --\n"
                                 "On Move:     White\n"
                                 "EP:          -\n"
                                 "HalfMove:    0\n"
                                 "MoveNumber:  1\n";
    EXPECT_EQ(dumpOf(FenPosition{}), expected);
    EXPECT_EQ(expected.size(), 259U);
}

TEST(Dump, OpeningAfterE4) {
    FenPosition position;
    position.fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    const std::string expected = "\nr n b q k b n r \np p p p p p p p \n" + EMPTY_RANK + EMPTY_RANK +
                                 ". . . . P . . . \n" + EMPTY_RANK +
                                 "P P P P . P P P \nR N B Q K B N R \n"
                                 "White's castling rights:  KQ\n"
                                 "Black's castling rights:  kq\n"
                                 "On Move:     Black\n"
                                 "EP:          e3\n"
                                 "HalfMove:    0\n"
                                 "MoveNumber:  1\n";
    EXPECT_EQ(dumpOf(position), expected);
    EXPECT_EQ(expected.size(), 260U);
}

// The report shows what is stored, however odd; only the lines after the board vary here.
TEST(Dump, ShowsOddValuesAsStored) {
    FenPosition position;
    position.castling[0][1] = true;
    position.castling[1][0] = true;
    position.sideToMove = 2;
    position.enPassant.clear();
    position.halfmoveClock = -1;
    position.moveNumber = 1234;
    const std::string report = dumpOf(position);
    EXPECT_EQ(report.substr(1 + 8 * 17),
              "White's castling rights:  -Q\n"
              "Black's castling rights:  k-\n"
              "On Move:     Black\n"
              "EP:          \n"
              "HalfMove:    -1\n"
              "MoveNumber:  1234\n");
}

}  // namespace
