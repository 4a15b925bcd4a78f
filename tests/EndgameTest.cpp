#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <piecefen/endgame/Tablebase.h>
#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>

using piecefen::EndgameCategory;
using piecefen::EndgameCoverage;
using piecefen::FenPosition;

namespace {

// One set of tables for the whole program, so that each is worked out once.
piecefen::Tablebase& tablebase() {
    static piecefen::Tablebase tables;
    return tables;
}

FenPosition fenOf(const std::string& fen) {
    FenPosition position;
    position.fromFen(fen);
    return position;
}

// "win 19", "loss -56", "draw", or "none" for a position the tables do not cover.
std::string verdictOf(const std::string& fen) {
    const auto verdict = tablebase().probe(fenOf(fen));
    if (!verdict) return "none";
    std::string text(piecefen::endgameCategoryName(verdict->category));
    if (verdict->dtm) text += ' ' + std::to_string(*verdict->dtm);
    return text;
}

// Each move's value is what the position it leads to is worth, turned round and one ply
// longer; the position is worth its best move; the moves come best first.
void expectConsistent(const FenPosition& position) {
    const auto verdict = tablebase().probe(position);
    ASSERT_TRUE(verdict) << position.toFen();
    if (verdict->moves.empty()) {
        const bool mated = piecefen::outcome(position) == piecefen::Outcome::checkmate;
        EXPECT_EQ(verdict->category, mated ? EndgameCategory::loss : EndgameCategory::draw) << position.toFen();
        EXPECT_EQ(verdict->dtm, mated ? std::optional<int>(0) : std::nullopt) << position.toFen();
        return;
    }
    EXPECT_EQ(verdict->category, verdict->moves.front().category) << position.toFen();
    EXPECT_EQ(verdict->dtm, verdict->moves.front().dtm) << position.toFen();
    for (std::size_t at = 0; at < verdict->moves.size(); ++at) {
        const piecefen::EndgameMove& move = verdict->moves[at];
        const auto after = tablebase().probe(piecefen::play(position, move.move));
        ASSERT_TRUE(after) << position.toFen() << ' ' << move.uci;
        const EndgameCategory turned = after->category == EndgameCategory::win    ? EndgameCategory::loss
                                       : after->category == EndgameCategory::loss ? EndgameCategory::win
                                                                                  : EndgameCategory::draw;
        EXPECT_EQ(move.category, turned) << position.toFen() << ' ' << move.uci;
        if (after->dtm) {
            EXPECT_EQ(move.dtm, after->category == EndgameCategory::loss ? 1 - *after->dtm : -1 - *after->dtm)
                << position.toFen() << ' ' << move.uci;
        }
        if (at > 0) {
            const auto& before = verdict->moves[at - 1];
            const auto rank = [](const piecefen::EndgameMove& m) { return std::pair(static_cast<int>(m.category), m.dtm.value_or(0)); };
            EXPECT_LE(rank(before), rank(move)) << position.toFen();
        }
    }
}

// A random covered position with these pieces (white's in upper case).
FenPosition randomPosition(const std::string& pieces, std::mt19937& random) {
    for (;;) {
        FenPosition position;
        std::uniform_int_distribution<int> square(0, 63);
        for (const char piece : pieces) {
            int at = square(random);
            while (position.board[at] != '.') at = square(random);
            position.board[at] = piece;
        }
        position.sideToMove = static_cast<int>(random() % 2);
        if (piecefen::endgameCoverage(position) == EndgameCoverage::covered) return position;
    }
}

}  // namespace

struct LongestCase {
    const char* table;
    int moves;  // the longest mate, in moves of the side that mates
};

// The longest mates of the tables, as published: the three-piece ones and the basic mates
// in every endgame manual and in Karrer's statistics of the Nalimov tables (kirill-kryukov.com,
// "Longest mate in kqk"); queen against rook 35 (Thompson); rook against pawn 85 plies,
// the longest of all four-piece endings (Conrady's table of the Nalimov tables, CCC 2000).
TEST(EndgameTables, LongestMatesAsPublished) {
    constexpr LongestCase CASES[] = {
        {"KvK", 0}, {"KQvK", 10}, {"KRvK", 16}, {"KPvK", 28}, {"KBvK", 0}, {"KNvK", 0},
        {"KBBvK", 19}, {"KBNvK", 33}, {"KQvKR", 35}, {"KRvKP", 43},
    };
    for (const auto& [table, moves] : CASES) {
        const auto statistics = tablebase().statistics(table);
        ASSERT_TRUE(statistics) << table;
        const int plies = std::max(statistics->longest[0], statistics->longest[1]);
        EXPECT_EQ((plies + 1) / 2, moves) << table;
        if (moves > 0) expectConsistent(fenOf(statistics->longestFen[statistics->longest[0] >= statistics->longest[1] ? 0 : 1]));
    }
    // Rook against pawn's longest is the pawn's side to move: it queens and then mates.
    EXPECT_EQ(tablebase().statistics("KRvKP")->longest[1], 85);
}

