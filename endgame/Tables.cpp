#include "endgame/Tables.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace piecefen::endgame {

namespace {

using board::Board;
using board::bit;
using board::MoveList;
using board::Squares;

// A mirror image of the board: bit 4 swaps files and ranks, then bit 1 turns the files end
// for end and bit 2 the ranks.
constexpr std::array<std::array<int, 64>, 8> TRANSFORMED = [] {
    std::array<std::array<int, 64>, 8> table{};
    for (std::size_t t = 0; t < 8; ++t) {
        for (int square = 0; square < 64; ++square) {
            int x = square % 8;
            int y = 7 - square / 8;
            if ((t & 4U) != 0) std::swap(x, y);
            if ((t & 1U) != 0) x = 7 - x;
            if ((t & 2U) != 0) y = 7 - y;
            table[t][static_cast<std::size_t>(square)] = (7 - y) * 8 + x;
        }
    }
    return table;
}();

// Where the white king is kept: the triangle a1-d1-d4 without pawns, files a to d with them.
constexpr bool keptWithout(int square) {
    const int x = square % 8;
    const int y = 7 - square / 8;
    return x <= 3 && y <= x;
}
constexpr bool keptWith(int square) {
    return square % 8 <= 3;
}

struct Slots {
    std::array<int, 64> slot{};
    std::array<int, 64> square{};
    std::size_t count = 0;
};

template <typename Kept>
constexpr Slots slotsFor(Kept kept) {
    Slots slots{};
    for (int square = 0; square < 64; ++square) {
        slots.slot[static_cast<std::size_t>(square)] = -1;
        if (!kept(square)) continue;
        slots.slot[static_cast<std::size_t>(square)] = static_cast<int>(slots.count);
        slots.square[slots.count++] = square;
    }
    return slots;
}

constexpr Slots SLOTS[2] = {slotsFor(keptWithout), slotsFor(keptWith)};

// For each square of the white king, the mirror images that bring it where it is kept:
// two for a square on a long diagonal without pawns, one otherwise.
struct Candidates {
    std::array<std::uint8_t, 2> transforms{};
    std::size_t count = 0;
};

constexpr std::array<std::array<Candidates, 64>, 2> CANDIDATES = [] {
    std::array<std::array<Candidates, 64>, 2> table{};
    for (std::size_t pawns = 0; pawns < 2; ++pawns) {
        for (std::size_t square = 0; square < 64; ++square) {
            Candidates& found = table[pawns][square];
            for (std::size_t t = 0; t < (pawns != 0 ? 2U : 8U) && found.count < 2; ++t) {
                if (SLOTS[pawns].slot[static_cast<std::size_t>(TRANSFORMED[t][square])] >= 0) {
                    found.transforms[found.count++] = static_cast<std::uint8_t>(t);
                }
            }
        }
    }
    return table;
}();

constexpr std::string_view LETTERS = "KQRBNP";

int kindOfLetter(char letter) {
    return static_cast<int>(LETTERS.find(letter));
}

// The table's key for the pieces besides the kings, the stronger side as White: more
// pieces, or the same number and the stronger first piece where they differ.
struct Sides {
    std::vector<int> white;
    std::vector<int> black;
    bool flipped = false;
};

Sides ordered(std::vector<int> white, std::vector<int> black) {
    std::sort(white.begin(), white.end());
    std::sort(black.begin(), black.end());
    const bool flip = black.size() > white.size() || (black.size() == white.size() && black < white);
    if (flip) return {black, white, true};
    return {white, black, false};
}

std::string keyOf(const Sides& sides) {
    std::string key = "K";
    for (const int kind : sides.white) key += LETTERS[static_cast<std::size_t>(kind)];
    key += "vK";
    for (const int kind : sides.black) key += LETTERS[static_cast<std::size_t>(kind)];
    return key;
}

Sides sidesOf(const std::string& key) {
    Sides sides;
    const std::size_t split = key.find('v');
    for (std::size_t at = 1; at < split; ++at) sides.white.push_back(kindOfLetter(key[at]));
    for (std::size_t at = split + 2; at < key.size(); ++at) sides.black.push_back(kindOfLetter(key[at]));
    return sides;
}

constexpr std::uint8_t SPECIAL = 254;  // decided by looking at its moves each ply: an en-passant capture hangs on it
constexpr std::uint8_t NEVER = 255;    // cannot be lost, or needs no counting

bool enPassantTakes(const Board& after) {
    if (after.enPassant < 0) return false;
    MoveList replies;
    board::generateMoves(after, replies);
    return std::any_of(replies.begin(), replies.end(), [&](Move reply) {
        return reply.to == after.enPassant && after.kindOn(reply.from) == PAWN;
    });
}

bool leavesTable(const Board& board, Move move) {
    return move.promotion != 0 || (board.occupied() & bit(move.to)) != 0 ||
           (move.to == board.enPassant && (board.kinds[PAWN] & bit(move.from)) != 0);
}

}  // namespace

