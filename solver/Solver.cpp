#include "solver/Solver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "notation/Stipulation.h"
#include "rules/Board.h"
#include "solver/Crew.h"
#include "solver/MateBound.h"

namespace piecefen {

namespace {

using board::Board;
using board::MoveList;
using stipulation::Aim;
using stipulation::Goal;
using stipulation::Stipulation;

constexpr std::array<std::string_view, 3> STATUS_NAMES = {"solved", "stipulation", "unplayable"};

// How far the solver goes for each aim: further would take minutes on a full board.
constexpr int MOST_DIRECT_MOVES = 8;
constexpr int MOST_SELF_MOVES = 5;
constexpr int MOST_HELP_PLIES = 8;
constexpr int MOST_SERIES_MOVES = 12;
// How many moves the printed tree of one key may hold before deeper defences are left out.
constexpr int TREE_BUDGET = 4000;

// A board in half the bytes, all of it: each square's kind plus one in three planes of
// bits, White's squares, and the side to move, castling rights and en-passant square.
struct Key {
    std::array<board::Squares, 3> planes;
    board::Squares white;
    std::uint16_t state;

    bool operator==(const Key&) const = default;
};

Key keyOf(const Board& board) {
    Key key{};
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        for (std::size_t plane = 0; plane < key.planes.size(); ++plane) {
            if (((kind + 1) >> plane & 1) != 0) key.planes[plane] |= board.kinds[static_cast<std::size_t>(kind)];
        }
    }
    key.white = board.colours[WHITE];
    key.state = static_cast<std::uint16_t>(static_cast<unsigned>(board.side) | board.castling << 1U |
                                           static_cast<unsigned>(board.enPassant + 1) << 5U);
    return key;
}

std::uint64_t hashOf(const Board& board) {
    std::uint64_t hash = static_cast<std::uint64_t>(board.side) * 31 + std::uint64_t{board.castling} * 7 +
                         static_cast<std::uint64_t>(board.enPassant + 1);
    const auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ word) * 0x9E3779B97F4A7C15;
        hash ^= hash >> 29;
    };
    for (const auto squares : board.kinds) mix(squares);
    for (const auto squares : board.colours) mix(squares);
    return hash;
}

// What earlier searches found, one board a slot, the newest kept: a search with a board
// in memory need not be done again. Boards are compared whole, so nothing is guessed.
class Memory {
public:
    // `monotone`: a goal forced in n moves is forced in more, and one not forced in n is
    // not forced in fewer. Otherwise only the same length counts, and a board keeps every
    // length found to fail: a helpmate's shorter lines meet the same boards as its longer.
    // `slots`, a power of two, is how many boards it keeps.
    Memory(bool monotone, std::size_t slots) : monotone_(monotone), slots_(slots) {}

    // The answer for the board and length, if known.
    [[nodiscard]] int find(const Board& board, int length) const {
        if (!entries_) return UNKNOWN;
        const std::size_t at = slot(board);
        const Entry& entry = entries_.get()[at];
        const Key key = keyOf(board);
        if (!monotone_) {
            if (length < 0 || length >= LENGTHS) return UNKNOWN;
            const Entry& other = entries_.get()[at ^ 1U];
            if ((entry.failed >> length & 1U) != 0 && entry.key == key) return NO;
            return (other.failed >> length & 1U) != 0 && other.key == key ? NO : UNKNOWN;
        }
        if (entry.length == 0 || entry.key != key) return UNKNOWN;
        if (entry.length == length) return entry.forced ? YES : NO;
        if (entry.forced && entry.length < length) return YES;
        if (!entry.forced && entry.length > length) return NO;
        return UNKNOWN;
    }
    // Where the memory is not monotone, only failures are kept.
    void store(const Board& board, int length, bool forced) {
        // Made on first use, as zeroed pages that the system hands out as they are touched:
        // a two-mover never needs it, and it is megabytes.
        // Without it the search is slower but the same.
        if (!entries_) entries_.reset(static_cast<Entry*>(std::calloc(slots_, sizeof(Entry))));
        if (!entries_) return;
        const std::size_t at = slot(board);
        const Key key = keyOf(board);
        if (monotone_) {
            entries_.get()[at] = Entry{key, static_cast<std::int8_t>(length), forced, 0};
        } else if (!forced && length >= 0 && length < LENGTHS) {
            // Two slots a board: the first keeps the longest failure, whose search took
            // longest; the second the newest.
            const auto failed = static_cast<std::uint16_t>(1U << length);
            Entry& kept = entries_.get()[at & ~std::size_t{1}];
            Entry& newest = entries_.get()[at | 1U];
            if (kept.failed != 0 && kept.key == key) {
                kept.failed = static_cast<std::uint16_t>(kept.failed | failed);
            } else if (newest.failed != 0 && newest.key == key) {
                newest.failed = static_cast<std::uint16_t>(newest.failed | failed);
            } else if (failed >= kept.failed) {
                newest = kept;
                kept = Entry{key, 0, false, failed};
            } else {
                newest = Entry{key, 0, false, failed};
            }
        }
    }