struct CountCase {
    const char* table;
    int side;
    std::uint64_t wins;
    std::uint64_t draws;
    std::uint64_t losses;
};

// Every legal board counted: two kings stand in 3,612 ways; in KQK with Black to move
// 23,048 boards are drawn, stalemates and the queen left to be taken.
TEST(Endgame, CountsOfEveryBoard) {
    constexpr CountCase CASES[] = {
        {"KvK", 0, 0, 3612, 0},
        {"KvK", 1, 0, 3612, 0},
        {"KQvK", 1, 0, 23048, 0},
    };
    for (const auto& [table, side, wins, draws, losses] : CASES) {
        const auto statistics = tablebase().statistics(table);
        ASSERT_TRUE(statistics) << table;
        const auto at = static_cast<std::size_t>(side);
        EXPECT_EQ(statistics->draws[at], draws) << table << ' ' << side;
        if (wins + losses > 0) {
            EXPECT_EQ(statistics->wins[at], wins) << table << ' ' << side;
            EXPECT_EQ(statistics->losses[at], losses) << table << ' ' << side;
        }
    }
    // The longest mate's position is one that takes that long.
    const auto queen = tablebase().statistics("KQvK");
    EXPECT_EQ(queen->longest[0], 19);
    EXPECT_EQ(tablebase().probe(fenOf(queen->longestFen[0]))->dtm, 19);
    EXPECT_FALSE(tablebase().statistics("KQvKQR"));
    EXPECT_FALSE(tablebase().statistics("KRvKQ"));
    EXPECT_FALSE(tablebase().statistics("KXvK"));
    EXPECT_FALSE(tablebase().statistics("KKvK"));
}

// The two sides of pawn against pawn mirror each other.
TEST(EndgameTables, PawnAgainstPawnIsTheSameForBothSides) {
    const auto pawns = tablebase().statistics("KPvKP");
    ASSERT_TRUE(pawns);
    EXPECT_EQ(pawns->wins[0], pawns->wins[1]);
    EXPECT_EQ(pawns->losses[0], pawns->losses[1]);
    EXPECT_EQ(pawns->draws[0], pawns->draws[1]);
}

// Random positions of each table checked against every move's position one ply on.
TEST(EndgameTables, EachPositionIsTheBestOfItsMoves) {
    std::mt19937 random(34);
    for (const char* pieces : {"Kk", "KQk", "KRk", "KBk", "KNk", "KPk", "Kkp", "KBNk", "KBBk", "KQkr", "KRkp", "KPkp",
                               "KBkb"}) {
        for (int n = 0; n < 300; ++n) expectConsistent(randomPosition(pieces, random));
    }
}

struct BookCase {
    const char* fen;
    const char* verdict;
};

void expectVerdicts(std::initializer_list<BookCase> cases) {
    for (const auto& [fen, verdict] : cases) {
        const std::string found = verdictOf(fen);
        EXPECT_EQ(found.substr(0, std::string(verdict).size()), verdict) << fen;
        if (std::string(verdict) != "none") expectConsistent(fenOf(fen));
    }
}

