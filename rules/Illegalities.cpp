#include "rules/Illegalities.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <initializer_list>

#include "position/Vocabulary.h"
#include "rules/Board.h"

namespace piecefen {

namespace {

constexpr std::array<std::string_view, 12> NAMES = {
    "empty", "no-white-king", "no-black-king", "too-many-kings", "impossible-material", "pawn-on-back-rank",
    "bad-castling-rights", "bad-en-passant", "opposite-check", "too-many-checkers", "impossible-check",
    "not-a-piece"};

using board::Board;
using board::Squares;
using board::bit;
using board::LIGHT_SQUARES;
using board::RANK_1;
using board::RANK_8;

// A square as it stood before the last move: empty (-1) or a piece's slot, colour * KIND_COUNT + kind.
struct Change {
    int square;
    int before;
};
constexpr int EMPTY = -1;

// Whether some last move of `moved`'s side can have given the check of `checkers` on the
// king at `king`: a move of one of its pieces from a square that is empty now, after
// which that king is in check and before which it was not. A move to a square that held
// one of the king's own pieces is taken as a capture wherever it can be one, since a
// piece taken there only blocks more lines. `doubleStep`, when set, is the one last move.
bool checkCanHaveBeenGiven(const board::Pieces& now, int king, Squares checkers, int moved, Squares doubleStep) {
    const Board& board = now.board;
    const Squares occupied = now.occupied();
    const int kingSide = 1 - moved;
    const int taken = kingSide * KIND_COUNT + KNIGHT;
    const int pawn = moved * KIND_COUNT + PAWN;
    Squares between[64] = {};
    for (Squares rest = checkers; rest != 0; rest &= rest - 1) {
        const int checker = std::countr_zero(rest);
        between[checker] = board::between(king, checker);
    }

    // Whether the king stood out of check with the changes undone. Each checker must have
    // been moved, or had its line to the king closed by a square that was taken then.
    auto wasOutOfCheck = [&](std::initializer_list<Change> changes) {
        Squares changed = 0;
        Squares takenBefore = 0;
        for (const Change& change : changes) {
            changed |= bit(change.square);
            if (change.before != EMPTY) takenBefore |= bit(change.square);
        }
        for (Squares rest = checkers & ~changed; rest != 0; rest &= rest - 1) {
            if ((between[std::countr_zero(rest)] & takenBefore) == 0) return false;
        }
        Board before = board;
        for (const Change& change : changes) {
            for (auto& squares : before.kinds) squares &= ~bit(change.square);
            for (auto& squares : before.colours) squares &= ~bit(change.square);
            if (change.before == EMPTY) continue;
            before.kinds[static_cast<std::size_t>(change.before % KIND_COUNT)] |= bit(change.square);
            before.colours[static_cast<std::size_t>(change.before / KIND_COUNT)] |= bit(change.square);
        }
        return board::attackersOf(before, king, moved, before.occupied() | now.strangers) == 0;
    };

    // A pawn of `moved` moves forward by `forward` squares of the board index.
    const int forward = moved == WHITE ? -8 : 8;
    const int farRow = moved == WHITE ? 0 : 7;

    if (doubleStep != 0) {
        const int target = std::countr_zero(doubleStep);
        return wasOutOfCheck({{target + forward, EMPTY}, {target - forward, pawn}});
    }

    // Every piece of `moved`, and every square it can have come from.
    for (Squares rest = board.colours[static_cast<std::size_t>(moved)]; rest != 0; rest &= rest - 1) {
        const int square = std::countr_zero(rest);
        const int kind = board.kindOn(square);
        const int slot = moved * KIND_COUNT + kind;
        if (kind == PAWN) {
            // A step or a double step straight on, to an empty square.
            for (Squares from = board::origins(PAWN, moved, square, occupied, false); from != 0; from &= from - 1) {
                if (wasOutOfCheck({{square, EMPTY}, {std::countr_zero(from), pawn}})) return true;
            }
            // One aside taking, or en passant: the pawn taken stood beside the square it came from.
            const int behind = square - forward;
            const bool passedRank = behind / 8 == (moved == WHITE ? 3 : 4);
            for (Squares from = board::origins(PAWN, moved, square, occupied, true); from != 0; from &= from - 1) {
                const int origin = std::countr_zero(from);
                if (wasOutOfCheck({{square, taken}, {origin, pawn}})) return true;
                if (passedRank && (occupied >> behind & 1U) == 0 &&
                    wasOutOfCheck({{square, EMPTY}, {origin, pawn}, {behind, kingSide * KIND_COUNT + PAWN}})) {
                    return true;
                }
            }
            continue;
        }
        if (square / 8 == farRow && kind != KING) {
            // A piece on the far rank may be a pawn that has just arrived there, straight on
            // or taking.
            for (Squares from = board::origins(PAWN, moved, square, occupied, false); from != 0; from &= from - 1) {
                if (wasOutOfCheck({{square, EMPTY}, {std::countr_zero(from), pawn}})) return true;
            }
            for (Squares from = board::origins(PAWN, moved, square, occupied, true); from != 0; from &= from - 1) {
                if (wasOutOfCheck({{square, taken}, {std::countr_zero(from), pawn}})) return true;
            }
        }
        // Every other piece came back along its lines, or by its leap or step, taking or not.
        for (Squares from = board::origins(kind, moved, square, occupied, true); from != 0; from &= from - 1) {
            if (wasOutOfCheck({{square, taken}, {std::countr_zero(from), slot}})) return true;
        }
        // Castling: the king two squares from its home, its rook on the square it passed.
        const int home = board::kingHome(moved);
        if (kind == KING && (square == home + 2 || square == home - 2)) {
            const bool kingSideWing = square == home + 2;
            const int rookNow = kingSideWing ? home + 1 : home - 1;
            const int corner = kingSideWing ? home + 3 : home - 4;
            const bool wayClear = kingSideWing || (occupied >> (home - 3) & 1U) == 0;
            const int rook = moved * KIND_COUNT + ROOK;
            if (board.kindOn(rookNow) == ROOK && (board.colours[static_cast<std::size_t>(moved)] >> rookNow & 1U) != 0 &&
                (occupied >> home & 1U) == 0 && (occupied >> corner & 1U) == 0 && wayClear &&
                wasOutOfCheck({{square, EMPTY}, {rookNow, EMPTY}, {home, slot}, {corner, rook}})) {
                return true;
            }
        }
    }
    return false;
}

// The squares of the pieces a colour has more of than a game can give it, or 0.
std::uint64_t surplusMaterial(const std::array<std::uint64_t, KIND_COUNT>& pieces) {
    const int pawns = std::popcount(pieces[PAWN]);
    const std::uint64_t bishops[2] = {pieces[BISHOP] & LIGHT_SQUARES, pieces[BISHOP] & ~LIGHT_SQUARES};
    int promoted = 0;
    std::uint64_t surplus = pawns > 8 ? pieces[PAWN] : 0;
    // A kind counts from its number at the start: every one beyond must be a promoted pawn.
    auto beyond = [&promoted, &surplus](std::uint64_t squares, int start) {
        const int extra = std::popcount(squares) - start;
        if (extra > 0) {
            promoted += extra;
            surplus |= squares;
        }
    };
    beyond(pieces[QUEEN], 1);
    beyond(pieces[ROOK], 2);
    beyond(pieces[KNIGHT], 2);
    beyond(bishops[0], 1);
    beyond(bishops[1], 1);
    // More than 8 pawns fails here too, since there are never fewer than 0 promoted pieces.
    return promoted > 8 - pawns ? surplus : 0;
}

// The squares of rights set without their king or rook at home, or 0.
Squares castlingWithoutPieces(const FenPosition& position, const Board& board) {
    Squares missing = 0;
    for (const int colour : {WHITE, BLACK}) {
        for (const int wing : {0, 1}) {
            if (!position.castling[colour][wing]) continue;
            missing |= bit(board::kingHome(colour)) & ~board.pieces(colour, KING);
            missing |= bit(board::rookHome(colour, wing)) & ~board.pieces(colour, ROOK);
        }
    }
    return missing;
}

// Whether the en-passant text is "-" or a square a pawn of the side not to move has just
// passed over with its double step; `squares` gets the square the text names, if any.
bool enPassantFits(const FenPosition& position, const board::Pieces& pieces, Squares& squares) {
    const std::string& text = position.enPassant;
    if (text == "-") return true;
    const int target = text.size() == 2 ? squareAt(text, 0) : -1;
    if (target < 0) return false;
    squares = bit(target);
    return (board::allowedOf(pieces.board, pieces.occupied()).enPassant & squares) != 0;
}

}  // namespace

std::string_view illegalityName(IllegalityKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < NAMES.size() ? NAMES[at] : std::string_view{};
}

AllowedFields allowedFields(const FenPosition& position) {
    const board::Pieces pieces = board::piecesOf(position);
    const board::Allowed allowed = board::allowedOf(pieces.board, pieces.occupied());
    AllowedFields fields{};
    for (const int colour : {WHITE, BLACK}) {
        for (const int wing : {0, 1}) fields.castling[colour][wing] = (allowed.castling & board::castlingBit(colour, wing)) != 0;
    }
    fields.enPassant = allowed.enPassant;
    return fields;
}

// Reads the board once into sets of squares, then tests each rule.
std::vector<Illegality> illegalities(const FenPosition& position) {
    const board::Pieces read = board::piecesOf(position);
    const Board& board = read.board;
    std::array<Squares, KIND_COUNT> pieces[2] = {};
    for (const int colour : {WHITE, BLACK}) {
        for (int kind = 0; kind < KIND_COUNT; ++kind) pieces[colour][static_cast<std::size_t>(kind)] = board.pieces(colour, kind);
    }
    const Squares everyPiece = board.occupied();
    const Squares strangers = read.strangers;

    std::array<std::uint64_t, NAMES.size()> squaresOf{};
    unsigned found = 0;
    auto report = [&squaresOf, &found](IllegalityKind kind, std::uint64_t squares) {
        squaresOf[static_cast<std::size_t>(kind)] = squares;
        found |= 1U << static_cast<unsigned>(kind);
    };

    // 1. Kings and material.
    std::uint64_t extraKings = 0;
    std::uint64_t surplus = 0;
    for (const auto& colour : pieces) {
        if (std::popcount(colour[KING]) > 1) extraKings |= colour[KING];
        surplus |= surplusMaterial(colour);
    }
    if (everyPiece == 0) report(IllegalityKind::empty, 0);
    if (pieces[WHITE][KING] == 0) report(IllegalityKind::noWhiteKing, 0);
    if (pieces[BLACK][KING] == 0) report(IllegalityKind::noBlackKing, 0);
    if (extraKings != 0) report(IllegalityKind::tooManyKings, extraKings);
    if (surplus != 0) report(IllegalityKind::impossibleMaterial, surplus);
    const std::uint64_t backRankPawns = (pieces[WHITE][PAWN] | pieces[BLACK][PAWN]) & (RANK_8 | RANK_1);
    if (backRankPawns != 0) report(IllegalityKind::pawnOnBackRank, backRankPawns);

    // 2. The fields beside the board.
    const Squares homeless = castlingWithoutPieces(position, board);
    if (homeless != 0) report(IllegalityKind::badCastlingRights, homeless);
    std::uint64_t target = 0;
    const bool enPassantFound = enPassantFits(position, read, target);
    if (!enPassantFound) report(IllegalityKind::badEnPassant, target);

    // 3. Checks, where a colour has one king to be in check.
    const int mover = position.sideToMove == 0 ? WHITE : BLACK;
    const int waiting = 1 - mover;
    if (std::popcount(pieces[waiting][KING]) == 1) {
        const int king = std::countr_zero(pieces[waiting][KING]);
        const Squares checkers = board::attackersOf(board, king, mover, read.occupied());
        if (checkers != 0) report(IllegalityKind::oppositeCheck, bit(king) | checkers);
    }
    if (std::popcount(pieces[mover][KING]) == 1) {
        const int king = std::countr_zero(pieces[mover][KING]);
        const Squares checkers = board::attackersOf(board, king, waiting, read.occupied());
        const int count = std::popcount(checkers);
        if (count > 2) {
            report(IllegalityKind::tooManyCheckers, bit(king) | checkers);
        } else if (count > 0 && !checkCanHaveBeenGiven(read, king, checkers, waiting, enPassantFound ? target : 0)) {
            report(IllegalityKind::impossibleCheck, bit(king) | checkers);
        }
    }

    if (strangers != 0) report(IllegalityKind::notAPiece, strangers);

    std::vector<Illegality> list;
    list.reserve(static_cast<std::size_t>(std::popcount(found)));
    for (; found != 0; found &= found - 1) {
        const auto kind = static_cast<std::size_t>(std::countr_zero(found));
        list.push_back({static_cast<IllegalityKind>(kind), squaresOf[kind]});
    }
    return list;
}

}  // namespace piecefen
