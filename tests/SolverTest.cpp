#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>
#include <piecefen/rules/Illegalities.h>
#include <piecefen/solver/Solver.h>


using piecefen::FenPosition;
using piecefen::Move;
using piecefen::SolveStatus;
using piecefen::Solving;

namespace {

FenPosition fenOf(const std::string& fen) {
    FenPosition position;
    position.fromFen(fen);
    return position;
}

// Words joined by spaces, each appended, never a literal added to a temporary (which GCC 12
// warns of falsely in optimised builds).
void addWord(std::string& text, const std::string& word) {
    if (!text.empty()) text += ' ';
    text += word;
}

std::string keys(const Solving& solving) {
    std::string text;
    for (const auto& solution : solving.solutions) addWord(text, solution.key.san);
    return text;
}

std::string threat(const Solving& solving) {
    std::string text;
    for (const auto& move : solving.solutions.at(0).threat) addWord(text, move.move.san);
    return text;
}

std::string tries(const Solving& solving) {
    std::string text;
    for (const auto& attempt : solving.tries) addWord(text, attempt.move.san + "?" + attempt.refutation.san + "!");
    return text;
}

struct PublishedCase {
    const char* fen;
    const char* key;
    const char* threat;
    const char* triesAmong;  // published tries, each among the solver's
};

// Two-movers as their databases publish them: the key, the threat, and tries with their
// refutations (the solver lists every try, the databases the ones that matter).
TEST(Solver, PublishedTwoMovers) {
    constexpr PublishedCase CASES[] = {
        // D. Lebeck, 1992: five tries, four refuted by Bxb1.
        {"8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1", "Qb7", "Qb4# Qb2#",
         "Qa8?Bxb1! Qxd3+?cxd3! Qe1?Bxb1! Ne3?Bxb1! Ng3?Bxb1!"},
        // A. Kish, Christian Science Monitor 1935: the king's key and an underpromotion threat.
        {"2n2K2/1Q3Pr1/3pk3/5bp1/4p1q1/2B1nNNB/8/8 w - - 0 1", "Ke8", "f8=N#", ""},
        // A. J. Fenner, The Problemist 1943: three checking tries.
        {"1k6/N2R4/5p2/K1PB4/pB2p3/r5P1/2Q5/1R2q2b w - - 0 1", "Qh2", "Qh8#", "Nc6+?Kc8! Rd8+?Kc7! Bd2+?Rb3!"},
        // D. Lebeck, 1992: four queen tries, all refuted by the same check.
        {"3rk3/3pB2R/3P3N/4b3/K7/8/8/2Q5 w - - 0 1", "Qh1", "Qh5#", "Qg5?Ra8+! Qg1?Ra8+! Qc4?Ra8+! Qc7?Ra8+!"},
    };
    for (const auto& [fen, key, threatened, published] : CASES) {
        const Solving solving = piecefen::solve(fenOf(fen), "#2");
        EXPECT_EQ(keys(solving), key) << fen;
        EXPECT_FALSE(solving.cooked()) << fen;
        EXPECT_EQ(threat(solving), threatened) << fen;
        std::string found = " ";
        found += tries(solving);
        found += ' ';
        std::string rest = published;
        for (std::size_t at = 0; !rest.empty(); rest.erase(0, at == std::string::npos ? rest.size() : at + 1)) {
            at = rest.find(' ');
            const std::string one = rest.substr(0, at);
            EXPECT_NE(found.find(" " + one + " "), std::string::npos) << fen << ": " << one << " in " << found;
        }
    }
}

// Four-movers from Popeye's examples (castling.inp), with the keys Popeye gives.
TEST(Solver, PublishedLongerMates) {
    const std::pair<const char*, const char*> CASES[] = {
        {"2n1k2r/R2R2p1/2P1K2p/8/8/8/8/8 w k - 0 1", "Rd8+"},
        {"5k2/7R/8/Pn6/8/8/8/R3K3 w Q - 0 1", "O-O-O"},
    };
    for (const auto& [fen, key] : CASES) EXPECT_EQ(keys(piecefen::solve(fenOf(fen), "#4")), key) << fen;
}

struct TextCase {
    const char* fen;
    const char* stipulation;
    const char* text;
};

// The whole answer in the composers' layout, for each aim and what can go wrong.
TEST(Solver, TextAsComposersWriteIt) {
    constexpr TextCase CASES[] = {
        // Mate in one, and the same key as a short solution of a two-mover.
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "#1", "1.Ra8#!\n"},
        {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", "#2", "1.Ra8#!\n"},
        // Cooked: two keys; one of them castles into the mate.
        {"k7/8/1K6/8/8/8/8/6RR w - - 0 1", "#1", "1.Rg8#!\n1.Rh8#!\n"},
        {"2rkr3/2p1p3/5N2/8/8/8/8/R3K3 w Q - 0 1", "#1", "1.Rd1#!\n1.O-O-O#!\n"},
        {"2rkr3/2p1p2p/5N2/8/8/8/8/R3K3 b Q - 0 1", "h#1",
         "1.Ra8 Rxa8#\n1.Rf8 Rd1#\n1.Rf8 O-O-O#\n1.Rg8 Rd1#\n1.Rg8 O-O-O#\n1.Rh8 Rd1#\n1.Rh8 O-O-O#\n1.h6 Rd1#\n"
         "1.h6 O-O-O#\n1.h5 Rd1#\n1.h5 O-O-O#\n"},
        // A waiting key: no threat, the defence answered; tries with their refutations.
        {"5K2/7k/8/8/2B5/4R3/8/8 w - - 0 1", "#2",
         "1.Re6!\n1...Kh8 2.Rh6#\n1.Kf7? Kh6!\n1.Bf7? Kh6!\n1.Bd3+? Kh6!\n1.Rg3? Kh6!\n1.Rh3+? Kg6!\n"},
        // A threat in brackets; a move whose one answer refutes it is a try.
        {"5R2/8/8/8/1K6/4B3/8/k7 w - - 0 1", "#2", "1.Kb3! (2.Rf1#)\n1...Kb1 2.Rf1#\n1.Rf2? Kb1!\n1.Ka3? Kb1!\n"},
        // Three moves with the line to the end (Stockfish agrees on the key).
        {"R2R4/1Bk5/2B2b2/8/7R/3K4/8/q7 w - - 0 1", "#3", "1.Rd7+!\n1...Kb6 2.Rb4+ Kc5 3.Rb5#\n"},
        // Helpmates: Black starts with whole moves, White with half a move more.
        {"7k/8/6K1/8/8/8/8/1R6 b - - 0 1", "h#1", "1.Kg8 Rb8#\n"},
        {"8/2K4P/8/k5p1/8/1P6/8/8 b - - 0 1", "h#2", "1.Ka6 h8=Q 2.Ka7 Qa1#\n"},
        {"8/k7/3KR3/6n1/8/8/8/8 w - - 0 1", "h#1.5", "1...Kc7 2.Ka8 Ra6#\n"},
        // Ebert's h#3 (Popeye's intell.inp) with the colours changed: White is mated, Black castles.
        {"r3k3/8/6p1/1RP5/1NK5/8/8/8 w q - 0 1", "h#3", "1.Kd5 O-O-O+ 2.Kc6 Re8 3.Nd5 Re6#\n"},
        // The mated king castles, its rook blocking beside it (Popeye's castling.inp).
        {"4k2r/5p2/7b/8/8/8/P7/R3K2R b KQk - 0 1", "h#2", "1.Bd2+ Kxd2 2.O-O Rag1#\n"},
        {"r3k3/pb1N4/8/8/1K5B/8/8/8 b q - 0 1", "h#2", "1.a6 Bg3 2.O-O-O Nb6#\n"},
        // Series: numbered move by move, a shorter series first; the other side's last move
        // after a helpmate's series, and every reply after a selfmate's.
        {"k7/8/1K6/8/8/8/8/7R b - - 0 1", "ser-h#2", "1.Kb8 Rh8#\n1.Kb8 2.Ka8 Rh8#\n"},
        {"k1K5/6Qq/8/8/7Q/P7/8/8 w - - 0 1", "ser-s#2", "1.Qd8 2.Qb7+ Qxb7#\n"},
        {"k7/8/2K5/8/8/8/8/1Q6 w - - 0 1", "ser-=1", "1.Qb6\n"},
        // Selfmate: White forces Black to mate; and a stalemate in one.
        {"4QK2/1q5k/8/7B/3Q4/8/8/8 w - - 0 1", "s#1", "1.Qg7+!\n1...Qxg7#\n"},
        // A selfmate's variations go on to the mate (Popeye's example battle_play, key Qd1).
        {"8/8/8/8/1p4Q1/k7/p7/K7 w - - 0 1", "s#2",
         "1.Qd1!\n1...b3 2.Qg4 b2#\n1.Qg8? Ka4!\n1.Qd7? Kb3!\n1.Qe6? Ka4!\n1.Qxb4+? Kxb4!\n1.Qc4? Ka4!\n1.Qf3+? Ka4!\n1.Qg3+? Ka4!\n1.Qh3+? Ka4!\n"},
        {"k7/2K5/8/1P6/8/8/8/8 w - - 0 1", "=1", "1.b6!\n"},
        {"k7/8/1K6/8/8/8/8/8 w - - 0 1", "#2", "no solution\n1.Kc7? Ka7!\n1.Ka6? Kb8!\n"},
        // The longest the solver takes, on boards where the side to move has no move.
        {"8/8/8/8/8/1q6/8/K1k5 w - - 0 1", "#8", "no solution\n"},
        {"8/8/8/8/8/1q6/8/K1k5 w - - 0 1", "s#5", "no solution\n"},
        {"8/8/8/8/8/1q6/8/K1k5 w - - 0 1", "s=5", "no solution\n"},
        {"k7/2K5/1P6/8/8/8/8/8 b - - 0 1", "h#4", "no solution\n"},
        // What the solver does not take.
        {"k7/2K5/1P6/8/8/8/8/8 b - - 0 1", "h#4.5", "not a stipulation the solver takes\n"},
        {"8/8/8/8/8/1q6/8/K1k5 w - - 0 1", "s#6", "not a stipulation the solver takes\n"},
        {"k7/8/1K6/8/8/8/8/8 w - - 0 1", "#9", "not a stipulation the solver takes\n"},
        {"k7/8/1K6/8/8/8/8/8 w - - 0 1", "+", "not a stipulation the solver takes\n"},
        {"k7/8/1K6/8/8/8/8/8 w - - 0 1", "h#5", "not a stipulation the solver takes\n"},
        {"k7/8/1K6/8/8/8/8/8 w - - 0 1", "", "not a stipulation the solver takes\n"},
        {"k7/8/1K6/8/8/8/8/K7 w - - 0 1", "#2", "not a position that can be played\n"},
    };
    for (const auto& [fen, stipulation, text] : CASES) {
        EXPECT_EQ(piecefen::solutionText(piecefen::solve(fenOf(fen), stipulation)), text) << fen << ' ' << stipulation;
    }
}

// The lines as parts: each move carries the position after it, reached from the position
// before it in the same line, and a mate sign means a mated king there.
TEST(Solver, LinesCarryEachMovesPosition) {
    using Kind = piecefen::LinePart::Kind;
    const std::pair<const char*, const char*> CASES[] = {
        {"5K2/7k/8/8/2B5/4R3/8/8 w - - 0 1", "#2"},
        {"5R2/8/8/8/1K6/4B3/8/k7 w - - 0 1", "#2"},
        {"R2R4/1Bk5/2B2b2/8/7R/3K4/8/q7 w - - 0 1", "#3"},
        {"8/k7/3KR3/6n1/8/8/8/8 w - - 0 1", "h#1.5"},
        {"4QK2/1q5k/8/7B/3Q4/8/8/8 w - - 0 1", "s#1"},
        {"k7/8/1K6/8/8/8/8/7R b - - 0 1", "ser-h#2"},
        {"k1K5/6Qq/8/8/7Q/P7/8/8 w - - 0 1", "ser-s#2"},
    };
    for (const auto& [fen, stipulation] : CASES) {
        const Solving solving = piecefen::solve(fenOf(fen), stipulation);
        // A key (or a try) is played from the problem; a defence from the key's position
        // (a line before); a threat as if the defender passed; any other move from the
        // position before it.
        std::vector<FenPosition> before{solving.position};
        for (const auto& line : piecefen::solutionLines(solving)) {
            std::string text;
            for (const auto& part : line) {
                text.append(part.text).append(part.mark);
                if (part.kind != Kind::move) continue;
                bool reached = false;
                for (const FenPosition& from : before) {
                    const auto move = piecefen::readMove(from, part.uci);
                    reached = reached || (move && piecefen::play(from, *move).toFen() == part.fen);
                }
                EXPECT_TRUE(reached) << text;
                const FenPosition after = fenOf(part.fen);
                EXPECT_EQ(part.text.back() == '#', piecefen::outcome(after) == piecefen::Outcome::checkmate) << text;
                before.push_back(after);
                FenPosition passed = after;
                passed.sideToMove = 1 - after.sideToMove;
                passed.enPassant.assign(1, '-');
                before.push_back(passed);
            }
        }
    }
    // Duals are joined by "/", in a threat and after a defence (Lebeck's two-mover).
    std::vector<std::string> texts;
    for (const auto& line : piecefen::solutionLines(piecefen::solve(fenOf("8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1"), "#2"))) {
        texts.emplace_back();
        for (const auto& part : line) texts.back().append(part.text).append(part.mark);
    }
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "1.Qb7! (2.Qb4#/Qb2#)");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "1...Bxb1 2.Qb4#/Nxb1#"), texts.end());
    const auto lines = piecefen::solutionLines(piecefen::solve(fenOf("5R2/8/8/8/1K6/4B3/8/k7 w - - 0 1"), "#2"));
    ASSERT_EQ(lines.size(), 4U);
    std::string kinds;
    for (const auto& part : lines[0]) kinds.append(1, "NSMW"[static_cast<int>(part.kind)]).append(part.mark);
    EXPECT_EQ(kinds, "NM!SNMS");
    EXPECT_TRUE(piecefen::solutionLines(piecefen::solve(fenOf("k7/8/1K6/8/8/8/8/8 w - - 0 1"), "#9")).empty());
}

