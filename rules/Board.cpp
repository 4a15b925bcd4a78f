#include "rules/Board.h"

#include <algorithm>


namespace piecefen::board {

namespace {

// Which castling rights stay when a piece leaves or arrives on a square: a king's or a
// rook's home square takes its rights away.
constexpr std::array<unsigned, 64> RIGHTS_KEPT = [] {
    std::array<unsigned, 64> kept{};
    kept.fill(15U);
    for (const int colour : {WHITE, BLACK}) {
        kept[static_cast<std::size_t>(kingHome(colour))] &= ~(castlingBit(colour, 0) | castlingBit(colour, 1));
        for (const int wing : {0, 1}) kept[static_cast<std::size_t>(rookHome(colour, wing))] &= ~castlingBit(colour, wing);
    }
    return kept;
}();

constexpr char PROMOTIONS[] = {'q', 'r', 'b', 'n'};

// Where a pawn of `colour` steps forward to, for all of them at once.
constexpr Squares forward(Squares pawns, int colour) {
    return colour == WHITE ? pawns >> 8 : pawns << 8;
}

// Gathers each piece's targets as a set, so that reading them out square by square gives
// the moves in order of `from`, then `to`, with no sort; or counts them.
struct Mapping {
    std::array<Squares, 64> targets;
    Squares movers = 0;

    void moves(int from, Squares to) {
        if (to == 0) return;
        const auto at = static_cast<std::size_t>(from);
        if ((movers >> from & 1U) == 0) targets[at] = 0;
        movers |= bit(from);
        targets[at] |= to;
    }
    void pawnMoves(Squares to, int back) {
        for (; to != 0; to &= to - 1) moves(std::countr_zero(to) + back, to & -to);
    }
    // A pawn's move to a back rank is always a promotion, so the targets say it already.
    void promotions(Squares to, int back) { pawnMoves(to, back); }
    void move(int from, int to) { moves(from, bit(to)); }
    // The squares the king's steps are looked at for: all of them.
    [[nodiscard]] static Squares kingSteps(int /*king*/) { return ~Squares{0}; }
    static constexpr bool full = true;
};

struct Counting {
    std::uint64_t count = 0;

    void moves(int /*from*/, Squares targets) { count += static_cast<std::uint64_t>(std::popcount(targets)); }
    void pawnMoves(Squares targets, int /*back*/) { count += static_cast<std::uint64_t>(std::popcount(targets)); }
    void promotions(Squares targets, int /*back*/) { count += 4 * static_cast<std::uint64_t>(std::popcount(targets)); }
    void move(int /*from*/, int /*to*/) { ++count; }
    [[nodiscard]] static Squares kingSteps(int /*king*/) { return ~Squares{0}; }
    static constexpr bool full = true;
};

// Whether there is any move: the generator stops after the stage that finds one, which
// is most often the king's.
struct Finding {
    bool found = false;

    void moves(int /*from*/, Squares targets) { found = found || targets != 0; }
    void pawnMoves(Squares targets, int /*back*/) { found = found || targets != 0; }
    void promotions(Squares targets, int /*back*/) { found = found || targets != 0; }
    void move(int /*from*/, int /*to*/) { found = true; }
    [[nodiscard]] static Squares kingSteps(int /*king*/) { return ~Squares{0}; }
    static constexpr bool full = false;
    [[nodiscard]] bool enough() const { return found; }
};

// Keeps of the moves only those that may give check: a piece's moves to the squares its
// kind checks the other king from, every move of a piece alone between that king and a
// slider of its own side, promotions, en passant and castling. (A slider cannot uncover
// its own check by moving away along the line: it would be giving check already.)
struct Checking : Mapping {
    std::array<Squares, KIND_COUNT> byKind{};
    Squares uncovering = 0;
    const Board* board = nullptr;

    explicit Checking(const Board& on) : board(&on) {
        const int them = 1 - on.side;
        const int king = on.king(them);
        const auto at = static_cast<std::size_t>(king);
        const Squares occupied = on.occupied();
        const Squares diagonal = bishopAttacks(king, occupied);
        const Squares straight = rookAttacks(king, occupied);
        byKind[KNIGHT] = KNIGHT_ATTACKS[at];
        byKind[PAWN] = PAWN_ATTACKS[static_cast<std::size_t>(them)][at];
        byKind[BISHOP] = diagonal;
        byKind[ROOK] = straight;
        byKind[QUEEN] = diagonal | straight;
        const Squares ours = on.colours[static_cast<std::size_t>(on.side)];
        const Squares sliders = ours & (((on.kinds[BISHOP] | on.kinds[QUEEN]) & bishopAttacks(king, 0)) |
                                        ((on.kinds[ROOK] | on.kinds[QUEEN]) & rookAttacks(king, 0)));
        for (Squares left = sliders; left != 0; left &= left - 1) {
            const Squares blockers = between(king, std::countr_zero(left)) & occupied;
            if (std::popcount(blockers) == 1 && (blockers & ours) != 0) uncovering |= blockers;
        }
    }