// Endgame theory as the books teach it, and the published longest positions: the tables of
// three pieces and one of four, small enough for every build.
TEST(Endgame, PositionsFromTheBooks) {
    expectVerdicts({
        // The longest mates: king and queen, king and rook, king and pawn.
        {"8/8/8/5k2/8/8/1Q6/K7 w - - 0 1", "win 19"},
        {"8/8/8/8/8/2k5/1R6/K7 w - - 0 1", "win 31"},
        {"8/8/8/1k6/8/8/K5P1/8 w - - 0 1", "win 55"},
        {"8/8/8/k7/8/K7/6P1/8 b - - 0 1", "loss -56"},
        // The same turned round: mirrored, turned over with the colours swapped, rotated.
        {"8/8/8/2k5/8/8/6Q1/7K w - - 0 1", "win 19"},
        {"k7/1q6/8/8/5K2/8/8/8 b - - 0 1", "win 19"},
        {"7k/6q1/8/8/2K5/8/8/8 b - - 0 1", "win 19"},
        {"K7/1Q6/8/8/5k2/8/8/8 w - - 0 1", "win 19"},
        {"7K/6R1/5k2/8/8/8/8/8 w - - 0 1", "win 31"},
        {"8/8/8/6k1/8/8/1P5K/8 w - - 0 1", "win 55"},
        {"8/k5p1/8/8/1K6/8/8/8 b - - 0 1", "win 55"},
        // The king on the sixth rank in front of its pawn wins whoever moves.
        {"4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", "win"},
        {"4k3/8/4K3/4P3/8/8/8/8 b - - 0 1", "loss"},
        // Stalemate with the pawn on the seventh.
        {"4k3/4P3/4K3/8/8/8/8/8 b - - 0 1", "draw"},
        // A rook's pawn on the seventh queens and mates; from the sixth, by going there.
        {"8/P7/8/8/8/8/2k5/K7 w - - 0 1", "win"},
        {"8/8/P7/8/8/8/2k5/K7 w - - 0 1", "win 19"},
        // The defending king in the corner holds the rook's pawn.
        {"k7/8/8/P7/8/8/8/K7 w - - 0 1", "draw"},
        {"k7/8/1K6/P7/8/8/8/8 w - - 0 1", "draw"},
        // Bishop and knight mate from the corner of the bishop's colour.
        {"7k/8/5K2/8/8/8/8/1B4N1 w - - 0 1", "win"},
        // Nothing for what the tables leave out.
        {"4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1", "none"},
        {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "none"},
        {"4k3/8/8/8/8/8/8/4K2K w - - 0 1", "none"},
        // A right the board does not allow is no right.
        {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", "draw"},
    });
}

// The same for endings whose tables lead into many others.
TEST(EndgameTables, PositionsFromTheBooks) {
    expectVerdicts({
        // The wrong bishop draws; the right one wins.
        {"k7/8/P7/2K5/3B4/8/8/8 w - - 0 1", "draw"},
        {"k7/8/P7/2K5/2B5/8/8/8 w - - 0 1", "win"},
        // Queen against a pawn on the seventh, the white king far away: the bishop's and
        // the rook's pawns draw by stalemate, the knight's pawn loses.
        {"7K/8/8/8/6Q1/8/1kp5/8 w - - 0 1", "draw"},
        {"7K/8/8/8/6Q1/8/1kp5/8 b - - 0 1", "draw"},
        {"7K/8/8/8/6Q1/8/kp6/8 w - - 0 1", "win"},
        {"7K/8/8/8/6Q1/8/p1k5/8 w - - 0 1", "draw"},
        // Every move leaves the table, a promotion each, and each loses.
        {"k1K5/1R6/8/8/8/8/1p6/8 b - - 0 1", "loss -16"},
        {"k1K5/2R5/8/8/8/8/2p5/8 b - - 0 1", "loss -6"},
        // ... and a move into that position, whose value is the table's.
        {"k1K5/8/1R6/8/8/8/1p6/8 w - - 0 1", "win"},
    });
}

TEST(Endgame, CoverageSaysWhy) {
    constexpr std::pair<const char*, EndgameCoverage> CASES[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", EndgameCoverage::covered},
        {"4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1", EndgameCoverage::tooManyPieces},
        {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", EndgameCoverage::castlingRights},
        {"4k3/8/8/8/8/8/8/8 w - - 0 1", EndgameCoverage::unplayable},
        {"4k3/8/8/8/8/8/8/4K2P w - - 0 1", EndgameCoverage::unplayable},
        {"4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1", EndgameCoverage::unplayable},
    };
    for (const auto& [fen, coverage] : CASES) EXPECT_EQ(piecefen::endgameCoverage(fenOf(fen)), coverage) << fen;
    EXPECT_EQ(piecefen::endgameTable(fenOf("8/8/8/8/8/2k5/1r6/K7 w - - 0 1")), "KRvK");
    EXPECT_EQ(piecefen::endgameTable(fenOf("8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1")), "KQvKR");
    EXPECT_EQ(piecefen::endgameTable(fenOf("8/8/8/8/8/2k5/1r6/K1QQ4 w - - 0 1")), "");
    EXPECT_EQ(piecefen::endgameCoverageName(EndgameCoverage::tooManyPieces), "too-many-pieces");
    EXPECT_EQ(piecefen::endgameCategoryName(EndgameCategory::loss), "loss");
}

// En passant counts where the record names it, and after a double step in the tables.
TEST(EndgameTables, EnPassant) {
    const std::string named = "8/8/8/8/3pP3/8/8/K6k b - e3 0 1";
    const auto verdict = tablebase().probe(fenOf(named));
    ASSERT_TRUE(verdict);
    EXPECT_TRUE(std::any_of(verdict->moves.begin(), verdict->moves.end(), [](const auto& m) { return m.san == "dxe3"; }));
    const auto unnamed = tablebase().probe(fenOf("8/8/8/8/3pP3/8/8/K6k b - - 0 1"));
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->moves.size() + 1, verdict->moves.size());
    for (const char* fen : {named.c_str(), "8/8/8/8/3p4/8/4P3/K6k w - - 0 1", "8/3p4/8/4P3/8/8/8/K6k b - - 0 1",
                            "8/8/8/8/1k1p4/8/4P3/2K5 w - - 0 1",
                            // Moves into positions whose double step gives Black the capture.
                            "8/8/8/k7/3p4/8/4P3/2K5 b - - 0 1", "8/8/8/8/2kp4/8/4P3/3K4 b - - 0 1",
                            "8/4p3/8/3P4/8/8/8/K1k5 w - - 0 1",
                            // Kc2 leads to a position whose best move, a4, loses to the capture;
                            // after Kh2, g4 loses faster for the capture than it would without.
                            "8/8/8/8/1p6/8/P2k4/K7 b - - 0 1", "8/8/8/8/5p2/8/6P1/1K4k1 b - - 0 1"}) {
        expectConsistent(fenOf(fen));
    }
}

TEST(Endgame, FiftyMoveRuleIsNamedWhereTheClockMakesItMatter) {
    constexpr std::pair<const char*, bool> CASES[] = {
        {"8/8/8/5k2/8/8/1Q6/K7 w - - 0 1", false},
        {"8/8/8/5k2/8/8/1Q6/K7 w - - 81 60", false},
        {"8/8/8/5k2/8/8/1Q6/K7 w - - 82 60", true},
        {"k7/8/8/P7/8/8/8/K7 w - - 99 60", false},
    };
    for (const auto& [fen, matters] : CASES) {
        const auto verdict = tablebase().probe(fenOf(fen));
        ASSERT_TRUE(verdict) << fen;
        EXPECT_EQ(verdict->fiftyMoveRuleMayMatter, matters) << fen;
    }
}

TEST(Endgame, WorkInSlicesAndMovesWithTheirNames) {
    const FenPosition position = fenOf("8/8/8/5k2/8/8/1Q6/K7 w - - 0 1");
    piecefen::Tablebase own;
    EXPECT_EQ(piecefen::endgameTable(position), "KQvK");
    ASSERT_TRUE(own.prepare(position));
    // Work lined up and not done is still work to do.
    EXPECT_TRUE(own.prepare(position));
    // Through the one interface of work in slices, as the solver's is driven too.
    piecefen::Slices& work = own;
    double last = work.fraction();
    EXPECT_EQ(last, 0.0);
    int slices = 0;
    int told = 0;  // how many times the fraction moved on
    for (; !work.done(); ++slices) {
        work.step();
        EXPECT_GE(work.fraction(), last);
        EXPECT_EQ(work.fraction() == 1.0, work.done());
        // The first slice is a small part of the whole.
        if (slices == 0) {
            EXPECT_LT(work.fraction(), 0.5);
        }
        told += work.fraction() > last ? 1 : 0;
        last = work.fraction();
    }
    EXPECT_GT(slices, 2);
    // Progress is told along the way, not only when a table is done.
    EXPECT_GT(told, 2);
    EXPECT_EQ(own.work(), 1.0);
    EXPECT_FALSE(own.prepare(position));
    EXPECT_FALSE(own.prepare(fenOf("4k3/8/8/8/8/8/PPP5/4K3 w - - 0 1")));
    const std::size_t bytes = own.bytes();
    EXPECT_GT(bytes, 0U);
    const auto verdict = own.probe(position);
    ASSERT_TRUE(verdict);
    EXPECT_EQ(own.bytes(), bytes);
    const auto& best = verdict->moves.front();
    EXPECT_EQ(best.dtm, 19);
    EXPECT_EQ(best.uci, piecefen::uci(best.move));
    EXPECT_EQ(best.san, piecefen::san(position, best.move));
    // Moved, the tables stay with their new owner.
    piecefen::Tablebase moved = std::move(own);
    EXPECT_EQ(moved.bytes(), bytes);
    // A pawn's table lines up the tables its promotions lead into, each finished in a slice
    // of its own rather than all at once inside another's; probing then builds none.
    const FenPosition pawn = fenOf("8/8/8/4k3/8/8/3P4/3K4 w - - 0 1");
    piecefen::Tablebase fresh;
    ASSERT_TRUE(fresh.prepare(pawn));
    std::vector<std::size_t> sizes;
    while (!fresh.done()) {
        fresh.step();
        if (sizes.empty() || sizes.back() != fresh.bytes()) sizes.push_back(fresh.bytes());
    }
    // KvK, KQvK, KRvK, KBvK, KNvK and KPvK, one after another.
    EXPECT_GE(sizes.size(), 6U);
    const std::size_t withPawn = fresh.bytes();
    ASSERT_TRUE(fresh.probe(pawn));
    EXPECT_EQ(fresh.bytes(), withPawn);
}