TEST(Solver, StatusNames) {
    EXPECT_EQ(piecefen::solveStatusName(SolveStatus::solved), "solved");
    EXPECT_EQ(piecefen::solveStatusName(SolveStatus::stipulation), "stipulation");
    EXPECT_EQ(piecefen::solveStatusName(SolveStatus::unplayable), "unplayable");
    EXPECT_EQ(piecefen::solveStatusName(static_cast<SolveStatus>(9)), "");
}

// In slices, one first move a step, the answer is the same as at once.
TEST(Solver, StepsAddUpToTheWhole) {
    const FenPosition position = fenOf("8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1");
    piecefen::Solver own(position, "#2");
    piecefen::Slices& solver = own;
    double last = solver.fraction();
    EXPECT_EQ(last, 0.0);
    int steps = 0;
    while (!solver.done()) {
        solver.step();
        EXPECT_GT(solver.fraction(), last);
        last = solver.fraction();
        ++steps;
    }
    EXPECT_EQ(last, 1.0);
    EXPECT_EQ(steps, static_cast<int>(piecefen::legalMoves(position).size()));
    solver.step();
    EXPECT_EQ(piecefen::solutionText(own.result()), piecefen::solutionText(piecefen::solve(position, "#2")));
    // No first move is all done at once; one is none done until it is looked at.
    EXPECT_EQ(piecefen::Solver(fenOf("8/8/8/8/8/1q6/8/K1k5 w - - 0 1"), "#2").fraction(), 1.0);
    EXPECT_EQ(piecefen::Solver(fenOf("k7/8/8/8/8/8/1q6/K7 w - - 0 1"), "#2").fraction(), 0.0);
}