// One table's working out: the codes, and for each position not yet decided how many of
// its moves inside the table have still to be found lost for it.
class Worker {
public:
    Worker(Tables& tables, std::unique_ptr<Table> table) : tables_(tables), owned_(std::move(table)), table_(*owned_) {
        table_.codes.assign(table_.size(), UNKNOWN);
        counters_.assign(table_.size(), NEVER);
    }

    // A slice of the work: some thousands of positions' first look, or one ply back from the
    // mates. False once the table is done.
    bool advance() {
        const std::size_t size = table_.size();
        if (next_ < size) {
            const std::size_t end = std::min(size, next_ + SLICE);
            for (; next_ < end; ++next_) first(next_);
            return true;
        }
        if (plies_ <= longest_ + 2 && plies_ < LONGEST) {
            settleSpecials(plies_);
            spread(plies_);
            ++plies_;
            return true;
        }
        return false;
    }

    // How far the table is, from 0 to 1: the first look takes most of the time.
    [[nodiscard]] double fraction() const {
        const double firstLook = static_cast<double>(next_) / static_cast<double>(table_.size());
        return 0.7 * firstLook + 0.3 * static_cast<double>(plies_) / static_cast<double>(longest_ + 3);
    }

    std::unique_ptr<Table> finish() {
        counters_ = {};
        specials_ = {};
        return std::move(owned_);
    }

    [[nodiscard]] const Table& table() const { return table_; }

private:
    static constexpr std::size_t SLICE = std::size_t{1} << 16;

    void settle(std::size_t index, Code code) {
        table_.codes[index] = code;
        longest_ = std::max(longest_, distanceOf(code));
    }

    // A position's first look: illegal, mated, stalemated, or what leaving the table gives.
    void first(std::size_t index) {
        const Placement placement = table_.placementAt(index);
        Code& code = table_.codes[index];
        Squares taken = 0;
        for (int at = 0; at < table_.count(); ++at) {
            const int square = placement.squares[static_cast<std::size_t>(at)];
            const bool backRank = square < 8 || square >= 56;
            if ((taken & bit(square)) != 0 || (table_.piece(at).kind == PAWN && backRank)) {
                code = ILLEGAL;
                return;
            }
            taken |= bit(square);
        }
        const Board board = table_.boardOf(placement);
        if (!table_.isCanonical(placement, index) ||
            board::attackersOf(board, board.king(1 - board.side), board.side, taken) != 0) {
            code = ILLEGAL;
            return;
        }
        MoveList moves;
        board::generateMoves(board, moves);
        if (moves.size == 0) {
            code = board::inCheck(board) ? MATED : DRAWN;
            return;
        }
        Best wayOut;  // of the moves that leave the table
        const bool mirrored = mayMirror(taken);
        std::ptrdiff_t inside = 0;
        children_.clear();
        for (const Move move : moves) {
            if (leavesTable(board, move)) {
                const Code out = tables_.codeOf(board::afterMove(board, move));
                wayOut.add(out);
                longest_ = std::max(longest_, distanceOf(out) + 1);
            } else if ((move.to - move.from == 16 || move.from - move.to == 16) && board.kindOn(move.from) == PAWN &&
                       enPassantTakes(board::afterMove(board, move))) {
                counters_[index] = SPECIAL;
                specials_.push_back(index);
                return;
            } else if (mirrored) {
                children_.push_back(table_.indexOf(moved(placement, move)));
            } else {
                ++inside;
            }
        }
        if (wayOut.wins()) {
            settle(index, wayOut.code());
        } else if (!wayOut.drawn) {
            std::sort(children_.begin(), children_.end());
            const auto distinct = mirrored ? std::unique(children_.begin(), children_.end()) - children_.begin() : inside;
            if (distinct == 0) {
                settle(index, wayOut.code());
            } else {
                counters_[index] = static_cast<std::uint8_t>(distinct);
            }
        }
    }

