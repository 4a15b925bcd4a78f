#include "solver/MateBound.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

namespace piecefen::mateBound {

namespace {

using board::Board;
using board::Squares;

// More moves than any search has.
constexpr int FAR = 64;

int rowOf(int square) { return square / 8; }
int columnOf(int square) { return square % 8; }

int kingSteps(int from, int to) {
    return std::max(std::abs(rowOf(from) - rowOf(to)), std::abs(columnOf(from) - columnOf(to)));
}

bool sameLine(int from, int to) { return rowOf(from) == rowOf(to) || columnOf(from) == columnOf(to); }

bool sameDiagonal(int from, int to) {
    return std::abs(rowOf(from) - rowOf(to)) == std::abs(columnOf(from) - columnOf(to));
}

bool sameShade(int from, int to) { return (rowOf(from) + columnOf(from)) % 2 == (rowOf(to) + columnOf(to)) % 2; }

// The fewest knight moves between any two squares, worked out once.
const std::array<std::array<std::uint8_t, 64>, 64>& knightSteps() {
    static const auto table = [] {
        std::array<std::array<std::uint8_t, 64>, 64> found{};
        for (std::size_t from = 0; from < 64; ++from) {
            auto& steps = found[from];
            steps.fill(FAR);
            steps[from] = 0;
            std::array<std::size_t, 64> queue{};
            std::size_t head = 0;
            std::size_t tail = 0;
            queue[tail++] = from;
            while (head < tail) {
                const std::size_t at = queue[head++];
                for (Squares next = board::KNIGHT_ATTACKS[at]; next != 0; next &= next - 1) {
                    const auto to = static_cast<std::size_t>(std::countr_zero(next));
                    if (steps[to] != FAR) continue;
                    steps[to] = static_cast<std::uint8_t>(steps[at] + 1);
                    queue[tail++] = to;
                }
            }
        }
        return found;
    }();
    return table;
}

int knightMoves(int from, int to) { return knightSteps()[static_cast<std::size_t>(from)][static_cast<std::size_t>(to)]; }

// The squares a knight reaches from `from` in at most `moves` moves.
Squares knightWithin(int from, int moves) {
    static const auto table = [] {
        std::array<std::array<Squares, 8>, 64> found{};
        for (std::size_t start = 0; start < 64; ++start) {
            for (std::size_t to = 0; to < 64; ++to) {
                for (std::size_t most = knightSteps()[start][to]; most < 8; ++most) found[start][most] |= Squares{1} << to;
            }
        }
        return found;
    }();
    return table[static_cast<std::size_t>(from)][static_cast<std::size_t>(std::min(moves, 7))];
}

// The squares at most `steps` king steps from `from`.
Squares kingBox(int from, int steps) {
    static const auto table = [] {
        std::array<std::array<Squares, 8>, 64> found{};
        for (int start = 0; start < 64; ++start) {
            for (int to = 0; to < 64; ++to) {
                for (int most = kingSteps(start, to); most < 8; ++most) {
                    found[static_cast<std::size_t>(start)][static_cast<std::size_t>(most)] |= Squares{1} << to;
                }
            }
        }
        return found;
    }();
    return steps < 0 ? 0 : table[static_cast<std::size_t>(from)][static_cast<std::size_t>(std::min(steps, 7))];
}

// The light and the dark squares, by (row + column) % 2.
constexpr std::array<Squares, 2> SHADES = {0xAA55AA55AA55AA55ULL, 0x55AA55AA55AA55AAULL};

// A pawn's moves to stand on `to` as a pawn: forward, a file aside for each capture, two
// ranks at once from its first rank.
int pawnSteps(int colour, int from, int to) {
    const int forward = colour == WHITE ? rowOf(from) - rowOf(to) : rowOf(to) - rowOf(from);
    const int aside = std::abs(columnOf(from) - columnOf(to));
    if (forward <= 0 || aside > forward) return from == to ? 0 : FAR;
    const bool first = rowOf(from) == (colour == WHITE ? 6 : 1);
    return std::max(aside, forward - (first && forward >= 2 ? 1 : 0));
}

int movesToPromote(int colour, int from) {
    const int forward = colour == WHITE ? rowOf(from) : 7 - rowOf(from);
    const bool first = rowOf(from) == (colour == WHITE ? 6 : 1);
    return forward - (first ? 1 : 0);
}

// The fewest moves for a piece to stand on `to`.
int reachMoves(int kind, int colour, int from, int to) {
    if (from == to) return 0;
    switch (kind) {
    case KNIGHT: return knightMoves(from, to);
    case BISHOP: return !sameShade(from, to) ? FAR : sameDiagonal(from, to) ? 1 : 2;
    case ROOK: return sameLine(from, to) ? 1 : 2;
    case QUEEN: return sameLine(from, to) || sameDiagonal(from, to) ? 1 : 2;
    case KING: return kingSteps(from, to);
    default:
        // A promoted pawn still has to move from its promotion square.
        return std::min(pawnSteps(colour, from, to), movesToPromote(colour, from) + 1);
    }
}

// The fewest moves for a pawn to attack `to`: from a square diagonally behind it, or as
// the piece it promotes to.
int pawnAttackMoves(int colour, int from, int to) {
    int fewest = movesToPromote(colour, from);
    const int behind = rowOf(to) + (colour == WHITE ? 1 : -1);
    for (const int column : {columnOf(to) - 1, columnOf(to) + 1}) {
        if (behind < 0 || behind > 7 || column < 0 || column > 7) continue;
        fewest = std::min(fewest, pawnSteps(colour, from, behind * 8 + column));
    }
    return fewest;
}

bool castles(const Board& board, int colour) {
    return (board.castling & (board::castlingBit(colour, 0) | board::castlingBit(colour, 1))) != 0;
}

// What a piece on `square` attacks on an empty board.
Squares emptyAttacks(int kind, int colour, int square) {
    const auto at = static_cast<std::size_t>(square);
    switch (kind) {
    case KNIGHT: return board::KNIGHT_ATTACKS[at];
    case KING: return board::KING_ATTACKS[at];
    case BISHOP: return board::DIAGONALS[at] | board::ANTIDIAGONALS[at];
    case ROOK: return board::FILE_LINES[at] | board::RANK_LINES[at];
    case QUEEN: return board::DIAGONALS[at] | board::ANTIDIAGONALS[at] | board::FILE_LINES[at] | board::RANK_LINES[at];
    default: return board::PAWN_ATTACKS[static_cast<std::size_t>(colour)][at];
    }
}

// Where a piece on `square` may stand after one move on an empty board, or stay.
Squares afterOneMove(int kind, int colour, int square) {
    Squares squares = Squares{1} << square;
    if (kind != PAWN) return squares | emptyAttacks(kind, colour, square);
    const int forward = colour == WHITE ? -8 : 8;
    const int row = rowOf(square) + (colour == WHITE ? -1 : 1);
    if (row >= 0 && row <= 7) squares |= Squares{1} << (square + forward);
    if (row >= 0 && row <= 7 && rowOf(square) == (colour == WHITE ? 6 : 1)) squares |= Squares{1} << (square + 2 * forward);
    return squares | board::PAWN_ATTACKS[static_cast<std::size_t>(colour)][static_cast<std::size_t>(square)];
}

// Whether `squares` holds more than `most` squares, counted no further than that: a
// processor's own count is not there for every build.
bool moreThan(Squares squares, int most) {
    for (int count = 0; squares != 0; squares &= squares - 1) {
        if (++count > most) return true;
    }
    return most < 0;
}

// The mated side's king and what it may do: whether it can stand on a square of
// `covered` (a check) that `reach` holds, with every square around it in `covered` or
// blocked by its own pieces within the moves it has left.
class Flights {
public:
    Flights(const Board& board, int mated, int matedMoves, int matedSaving)
        : board_(board), mated_(mated), king_(board.king(mated)), matedMoves_(matedMoves), matedSaving_(matedSaving),
          reach_(kingBox(king_, matedMoves + matedSaving)),
          blockers_(std::popcount(board.colours[static_cast<std::size_t>(mated)]) - 1),
          free_(board.colours[static_cast<std::size_t>(mated)] & ~(Squares{1} << king_)) {
        // Castling brings a rook beside the king with the king's own move.
        const int home = mated == WHITE ? 56 : 0;
        if (matedSaving > 0) free_ |= Squares{1} << (home + 3) | Squares{1} << (home + 5);
    }