// Helpmates past a hundred solutions are counted, not listed.
TEST(Solver, ManySolutionsAreCounted) {
    const Solving solving = piecefen::solve(fenOf("4k3/8/8/8/8/8/8/RQQQK3 b - - 0 1"), "h#2");
    ASSERT_EQ(solving.solutions.size(), Solving::MOST_LISTED);
    EXPECT_GT(solving.unlisted, 0U);
    const std::string text = piecefen::solutionText(solving);
    EXPECT_NE(text.find("\nand " + std::to_string(solving.unlisted) + " more\n"), std::string::npos);
}

// Threads or workers share out the first moves; the answer is one thread's, in the same order.
TEST(Solver, SharedOutGivesOneThreadsAnswer) {
    const auto with = [](auto set) {
        piecefen::ProblemOptions options;
        set(options);
        return options;
    };
    const piecefen::ProblemOptions none;
    const struct {
        const char* fen;
        const char* stipulation;
        piecefen::ProblemOptions options;
    } rows[] = {
        {"4k3/8/8/8/8/8/8/RQQQK3 b - - 0 1", "h#2", none},  // past a hundred lines, the rest counted
        // A short line at an early first move, full lines past a hundred after it.
        {"1k6/8/1R6/8/6Q1/7R/8/1K6 b - - 0 1", "h#2", with([](auto& o) { o.stopOnShortSolutions = true; })},
        // ... and a first move whose own full lines pass a hundred.
        {"Q7/8/4RQK1/8/1B1Q4/8/1k6/8 b - - 0 1", "h#2", with([](auto& o) { o.stopOnShortSolutions = true; })},
        {"1k6/8/1R6/8/6Q1/7R/8/1K6 b - - 0 1", "h#2", none},
        {"1k6/8/1R6/8/6Q1/7R/8/1K6 b - - 0 1", "h#2", with([](auto& o) { o.maxSolutions = 3; })},  // the threads stopped
        {"8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1", "#2", with([](auto& o) { o.defences = 2; })},
        {"r3k3/2Qp3R/1p6/1b2K3/4p3/8/5p2/8 w - - 0 1", "#4", with([](auto& o) { o.setPlay = true; })},
        {"2k5/K3Q3/8/8/8/P7/1q5Q/8 w - - 0 1", "ser-s#2", none},
        {"2K5/8/8/8/3rNk2/2B5/1b6/8 b - - 0 1", "ser-h#3", none},
    };
    for (const auto& [fen, stipulation, options] : rows) {
        const Solving one = piecefen::solve(fenOf(fen), stipulation, options);
        for (const unsigned threads : {2U, 4U}) {
            const Solving many = piecefen::solve(fenOf(fen), stipulation, options, threads);
            EXPECT_EQ(piecefen::solutionText(many), piecefen::solutionText(one)) << fen << ' ' << stipulation << ' ' << threads;
            EXPECT_EQ(many.unlisted, one.unlisted) << fen << ' ' << stipulation;
            EXPECT_EQ(many.tries.size(), one.tries.size()) << fen << ' ' << stipulation;
        }
        // Shared out as a page's workers share them: each looks at a share, then one solver
        // passes over every first move that added nothing (on threads too).
        for (const std::size_t parts : {2U, 3U}) {
            std::vector<std::size_t> barren;
            for (std::size_t part = 0; part < parts; ++part) {
                piecefen::Solver scan(fenOf(fen), stipulation, options);
                scan.share(part, parts);
                while (!scan.done()) scan.step();
                for (const std::size_t place : scan.barren()) EXPECT_EQ(place % parts, part) << fen << ' ' << stipulation;
                barren.insert(barren.end(), scan.barren().begin(), scan.barren().end());
            }
            piecefen::Solver last(fenOf(fen), stipulation, options);
            last.passOver(barren);
            last.useThreads(static_cast<unsigned>(parts - 1));
            while (!last.done()) last.step();
            EXPECT_EQ(piecefen::solutionText(last.result()), piecefen::solutionText(one)) << fen << ' ' << stipulation << ' ' << parts;
            EXPECT_EQ(last.result().unlisted, one.unlisted) << fen << ' ' << stipulation;
            EXPECT_EQ(last.result().tries.size(), one.tries.size()) << fen << ' ' << stipulation;
        }
    }
}