    static Placement moved(Placement placement, Move move) {
        *std::find(placement.squares.begin(), placement.squares.end(), move.from) = move.to;
        placement.side = 1 - placement.side;
        return placement;
    }

    // The positions `plies` from mate hand on what they are: a loss makes every position
    // that moves into it a win, and a win is one more of their moves lost for the side
    // that plays it, until a position has no other move left.
    void spread(int plies) {
        const Code wanted = codeOf(plies);
        Code* const codes = table_.codes.data();
        const std::size_t size = table_.size();
        for (std::size_t index = 0; index < size; ++index) {
            const void* const found = std::memchr(codes + index, wanted, size - index);
            if (found == nullptr) break;
            index = static_cast<std::size_t>(static_cast<const Code*>(found) - codes);
            predecessors(index);
            for (const std::size_t before : children_) {
                if (counters_[before] == SPECIAL) continue;
                const Code now = codes[before];
                if (plies % 2 == 0) {
                    if (now == UNKNOWN || (isWin(now) && distanceOf(now) > plies + 1)) settle(before, codeOf(plies + 1));
                } else if (now == UNKNOWN && counters_[before] != NEVER && --counters_[before] == 0) {
                    settle(before, lost(before));
                }
            }
        }
    }

    // A position all of whose moves lose: lost as slowly as the slowest of them allows.
    Code lost(std::size_t index) {
        const Placement placement = table_.placementAt(index);
        const Board board = table_.boardOf(placement);
        MoveList moves;
        board::generateMoves(board, moves);
        int slowest = 0;
        for (const Move move : moves) {
            const Code code = leavesTable(board, move) ? tables_.codeOf(board::afterMove(board, move))
                                                       : table_.codes[table_.indexOf(moved(placement, move))];
            slowest = std::max(slowest, distanceOf(code));
        }
        return codeOf(slowest + 1);
    }

    // The distinct positions of the table one move before this one.
    void predecessors(std::size_t index) {
        const Placement placement = table_.placementAt(index);
        const Board board = table_.boardOf(placement);
        const Squares occupied = board.occupied();
        const int mover = 1 - placement.side;
        children_.clear();
        for (int at = 0; at < table_.count(); ++at) {
            const Piece piece = table_.piece(at);
            if (piece.colour != mover) continue;
            const int square = placement.squares[static_cast<std::size_t>(at)];
            // Within a table nothing was taken and no pawn promoted: the quiet moves back.
            Squares origins = board::origins(piece.kind, mover, square, occupied, false);
            for (; origins != 0; origins &= origins - 1) {
                const int origin = std::countr_zero(origins);
                Board before = board;
                before.kinds[static_cast<std::size_t>(piece.kind)] ^= bit(square) | bit(origin);
                before.colours[static_cast<std::size_t>(mover)] ^= bit(square) | bit(origin);
                before.side = mover;
                if (board::attackersOf(before, before.king(placement.side), mover, before.occupied()) != 0) continue;
                Placement earlier = placement;
                earlier.squares[static_cast<std::size_t>(at)] = origin;
                earlier.side = mover;
                children_.push_back(table_.indexOf(earlier));
            }
        }
        if (mayMirror(occupied)) {
            std::sort(children_.begin(), children_.end());
            children_.erase(std::unique(children_.begin(), children_.end()), children_.end());
        }
    }

    // Whether two moves from a position, or two moves into it, can lead to mirror images of
    // one position, which the counting must then take as one. A mirror image that leaves
    // all but the moved pieces where they are keeps them on a long diagonal, which only
    // tables without pawns take as a symmetry; elsewhere every move is a position of its own.
    [[nodiscard]] bool mayMirror(Squares occupied) const {
        constexpr Squares A1_H8 = 0x0102040810204080;
        constexpr Squares A8_H1 = 0x8040201008040201;
        return !table_.hasPawns() && (table_.count() <= 3 || std::popcount(occupied & A1_H8) >= 2 ||
                                      std::popcount(occupied & A8_H1) >= 2);
    }

    // Positions whose double step gives the other side an en-passant capture: looked at
    // whole each ply, taking as known only what is settled `plies` from mate.
    void settleSpecials(int plies) {
        std::erase_if(specials_, [&](std::size_t index) {
            const Code code = bounded(table_.boardOf(table_.placementAt(index)), plies, 1);
            if (code == UNKNOWN) return false;
            settle(index, code);
            return true;
        });
    }