    static constexpr int UNKNOWN = -1;
    static constexpr int NO = 0;
    static constexpr int YES = 1;

private:
    // The lengths a board's failures are kept for: a helpmate's plies, a series' moves.
    static constexpr int LENGTHS = 16;
    // All zero is an empty slot, as calloc() gives it.
    struct Entry {
        Key key;
        std::int8_t length;      // monotone: the length known
        bool forced;
        std::uint16_t failed;    // otherwise: a bit for each length known to fail
    };
    [[nodiscard]] std::size_t slot(const Board& board) const { return static_cast<std::size_t>(hashOf(board) & (slots_ - 1)); }
    struct Free {
        void operator()(Entry* entries) const { std::free(entries); }
    };

    bool monotone_;
    std::size_t slots_;
    std::unique_ptr<Entry, Free> entries_;
};

Board passed(const Board& board);

// The searches behind every stipulation: the side that forces the goal is the attacker,
// the other the defender; a length counts the attacker's moves, or the half moves of a
// helpmate.
class Search {
public:
    explicit Search(const Stipulation& stipulation)
        : aim_(stipulation.aim),
          goal_(stipulation.goal),
          memory_(stipulation.aim != Aim::help && !stipulation.series, slotsFor(stipulation)) {}

    // A search on a thread of its own gives up when `stopping` is set, its answer then unused.
    void watch(const std::atomic<bool>* stopping) { stopping_ = stopping; }

    // Whether the side to move has no move and the goal holds against it.
    [[nodiscard]] bool reached(const Board& board) const {
        if (board::inCheck(board) != (goal_ == Goal::mate)) return false;
        return !board::hasMove(board);
    }

    // Whether the attacker, to move, forces the goal within `length` moves.
    bool forces(const Board& board, int length) {
        if (stopped()) return false;
        if (length >= 2) {
            const int known = memory_.find(board, length);
            if (known != Memory::UNKNOWN) return known == Memory::YES;
        }
        MoveList moves;
        // A direct mate's last move checks.
        if (length == 1 && aim_ == Aim::direct && goal_ == Goal::mate) {
            board::generateChecks(board, moves);
            return std::any_of(moves.begin(), moves.end(), [&](Move move) { return reached(board::afterMove(board, move)); });
        }
        board::generateMoves(board, moves);
        const bool forced =
            std::any_of(moves.begin(), moves.end(), [&](Move move) { return loses(board::afterMove(board, move), length); });
        if (length >= 2) memory_.store(board, length, forced);
        return forced;
    }

    // Whether the defender, to move after the attacker's move, loses within `length`
    // attacker moves, that move included.
    bool loses(const Board& board, int length) {
        if (aim_ == Aim::direct && length == 1) return reached(board);
        MoveList replies;
        board::generateMoves(board, replies);
        if (replies.size == 0) return aim_ == Aim::direct && reached(board);
        // The defence that refuted a sibling last time is the likeliest to refute here.
        Move& killer = killers_[static_cast<std::size_t>(length)];
        for (std::size_t at = 1; at < replies.size; ++at) {
            if (replies.moves[at] == killer) std::swap(replies.moves[0], replies.moves[at]);
        }
        const Move* refuting =
            std::find_if(replies.begin(), replies.end(), [&](Move reply) { return !holds(board::afterMove(board, reply), length); });
        if (refuting == replies.end()) return true;
        killer = *refuting;
        return false;
    }

    // Whether the goal still comes after the defender's reply, with `length` attacker
    // moves counted from the one before it.
    bool holds(const Board& board, int length) {
        if (aim_ == Aim::self && reached(board)) return true;
        return length > 1 && forces(board, length - 1);
    }

