#include <gtest/gtest.h>

#include <random>
#include <string>

#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>
#include <piecefen/rules/Illegalities.h>

using piecefen::FenPosition;
using piecefen::Move;
using piecefen::Outcome;

namespace {

FenPosition fenOf(const std::string& fen) {
    FenPosition position;
    position.fromFen(fen);
    return position;
}

// The moves as one line of SAN, in legalMoves() order.
std::string sanList(const std::string& fen) {
    const FenPosition position = fenOf(fen);
    std::string text;
    for (const Move move : piecefen::legalMoves(position)) {
        if (!text.empty()) text += ' ';
        text += piecefen::san(position, move);
    }
    return text;
}

// The FEN after the moves, each read as typed.
std::string after(const std::string& fen, std::initializer_list<const char*> typed) {
    FenPosition position = fenOf(fen);
    for (const char* text : typed) {
        const auto move = piecefen::readMove(position, text);
        if (!move) return std::string("no move ") + text;
        position = piecefen::play(position, *move);
    }
    return position.toFen();
}

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

struct PerftCase {
    const char* fen;
    int depth;
    std::uint64_t nodes;
};

// The published perft suite, and positions that each hide one rule; the counts agree with
// Stockfish's `go perft`. Deeper runs are in the benchmarks.
TEST(Moves, PerftOfThePublishedPositions) {
    constexpr PerftCase CASES[] = {
        {START, 0, 1},
        {START, 4, 197281},
        {KIWIPETE, 3, 97862},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 5, 674624},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, 9467},
        {"r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1", 3, 9467},
        {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", 3, 62379},
        {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 3, 89890},
        // En passant that would uncover a check along the rank, or that gives one.
        {"3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 4, 10138},
        {"8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 4, 10276},
        {"8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 4, 13931},
        // Castling that gives check, castling out of rights and through attacked squares.
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", 4, 6399},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 4, 7418},
        {"r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 3, 27826},
        {"r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 3, 50509},
        // Promotions out of check and giving check, a discovered check, stalemates and mates.
        {"2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 4, 19174},
        {"8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 4, 31961},
        {"4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 4, 2661},
        {"8/P1k5/K7/8/8/8/8/8 w - - 0 1", 4, 1329},
        {"K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
        {"8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 5, 10857},
        {"8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
        // A record that cannot be played has no moves; a right whose rook has gone gives none.
        {"4k3/8/8/8/8/8/8/4K2K w - - 0 1", 2, 0},
        {"4k3/8/8/8/8/8/8/4K3 w K - 0 1", 1, 5},
    };
    for (const auto& [fen, depth, nodes] : CASES) {
        EXPECT_EQ(piecefen::perft(fenOf(fen), depth), nodes) << fen << " depth " << depth;
    }
}

// perft(2) is the sum over the moves of the next position's number of moves, every move
// gives a record that can be played, and the move played reads back from its SAN and UCI.
TEST(Moves, RandomGamesAgreeWithThemselves) {
    std::mt19937 random(20261209);
    for (int game = 0; game < 40; ++game) {
        FenPosition position = fenOf(START);
        for (int ply = 0; ply < 120; ++ply) {
            const auto moves = piecefen::legalMoves(position);
            std::uint64_t replies = 0;
            for (const Move move : moves) {
                const FenPosition next = piecefen::play(position, move);
                replies += piecefen::legalMoves(next).size();
                ASSERT_NE(piecefen::outcome(next), Outcome::unplayable) << position.toFen() << ' ' << piecefen::uci(move);
            }
            ASSERT_EQ(piecefen::perft(position, 2), replies) << position.toFen();
            if (moves.empty()) break;
            const Move chosen = moves[random() % moves.size()];
            ASSERT_EQ(piecefen::readMove(position, piecefen::san(position, chosen)), chosen) << position.toFen();
            ASSERT_EQ(piecefen::readMove(position, piecefen::uci(chosen)), chosen) << position.toFen();
            position = piecefen::play(position, chosen);
        }
    }
}

TEST(Moves, OrderIsByFromThenToThenPromotion) {
    EXPECT_EQ(sanList("n1n4k/1P6/8/8/8/8/8/7K w - - 0 1"),
              "bxa8=Q bxa8=R bxa8=B bxa8=N b8=Q b8=R b8=B b8=N bxc8=Q+ bxc8=R+ bxc8=B bxc8=N Kg2 Kh2 Kg1");
    EXPECT_LT((Move{52, 36, 0}), (Move{53, 37, 0}));
    EXPECT_LT((Move{12, 4, 'q'}), (Move{12, 4, 'n'}));
}

struct SanCase {
    const char* fen;
    const char* uci;
    const char* san;
};

TEST(Moves, SanAsThePgnStandardWritesIt) {
    constexpr SanCase CASES[] = {
        // The least that tells the movers apart: the file, else the rank, else both.
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "b1c3", "Nbc3"},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "d1c3", "Ndc3"},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "b1a3", "Na3"},
        {"7k/8/8/8/R7/8/R7/K7 w - - 0 1", "a2a3", "R2a3"},
        {"8/7k/8/8/8/Q7/8/Q1Q4K w - - 0 1", "a1b2", "Qa1b2"},
        {"8/7k/8/8/8/Q7/8/Q1Q4K w - - 0 1", "a3b2", "Q3b2"},
        {"8/7k/8/8/8/Q7/8/Q1Q4K w - - 0 1", "c1b2", "Qcb2"},
        // A pinned knight cannot go there, so the other needs no letter.
        {"7k/8/8/b7/8/2N5/8/4K1N1 w - - 0 1", "g1e2", "Ne2"},
        // Promotions with check and mate, a capture that promotes, en passant.
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8q", "e8=Q+"},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8n", "e8=N"},
        {"7k/P6p/8/8/8/8/8/K5R1 w - - 0 1", "a7a8r", "a8=R#"},
        {"1n5k/P7/8/8/8/8/8/K7 w - - 0 1", "a7b8q", "axb8=Q+"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "exd6"},
        {"rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", "d4e3", "dxe3"},
        // Castling both ways, one with check; a mate on the back rank; a king's capture.
        {"5k2/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", "O-O+"},
        {"5k2/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", "O-O-O"},
        {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "e8c8", "O-O-O"},
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "a1a8", "Ra8#"},
        {"7k/8/8/8/8/8/4p3/4K3 w - - 0 1", "e1e2", "Kxe2"},
        // Not legal there: no text.
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "b1b3", ""},
        {"4k3/8/8/8/8/8/8/4K2K w - - 0 1", "e1e2", ""},
    };
    for (const auto& [fen, uci, expected] : CASES) {
        const FenPosition position = fenOf(fen);
        std::string written;
        for (const Move move : piecefen::legalMoves(position)) {
            if (piecefen::uci(move) == uci) written = piecefen::san(position, move);
        }
        if (written.empty() && *expected == '\0') {
            const int from = position.squareIndex(uci, 0);
            const int to = position.squareIndex(uci, 2);
            written = piecefen::san(position, Move{static_cast<std::uint8_t>(from), static_cast<std::uint8_t>(to), 0});
        }
        EXPECT_EQ(written, expected) << fen << ' ' << uci;
    }
}

struct ReadCase {
    const char* fen;
    const char* typed;
    const char* uci;  // empty where nothing fits
};

TEST(Moves, ReadMoveAsPeopleTypeIt) {
    constexpr ReadCase CASES[] = {
        {START, "e4", "e2e4"},
        {START, "Nf3", "g1f3"},
        {START, "nf3", "g1f3"},
        {START, "N-f3", "g1f3"},
        {START, "Ng1f3", "g1f3"},
        {START, "g1f3", "g1f3"},
        {START, "e2-e4", "e2e4"},
        // SAN before UCI: a bishop from the third rank, not the rook on b3.
        {"rkqbbnnr/ppppppp1/8/8/pPPPPBBP/PRBBPPR1/2PPPRNB/QKBN4 w - - 0 1", "B3b2", "c3b2"},
        {START, "E2E4", "e2e4"},
        {START, "e4!?", "e2e4"},
        {START, "e5", ""},
        {START, "Ke2", ""},
        {START, "e2e5", ""},
        {START, "", ""},
        {START, "z9", ""},
        {START, "+", ""},
        // Sixteen bytes at most are read, annotations included.
        {START, "Nf3 !!!!!!!!!!!!", "g1f3"},
        {START, "Nf3 !!!!!!!!!!!!!", ""},
        {START, "0-0", ""},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "O-O", "e1g1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "0-0-0", "e1c1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "o-o", "e1g1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "e1g1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "O-O-O+", "e8c8"},
        // The piece letter left out where one piece fits, kept where two do.
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "a3", "b1a3"},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "c3", ""},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "Nc3", ""},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "Nbc3", "b1c3"},
        {"7k/8/8/8/8/8/8/1N1NK3 w - - 0 1", "N1c3", ""},
        // "b" is the file for a pawn and a bishop in lower case: SAN says which, "bc3" cannot.
        {"7k/8/8/8/8/2n5/1P1B4/7K w - - 0 1", "bxc3", "b2c3"},
        {"7k/8/8/8/8/2n5/1P1B4/7K w - - 0 1", "Bxc3", "d2c3"},
        {"7k/8/8/8/8/2n5/1P1B4/7K w - - 0 1", "bc3", ""},
        {"7k/8/8/8/8/2n5/1P1B4/7K w - - 0 1", "Bc3", "d2c3"},
        // Promotions in every spelling; the square alone fits four moves.
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e8=Q+", "e7e8q"},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e8Q", "e7e8q"},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e8=n", "e7e8n"},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8R", "e7e8r"},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e8", ""},
        {"k7/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8", ""},
        // Nothing is read in a position that cannot be played.
        {"4k3/8/8/8/8/8/8/4K2K w - - 0 1", "Ke2", ""},
    };
    for (const auto& [fen, typed, expected] : CASES) {
        const auto move = piecefen::readMove(fenOf(fen), typed);
        EXPECT_EQ(move ? piecefen::uci(*move) : "", expected) << fen << " \"" << typed << '"';
    }
}