    Code bounded(const Board& board, int plies, int depth) {
        MoveList moves;
        board::generateMoves(board, moves);
        if (moves.size == 0) return board::inCheck(board) ? MATED : DRAWN;
        Best best;  // a win not yet known to be no longer than `plies` counts as not known
        for (const Move move : moves) {
            const Board next = board::afterMove(board, move);
            Code code = UNKNOWN;
            if (leavesTable(board, move)) {
                code = tables_.codeOf(next);
            } else if (depth > 0 && board.kindOn(move.from) == PAWN && enPassantTakes(next)) {
                code = bounded(next, plies, depth - 1);
            } else {
                code = table_.codes[table_.indexOf(normalise(next).placement)];
            }
            best.add(isWin(code) && distanceOf(code) > plies ? UNKNOWN : code);
        }
        if (best.fastestWin <= plies + 1) return best.code();
        return best.drawn ? UNKNOWN : codeOf(best.slowestLoss);
    }

    Tables& tables_;
    std::unique_ptr<Table> owned_;
    Table& table_;
    std::size_t next_ = 0;
    int plies_ = 0;
    int longest_ = 0;
    std::vector<std::uint8_t> counters_;
    std::vector<std::size_t> specials_;
    std::vector<std::size_t> children_;
};

Table::Table(std::string key) : key_(std::move(key)) {
    const Sides sides = sidesOf(key_);
    pieces_[0] = {WHITE, KING};
    pieces_[1] = {BLACK, KING};
    count_ = 2;
    for (const int kind : sides.white) pieces_[static_cast<std::size_t>(count_++)] = {WHITE, kind};
    for (const int kind : sides.black) pieces_[static_cast<std::size_t>(count_++)] = {BLACK, kind};
    for (int at = 2; at < count_; ++at) {
        const auto here = static_cast<std::size_t>(at);
        pawns_ = pawns_ || pieces_[here].kind == PAWN;
    }
    twins_ = count_ == 4 && pieces_[2].colour == pieces_[3].colour && pieces_[2].kind == pieces_[3].kind;
    slots_ = SLOTS[pawns_ ? 1 : 0].count;
    for (int at = 1; at < count_; ++at) perSlot_ *= 64;
}

std::size_t Table::indexOf(const Placement& placement) const {
    const Candidates& candidates = CANDIDATES[pawns_ ? 1 : 0][static_cast<std::size_t>(placement.squares[0])];
    const std::size_t index = indexUnder(candidates.transforms[0], placement);
    return candidates.count == 1 ? index : std::min(index, indexUnder(candidates.transforms[1], placement));
}

bool Table::isCanonical(const Placement& placement, std::size_t index) const {
    if (twins_ && placement.squares[2] > placement.squares[3]) return false;
    // Off the long diagonals the white king's square has one image where it is kept: itself.
    return CANDIDATES[pawns_ ? 1 : 0][static_cast<std::size_t>(placement.squares[0])].count == 1 || indexOf(placement) == index;
}

std::size_t Table::indexUnder(std::size_t transform, const Placement& placement) const {
    const auto& image = TRANSFORMED[transform];
    const auto at = [&](std::size_t piece) {
        return static_cast<std::size_t>(image[static_cast<std::size_t>(placement.squares[piece])]);
    };
    std::size_t index = static_cast<std::size_t>(placement.side) * slots_ +
                        static_cast<std::size_t>(SLOTS[pawns_ ? 1 : 0].slot[at(0)]);
    index = index * 64 + at(1);
    if (count_ == 2) return index;
    std::size_t third = at(2);
    if (count_ == 3) return index * 64 + third;
    std::size_t fourth = at(3);
    // Twins are indexed in one order only.
    if (twins_ && third > fourth) std::swap(third, fourth);
    return (index * 64 + third) * 64 + fourth;
}

std::size_t Table::imagesOf(const Placement& placement) const {
    std::array<std::array<int, MOST_PIECES>, 8> seen{};
    std::size_t distinct = 0;
    for (std::size_t t = 0; t < (pawns_ ? 2U : 8U); ++t) {
        std::array<int, MOST_PIECES> image{};
        for (std::size_t at = 0; at < static_cast<std::size_t>(count_); ++at) {
            image[at] = TRANSFORMED[t][static_cast<std::size_t>(placement.squares[at])];
        }
        if (twins_ && image[2] > image[3]) std::swap(image[2], image[3]);
        if (std::find(seen.begin(), seen.begin() + static_cast<std::ptrdiff_t>(distinct), image) ==
            seen.begin() + static_cast<std::ptrdiff_t>(distinct)) {
            seen[distinct++] = image;
        }
    }
    return distinct;
}

