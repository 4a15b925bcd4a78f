#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"
#include "../rules/Moves.h"

namespace piecefen {

// A move of a solution, as the board has it and as people write it.
struct SolvedMove {
    Move move{};
    std::string uci;
    std::string san;

    bool operator==(const SolvedMove&) const = default;
};

struct Defence;

// A move of the side that forces the goal and the other side's answers to it: none after
// the last move, and none where the tree was cut short for its size.
struct Continuation {
    SolvedMove move;
    std::vector<Defence> defences;
};

// A move of the defending side and the moves that still force the goal after it, all of
// them at the last move, the first found before it.
struct Defence {
    SolvedMove move;
    std::vector<Continuation> replies;
};

struct Solution {
    // Direct mates and selfmates: the first move, how many moves it needs (fewer than
    // asked for a short solution), what it threatens if the other side could pass, and
    // every answer to it.
    SolvedMove key;
    int moves = 0;
    std::vector<Continuation> threat;
    std::vector<Defence> variations;
    // Helpmates and helpstalemates: the whole line, first move first.
    std::vector<SolvedMove> line;
};

// A first move that fails to one defence only, and that defence.
struct Try {
    SolvedMove move;
    SolvedMove refutation;
};

enum class SolveStatus : std::uint8_t {
    solved,         // solutions holds every solution, perhaps none
    stipulation,    // not a stipulation the solver takes: #1-#5, =1-=5, h#1-h#4 (h#3.5 too), h=, s#1-s#3
    unplayable,     // the position cannot be played (see Outcome::unplayable)
};

struct Solving {
    SolveStatus status = SolveStatus::solved;
    std::string stipulation;
    std::vector<Solution> solutions;
    // Solutions found beyond the first hundred, counted and left out: a position with
    // thousands of helpmates is no problem, and its lines would fill the memory.
    std::size_t unlisted = 0;
    // For two-movers (#2, =2, s#2): every try, in the order of legalMoves().
    std::vector<Try> tries;

    // More than one solution.
    [[nodiscard]] bool cooked() const { return solutions.size() > 1; }
    // The most solutions listed.
    static constexpr std::size_t MOST_LISTED = 100;
};

// Solves an orthodox problem in slices, so that a caller can show progress and stop:
// each step() looks at one first move.
class PIECEFEN_API Solver {
public:
    // The position is taken as it stands, its side to move starting; the stipulation as
    // readProblem() gives it, such as "#2", "h#2.5" or "s#3".
    Solver(const FenPosition& position, std::string_view stipulation);
    ~Solver();
    Solver(Solver&&) noexcept;
    Solver& operator=(Solver&&) noexcept;

    // Whether every first move has been looked at.
    [[nodiscard]] bool done() const;
    void step();
    // The share of first moves looked at, 0 to 1.
    [[nodiscard]] double fraction() const;
    // The answer so far; the whole answer once done().
    [[nodiscard]] const Solving& result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The whole answer at once.
PIECEFEN_API Solving solve(const FenPosition& position, std::string_view stipulation);

// The answer in the composers' layout, one line each: "1.Qb8! (2.Qb2#)", then
// "1...Kc1 2.Qb1#" for each defence; tries as "1.Qc3? b1=Q!"; helpmate lines as
// "1.Kd4 Qc5+ 2.Ke5 Qe7#"; "no solution" when there is none.
PIECEFEN_API std::string solutionText(const Solving& solving);

// The status's stable name, such as "unplayable".
PIECEFEN_API std::string_view solveStatusName(SolveStatus status);

}  // namespace piecefen