struct PlayCase {
    const char* fen;
    std::initializer_list<const char*> moves;
    const char* after;
};

TEST(Moves, PlayKeepsEveryField) {
    const PlayCase CASES[] = {
        // The en-passant square only where a pawn can take on it, and the capture itself.
        {START, {"e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
        {START, {"e4", "d5", "e5", "f5"}, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"},
        {START, {"e4", "d5", "e5", "f5", "exf6"}, "rnbqkbnr/ppp1p1pp/5P2/3p4/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3"},
        {"8/8/8/8/kp5R/8/2P5/4K3 w - - 0 1", {"c4"}, "8/8/8/8/kpP4R/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/1p6/8/P7/4K3 w - - 0 1", {"a4"}, "4k3/8/8/8/Pp6/8/8/4K3 b - a3 0 1"},
        // The halfmove clock counts, and starts again at a capture; Black's move ends a move.
        {START, {"Nf3", "Nf6", "Ng1", "Ng8"}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 4 3"},
        {"4k3/8/8/8/8/8/4p3/4K3 w - - 7 40", {"Kxe2"}, "4k3/8/8/8/8/8/4K3/8 b - - 0 40"},
        // Rights lost by the king, by a rook, and by a rook taken at home.
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {"O-O"}, "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", {"O-O-O"}, "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 1 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {"Rh2"}, "r3k2r/8/8/8/8/8/7R/R3K3 b Qkq - 1 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {"Rxa8+"}, "R3k2r/8/8/8/8/8/8/4K2R b Kk - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {"Kd1"}, "r3k2r/8/8/8/8/8/8/R2K3R b kq - 1 1"},
        // A right whose king is not at home is not kept.
        {"4k3/8/8/8/8/8/8/3K3R w K - 0 1", {"Kd2"}, "4k3/8/8/8/8/8/3K4/7R b - - 1 1"},
        // Promotion, under-promotion with capture.
        {"1n5k/P7/8/8/8/8/8/K7 w - - 3 9", {"axb8=N"}, "1N5k/8/8/8/8/8/8/K7 b - - 0 9"},
        {"7k/8/8/8/8/8/p7/1R5K b - - 0 9", {"axb1=Q+"}, "7k/8/8/8/8/8/8/1q5K w - - 0 10"},
    };
    for (const auto& [fen, moves, expected] : CASES) EXPECT_EQ(after(fen, moves), expected) << fen;

    // A move that is not legal leaves the record as it was.
    const FenPosition start = fenOf(START);
    EXPECT_EQ(piecefen::play(start, Move{52, 28, 0}), start);
    EXPECT_EQ(piecefen::play(start, Move{200, 100, 'q'}), start);
    EXPECT_EQ(piecefen::uci(Move{200, 100, 'q'}), "");
    EXPECT_EQ(piecefen::uci(Move{64, 0, 0}), "");
    EXPECT_EQ(piecefen::uci(Move{0, 64, 0}), "");
    EXPECT_EQ(piecefen::uci(Move{63, 0, 0}), "h1a8");
}

struct OutcomeCase {
    const char* fen;
    Outcome outcome;
};

TEST(Moves, Outcome) {
    constexpr OutcomeCase CASES[] = {
        {START, Outcome::none},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", Outcome::checkmate},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", Outcome::stalemate},
        // The king boxed in, and the one piece left to move a knight, a pawn, or a pawn taking en passant.
        {"8/8/8/8/8/1p6/2k5/K7 w - - 0 1", Outcome::stalemate},
        {"8/8/8/8/8/1p6/2k5/K6N w - - 0 1", Outcome::none},
        {"8/8/8/8/8/1p6/2k4P/K7 w - - 0 1", Outcome::none},
        {"8/8/4p3/3pP3/8/1p6/2k5/K7 w - d6 0 1", Outcome::none},
        {"8/8/4p3/3pP3/8/1p6/2k5/K7 w - - 0 1", Outcome::stalemate},
        // Dead positions as python-chess names them, and the same material one piece short of dead.
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", Outcome::insufficientMaterial},
        {"4k3/8/8/8/8/8/8/3NK3 w - - 0 1", Outcome::insufficientMaterial},
        {"4k3/8/8/8/8/8/8/2NNK3 w - - 0 1", Outcome::none},
        {"4k3/6b1/8/8/8/8/8/2B1K3 w - - 0 1", Outcome::insufficientMaterial},
        {"4k3/5b2/8/8/8/8/8/3BK3 w - - 0 1", Outcome::insufficientMaterial},
        {"4k3/5b2/8/8/8/8/8/2B1K3 w - - 0 1", Outcome::none},
        {"4k3/8/8/8/8/8/8/3qK1N1 w - - 0 1", Outcome::none},
        {"4kn2/8/8/8/8/8/8/2B1K3 w - - 0 1", Outcome::none},
        {"4k3/8/8/8/8/8/8/3NK1q1 w - - 0 1", Outcome::none},
        {"4k3/8/8/8/8/8/8/4K1Bn w - - 0 1", Outcome::none},
        // Stalemate with too little to mate is named for the material, as python-chess does.
        {"k7/2K5/1B6/8/8/8/8/8 b - - 0 1", Outcome::insufficientMaterial},
        // The seventy-five-move rule from 150 half moves, after a mate.
        {"4k3/8/8/8/8/8/8/R3K3 w - - 150 90", Outcome::seventyFiveMoves},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 149 90", Outcome::none},
        {"R3k3/8/4K3/8/8/8/8/8 b - - 150 90", Outcome::checkmate},
        // Records nobody can play from.
        {"4k3/8/8/8/8/8/8/4K2K w - - 0 1", Outcome::unplayable},
        {"8/8/8/8/8/8/8/4K3 w - - 0 1", Outcome::unplayable},
        {"4k2P/8/8/8/8/8/8/4K3 w - - 0 1", Outcome::unplayable},
        {"4k3/8/8/8/8/8/8/4K2p w - - 0 1", Outcome::unplayable},
        {"4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", Outcome::unplayable},
        {"4k3/8/8/8/8/8/8/4K2x w - - 0 1", Outcome::unplayable},
    };
    for (const auto& [fen, expected] : CASES) {
        EXPECT_EQ(piecefen::outcomeName(piecefen::outcome(fenOf(fen))), piecefen::outcomeName(expected)) << fen;
    }
    EXPECT_EQ(piecefen::outcomeName(static_cast<Outcome>(99)), "");
}

// The records legalMoves() refuses are exactly those whose problems forbid play.
TEST(Moves, UnplayableIsWhatProblemsForbid) {
    using piecefen::IllegalityKind;
    std::mt19937 random(7);
    constexpr char BYTES[] = "KQRBNPkqrbnp......x";
    for (int trial = 0; trial < 3000; ++trial) {
        FenPosition position;
        for (char& square : position.board) {
            square = random() % 4 == 0 ? BYTES[random() % (sizeof BYTES - 1)] : '.';
        }
        // Most boards get one king of each colour, so that the other rules decide.
        position.board[random() % 64] = 'K';
        position.board[random() % 64] = 'k';
        position.sideToMove = static_cast<std::int32_t>(random() % 2);
        bool forbidden = false;
        for (const auto& illegality : piecefen::illegalities(position)) {
            forbidden = forbidden || illegality.kind == IllegalityKind::noWhiteKing || illegality.kind == IllegalityKind::noBlackKing ||
                        illegality.kind == IllegalityKind::tooManyKings || illegality.kind == IllegalityKind::pawnOnBackRank ||
                        illegality.kind == IllegalityKind::oppositeCheck || illegality.kind == IllegalityKind::notAPiece;
        }
        EXPECT_EQ(piecefen::outcome(position) == Outcome::unplayable, forbidden) << position.toFen();
    }
}

}  // namespace