Placement Table::placementAt(std::size_t index) const {
    Placement placement;
    for (auto at = static_cast<std::size_t>(count_ - 1); at > 0; --at) {
        placement.squares[at] = static_cast<int>(index % 64);
        index /= 64;
    }
    placement.squares[0] = SLOTS[pawns_ ? 1 : 0].square[index % slots_];
    placement.side = static_cast<int>(index / slots_);
    return placement;
}

Board Table::boardOf(const Placement& placement) const {
    Board board{};
    for (std::size_t at = 0; at < static_cast<std::size_t>(count_); ++at) {
        const Squares square = bit(placement.squares[at]);
        board.kinds[static_cast<std::size_t>(pieces_[at].kind)] |= square;
        board.colours[static_cast<std::size_t>(pieces_[at].colour)] |= square;
    }
    board.side = placement.side;
    board.castling = 0;
    board.enPassant = -1;
    return board;
}

Normalised normalise(const Board& board) {
    // Each side's pieces besides the king, strongest first, without allocating: this runs
    // for every capture and promotion while a table is worked out.
    std::array<std::array<int, MOST_PIECES>, 2> kinds{};
    std::array<std::size_t, 2> counts{};
    for (const int colour : {WHITE, BLACK}) {
        const auto side = static_cast<std::size_t>(colour);
        for (int kind = QUEEN; kind < KIND_COUNT; ++kind) {
            for (int n = std::popcount(board.pieces(colour, kind)); n > 0 && counts[side] < MOST_PIECES; --n) {
                kinds[side][counts[side]++] = kind;
            }
        }
    }
    const bool flipped =
        counts[1] > counts[0] ||
        (counts[1] == counts[0] && std::lexicographical_compare(kinds[1].begin(), kinds[1].begin() + static_cast<std::ptrdiff_t>(counts[1]),
                                                                kinds[0].begin(), kinds[0].begin() + static_cast<std::ptrdiff_t>(counts[0])));
    const auto own = [&](int colour) { return flipped ? 1 - colour : colour; };
    std::array<char, 4 + 2 * MOST_PIECES> key{};
    std::size_t length = 0;
    const auto put = [&](char letter) {
        if (length < key.size()) key[length++] = letter;
    };
    for (const int colour : {WHITE, BLACK}) {
        const auto side = static_cast<std::size_t>(own(colour));
        if (colour == BLACK) put('v');
        put('K');
        for (std::size_t at = 0; at < counts[side]; ++at) put(LETTERS[static_cast<std::size_t>(kinds[side][at])]);
    }
    Normalised result;
    result.key.assign(key.data(), length);
    // The colours swap and the board turns over, so that the pawns still run up it.
    const int flip = flipped ? 56 : 0;
    std::size_t at = 0;
    result.placement.squares[at++] = board.king(own(WHITE)) ^ flip;
    result.placement.squares[at++] = board.king(own(BLACK)) ^ flip;
    for (const int colour : {WHITE, BLACK}) {
        for (int kind = QUEEN; kind < KIND_COUNT; ++kind) {
            for (Squares pieces = board.pieces(own(colour), kind); pieces != 0 && at < MOST_PIECES; pieces &= pieces - 1) {
                result.placement.squares[at++] = std::countr_zero(pieces) ^ flip;
            }
        }
    }
    result.placement.side = own(board.side);
    return result;
}

bool isKey(const std::string& text) {
    const std::size_t split = text.find("vK");
    if (text.size() > 5 || text.empty() || text[0] != 'K' || split == std::string::npos) return false;
    for (std::size_t at = 1; at < text.size(); ++at) {
        if (at == split || at == split + 1) continue;
        if (text[at] == 'K' || kindOfLetter(text[at]) < 0) return false;
    }
    return keyOf(ordered(sidesOf(text).white, sidesOf(text).black)) == text;
}