    [[nodiscard]] bool coverable(Squares covered) const {
        for (Squares squares = covered & reach_; squares != 0; squares &= squares - 1) {
            const int square = std::countr_zero(squares);
            const Squares uncovered = board::KING_ATTACKS[static_cast<std::size_t>(square)] & ~covered;
            if (moreThan(uncovered, blockers_)) continue;
            // A square that no piece of its own stands on costs a move at least to block.
            Squares open = uncovered & ~free_;
            int needed = kingSteps(king_, square) - matedSaving_;
            if (moreThan(open, matedMoves_ - needed)) continue;
            for (; open != 0 && needed <= matedMoves_; open &= open - 1) needed += block(std::countr_zero(open));
            if (needed <= matedMoves_) return true;
        }
        return false;
    }

private:
    // The fewest moves for one of the side's own pieces to stand on `square`, worked out
    // when first asked: most squares never are.
    int block(int square) const {
        const auto at = static_cast<std::size_t>(square);
        if ((known_ >> square & 1U) != 0) return blocks_[at];
        int fewest = FAR;
        for (int kind = 0; kind < KIND_COUNT; ++kind) {
            if (kind == KING) continue;
            for (Squares left = board_.pieces(mated_, kind); left != 0 && fewest > 0; left &= left - 1) {
                fewest = std::min(fewest, reachMoves(kind, mated_, std::countr_zero(left), square));
            }
        }
        known_ |= Squares{1} << square;
        blocks_[at] = static_cast<std::int8_t>(fewest);
        return fewest;
    }