    void moves(int from, Squares to) {
        if ((uncovering >> from & 1U) == 0) to &= byKind[static_cast<std::size_t>(board->kindOn(from))];
        Mapping::moves(from, to);
    }
    void pawnMoves(Squares to, int back) {
        const Squares uncovered = back > 0 ? uncovering >> back : uncovering << -back;
        Mapping::pawnMoves(to & (byKind[PAWN] | uncovered), back);
    }
    // A king's step checks only by uncovering, so where it cannot, no step is looked at.
    [[nodiscard]] Squares kingSteps(int king) const { return (uncovering >> king & 1U) != 0 ? ~Squares{0} : 0; }
    // The king's moves and castling, and en passant.
    void move(int from, int to) {
        const bool king = (board->kinds[KING] >> from & 1U) != 0;
        if (!king || (uncovering >> from & 1U) != 0 || to - from == 2 || from - to == 2) Mapping::move(from, to);
    }
};

// Hands the pawn moves to `targets` on to the sink, those onto the last rank as promotions.
template <typename Sink>
void pawnMoves(Sink& sink, Squares targets, int back) {
    constexpr Squares BACK_RANKS = RANK_1 | RANK_8;
    if ((targets & BACK_RANKS) != 0) sink.promotions(targets & BACK_RANKS, back);
    sink.pawnMoves(targets & ~BACK_RANKS, back);
}

// The legal moves in one pass: the checkers and the pinned pieces are found first, so
// that no move has to be played to see whether it leaves the king attacked.
template <typename Sink>
void generate(const Board& board, Sink& sink) {
    const int us = board.side;
    const int them = 1 - us;
    const Squares own = board.colours[static_cast<std::size_t>(us)];
    const Squares enemy = board.colours[static_cast<std::size_t>(them)];
    const Squares occupied = own | enemy;
    const int king = board.king(us);
    const Squares checkers = attackersOf(board, king, them, occupied);

    // 1. The king, to every square no enemy attacks once the king has left its own.
    const Squares withoutKing = occupied ^ bit(king);
    for (Squares targets = KING_ATTACKS[static_cast<std::size_t>(king)] & ~own & sink.kingSteps(king); targets != 0; targets &= targets - 1) {
        const int to = std::countr_zero(targets);
        if (attackersOf(board, to, them, withoutKing) == 0) sink.move(king, to);
    }
    if ((checkers & (checkers - 1)) != 0) return;
    if constexpr (!Sink::full) {
        if (sink.enough()) return;
    }

    // 2. Every other piece must take the one checker or step between, if there is one.
    Squares allowed = ~own;
    if (checkers != 0) allowed &= checkers | between(king, std::countr_zero(checkers));

    // 3. A piece alone between the king and an enemy slider may only move along that line.
    const Squares straight = (board.kinds[ROOK] | board.kinds[QUEEN]) & enemy;
    const Squares diagonal = (board.kinds[BISHOP] | board.kinds[QUEEN]) & enemy;
    Squares pinned = 0;
    for (Squares snipers = (rookAttacks(king, enemy) & straight) | (bishopAttacks(king, enemy) & diagonal);
         snipers != 0; snipers &= snipers - 1) {
        const Squares blockers = between(king, std::countr_zero(snipers)) & occupied;
        if ((blockers & (blockers - 1)) == 0 && (blockers & own) != 0) pinned |= blockers;
    }

    // 4. Knights, which never move while pinned, and the sliders.
    for (Squares knights = board.pieces(us, KNIGHT) & ~pinned; knights != 0; knights &= knights - 1) {
        const int from = std::countr_zero(knights);
        sink.moves(from, KNIGHT_ATTACKS[static_cast<std::size_t>(from)] & allowed);
    }
    const Squares ownDiagonal = (board.kinds[BISHOP] | board.kinds[QUEEN]) & own;
    const Squares ownStraight = (board.kinds[ROOK] | board.kinds[QUEEN]) & own;
    for (Squares sliders = ownDiagonal | ownStraight; sliders != 0; sliders &= sliders - 1) {
        const int from = std::countr_zero(sliders);
        Squares targets = 0;
        if ((ownDiagonal >> from & 1U) != 0) targets |= bishopAttacks(from, occupied);
        if ((ownStraight >> from & 1U) != 0) targets |= rookAttacks(from, occupied);
        targets &= allowed;
        if ((pinned >> from & 1U) != 0) targets &= lineThrough(king, from);
        sink.moves(from, targets);
    }
    if constexpr (!Sink::full) {
        if (sink.enough()) return;
    }

    // 5. Pawns: those not pinned all at once, a pinned one alone along its line.
    const Squares empty = ~occupied;
    const Squares pawns = board.pieces(us, PAWN);
    const Squares doubleStepRank = us == WHITE ? RANK_1 >> 16 : RANK_8 << 16;
    const int back = us == WHITE ? 8 : -8;
    auto pawnsFrom = [&](Squares movers, Squares line) {
        const Squares step = forward(movers, us) & empty;
        pawnMoves(sink, step & allowed & line, back);
        pawnMoves(sink, forward(step & doubleStepRank, us) & empty & allowed & line, 2 * back);
        const Squares left = forward(movers & ~FILE_A, us) >> 1;
        const Squares right = forward(movers & ~FILE_H, us) << 1;
        pawnMoves(sink, left & enemy & allowed & line, back + 1);
        pawnMoves(sink, right & enemy & allowed & line, back - 1);
    };
    pawnsFrom(pawns & ~pinned, ~Squares{0});
    for (Squares rest = pawns & pinned; rest != 0; rest &= rest - 1) {
        const int from = std::countr_zero(rest);
        pawnsFrom(bit(from), lineThrough(king, from));
    }

    // 6. En passant, played out on the occupancy: taking can open a rank to the king.
    if (board.enPassant >= 0) {
        const int target = board.enPassant;
        const int taken = target + back;
        const Squares enemyAfter = enemy ^ bit(taken);
        for (Squares takers = PAWN_ATTACKS[static_cast<std::size_t>(them)][static_cast<std::size_t>(target)] & pawns;
             takers != 0; takers &= takers - 1) {
            const int from = std::countr_zero(takers);
            const Squares after = (occupied ^ bit(from) ^ bit(taken)) | bit(target);
            const auto at = static_cast<std::size_t>(king);
            const bool attacked =
                ((KNIGHT_ATTACKS[at] & board.kinds[KNIGHT] & enemyAfter) != 0) ||
                ((PAWN_ATTACKS[static_cast<std::size_t>(us)][at] & board.kinds[PAWN] & enemyAfter) != 0) ||
                ((rookAttacks(king, after) & straight) != 0) || ((bishopAttacks(king, after) & diagonal) != 0);
            if (!attacked) sink.move(from, target);
        }
    }

    // 7. Castling, out of check, through and onto squares no enemy attacks.
    if (checkers != 0 || king != kingHome(us)) return;
    for (const int wing : {0, 1}) {
        if ((board.castling & castlingBit(us, wing)) == 0) continue;
        const int rook = rookHome(us, wing);
        if ((board.pieces(us, ROOK) >> rook & 1U) == 0 || (between(king, rook) & occupied) != 0) continue;
        const int step = wing == 0 ? 1 : -1;
        if (attackersOf(board, king + step, them, occupied) == 0 &&
            attackersOf(board, king + 2 * step, them, occupied) == 0) {
            sink.move(king, king + 2 * step);
        }
    }
}

}  // namespace

std::optional<Board> boardOf(const FenPosition& position) {
    // Each square's place in the letter table plus one, as four sets of bits, so that the
    // loop keeps its sums in registers; the empty squares, most of the board, are skipped.
    Squares taken = 0;
    for (int index = 0; index < 64; ++index) {
        if (position.board[index] != '.') taken |= bit(index);
    }
    std::array<Squares, 4> planes{};
    for (Squares rest = taken; rest != 0; rest &= rest - 1) {
        const int index = std::countr_zero(rest);
        const auto code = static_cast<unsigned>(pieceSlot(position.board[index]) + 1);
        for (std::size_t plane = 0; plane < planes.size(); ++plane) planes[plane] |= Squares{code >> plane & 1U} << index;
    }
    auto withCode = [&](unsigned code) {
        Squares squares = taken;
        for (std::size_t plane = 0; plane < planes.size(); ++plane) squares &= (code >> plane & 1U) != 0 ? planes[plane] : ~planes[plane];
        return squares;
    };
    if (withCode(0) != 0) return std::nullopt;
    Board board{};
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        const Squares white = withCode(static_cast<unsigned>(1 + kind));
        const Squares black = withCode(static_cast<unsigned>(1 + KIND_COUNT + kind));
        board.kinds[static_cast<std::size_t>(kind)] = white | black;
        board.colours[WHITE] |= white;
        board.colours[BLACK] |= black;
    }
    if (std::popcount(board.pieces(WHITE, KING)) != 1 || std::popcount(board.pieces(BLACK, KING)) != 1) return std::nullopt;
    if ((board.kinds[PAWN] & (RANK_1 | RANK_8)) != 0) return std::nullopt;
    board.side = position.sideToMove == 0 ? WHITE : BLACK;
    const int them = 1 - board.side;
    if (attackersOf(board, board.king(them), board.side, board.occupied()) != 0) return std::nullopt;