std::vector<std::string> successors(const std::string& key) {
    const Sides sides = sidesOf(key);
    std::vector<std::string> found;
    const auto add = [&](std::vector<int> white, std::vector<int> black) {
        found.push_back(keyOf(ordered(std::move(white), std::move(black))));
    };
    for (const bool whiteMoves : {true, false}) {
        const std::vector<int>& own = whiteMoves ? sides.white : sides.black;
        const std::vector<int>& other = whiteMoves ? sides.black : sides.white;
        const auto withSides = [&](std::vector<int> mine, std::vector<int> theirs) {
            if (whiteMoves) {
                add(std::move(mine), std::move(theirs));
            } else {
                add(std::move(theirs), std::move(mine));
            }
        };
        // Each pawn of the side that moves may promote, against the other side's pieces as they stand.
        const auto promotions = [&](const std::vector<int>& theirs) {
            for (std::size_t pawn = 0; pawn < own.size(); ++pawn) {
                if (own[pawn] != PAWN) continue;
                for (const int kind : {QUEEN, ROOK, BISHOP, KNIGHT}) {
                    std::vector<int> promoted = own;
                    promoted[pawn] = kind;
                    withSides(promoted, theirs);
                }
            }
        };
        // A capture takes one of the other side's pieces; a promotion turns a pawn into a
        // piece, taking one on the way or not.
        for (std::size_t taken = 0; taken < other.size(); ++taken) {
            std::vector<int> left = other;
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(taken));
            withSides(own, left);
            promotions(left);
        }
        promotions(other);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

Code bestOf(const std::vector<Code>& children, bool inCheck) {
    if (children.empty()) return inCheck ? MATED : DRAWN;
    Best best;
    for (const Code code : children) best.add(code);
    return best.code();
}

const Table& Tables::table(const std::string& key) {
    return build(key);
}

Tables::Tables() = default;
Tables::~Tables() = default;

bool Tables::plan(const std::string& key) {
    if (tables_.count(key) != 0) return false;
    if (worker_ || !planned_.empty()) return true;
    // Every table this one leads into, each after those it leads into itself.
    const auto visit = [&](const auto& self, const std::string& name) -> void {
        if (tables_.count(name) != 0 || std::find(planned_.begin(), planned_.end(), name) != planned_.end()) return;
        for (const std::string& after : successors(name)) self(self, after);
        planned_.push_back(name);
    };
    visit(visit, key);
    asked_ = key;
    total_ = 0;
    done_ = 0;
    reported_ = 0;
    total_ = std::accumulate(planned_.begin(), planned_.end(), std::size_t{0},
                             [](std::size_t sum, const std::string& name) { return sum + Table(name).size(); });
    return true;
}

double Tables::step() {
    if (!worker_) {
        if (planned_.empty()) return 1;
        worker_ = std::make_unique<Worker>(*this, std::make_unique<Table>(planned_.front()));
        planned_.erase(planned_.begin());
    }
    const std::size_t size = worker_->table().size();
    if (!worker_->advance()) {
        std::unique_ptr<Table> finished = worker_->finish();
        worker_.reset();
        done_ += size;
        const std::string key = finished->key();
        tables_.emplace(key, std::move(finished));
        return planned_.empty() ? 1 : reported_;
    }
    const double working = worker_->fraction() * static_cast<double>(size);
    reported_ = std::max(reported_, std::min(0.999, (static_cast<double>(done_) + working) / static_cast<double>(total_)));
    return reported_;
}

Table& Tables::build(const std::string& key) {
    if (plan(key)) {
        while (step() < 1) {
        }
    }
    return *tables_.find(key)->second;
}

Code Tables::codeOf(const Board& board) {
    if (enPassantTakes(board)) {
        MoveList moves;
        board::generateMoves(board, moves);
        return bestOf(codesAfter(board, moves), board::inCheck(board));
    }
    const Normalised normalised = normalise(board);
    const Table& found = build(normalised.key);
    return found.codes[found.indexOf(normalised.placement)];
}

std::vector<Code> Tables::codesAfter(const Board& board, const MoveList& moves) {
    std::vector<Code> codes;
    codes.reserve(moves.size);
    for (const Move move : moves) codes.push_back(codeOf(board::afterMove(board, move)));
    return codes;
}

std::size_t Tables::bytes() const {
    return std::accumulate(tables_.begin(), tables_.end(), std::size_t{0},
                           [](std::size_t sum, const auto& entry) { return sum + entry.second->codes.size(); });
}

}  // namespace piecefen::endgame