    // The fewest attacker moves, up to `most`, in which the defender to move loses; 0 if none.
    int shortest(const Board& board, int most) {
        for (int length = 1; length <= most; ++length) {
            if (loses(board, length)) return length;
        }
        return 0;
    }

    // Adds every line of `plies` half moves that ends with the goal against the side then
    // to move.
    void help(const Board& board, int plies, std::vector<Move>& line, std::vector<std::vector<Move>>& found,
              std::size_t& unlisted) {
        if (stopped() || (plies >= 2 && memory_.find(board, plies) == Memory::NO)) return;
        // The side to move at the end is mated; it has half the moves left, the other side the rest.
        if (plies >= 2 && goal_ == Goal::mate) {
            const int mated = plies % 2 == 0 ? board.side : 1 - board.side;
            if (!mateBound::possible(board, mated, plies - plies / 2, plies / 2)) {
                memory_.store(board, plies, false);
                return;
            }
        }
        const std::size_t before = found.size() + unlisted;
        MoveList moves;
        // The mating move checks.
        if (plies == 1 && goal_ == Goal::mate) {
            board::generateChecks(board, moves);
        } else {
            board::generateMoves(board, moves);
        }
        for (const Move move : moves) {
            const Board next = board::afterMove(board, move);
            line.push_back(move);
            if (plies == 1) {
                if (reached(next)) (found.size() < Solving::MOST_LISTED ? found.push_back(line) : void(++unlisted));
            } else {
                help(next, plies - 1, line, found, unlisted);
            }
            line.pop_back();
        }
        if (plies >= 2 && found.size() + unlisted == before) memory_.store(board, plies, false);
    }

    // Adds every series of `moves` moves of the side to move, the first already in `line`
    // and played to reach `board`, after which the goal comes: no move but the last gives
    // check. A series helpmate's line ends with the other side's mating move; a series
    // selfmate's, with the series, every reply of the other side reaching the goal.
    void series(const Board& board, int moves, std::vector<Move>& line, std::vector<std::vector<Move>>& found, std::size_t& unlisted) {
        const auto add = [&] { found.size() < Solving::MOST_LISTED ? found.push_back(line) : void(++unlisted); };
        if (stopped()) return;
        if (moves == 0) {
            ends(board, line, add);
            return;
        }
        // The series side moves again: the other side passed, and no en-passant capture survives that.
        if (board::inCheck(board)) return;
        const Board again = passed(board);
        if (moves >= 2 && memory_.find(again, moves) == Memory::NO) return;
        // A series helpmate's side is mated after its moves; a series mate's side mates.
        if (goal_ == Goal::mate && aim_ != Aim::self) {
            const bool helped = aim_ == Aim::help;
            if (!mateBound::possible(again, helped ? again.side : 1 - again.side, helped ? 1 : moves, helped ? moves : 0)) return;
        }
        const std::size_t before = found.size() + unlisted;
        MoveList next;
        board::generateMoves(again, next);
        for (const Move move : next) {
            line.push_back(move);
            series(board::afterMove(again, move), moves - 1, line, found, unlisted);
            line.pop_back();
        }
        if (moves >= 2 && found.size() + unlisted == before) memory_.store(again, moves, false);
    }

    [[nodiscard]] Aim aim() const { return aim_; }

private:
    // The longer a helpmate or series, the more boards its search meets again: 2.5 MB of
    // memory for short ones and direct play, 10 MB for a helpmate in three, 40 MB beyond.
    static std::size_t slotsFor(const Stipulation& stipulation) {
        const int plies = stipulation.series ? stipulation.moves : stipulation.moves * 2 + (stipulation.half ? 1 : 0);
        const int bits = stipulation.aim != Aim::help && !stipulation.series ? 16 : plies <= 4 ? 16 : plies <= 6 ? 18 : 20;
        return std::size_t{1} << bits;
    }

    [[nodiscard]] bool stopped() const { return stopping_ != nullptr && stopping_->load(std::memory_order_relaxed); }

