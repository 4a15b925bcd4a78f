#include <gtest/gtest.h>

#include <random>
#include <string>

#include <piecefen/notation/Notation.h>
#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

// Every square's name, file by file and rank 1 up.
const std::string ALL_SQUARES = [] {
    std::string names;
    for (char file = 'a'; file <= 'h'; ++file) {
        for (char rank = '1'; rank <= '8'; ++rank) names += {file, rank};
    }
    return names;
}();

struct WriterCase {
    std::string fen;
    std::string pieceList;
};

TEST(PieceListWriter, NamesEveryPieceInTheCollectionsOrder) {
    const WriterCase cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1", "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
         "Ke1 Qd1 Ra1h1 Bc1f1 Nb1g1 Pa2b2c2d2e2f2g2h2 / Ke8 Qd8 Ra8h8 Bc8f8 Nb8g8 Pa7b7c7d7e7f7g7h7"},
        {"8/8/8/8/8/8/8/8 w - - 0 1", ""},
        // With no white piece the text begins with the slash.
        {"4k3/8/8/8/8/8/8/n6b w - - 0 1", "/ Ke8 Bh1 Na1"},
        // File by file, and rank 1 up within a file.
        {"8/8/8/8/4P1P1/2P3P1/1P2P3/8 w - - 0 1", "Pb2c3e2e4g3g4"},
        // A byte that is no piece letter cannot be named; what surrounds it still is.
        {"8/8/8/8/8/8/8/2xK4 w - - 0 1", "Kd1"},
        {"8/8/8/8/8/8/8/x7 w - - 0 1", ""},
        // The longest text: every square taken and all twelve kinds present.
        {"rnbqkbnr/PPPPPPPP/PPPPPPPP/PPPPPPPP/PPPPPPPP/PPPPPPPP/PPPPPPPP/KQRBNPPp w - - 0 1",
         "Ka1 Qb1 Rc1 Bd1 Ne1 Pa2a3a4a5a6a7b2b3b4b5b6b7c2c3c4c5c6c7d2d3d4d5d6d7e2e3e4e5e6e7"
         "f1f2f3f4f5f6f7g1g2g3g4g5g6g7h2h3h4h5h6h7 / Ke8 Qd8 Ra8h8 Bc8f8 Nb8g8 Ph1"},
        // The longest group: all 64 squares, in the last group of all.
        {"pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp w - - 0 1",
         "/ P" + ALL_SQUARES},
    };
    for (const auto& [fen, pieceList] : cases) {
        FenPosition position;
        position.fromFen(fen);
        EXPECT_EQ(position.toPieceList(), pieceList) << fen;
        EXPECT_EQ(piecefen::writePieceList(piecefen::readFen(fen)), pieceList) << fen;
    }
}

// Whatever the board, the piece list reads back to exactly that board.
TEST(PieceListWriter, ReadsBackToTheSameBoard) {
    std::mt19937 random(20261208);
    const std::string squares = "KQRBNPkqrbnp.";
    std::uniform_int_distribution<std::size_t> pick(0, squares.size() - 1);
    std::uniform_int_distribution<int> sparse(0, 3);
    for (int round = 0; round < 2000; ++round) {
        FenPosition board;
        // Some boards crowded, most sparse, so that one colour alone is common too.
        const bool crowded = sparse(random) == 0;
        for (char& square : board.board) square = crowded || sparse(random) == 0 ? squares[pick(random)] : '.';
        FenPosition readBack;
        readBack.readPieceList(board.toPieceList());
        ASSERT_EQ(readBack, board) << board.toPieceList();
    }
}

}  // namespace