// A plain search over the public moves, to hold the solver to: no memory, no order.
class Plain {
public:
    explicit Plain(char aim, bool mate) : aim_(aim), mate_(mate) {}

    [[nodiscard]] bool reached(const FenPosition& position) const {
        if (!piecefen::legalMoves(position).empty()) return false;
        return (piecefen::outcome(position) == piecefen::Outcome::checkmate) == mate_;
    }
    // The attacker to move forces the goal within n moves.
    [[nodiscard]] bool forces(const FenPosition& position, int n) const {
        for (const Move move : piecefen::legalMoves(position)) {
            if (loses(piecefen::play(position, move), n)) return true;
        }
        return false;
    }
    // The defender to move loses within n attacker moves, the last one included.
    [[nodiscard]] bool loses(const FenPosition& position, int n) const {
        const auto replies = piecefen::legalMoves(position);
        if (aim_ == '#') {
            if (replies.empty()) return reached(position);
            if (n == 1) return false;
        }
        if (replies.empty()) return false;
        for (const Move reply : replies) {
            const FenPosition next = piecefen::play(position, reply);
            if (aim_ == 's' && reached(next)) continue;
            if (n == 1 || !forces(next, n - 1)) return false;
        }
        return true;
    }
    void lines(const FenPosition& position, int plies, std::string line, std::vector<std::string>& found) const {
        for (const Move move : piecefen::legalMoves(position)) {
            const FenPosition next = piecefen::play(position, move);
            const std::string longer = line + piecefen::uci(move) + ' ';
            if (plies == 1) {
                if (reached(next)) found.push_back(longer);
            } else {
                lines(next, plies - 1, longer, found);
            }
        }
    }

