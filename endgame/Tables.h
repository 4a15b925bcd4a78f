#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rules/Board.h"

// The endgame tables behind Tablebase: one byte a position, worked out backwards from the
// mates, and never seen outside the library.
namespace piecefen::endgame {

// What a position is worth to the side to move, in one byte.
using Code = std::uint8_t;
constexpr Code UNKNOWN = 0;  // not won or lost yet; a draw once the table is done
constexpr Code ILLEGAL = 1;  // no such position, or another index stands for it
constexpr Code DRAWN = 2;    // a stalemate
constexpr Code MATED = 3;    // MATED + n: mate in n plies, won when n is odd, lost when even
constexpr int LONGEST = 255 - MATED;

constexpr int distanceOf(Code code) {
    return code - MATED;
}
constexpr bool isWin(Code code) {
    return code >= MATED && distanceOf(code) % 2 == 1;
}
constexpr bool isLoss(Code code) {
    return code >= MATED && distanceOf(code) % 2 == 0;
}
constexpr Code codeOf(int distance) {
    return static_cast<Code>(MATED + distance);
}

// The best of a position's moves, taken one at a time by what each is worth to the other
// side: the fastest win, else a draw, else the slowest loss.
struct Best {
    int fastestWin = LONGEST;  // in plies
    int slowestLoss = -1;
    bool drawn = false;  // a move neither wins nor loses (or is not known yet)

    void add(Code child) {
        if (isLoss(child)) {
            fastestWin = std::min(fastestWin, distanceOf(child) + 1);
        } else if (isWin(child)) {
            slowestLoss = std::max(slowestLoss, distanceOf(child) + 1);
        } else {
            drawn = true;
        }
    }
    bool wins() const { return fastestWin < LONGEST; }
    Code code() const { return wins() ? codeOf(fastestWin) : drawn ? DRAWN : codeOf(slowestLoss); }
};

constexpr int MOST_PIECES = 4;

// The squares of a table's pieces in the table's order and the side to move.
struct Placement {
    std::array<int, MOST_PIECES> squares{};
    int side = WHITE;
};

struct Piece {
    int colour;
    int kind;
};

// One material balance, such as queen against rook: the white king, the black king, then
// White's other pieces and Black's, each strongest first, so that twins stand together.
class Table {
public:
    explicit Table(std::string key);

    [[nodiscard]] const std::string& key() const { return key_; }
    [[nodiscard]] int count() const { return count_; }
    [[nodiscard]] const Piece& piece(int at) const { return pieces_[static_cast<std::size_t>(at)]; }
    [[nodiscard]] bool hasPawns() const { return pawns_; }
    [[nodiscard]] std::size_t size() const { return 2 * slots_ * perSlot_; }

    // The index that stands for the placement and all its mirror images.
    [[nodiscard]] std::size_t indexOf(const Placement& placement) const;
    [[nodiscard]] Placement placementAt(std::size_t index) const;
    // Whether the index is the one that stands for its placement and its mirror images.
    [[nodiscard]] bool isCanonical(const Placement& placement, std::size_t index) const;
    [[nodiscard]] board::Board boardOf(const Placement& placement) const;
    // How many boards the placement's index stands for: itself and its distinct mirror images.
    [[nodiscard]] std::size_t imagesOf(const Placement& placement) const;

    std::vector<Code> codes;

private:
    [[nodiscard]] std::size_t indexUnder(std::size_t transform, const Placement& placement) const;

    std::string key_;
    std::array<Piece, MOST_PIECES> pieces_{};
    int count_ = 0;
    bool pawns_ = false;
    std::size_t slots_ = 0;    // the squares the white king is kept to
    std::size_t perSlot_ = 1;  // 64 for each other piece
    bool twins_ = false;  // the last two pieces are alike
};

// A board's table and its placement there, the colours swapped where the table is kept
// the other way round.
struct Normalised {
    std::string key;
    Placement placement;
};
Normalised normalise(const board::Board& board);

class Worker;

// The tables worked out so far, each with every table its captures and promotions lead
// into.
class Tables {
public:
    Tables();
    ~Tables();
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    // Lines up the tables the key's table needs; false when they are all there already.
    // Work already lined up is finished first.
    bool plan(const std::string& key);
    // Does a slice of the work lined up and says how much of it is done: 1 when it is all done.
    double step();
    // How much of the work lined up is done, as step() last said; 1 when there is none left.
    [[nodiscard]] double progress() const { return !worker_ && planned_.empty() ? 1 : reported_; }
    // The table the work lined up is for.
    [[nodiscard]] const std::string& asked() const { return asked_; }

    // The table for a key such as "KQvKR", worked out first if need be.
    const Table& table(const std::string& key);
    // What a board of up to four pieces is worth to the side to move; an en-passant
    // capture on the board is counted.
    Code codeOf(const board::Board& board);
    // What each legal move is worth to the side that then moves, in the moves' order.
    std::vector<Code> codesAfter(const board::Board& board, const board::MoveList& moves);

    [[nodiscard]] std::size_t bytes() const;

private:
    Table& build(const std::string& key);

    std::map<std::string, std::unique_ptr<Table>, std::less<>> tables_;
    std::vector<std::string> planned_;
    std::unique_ptr<Worker> worker_;
    std::string asked_;
    std::size_t total_ = 0;
    std::size_t done_ = 0;
    double reported_ = 0;
};

// The best of what a position's moves lead to, given what each is worth to the other side.
Code bestOf(const std::vector<Code>& children, bool inCheck);

// Whether the text is the key of a table: "K", up to two of Q R B N P strongest first,
// "vK", and the weaker side's pieces, four pieces at most.
bool isKey(const std::string& text);

// The keys of the tables a table's captures and promotions lead into.
std::vector<std::string> successors(const std::string& key);

}  // namespace piecefen::endgame
