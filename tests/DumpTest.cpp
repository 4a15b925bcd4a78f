#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

// The report on a stream of the caller's, checked to be the very bytes that go to
// standard output; the caller's stream flags must not change any of them.
std::string dumpOf(const FenPosition& position) {
    std::ostringstream captured;
    std::streambuf* const saved = std::cout.rdbuf(captured.rdbuf());
    position.dump();
    std::cout.rdbuf(saved);
    std::ostringstream given;
    given << std::hex << std::showpos << std::setw(9);
    position.dump(given);
    EXPECT_EQ(given.str(), captured.str());
    return given.str();
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
    const std::string report = dumpOf(FenPosition{});
    EXPECT_EQ(report, expected);
    EXPECT_EQ(report.size(), 259U);
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
    const std::string report = dumpOf(position);
    EXPECT_EQ(report, expected);
    EXPECT_EQ(report.size(), 260U);
}

struct OddCase {
    const char* why;
    std::function<void(FenPosition&)> change;
    std::string tail;
};

// The report shows what is stored, however odd; only the lines after the board vary here.
TEST(Dump, ShowsOddValuesAsStored) {
    const std::string usual = "On Move:     White\nEP:          -\nHalfMove:    0\nMoveNumber:  1\n";
    const OddCase cases[] = {
        {"white king side only", [](FenPosition& p) { p.castling[0][0] = true; },
         "White's castling rights:  K-\nBlack's castling rights:  --\n" + usual},
        {"white queen side only", [](FenPosition& p) { p.castling[0][1] = true; },
         "White's castling rights:  -Q\nBlack's castling rights:  --\n" + usual},
        {"black king side only", [](FenPosition& p) { p.castling[1][0] = true; },
         "White's castling rights:  --\nBlack's castling rights:  k-\n" + usual},
        {"black queen side only", [](FenPosition& p) { p.castling[1][1] = true; },
         "White's castling rights:  --\nBlack's castling rights:  -q\n" + usual},
        {"odd side, empty text, counters past the usual range", [](FenPosition& p) {
             p.sideToMove = 2;
             p.enPassant.clear();
             p.halfmoveClock = -1;
             p.moveNumber = 1234;
         },
         "White's castling rights:  --\nBlack's castling rights:  --\n"
         "On Move:     Black\nEP:          \nHalfMove:    -1\nMoveNumber:  1234\n"},
        {"extreme counters", [](FenPosition& p) {
             p.halfmoveClock = INT32_MIN;
             p.moveNumber = INT32_MAX;
         },
         "White's castling rights:  --\nBlack's castling rights:  --\n"
         "On Move:     White\nEP:          -\nHalfMove:    -2147483648\nMoveNumber:  2147483647\n"},
    };
    for (const auto& testCase : cases) {
        FenPosition position;
        testCase.change(position);
        EXPECT_EQ(dumpOf(position).substr(1 + 8 * 17), testCase.tail) << testCase.why;
    }
}

}  // namespace