    // Every series of `moves` moves of the side to move, none but the last giving check,
    // after which the goal comes as the aim asks.
    void series(const FenPosition& position, int moves, const std::string& line, std::vector<std::string>& found) const {
        for (const Move move : piecefen::legalMoves(position)) {
            FenPosition next = piecefen::play(position, move);
            const std::string longer = line + piecefen::uci(move) + ' ';
            if (moves == 1) {
                const auto replies = piecefen::legalMoves(next);
                if (aim_ == '#' && reached(next)) found.push_back(longer);
                if (aim_ == 's' && !replies.empty() &&
                    std::all_of(replies.begin(), replies.end(), [&](Move reply) { return reached(piecefen::play(next, reply)); })) {
                    found.push_back(longer);
                }
                for (const Move reply : replies) {
                    if (aim_ == 'h' && reached(piecefen::play(next, reply))) found.push_back(longer + piecefen::uci(reply) + ' ');
                }
                continue;
            }
            const std::string written = piecefen::san(position, move);
            if (written.back() == '+' || written.back() == '#') continue;
            next.sideToMove = position.sideToMove;
            next.enPassant = "-";
            series(next, moves - 1, longer, found);
        }
    }

private:
    char aim_;
    bool mate_;
};

// Helpmates whose mates need what the search's cut must never rule out: a pawn's double
// step (White's a2-a4; Black's b7-b5, a block), a pawn guarding where it stands, pieces
// moving to block. Each position was found by making one part of the cut's reasoning too
// strict and comparing; the count is every solution, listed or not.
TEST(Solver, HelpmatesKeepEveryLine) {
    constexpr struct {
        const char* fen;
        const char* stipulation;
        std::size_t solutions;
        const char* line;
    } CASES[] = {
        {"8/5QK1/1k6/4Pb2/7r/8/P7/8 b - - 0 1", "h#2", 2, "1.Ka5 a4 2.Rb4 Qa7#\n"},
        {"8/p7/8/7R/4pB2/1K6/5qk1/8 w - - 0 1", "h#2", 2, "1.Ka4 a5 2.Rb5 Qa2#\n"},  // the colours changed
        {"7K/1p1Q4/8/k2p4/8/8/P1P5/8 b - - 0 1", "h#2", 33, "1.d4 a3 2.b5 Qa7#\n"},
        {"8/K6p/8/1B6/6nk/8/5P2/4N3 b - - 0 1", "h#2", 13, "1.h5 Bd7 2.Nf6 Nf3#\n"},
        {"2R1r3/8/8/8/6K1/R7/8/7k b - - 0 1", "h#2", 143, "1.Rg8+ Kf3 2.Rg1 Rh8#\n"},
    };
    for (const auto& [fen, stipulation, solutions, line] : CASES) {
        const Solving solving = piecefen::solve(fenOf(fen), stipulation);
        EXPECT_EQ(solving.solutions.size() + solving.unlisted, solutions) << fen;
        EXPECT_NE(piecefen::solutionText(solving).find(line), std::string::npos) << fen;
    }
}

