#include <gtest/gtest.h>

#include <random>
#include <string>

#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;
using namespace std::string_literals;

namespace {

std::string fenRead(const std::string& text) {
    FenPosition position;
    position.fromFen(text);
    return position.toFen();
}

const std::string OPENING = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR";

struct ReaderCase {
    std::string text;
    std::string fen;
};

TEST(FenReader, ReadsWhatTheTextGives) {
    const ReaderCase cases[] = {
        {OPENING + " w KQkq - 0 1", OPENING + " w KQkq - 0 1"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"8/8/8/4k3/8/8/8/4K2R w K - 12 40", "8/8/8/4k3/8/8/8/4K2R w K - 12 40"},
        {"8/8/8/4k3/8/8/8/4K3 b - - 0 123", "8/8/8/4k3/8/8/8/4K3 b - - 0 123"},
        {"8/8/8/4k3/8/8/8/4K3 b - - 100 75", "8/8/8/4k3/8/8/8/4K3 b - - 100 75"},
        // Counters are cut to three digits; a fourth in the clock ends the reading.
        {"8/8/8/4k3/8/8/8/4K3 b - - 5 1234", "8/8/8/4k3/8/8/8/4K3 b - - 5 123"},
        {"8/8/8/4k3/8/8/8/4K3 b - - 1234 5", "8/8/8/4k3/8/8/8/4K3 b - - 123 1"},
        {"8/8/8/8/8/8/8/8 w - e3 05 007", "8/8/8/8/8/8/8/8 w - e3 5 7"},
        // The slashes carry no meaning: squares fill in reading order.
        {"rnbqkbnrpppppppp8888PPPPPPPPRNBQKBNR w KQkq -", OPENING + " w KQkq - 0 1"},
        {"9/9 w - - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"x7/8/8/8/8/8/8/7K w - - 0 1", "x7/8/8/8/8/8/8/7K w - - 0 1"},
        // Missing, misplaced or non-numeric counters leave the initial values.
        {"8/8/8/8/8/8/8/8 w - - 7", "8/8/8/8/8/8/8/8 w - - 7 1"},
        {"8/8/8/8/8/8/8/8 w - - 7 ", "8/8/8/8/8/8/8/8 w - - 7 1"},
        {"8/8/8/8/8/8/8/8 w - - 0  1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 w - -  5 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 w - - 1234", "8/8/8/8/8/8/8/8 w - - 123 1"},
        {"8/8/8/8/8/8/8/8 w - - 12345 6", "8/8/8/8/8/8/8/8 w - - 123 1"},
        // The neighbours of "0" and "9" are no digits, in the counters or the placement.
        {"8/8/8/8/8/8/8/8 w - - /5 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 w - - :5 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 w - - 5 /1", "8/8/8/8/8/8/8/8 w - - 5 1"},
        {"8/8/8/8/8/8/8/8 w - - 5 :1", "8/8/8/8/8/8/8/8 w - - 5 1"},
        {"8/8/8/8/8/8/8/8 w - - 5/ 1", "8/8/8/8/8/8/8/8 w - - 5 1"},
        {"8/8/8/8/8/8/8/8 w - - 5: 1", "8/8/8/8/8/8/8/8 w - - 5 1"},
        {"8/8/8/8/8/8/8/8 w - - 5 1:", "8/8/8/8/8/8/8/8 w - - 5 1"},
        {":7/8/8/8/8/8/8/7K w - - 0 1", ":7/8/8/8/8/8/8/7K w - - 0 1"},
        {"8/8/8/8/8/8/8/8 W - -", "8/8/8/8/8/8/8/8 b - - 0 1"},
        {"8/8/8/8/8/8/8/8 w Kq-x e3 x 5", "8/8/8/8/8/8/8/8 w Kq e3 0 1"},
        {"8/8/8/8/8/8/8/8 w qKKq - 0 1", "8/8/8/8/8/8/8/8 w Kq - 0 1"},
        // Squares past h1 are dropped and the later fields are still read.
        {"pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp b KQkq - 3 9",
         "pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp b KQkq - 3 9"},
        {std::string(100000, '9') + "P b - - 0 1", "8/8/8/8/8/8/8/8 b - - 0 1"},
        // A 65th square with no field after it: nothing lands beyond h1, the side included.
        {std::string(65, 'p'), "pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp w - - 0 1"},
        // A text that ends early keeps every field it did not reach.
        {"", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"4k3/8/8/8/8/8/8/4K3", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 ", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 b", "8/8/8/8/8/8/8/8 b - - 0 1"},
        {"8/8/8/8/8/8/8/8 b KQ", "8/8/8/8/8/8/8/8 b KQ - 0 1"},
        {"8/8/8/8/8/8/8/8 b KQ ", "8/8/8/8/8/8/8/8 b KQ - 0 1"},
        {"8/8/8/8/8/8/8/8 b - e", "8/8/8/8/8/8/8/8 b - e 0 1"},
        {"8/8/8/8/8/8/8/8 b - e3", "8/8/8/8/8/8/8/8 b - e3 0 1"},
        // Bytes above 127 and NUL are stored like any other placement character.
        {"\xff\0/8/8/8/8/8/8/8 w - - 0 1"s, "\xff\0" "6/8/8/8/8/8/8/8 w - - 0 1"s},
    };
    for (const auto& [text, fen] : cases) {
        EXPECT_EQ(fenRead(text), fen) << "text: " << text.substr(0, 80);
    }
}

// The reader takes whatever two characters it finds as the en-passant square, so a
// text cut off inside that field writes a line that reads back one character wider.
TEST(FenReader, OneCharacterEnPassantSettlesAfterOneMoreRound) {
    const std::string once = fenRead("8/8/8/8/8/8/8/8 w - e");
    EXPECT_EQ(once, "8/8/8/8/8/8/8/8 w - e 0 1");
    EXPECT_EQ(fenRead(once), "8/8/8/8/8/8/8/8 w - e  0 1");
    EXPECT_EQ(fenRead(fenRead(once)), "8/8/8/8/8/8/8/8 w - e  0 1");
}

TEST(FenReader, LeavesNothingOfTheEarlierPosition) {
    FenPosition position;
    position.fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 17 42");
    position.fromFen("8/8/8/8/8/8/8/8 w - -");
    EXPECT_EQ(position, FenPosition{});
}

// Every record the readers can make comes back from its FEN line field by field.
TEST(FenReader, RoundTripsGeneratedRecords) {
    std::mt19937 random(20261208);
    const std::string squares = "KQRBNPkqrbnp........";
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 5000; ++round) {
        FenPosition record;
        for (char& square : record.board) square = squares[static_cast<std::size_t>(pick(0, 19))];
        record.sideToMove = pick(0, 1);
        for (auto& colour : record.castling) colour[0] = pick(0, 1) == 1, colour[1] = pick(0, 1) == 1;
        if (pick(0, 1) == 1) record.enPassant = {static_cast<char>('a' + pick(0, 7)), static_cast<char>('1' + pick(0, 7))};
        record.halfmoveClock = pick(0, 999);
        record.moveNumber = pick(0, 999);

        const std::string fen = record.toFen();
        FenPosition readBack;
        readBack.fromFen(fen);
        ASSERT_EQ(readBack, record) << fen;
        ASSERT_EQ(readBack.toFen(), fen);
    }
}

// Cutting a line anywhere must never read past the cut (the sanitizer build checks),
// and no field is set before the reading reaches it.
TEST(FenReader, ReadsEveryPrefixOfALine) {
    const std::string lines[] = {
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
        "8/8/8/4k3/8/8/8/4K2R b K - 12 4",
    };
    for (const auto& line : lines) {
        const std::size_t sideAt = line.find(' ') + 1;
        for (std::size_t length = 0; length <= line.size(); ++length) {
            // A copy of exactly this length, so any read past it lands outside the buffer.
            const std::string prefix(line.data(), length);
            FenPosition position;
            position.fromFen(prefix);
            EXPECT_EQ(position.sideToMove, length > sideAt ? 1 : 0) << prefix;
            EXPECT_EQ(position.moveNumber, length == line.size() ? std::stoi(line.substr(line.rfind(' '))) : 1);
        }
        EXPECT_EQ(fenRead(line), line);
    }
}

}  // namespace