    // How a series ends, the other side to move after its last move.
    template <typename Add>
    void ends(const Board& board, std::vector<Move>& line, const Add& add) const {
        if (aim_ == Aim::direct) {
            if (reached(board)) add();
            return;
        }
        MoveList replies;
        // A helpmate's mating move checks.
        if (aim_ == Aim::help && goal_ == Goal::mate) {
            board::generateChecks(board, replies);
        } else {
            board::generateMoves(board, replies);
        }
        if (aim_ == Aim::self) {
            if (replies.size > 0 && std::all_of(replies.begin(), replies.end(), [&](Move reply) { return reached(board::afterMove(board, reply)); })) add();
            return;
        }
        for (const Move reply : replies) {
            if (!reached(board::afterMove(board, reply))) continue;
            line.push_back(reply);
            add();
            line.pop_back();
        }
    }

    Aim aim_;
    Goal goal_;
    Memory memory_;
    std::array<Move, MOST_DIRECT_MOVES + 2> killers_{};
    const std::atomic<bool>* stopping_ = nullptr;
};

// What looking at one first move found, kept by a thread until the solver takes it in turn.
struct Look {
    std::vector<Solution> solutions;
    std::vector<Try> tries;
    std::size_t unlisted = 0;
    // Where the lines of the full length start, and the lines counted before them.
    std::size_t fullFrom = 0;
    std::size_t unlistedAtFull = 0;
    bool shortFound = false;
};

SolvedMove named(const Board& board, Move move) {
    return SolvedMove{move, uci(move), board::sanOf(board, move)};
}

// The board with the side to move passing, for a threat: no en-passant capture survives it.
Board passed(const Board& board) {
    Board pass = board;
    pass.side = 1 - board.side;
    pass.enPassant = -1;
    return pass;
}

}  // namespace

struct Solver::State {
    Solving solving;
    ProblemOptions options;
    Stipulation stipulation{};
    // Whether a helpmate shorter than asked has been found.
    bool shortFound = false;
    Board root{};
    std::vector<Move> firsts;
    std::size_t next = 0;
    std::unique_ptr<Search> search;
    int budget = 0;
    // Where a helpmate's or series' lines of the full length start in `solving`.
    std::size_t fullFrom = 0;
    std::size_t unlistedAtFull = 0;
    // More threads than one: each has a state of its own, the first moves shared out
    // between them from `crewFrom` on, and what each found kept in `looks` until taken.
    unsigned threads = 1;
    std::size_t crewFrom = 0;
    std::atomic<bool> stopping{false};
    std::vector<std::unique_ptr<State>> helpers;
    std::vector<Look> looks;
    std::unique_ptr<crew::Crew> crew;
    // The first moves passed over, by place (empty: none), and those that added nothing.
    std::vector<bool> passing;
    std::vector<std::size_t> barren;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() { stopCrew(); }

    void stopCrew() {
        stopping.store(true, std::memory_order_relaxed);
        crew.reset();
    }

    void startCrew() {
        crewFrom = next;
        looks.assign(firsts.size() - crewFrom, Look{});
        for (unsigned at = 0; at < threads; ++at) {
            auto helper = std::make_unique<State>();
            helper->options = options;
            helper->stipulation = stipulation;
            helper->root = root;
            helper->solving.moves = solving.moves;
            helper->search = std::make_unique<Search>(stipulation);
            helper->search->watch(&stopping);
            helpers.push_back(std::move(helper));
        }
        crew = std::make_unique<crew::Crew>(
            threads, looks.size(), [](void* state, std::size_t index, unsigned worker) { static_cast<State*>(state)->lookInTurn(index, worker); },
            this);
    }

    // A thread's look at the first move `index` of those shared out, kept for step().
    void lookInTurn(std::size_t index, unsigned worker) {
        if (passes(crewFrom + index)) return;
        State& helper = *helpers[worker];
        helper.solving.solutions.clear();
        helper.solving.tries.clear();
        helper.solving.unlisted = 0;
        helper.shortFound = false;
        helper.lookAt(firsts[crewFrom + index]);
        looks[index] = Look{std::move(helper.solving.solutions), std::move(helper.solving.tries), helper.solving.unlisted,
                            helper.fullFrom, helper.unlistedAtFull, helper.shortFound};
    }

    [[nodiscard]] bool passes(std::size_t place) const {
        return place < passing.size() && passing[place];
    }