    board.enPassant = -1;
    const bool anyRight = position.castling[0][0] || position.castling[0][1] || position.castling[1][0] || position.castling[1][1];
    if (anyRight || position.enPassant != "-") {
        const Allowed allowed = allowedOf(board, board.occupied());
        for (const int colour : {WHITE, BLACK}) {
            for (const int wing : {0, 1}) {
                if (position.castling[colour][wing]) board.castling |= castlingBit(colour, wing) & allowed.castling;
            }
        }
        const int target = position.enPassant.size() == 2 ? FenPosition::squareIndex(position.enPassant, 0) : -1;
        if (target >= 0 && (allowed.enPassant >> target & 1U) != 0) board.enPassant = target;
    }
    return board;
}

Pieces piecesOf(const FenPosition& position) {
    Pieces pieces{};
    for (int index = 0; index < 64; ++index) {
        const int slot = pieceSlot(position.board[index]);
        if (slot >= 0) {
            pieces.board.kinds[static_cast<std::size_t>(slot % KIND_COUNT)] |= bit(index);
            pieces.board.colours[static_cast<std::size_t>(slot / KIND_COUNT)] |= bit(index);
        } else if (position.board[index] != '.') {
            pieces.strangers |= bit(index);
        }
    }
    pieces.board.side = position.sideToMove == 0 ? WHITE : BLACK;
    pieces.board.enPassant = -1;
    return pieces;
}