    const Board& board_;
    int mated_;
    int king_;
    int matedMoves_;
    int matedSaving_;
    Squares reach_;
    int blockers_;
    // Where a piece of its own stands, or castling puts its rook: blocked for no move.
    Squares free_;
    // Left unset but where `known_` says.
    mutable std::array<std::int8_t, 64> blocks_;
    mutable Squares known_ = 0;
};

// The different sets of the region's squares a piece may attack from where it stands
// after `moves` (one or two) moves on an empty board.
struct Reaches {
    // Left unset past `size`: the search asks for thousands of these a second.
    std::array<Squares, 64> sets;
    std::size_t size = 0;

    void add(Squares set) {
        if (std::find(sets.begin(), sets.begin() + static_cast<std::ptrdiff_t>(size), set) == sets.begin() + static_cast<std::ptrdiff_t>(size)) {
            sets[size++] = set;
        }
    }
};

void reachesOf(int kind, int colour, int square, int moves, Squares region, Reaches& found) {
    Squares standing = afterOneMove(kind, colour, square);
    if (moves == 2) {
        Squares further = standing;
        for (Squares left = standing; left != 0; left &= left - 1) further |= afterOneMove(kind, colour, std::countr_zero(left));
        standing = further;
    }
    // Where the piece stands now first: a set within that one adds nothing.
    const Squares now = emptyAttacks(kind, colour, square) & region;
    found.size = 0;
    found.add(now);
    for (; standing != 0; standing &= standing - 1) {
        const Squares set = emptyAttacks(kind, colour, std::countr_zero(standing)) & region;
        if ((set & ~now) != 0) found.add(set);
    }
}

// With one move or two, only as many of the mating side's pieces move, each to a square
// it reaches on an empty board, and the others attack from where they stand: whether some
// such picture mates. Castling, which moves two pieces, and a promotion are not counted
// here: where either could come, the caller does not ask.
bool pictured(const Board& board, int mating, int matingMoves, Squares region, const Flights& flights) {
    struct Piece {
        int kind;
        int square;
        Squares standing;
    };
    std::array<Piece, 16> pieces{};
    std::size_t count = 0;
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        for (Squares left = board.pieces(mating, kind); left != 0 && count < pieces.size(); left &= left - 1) {
            const int square = std::countr_zero(left);
            pieces[count++] = Piece{kind, square, emptyAttacks(kind, mating, square) & region};
        }
    }
    // What the pieces but `first` and `second` attack where they stand.
    const auto standingBut = [&](std::size_t first, std::size_t second) {
        Squares covered = 0;
        for (std::size_t at = 0; at < count; ++at) {
            if (at != first && at != second) covered |= pieces[at].standing;
        }
        return covered;
    };
    std::array<Reaches, 16> once;
    std::array<Squares, 16> anyOnce{};
    for (std::size_t at = 0; at < count; ++at) {
        reachesOf(pieces[at].kind, mating, pieces[at].square, 1, region, once[at]);
        for (std::size_t set = 0; set < once[at].size; ++set) anyOnce[at] |= once[at].sets[set];
    }
    Reaches twice;
    for (std::size_t mover = 0; mover < count; ++mover) {
        const Squares others = standingBut(mover, mover);
        if (matingMoves == 2) reachesOf(pieces[mover].kind, mating, pieces[mover].square, 2, region, twice);
        const Reaches& reaches = matingMoves == 2 ? twice : once[mover];
        // All that this piece could attack at once first: most often that is not enough.
        Squares any = 0;
        for (std::size_t set = 0; set < reaches.size; ++set) any |= reaches.sets[set];
        if (!flights.coverable(others | any)) continue;
        for (std::size_t set = 0; set < reaches.size; ++set) {
            if (flights.coverable(others | reaches.sets[set])) return true;
        }
    }
    if (matingMoves < 2) return false;
    for (std::size_t first = 0; first < count; ++first) {
        for (std::size_t second = first + 1; second < count; ++second) {
            const Squares others = standingBut(first, second);
            if (!flights.coverable(others | anyOnce[first] | anyOnce[second])) continue;
            for (std::size_t one = 0; one < once[first].size; ++one) {
                const Squares some = others | once[first].sets[one];
                if (!flights.coverable(some | anyOnce[second])) continue;
                for (std::size_t two = 0; two < once[second].size; ++two) {
                    if (flights.coverable(some | once[second].sets[two])) return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

bool possible(const Board& board, int mated, int matingMoves, int matedMoves) {
    const int mating = 1 - mated;
    // Castling moves the king two squares, and a rook with it, in one move.
    const int kingSaving = castles(board, mating) ? 1 : 0;
    const int matedSaving = castles(board, mated) ? 1 : 0;
    // Only the squares the king can reach in time, and those around them, matter.
    const Squares region = kingBox(board.king(mated), matedMoves + matedSaving + 1);
    // The squares the mating side can attack in the moves it has, each piece on its own.
    Squares inTime = 0;
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        for (Squares left = board.pieces(mating, kind); left != 0; left &= left - 1) {
            const int from = std::countr_zero(left);
            switch (kind) {
            case QUEEN:
            case ROOK: inTime = ~Squares{0}; break;
            case BISHOP: inTime |= SHADES[static_cast<std::size_t>((rowOf(from) + columnOf(from)) % 2)]; break;
            case KNIGHT: inTime |= knightWithin(from, matingMoves + 1); break;
            case KING: inTime |= kingBox(from, matingMoves + 1 + kingSaving); break;
            default:
                for (Squares squares = region & ~inTime; squares != 0; squares &= squares - 1) {
                    const int to = std::countr_zero(squares);
                    if (pawnAttackMoves(mating, from, to) <= matingMoves) inTime |= Squares{1} << to;
                }
            }
        }
    }
    // A square the king can reach in time where it can be checked, each square around it
    // attacked in time or blocked by its own pieces within the moves it has left.
    const Flights flights(board, mated, matedMoves, matedSaving);
    if (!flights.coverable(inTime & region)) return false;
    if (matingMoves > 2 || kingSaving > 0) return true;
    for (Squares pawns = board.pieces(mating, PAWN); pawns != 0; pawns &= pawns - 1) {
        if (movesToPromote(mating, std::countr_zero(pawns)) <= matingMoves) return true;
    }
    return pictured(board, mating, matingMoves, region, flights);
}

}  // namespace piecefen::mateBound