struct DifferentialCase {
    const char* stipulation;
    int pieces;
    int positions;
    // One position instead of random ones, where random ones would seldom have a solution.
    const char* fen = nullptr;
};

// Random positions of a few pieces: the solver's keys, tries and helpmate lines are what
// the plain search finds.
TEST(Solver, AgreesWithAPlainSearch) {
    constexpr DifferentialCase CASES[] = {
        {"#1", 6, 80}, {"#2", 5, 40}, {"=2", 4, 30}, {"s#1", 5, 60}, {"s#2", 4, 20},
        {"h#1", 6, 80}, {"h#2", 4, 30}, {"h#1.5", 4, 30}, {"h=1", 5, 60}, {"#3", 4, 6}, {"s=1", 5, 60}, {"s=2", 4, 20},
        {"ser-#2", 5, 4}, {"ser-#3", 4, 2}, {"ser-=2", 4, 3}, {"ser-h#2", 5, 4}, {"ser-h#3", 4, 2}, {"ser-h=2", 4, 2},
        {"ser-s#1", 0, 1, "K7/1Pk5/3R4/Nq6/8/8/1r6/8 w - - 0 1"}, {"ser-s#2", 0, 1, "2k5/K3Q3/8/8/8/P7/1q5Q/8 w - - 0 1"},
        {"ser-s#2", 0, 1, "1K6/4q1N1/k7/3R4/8/6Q1/8/8 w - - 0 1"}, {"ser-s=2", 0, 1, "6k1/7b/8/8/8/8/4r3/K1Q5 w - - 0 1"},
    };
    std::mt19937 random(35);
    for (const auto& [stipulation, pieces, count, fen] : CASES) {
        const bool series = std::string_view(stipulation).starts_with("ser-");
        const std::string text = stipulation + (series ? 4 : 0);
        const char aim = text[0] == 'h' || text[0] == 's' ? text[0] : '#';
        const bool mate = text.find('#') != std::string::npos;
        const int moves = text[text.find_first_of("#=") + 1] - '0';
        const bool half = text.find(".5") != std::string::npos;
        const Plain plain(aim, mate);
        // A random series rarely has a solution: for them `count` counts the positions that
        // have one, every position tried compared all the same.
        int solved = 0;
        for (int made = 0, tried = 0; fen == nullptr && series ? solved < count && tried < count * 400 : made < count;) {
            FenPosition position;
            if (fen != nullptr) position.fromFen(fen);
            const std::string letters = "QRBNPqrbnp";
            const auto put = [&](char letter) {
                for (;;) {
                    const auto square = static_cast<std::size_t>(random() % 64);
                    const bool backRank = square < 8 || square >= 56;
                    if (position.board[square] != '.' || ((letter == 'P' || letter == 'p') && backRank)) continue;
                    position.board[square] = letter;
                    return;
                }
            };
            if (fen == nullptr) {
                put('K');
                put('k');
                for (int piece = 2; piece < pieces; ++piece) put(letters[random() % letters.size()]);
                position.sideToMove = aim == 'h' && !half ? 1 : 0;
            }
            if (!piecefen::illegalities(position).empty() || piecefen::legalMoves(position).empty()) continue;
            ++made;
            ++tried;
            const Solving solving = piecefen::solve(position, stipulation);
            const std::string written = position.toFen();
            if (aim == 'h' || series) {
                // Shorter lines too, which cook a helpmate.
                std::vector<std::string> expected;
                if (series) {
                    for (int length = 1; length <= moves; ++length) plain.series(position, length, "", expected);
                } else {
                    for (int plies = half ? 1 : 2; plies <= moves * 2 + (half ? 1 : 0); plies += 2) plain.lines(position, plies, "", expected);
                }
                std::vector<std::string> found;
                for (const auto& solution : solving.solutions) {
                    std::string line;
                    for (const auto& move : solution.line) line += move.uci + ' ';
                    found.push_back(line);
                }
                solved += expected.empty() ? 0 : 1;
                std::sort(expected.begin(), expected.end());
                std::sort(found.begin(), found.end());
                // Beyond the most listed, the rest are counted.
                EXPECT_EQ(found.size() + solving.unlisted, expected.size()) << written << ' ' << stipulation;
                EXPECT_TRUE(std::includes(expected.begin(), expected.end(), found.begin(), found.end())) << written << ' ' << stipulation;
                if (expected.size() <= Solving::MOST_LISTED) {
                    EXPECT_EQ(found, expected) << written << ' ' << stipulation;
                }
                continue;
            }
            // Tries asked for at every length, refuted at most twice; and set play.
            piecefen::ProblemOptions asked;
            asked.tries = true;
            asked.defences = 2;
            asked.setPlay = true;
            const Solving withOptions = piecefen::solve(position, stipulation, asked);
            std::string expectedKeys;
            std::string expectedTries;
            std::string expectedTwice;
            for (const Move move : piecefen::legalMoves(position)) {
                const FenPosition next = piecefen::play(position, move);
                if (plain.loses(next, moves)) {
                    int shortest = 1;
                    while (!plain.loses(next, shortest)) ++shortest;
                    expectedKeys += piecefen::uci(move) + std::to_string(shortest) + ' ';
                    continue;
                }
                std::string refutations;
                int refuted = 0;
                for (const Move reply : piecefen::legalMoves(next)) {
                    const FenPosition answered = piecefen::play(next, reply);
                    if ((aim == 's' && plain.reached(answered)) || (moves > 1 && plain.forces(answered, moves - 1))) continue;
                    ++refuted;
                    refutations += piecefen::uci(reply);
                }
                if (refuted == 1 && moves == 2) expectedTries += piecefen::uci(move) + refutations + ' ';
                if (refuted >= 1 && refuted <= 2) expectedTwice += piecefen::uci(move) + refutations + ' ';
            }
            std::string foundKeys;
            for (const auto& solution : solving.solutions) foundKeys += solution.key.uci + std::to_string(solution.moves) + ' ';
            std::string foundTries;
            for (const auto& attempt : solving.tries) foundTries += attempt.move.uci + attempt.refutation.uci + ' ';
            std::string foundTwice;
            for (const auto& attempt : withOptions.tries) {
                foundTwice += attempt.move.uci;
                for (const auto& refutation : attempt.refutations) foundTwice += refutation.uci;
                foundTwice += ' ';
            }
            EXPECT_EQ(foundKeys, expectedKeys) << written << ' ' << stipulation;
            EXPECT_EQ(foundTries, expectedTries) << written << ' ' << stipulation;
            EXPECT_EQ(foundTwice, expectedTwice) << written << ' ' << stipulation;
            // Set play: each defence, had the defender the move, that the attacker answers in time.
            FenPosition passed = position;
            passed.sideToMove = 1 - position.sideToMove;
            passed.enPassant = "-";
            std::string expectedSet;
            // An attacker in check could not pass: that board cannot be played.
            if (piecefen::outcome(passed) != piecefen::Outcome::unplayable) {
                for (const Move defence : piecefen::legalMoves(passed)) {
                    const FenPosition answered = piecefen::play(passed, defence);
                    if (aim == 's' && plain.reached(answered)) continue;
                    if (moves > 1 && plain.forces(answered, moves - 1)) expectedSet += piecefen::uci(defence) + ' ';
                }
            }
            std::string foundSet;
            for (const auto& defence : withOptions.setPlay) foundSet += defence.move.uci + ' ';
            EXPECT_EQ(foundSet, expectedSet) << written << ' ' << stipulation;
        }
        if (series) {
            EXPECT_EQ(solved, count) << stipulation;
        }
    }
}

}  // namespace

