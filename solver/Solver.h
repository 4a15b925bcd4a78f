#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../notation/Problem.h"
#include "../position/FenPosition.h"
#include "../rules/Moves.h"
#include "../rules/Slices.h"

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
    // every answer to it. A helpmate's moves are its whole moves, as "h#2.5" counts 2.
    SolvedMove key;
    int moves = 0;
    std::vector<Continuation> threat;
    std::vector<Defence> variations;
    // Helpmates and helpstalemates: the whole line, first move first. Series: the series,
    // and in a series helpmate the other side's last move; a series selfmate's replies,
    // each reaching the goal, are its variations.
    std::vector<SolvedMove> line;
};

// A first move that fails to one defence only (or to as many as the option `defences`
// allows), and those defences: `refutation` is the first of them.
struct Try {
    SolvedMove move;
    SolvedMove refutation;
    std::vector<SolvedMove> refutations;
};

enum class SolveStatus : std::uint8_t {
    solved,         // solutions holds every solution, perhaps none
    stipulation,    // not a stipulation the solver takes: #1-#8, =1-=8, h#1-h#4 (h#3.5 too), h=, s#1-s#5, s=1-s=5,
                    // ser-#, ser-=, ser-h#, ser-h=, ser-s#, ser-s= 1-12
    unplayable,     // the position cannot be played (see Outcome::unplayable)
};

struct Solving {
    SolveStatus status = SolveStatus::solved;
    std::string stipulation;
    // The position solved, as it was given.
    FenPosition position;
    std::vector<Solution> solutions;
    // Solutions found beyond the first hundred, counted and left out: a position with
    // thousands of helpmates is no problem, and its lines would fill the memory.
    std::size_t unlisted = 0;
    // Every try, in the order of legalMoves(): for two-movers (#2, =2, s#2) always, for
    // other lengths where the option `tries` asks.
    std::vector<Try> tries;
    // Where the option `setPlay` asks: the defender's moves as if it were to move in the
    // diagram, each with the answers that force the goal; only the answered ones.
    std::vector<Defence> setPlay;
    // The whole moves the stipulation asks, such as 2 for "h#2.5".
    int moves = 0;

    // More than one solution, or one shorter than asked.
    [[nodiscard]] bool cooked() const {
        return solutions.size() > 1 || (solutions.size() == 1 && solutions.front().moves < moves);
    }
    // The most solutions listed.
    static constexpr std::size_t MOST_LISTED = 100;
};

// Solves an orthodox problem in slices, so that a caller can show progress and stop:
// each step() looks at one first move.
class PIECEFEN_API Solver : public Slices {
public:
    // The position is taken as it stands, its side to move starting; the stipulation as
    // readProblem() gives it, such as "#2", "h#2.5" or "s#3"; the options as it reads them
    // (tries, defences, set play, threats, short solutions, the most solutions).
    Solver(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options = {});
    ~Solver() override;
    Solver(Solver&&) noexcept;
    Solver& operator=(Solver&&) noexcept;

    // Whether every first move has been looked at.
    [[nodiscard]] bool done() const override;
    void step() override;
    // The share of first moves looked at, 0 to 1.
    [[nodiscard]] double fraction() const override;
    // The answer so far; the whole answer once done().
    [[nodiscard]] const Solving& result() const;
    // Looks at the first moves left on this many threads, each step() taking the next
    // one's answer in turn: the whole answer is the one a single thread gives. Once the
    // threads are at work a call changes nothing; where the system has none, one works.
    void useThreads(unsigned threads);

    // For a caller that shares the first moves out between workers of its own (a web page's):
    // each worker's solver looks at a share and says which first moves added nothing, then
    // one solver passes over all of those and gives the whole answer, the same as if it had
    // looked at every first move. A place is a first move's turn among the solver's own.
    // Looks only at the first moves whose place is `part` modulo `parts`; before step().
    void share(std::size_t part, std::size_t parts);
    // Passes over the first moves at these places; before step().
    void passOver(const std::vector<std::size_t>& places);
    // The places of the first moves looked at that added no solution, try or counted line.
    [[nodiscard]] const std::vector<std::size_t>& barren() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// One part of a line of the solution as composers write it.
struct LinePart {
    enum class Kind : std::uint8_t {
        number,     // "1." or "1..."
        separator,  // " ", "/", " (" or ")"
        move,       // a move: its SAN in `text`, with its UCI, the FEN line after it and its mark
        words,      // "no solution", "and 12 more"
    };
    Kind kind = Kind::words;
    std::string text;
    std::string uci;
    std::string fen;
    // "!" after a key or a refutation, "?" after a try; a check or mate is in the SAN.
    std::string mark;

    bool operator==(const LinePart&) const = default;
};
using SolutionLine = std::vector<LinePart>;

// The answer in the composers' layout as lines of parts, which solutionText() writes out
// and a page can show move by move: "1.Qb8! (2.Qb2#)", then "1...Kc1 2.Qb1#" for each
// defence; helpmate lines as "1.Kd4 Qc5+ 2.Ke5 Qe7#"; tries as "1.Qc3? b1=Q!"; "no solution"
// when there is none. Empty for a stipulation the solver does not take or an unplayable position.
PIECEFEN_API std::vector<SolutionLine> solutionLines(const Solving& solving);

// The whole answer at once.
PIECEFEN_API Solving solve(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options = {});
// The same answer, the first moves shared out between `threads` threads.
PIECEFEN_API Solving solve(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options,
                           unsigned threads);

// A problem as readProblems() reads it, solved as its options ask: its own position, and
// with `duplex` the other side's too (the same stipulation with the other side to move);
// with `halfDuplex` only the other side's.
PIECEFEN_API std::vector<Solving> solveProblem(const ProblemReading& reading);
// The positions solveProblem() solves, for a caller that solves them in slices.
PIECEFEN_API std::vector<FenPosition> positionsToSolve(const ProblemReading& reading);

// solutionLines() as text, a line each; a line that says why for a stipulation the solver
// does not take or an unplayable position.
PIECEFEN_API std::string solutionText(const Solving& solving);
// The same from the lines solutionLines() gave, for a caller that has them already.
PIECEFEN_API std::string solutionText(const Solving& solving, const std::vector<SolutionLine>& lines);

// The status's stable name, such as "unplayable".
PIECEFEN_API std::string_view solveStatusName(SolveStatus status);

}  // namespace piecefen