    // What a thread found for one first move, taken in as lookAt() would have found it
    // here: after a shorter solution elsewhere, the full length is left out if asked.
    void take(Look& look) {
        if (stipulation.aim != Aim::help && !stipulation.series) {
            std::move(look.solutions.begin(), look.solutions.end(), std::back_inserter(solving.solutions));
            std::move(look.tries.begin(), look.tries.end(), std::back_inserter(solving.tries));
            return;
        }
        shortFound = shortFound || look.shortFound;
        const bool full = !(shortFound && options.stopOnShortSolutions);
        const std::size_t end = full ? look.solutions.size() : look.fullFrom;
        for (std::size_t at = 0; at < end; ++at) {
            if (solving.solutions.size() < Solving::MOST_LISTED) {
                solving.solutions.push_back(std::move(look.solutions[at]));
            } else {
                ++solving.unlisted;
            }
        }
        solving.unlisted += full ? look.unlisted : look.unlistedAtFull;
    }

    // The attacker's moves that force the goal soonest after `board` (attacker to move),
    // within `most` moves: all of them at the last move, the first before it, with the
    // defences after it while the budget lasts.
    std::vector<Continuation> continuations(const Board& board, int most, int* shortest = nullptr) {
        std::vector<Continuation> found;
        MoveList moves;
        board::generateMoves(board, moves);
        for (int length = 1; length <= most && found.empty(); ++length) {
            if (shortest != nullptr) *shortest = length;
            for (const Move move : moves) {
                const Board after = board::afterMove(board, move);
                if (!search->loses(after, length)) continue;
                found.push_back(Continuation{named(board, move), defences(after, length)});
                --budget;
                if (length > 1) break;
            }
        }
        return found;
    }

    // Every reply of the defender to move, and how the goal still comes after each.
    std::vector<Defence> defences(const Board& board, int length) {
        std::vector<Defence> found;
        if ((search->aim() == Aim::direct && length == 1) || budget <= 0) return found;
        MoveList replies;
        board::generateMoves(board, replies);
        for (const Move reply : replies) {
            const Board after = board::afterMove(board, reply);
            Defence defence{named(board, reply), {}};
            --budget;
            const bool ends = search->aim() == Aim::self && search->reached(after);
            int shortest = length - 1;
            if (!ends && length > 1) defence.replies = continuations(after, length - 1, &shortest);
            // A short variation: the goal comes sooner than the moves left ask.
            if (options.noShortVariations && length > 1 && (ends || (!defence.replies.empty() && shortest < length - 1))) continue;
            found.push_back(std::move(defence));
        }
        return found;
    }

    void lookAt(Move first) {
        const Board after = board::afterMove(root, first);
        if (stipulation.series) {
            // Shorter series first, each a cook.
            for (int length = 1; length < stipulation.moves; ++length) shortFound = seriesLines(first, after, length) || shortFound;
            markFull();
            if (!(shortFound && options.stopOnShortSolutions)) seriesLines(first, after, stipulation.moves);
            return;
        }
        if (stipulation.aim == Aim::help) {
            // Shorter lines first, each a cook: the same side starts and the same side mates.
            const int plies = stipulation.moves * 2 + (stipulation.half ? 1 : 0);
            for (int length = 2 - plies % 2; length < plies; length += 2) {
                shortFound = helpLines(first, after, length) || shortFound;
            }
            markFull();
            if (!(shortFound && options.stopOnShortSolutions)) helpLines(first, after, plies);
            return;
        }
        const int length = search->shortest(after, stipulation.moves);
        if (length == 0) {
            if (stipulation.moves == 2 || options.tries) findTry(first, after);
            return;
        }
        budget = TREE_BUDGET;
        Solution solution;
        solution.key = named(root, first);
        solution.moves = length;
        if (length > 1 && !board::inCheck(after) && !options.noThreat) solution.threat = threat(passed(after), length - 1);
        solution.variations = defences(after, length);
        solving.solutions.push_back(std::move(solution));
    }

    void markFull() {
        fullFrom = solving.solutions.size();
        unlistedAtFull = solving.unlisted;
    }

    // The attacker's moves that would force the goal soonest if the defender could pass.
    std::vector<Continuation> threat(const Board& pass, int most) const {
        std::vector<Continuation> found;
        MoveList moves;
        board::generateMoves(pass, moves);
        for (int length = 1; length <= most && found.empty(); ++length) {
            for (const Move move : moves) {
                if (search->loses(board::afterMove(pass, move), length)) found.push_back(Continuation{named(pass, move), {}});
            }
        }
        return found;
    }