Allowed allowedOf(const Board& board, Squares occupied) {
    Allowed allowed{};
    for (const int colour : {WHITE, BLACK}) {
        for (const int wing : {0, 1}) {
            if ((board.pieces(colour, KING) >> kingHome(colour) & 1U) != 0 && (board.pieces(colour, ROOK) >> rookHome(colour, wing) & 1U) != 0) {
                allowed.castling |= castlingBit(colour, wing);
            }
        }
    }
    // A double step of the side not to move: its pawn one step past the square, which is
    // empty, and the square it came from empty too.
    const int them = 1 - board.side;
    const Squares pawns = board.pieces(them, PAWN);
    const Squares passed = them == BLACK ? (pawns & (RANK_8 << 24)) >> 8 : (pawns & (RANK_8 << 32)) << 8;
    allowed.enPassant = passed & ~occupied & ~(them == BLACK ? occupied << 8 : occupied >> 8);
    return allowed;
}

Squares origins(int kind, int colour, int square, Squares occupied, bool taking) {
    const auto at = static_cast<std::size_t>(square);
    Squares found = 0;
    switch (kind) {
        case KING: found = KING_ATTACKS[at]; break;
        case KNIGHT: found = KNIGHT_ATTACKS[at]; break;
        case QUEEN: found = rookAttacks(square, occupied) | bishopAttacks(square, occupied); break;
        case ROOK: found = rookAttacks(square, occupied); break;
        case BISHOP: found = bishopAttacks(square, occupied); break;
        default: {
            const int back = colour == WHITE ? 8 : -8;
            const int behind = square + back;
            if (behind < 8 || behind >= 56) break;
            if (taking) {
                // Where a pawn of `colour` stands to take on the square.
                found = PAWN_ATTACKS[static_cast<std::size_t>(1 - colour)][at];
            } else if ((occupied >> behind & 1U) == 0) {
                found = bit(behind);
                if (square / 8 == (colour == WHITE ? 4 : 3)) found |= bit(behind + back);
            }
        }
    }
    return found & ~occupied;
}

