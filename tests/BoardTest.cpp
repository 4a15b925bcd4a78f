#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

// The board's own header is not installed: these tests are built where the library is
// linked in whole, as a static library.
#include "position/FenPosition.h"
#include "rules/Board.h"
#include "rules/Moves.h"

using piecefen::FenPosition;
using piecefen::Move;

namespace {

// Over random games, the moves that may check are legal moves, and every move whose SAN
// says check is among them.
TEST(Board, TheMovesThatMayCheckHoldEveryCheck) {
    std::mt19937 random(20261210);
    for (int game = 0; game < 40; ++game) {
        FenPosition position;
        position.fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
        for (int ply = 0; ply < 120; ++ply) {
            const auto moves = piecefen::legalMoves(position);
            if (moves.empty()) break;
            piecefen::board::MoveList checks;
            piecefen::board::generateChecks(*piecefen::board::boardOf(position), checks);
            const std::vector<Move> mayCheck(checks.begin(), checks.end());
            ASSERT_TRUE(std::includes(moves.begin(), moves.end(), mayCheck.begin(), mayCheck.end())) << position.toFen();
            for (const Move move : moves) {
                const char last = piecefen::san(position, move).back();
                if (last == '+' || last == '#') {
                    ASSERT_TRUE(std::binary_search(mayCheck.begin(), mayCheck.end(), move)) << position.toFen() << ' ' << piecefen::uci(move);
                }
            }
            position = piecefen::play(position, moves[random() % moves.size()]);
        }
    }
}

}  // namespace