    // Every helpmate line of `plies` half moves that starts with `first`; whether any.
    bool helpLines(Move first, const Board& after, int plies) {
        std::vector<Move> line{first};
        std::vector<std::vector<Move>> lines;
        std::size_t unlisted = 0;
        if (plies == 1) {
            if (search->reached(after)) lines.push_back(line);
        } else {
            search->help(after, plies - 1, line, lines, unlisted);
        }
        return listed(lines, unlisted, [&](const std::vector<Move>& moves) { return helpSolution(moves); });
    }

    // Every series of `length` moves that starts with `first`; whether any.
    bool seriesLines(Move first, const Board& after, int length) {
        std::vector<Move> line{first};
        std::vector<std::vector<Move>> lines;
        std::size_t unlisted = 0;
        search->series(after, length - 1, line, lines, unlisted);
        return listed(lines, unlisted, [&](const std::vector<Move>& moves) { return seriesSolution(moves, length); });
    }

    // The lines found as solutions up to the most listed, the rest counted; whether any.
    template <typename Make>
    bool listed(const std::vector<std::vector<Move>>& lines, std::size_t unlisted, const Make& make) {
        const std::size_t room = Solving::MOST_LISTED - std::min(Solving::MOST_LISTED, solving.solutions.size());
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (at < room) {
                solving.solutions.push_back(make(lines[at]));
            } else {
                ++solving.unlisted;
            }
        }
        solving.unlisted += unlisted;
        return !lines.empty() || unlisted > 0;
    }

    // A first move that fails to exactly one defence, or to as many as the option allows,
    // is a try; a move with one legal answer, which refutes it, is one too.
    void findTry(Move first, const Board& after) {
        MoveList replies;
        board::generateMoves(after, replies);
        const auto most = static_cast<std::size_t>(std::max(1, options.defences));
        std::vector<SolvedMove> refutations;
        for (const Move& reply : replies) {
            if (search->holds(board::afterMove(after, reply), stipulation.moves)) continue;
            if (refutations.size() == most) return;
            refutations.push_back(named(after, reply));
        }
        if (!refutations.empty()) solving.tries.push_back(Try{named(root, first), refutations.front(), refutations});
    }

    // The defender's moves as if it were to move in the diagram, each with the answers that
    // force the goal; none where the attacker stands in check.
    void findSetPlay() {
        if (board::inCheck(root)) return;
        for (Defence& defence : defences(passed(root), stipulation.moves)) {
            if (!defence.replies.empty()) solving.setPlay.push_back(std::move(defence));
        }
    }

    // The series as played, the other side passing between its moves; a series selfmate's
    // replies, each reaching the goal, as its variations.
    Solution seriesSolution(const std::vector<Move>& moves, int length) const {
        Solution solution;
        solution.moves = length;
        Board board = root;
        for (std::size_t at = 0; at < moves.size(); ++at) {
            if (at > 0 && at < static_cast<std::size_t>(length)) board = passed(board);
            solution.line.push_back(named(board, moves[at]));
            board = board::afterMove(board, moves[at]);
        }
        if (stipulation.aim == Aim::self) {
            MoveList replies;
            board::generateMoves(board, replies);
            for (const Move reply : replies) solution.variations.push_back(Defence{named(board, reply), {}});
        }
        return solution;
    }

    Solution helpSolution(const std::vector<Move>& moves) const {
        Solution solution;
        solution.moves = static_cast<int>(moves.size() / 2);
        Board board = root;
        for (const Move move : moves) {
            solution.line.push_back(named(board, move));
            board = board::afterMove(board, move);
        }
        return solution;
    }
};

Solver::Solver(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options)
    : state_(std::make_unique<State>()) {
    State& state = *state_;
    state.solving.stipulation = std::string(stipulation);
    state.solving.position = position;
    state.options = options;
    const auto parsed = stipulation::read(stipulation);
    const int most = !parsed                        ? 0
                     : parsed->series             ? MOST_SERIES_MOVES
                     : parsed->aim == Aim::direct ? MOST_DIRECT_MOVES
                     : parsed->aim == Aim::self   ? MOST_SELF_MOVES
                     : parsed->aim == Aim::help   ? MOST_HELP_PLIES / 2
                                                  : 0;
    if (!parsed || parsed->aim == Aim::study || parsed->moves > most ||
        (parsed->aim == Aim::help && !parsed->series && parsed->moves * 2 + (parsed->half ? 1 : 0) > MOST_HELP_PLIES)) {
        state.solving.status = SolveStatus::stipulation;
        return;
    }
    const auto board = board::boardOf(position);
    if (!board) {
        state.solving.status = SolveStatus::unplayable;
        return;
    }
    state.stipulation = *parsed;
    state.solving.moves = parsed->moves;
    state.root = *board;
    state.search = std::make_unique<Search>(*parsed);
    MoveList moves;
    board::generateMoves(*board, moves);
    state.firsts.assign(moves.begin(), moves.end());
}