namespace {

// The solver's input with its options, solved as they ask.
std::vector<Solving> solvedAsAsked(const char* text) {
    return piecefen::solveProblem(piecefen::readProblems(text).front());
}

TEST(Solver, OptionsAsTheInputAsks) {
    // Set play first; no threat; the first solution alone.
    const auto setPlay = solvedAsAsked("pieces white kb6 rh1 black ka8 stip #2 option setplay nothreat maxsolutions 1");
    ASSERT_EQ(setPlay.size(), 1U);
    EXPECT_EQ(piecefen::solutionText(setPlay[0]), "1...Kb8 2.Rh8#\n1.Kc7!\n1...Ka7 2.Ra1#\n");
    // A helpmate in two that mates in one is cooked; the option stops at the short line.
    const auto helpmate = solvedAsAsked("pieces white kb6 rh1 black ka8 stip h#2");
    EXPECT_TRUE(helpmate[0].cooked());
    EXPECT_EQ(helpmate[0].solutions.front().moves, 1);
    EXPECT_EQ(helpmate[0].solutions.size(), 14U);
    const auto stopped = solvedAsAsked("pieces white kb6 rh1 black ka8 stip h#2 option stoponshortsolutions");
    EXPECT_EQ(piecefen::solutionText(stopped[0]), "1.Kb8 Rh8#\n");
    EXPECT_TRUE(stopped[0].cooked());
    // Tries refuted by up to two defences where the option allows two.
    // Knights are S in the solver's English, as composers write them; N is the nightrider.
    const char* lebeck = "forsyth 8/8/8/2s5/2ppQ3/P1kp3R/b1PS4/1R1K1S2 stip #2";
    // Each answer kept in a variable: a range over a temporary's member would outlive it.
    std::size_t most = 0;
    const auto once = solvedAsAsked(lebeck);
    for (const auto& attempt : once[0].tries) most = std::max(most, attempt.refutations.size());
    EXPECT_EQ(most, 1U);
    const auto twice = solvedAsAsked((std::string(lebeck) + " option defence 2").c_str());
    for (const auto& attempt : twice[0].tries) most = std::max(most, attempt.refutations.size());
    EXPECT_EQ(most, 2U);
    // Duplex solves the other side's play too; half-duplex only that.
    const auto duplex = solvedAsAsked("pieces white kb6 rh1 black ka8 stip h#1 option duplex");
    ASSERT_EQ(duplex.size(), 2U);
    EXPECT_EQ(duplex[1].position.toFen(), "k7/8/1K6/8/8/8/8/7R w - - 0 1");
    const auto half = solvedAsAsked("pieces white kb6 rh1 black ka8 stip h#1 option halfduplex");
    ASSERT_EQ(half.size(), 1U);
    EXPECT_EQ(half[0].position.sideToMove, duplex[1].position.sideToMove);
    // Without short variations every line after the key goes the whole four moves, where
    // else some end at the second or third.
    for (const bool whole : {false, true}) {
        const std::string option = whole ? " option noshortvariations" : "";
        const auto fourMover = solvedAsAsked(("forsyth r3k3/2Qp3R/1p6/1b2K3/4p3/8/5p2/8 stip #4" + option).c_str());
        std::istringstream lines(piecefen::solutionText(fourMover[0]));
        std::string line;
        std::getline(lines, line);
        std::size_t shortLines = 0;
        while (std::getline(lines, line)) shortLines += line.find(" 4.") == std::string::npos ? 1 : 0;
        EXPECT_EQ(shortLines == 0, whole) << shortLines;
    }
}

}  // namespace
