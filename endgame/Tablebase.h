#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Relative, so that one line finds the rules both in the source tree and where the
// headers are installed, beside this one.
#include "../rules/Moves.h"
#include "../rules/Slices.h"

namespace piecefen {

// A result for one side: it mates, neither side can force mate, or it is mated.
enum class EndgameCategory : std::uint8_t { win, draw, loss };

// Why a position has no verdict, or that it has one.
enum class EndgameCoverage : std::uint8_t {
    covered,         // up to four pieces, kings included, no castling right, playable
    tooManyPieces,   // more than four pieces
    castlingRights,  // the record grants a castling right, which the tables leave out
    unplayable,      // see Outcome::unplayable
};

struct EndgameMove {
    Move move;
    std::string san;
    std::string uci;
    // For the side that plays the move.
    EndgameCategory category;
    std::optional<int> dtm;
};

struct EndgameVerdict {
    // For the side to move.
    EndgameCategory category;
    // Plies to mate with best play by both sides: odd and positive when the side to move
    // mates, even and negative when it is mated, 0 when it is mated now; none for a draw.
    std::optional<int> dtm;
    // Every legal move, best first: the fastest mate, the draws, then the slowest loss;
    // moves that are worth the same stay in legalMoves() order.
    std::vector<EndgameMove> moves;
    // The mate takes more plies than the halfmove clock leaves before the fifty-move rule
    // can end the game; unless a capture or a pawn move on the way sets the clock back,
    // the result may then be a draw.
    bool fiftyMoveRuleMayMatter = false;
};

// What a table holds, counted over every legal board of its material with the stronger
// side as White, one figure for each side to move (WHITE, then BLACK).
struct EndgameStatistics {
    std::array<std::uint64_t, 2> wins{};
    std::array<std::uint64_t, 2> draws{};
    std::array<std::uint64_t, 2> losses{};
    // The longest mate in plies, won or lost by the side to move, and one position of it.
    std::array<int, 2> longest{};
    std::array<std::string, 2> longestFen;
};

// The truth of every position of up to four pieces, kings included, worked out from the
// rules: the first position of a material balance works out its table and every table its
// captures and promotions lead into, and the tables are kept for the next question.
class PIECEFEN_API Tablebase : public Slices {
public:
    Tablebase();
    ~Tablebase() override;
    Tablebase(Tablebase&&) noexcept;
    Tablebase& operator=(Tablebase&&) noexcept;
    Tablebase(const Tablebase&) = delete;
    Tablebase& operator=(const Tablebase&) = delete;

    // The verdict of a covered position; none otherwise (see endgameCoverage).
    std::optional<EndgameVerdict> probe(const FenPosition& position);

    // What the table for a key such as "KQvKR" holds, worked out first if need be; none for
    // a key that names no table of up to four pieces.
    std::optional<EndgameStatistics> statistics(std::string_view table);

    // The same work in slices, for a caller that wants to say how far it is or do something
    // between them (a page that must stay responsive): prepare() lines up the tables the
    // position needs and says whether there is work to do, then step() does it a slice at a
    // time. probe() finishes whatever is left.
    bool prepare(const FenPosition& position);
    [[nodiscard]] bool done() const override;
    void step() override;
    [[nodiscard]] double fraction() const override;
    // A slice, and how much is done after it: step() and then fraction(), as 1.5 had it.
    double work();

    // The bytes the tables worked out so far take.
    [[nodiscard]] std::size_t bytes() const;

private:
    struct Tables;
    std::unique_ptr<Tables> tables_;
};

PIECEFEN_API EndgameCoverage endgameCoverage(const FenPosition& position);

// The table a covered position belongs to, such as "KQvKR" (the stronger side as White);
// empty for one that is not covered.
PIECEFEN_API std::string endgameTable(const FenPosition& position);

// Stable names: "win", "draw", "loss"; "covered", "too-many-pieces", "castling-rights",
// "unplayable".
PIECEFEN_API std::string_view endgameCategoryName(EndgameCategory category);
PIECEFEN_API std::string_view endgameCoverageName(EndgameCoverage coverage);

}  // namespace piecefen