Solver::~Solver() = default;
Solver::Solver(Solver&&) noexcept = default;
Solver& Solver::operator=(Solver&&) noexcept = default;

bool Solver::done() const {
    return state_->next >= state_->firsts.size();
}

void Solver::step() {
    if (done()) return;
    State& state = *state_;
    if (state.next == 0 && state.options.setPlay && state.stipulation.aim != Aim::help && !state.stipulation.series) {
        state.budget = TREE_BUDGET;
        state.findSetPlay();
    }
    if (crew::HAS_THREADS && state.threads > 1 && !state.crew) state.startCrew();
    Solving& solving = state.solving;
    const std::array<std::size_t, 3> before{solving.solutions.size(), solving.tries.size(), solving.unlisted};
    if (!state.passes(state.next)) {
        if (crew::HAS_THREADS && state.crew) {
            state.crew->waitFor(state.next - state.crewFrom);
            state.take(state.looks[state.next - state.crewFrom]);
        } else {
            state.lookAt(state.firsts[state.next]);
        }
        if (before == std::array{solving.solutions.size(), solving.tries.size(), solving.unlisted}) state.barren.push_back(state.next);
    }
    ++state.next;
    // Enough solutions: the rest of the first moves are not looked at.
    const auto most = static_cast<std::size_t>(std::max(0, state.options.maxSolutions));
    if (most > 0 && state.solving.solutions.size() >= most) {
        state.solving.solutions.resize(most);
        state.next = state.firsts.size();
    }
    if (done()) state.stopCrew();
}

void Solver::useThreads(unsigned threads) {
    if (!state_->crew) state_->threads = std::max(1U, threads);
}

void Solver::share(std::size_t part, std::size_t parts) {
    State& state = *state_;
    state.passing.resize(state.firsts.size());
    for (std::size_t place = 0; place < state.firsts.size(); ++place) {
        if (parts == 0 || place % parts != part) state.passing[place] = true;
    }
}

void Solver::passOver(const std::vector<std::size_t>& places) {
    State& state = *state_;
    state.passing.resize(state.firsts.size());
    for (const std::size_t place : places) {
        if (place < state.passing.size()) state.passing[place] = true;
    }
}

const std::vector<std::size_t>& Solver::barren() const {
    return state_->barren;
}

double Solver::fraction() const {
    const std::size_t total = state_->firsts.size();
    return total == 0 ? 1.0 : static_cast<double>(state_->next) / static_cast<double>(total);
}

const Solving& Solver::result() const {
    return state_->solving;
}

Solving solve(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options) {
    return solve(position, stipulation, options, 1);
}

Solving solve(const FenPosition& position, std::string_view stipulation, const ProblemOptions& options, unsigned threads) {
    Solver solver(position, stipulation, options);
    solver.useThreads(threads);
    while (!solver.done()) solver.step();
    return solver.result();
}

std::vector<FenPosition> positionsToSolve(const ProblemReading& reading) {
    std::vector<FenPosition> positions;
    if (!reading.options.halfDuplex) positions.push_back(reading.position);
    if (reading.options.duplex || reading.options.halfDuplex) {
        FenPosition other = reading.position;
        other.sideToMove = 1 - other.sideToMove;
        other.enPassant.assign(1, '-');
        positions.push_back(other);
    }
    return positions;
}

std::vector<Solving> solveProblem(const ProblemReading& reading) {
    const std::vector<FenPosition> positions = positionsToSolve(reading);
    std::vector<Solving> found;
    found.reserve(positions.size());
    std::transform(positions.begin(), positions.end(), std::back_inserter(found),
                   [&](const FenPosition& position) { return solve(position, reading.stipulation, reading.options); });
    return found;
}

std::string_view solveStatusName(SolveStatus status) {
    const auto at = static_cast<std::size_t>(status);
    return at < STATUS_NAMES.size() ? STATUS_NAMES[at] : std::string_view{};
}

}  // namespace piecefen