void writeBoard(const Board& board, FenPosition& position) {
    std::fill(std::begin(position.board), std::end(position.board), '.');
    // Each piece once, from the sets, rather than each square asked for its kind.
    for (const int colour : {WHITE, BLACK}) {
        for (int kind = 0; kind < KIND_COUNT; ++kind) {
            for (Squares rest = board.pieces(colour, kind); rest != 0; rest &= rest - 1) {
                position.board[std::countr_zero(rest)] = letterOf(colour, kind);
            }
        }
    }
    position.sideToMove = board.side;
    for (const int colour : {WHITE, BLACK}) {
        for (const int wing : {0, 1}) position.castling[colour][wing] = (board.castling & castlingBit(colour, wing)) != 0;
    }
    position.enPassant = board.enPassant < 0 ? std::string(1, '-') : squareName(board.enPassant);
}

Board afterMove(const Board& board, Move move) {
    Board next = board;
    const int us = board.side;
    const int them = 1 - us;
    const int from = move.from;
    const int to = move.to;
    const int kind = board.kindOn(from);
    const int taken = board.kindOn(to);
    const auto ours = static_cast<std::size_t>(us);
    const auto theirs = static_cast<std::size_t>(them);

    if (taken >= 0) {
        next.kinds[static_cast<std::size_t>(taken)] ^= bit(to);
        next.colours[theirs] ^= bit(to);
    }
    next.kinds[static_cast<std::size_t>(kind)] ^= bit(from) | bit(to);
    next.colours[ours] ^= bit(from) | bit(to);
    next.enPassant = -1;
    if (kind == PAWN) {
        const int back = us == WHITE ? 8 : -8;
        if (to == board.enPassant) {
            next.kinds[PAWN] ^= bit(to + back);
            next.colours[theirs] ^= bit(to + back);
        } else if (const int passed = to + back;
                   to - from == -2 * back &&
                   (PAWN_ATTACKS[static_cast<std::size_t>(us)][static_cast<std::size_t>(passed)] & board.pieces(them, PAWN)) != 0) {
            // Named only where a pawn stands ready to take, so that equal positions compare equal.
            next.enPassant = passed;
        }
        if (move.promotion != 0) {
            next.kinds[PAWN] ^= bit(to);
            next.kinds[static_cast<std::size_t>(promotionKind(move.promotion))] |= bit(to);
        }
    } else if (kind == KING && (to - from == 2 || from - to == 2)) {
        const int wing = to > from ? 0 : 1;
        const Squares rookWay = bit(rookHome(us, wing)) | bit((from + to) / 2);
        next.kinds[ROOK] ^= rookWay;
        next.colours[ours] ^= rookWay;
    }
    next.castling &= RIGHTS_KEPT[static_cast<std::size_t>(from)] & RIGHTS_KEPT[static_cast<std::size_t>(to)];
    next.side = them;
    return next;
}

namespace {

// The moves a mapping gathered, as a list in order.
void listOf(const Board& board, const Mapping& mapping, MoveList& list) {
    const Squares pawns = board.kinds[PAWN];
    for (Squares movers = mapping.movers; movers != 0; movers &= movers - 1) {
        const int from = std::countr_zero(movers);
        const bool promoting = (pawns >> from & 1U) != 0;
        for (Squares to = mapping.targets[static_cast<std::size_t>(from)]; to != 0; to &= to - 1) {
            const int target = std::countr_zero(to);
            if (promoting && ((RANK_1 | RANK_8) >> target & 1U) != 0) {
                for (const char promotion : PROMOTIONS) list.add(from, target, promotion);
            } else {
                list.add(from, target);
            }
        }
    }
}

}  // namespace

void generateMoves(const Board& board, MoveList& list) {
    Mapping mapping;
    generate(board, mapping);
    listOf(board, mapping, list);
}

void generateChecks(const Board& board, MoveList& list) {
    Checking checking(board);
    generate(board, checking);
    listOf(board, checking, list);
}

std::uint64_t countMoves(const Board& board) {
    Counting counting;
    generate(board, counting);
    return counting.count;
}

bool hasMove(const Board& board) {
    Finding finding;
    generate(board, finding);
    return finding.found;
}

}  // namespace piecefen::board
