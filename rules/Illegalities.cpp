#include "rules/Illegalities.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <initializer_list>

#include "position/PieceLetters.h"
#include "rules/Board.h"

namespace piecefen {

namespace {

constexpr std::array<std::string_view, 12> NAMES = {
    "empty", "no-white-king", "no-black-king", "too-many-kings", "impossible-material", "pawn-on-back-rank",
    "bad-castling-rights", "bad-en-passant", "opposite-check", "too-many-checkers", "impossible-check",
    "not-a-piece"};


using board::bit;
using board::LIGHT_SQUARES;
using board::RANK_1;
using board::RANK_8;

struct Step {
    int row;
    int column;
};
// The four lines along ranks and files first, then the four diagonals.
constexpr std::array<Step, 8> LINES = {{{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}}};
constexpr std::array<Step, 8> JUMPS = {{{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}}};

constexpr bool onBoard(int row, int column) {
    return row >= 0 && row < 8 && column >= 0 && column < 8;
}

// The pieces of `colour` that attack `target`: the knights a jump away, and along each line
// the first square that is not empty, when what stands there moves that way that far.
std::uint64_t attackersOf(const char (&board)[64], int target, int colour) {
    const int row = target / 8;
    const int column = target % 8;
    const int own = colour * KIND_COUNT;
    std::uint64_t found = 0;
    for (const Step jump : JUMPS) {
        const int r = row + jump.row;
        const int c = column + jump.column;
        if (onBoard(r, c) && pieceSlot(board[r * 8 + c]) == own + KNIGHT) found |= bit(r * 8 + c);
    }
    // A pawn captures towards the far side: a white one stands a row nearer rank 1 than its target.
    const int pawnRow = colour == WHITE ? 1 : -1;
    for (std::size_t line = 0; line < LINES.size(); ++line) {
        const Step step = LINES[line];
        const bool diagonal = line >= 4;
        int r = row + step.row;
        int c = column + step.column;
        for (int distance = 1; onBoard(r, c); ++distance, r += step.row, c += step.column) {
            const char square = board[r * 8 + c];
            if (square == '.') continue;
            const int kind = pieceSlot(square) - own;
            if (kind == QUEEN || kind == (diagonal ? BISHOP : ROOK) ||
                (distance == 1 && (kind == KING || (kind == PAWN && diagonal && step.row == pawnRow)))) {
                found |= bit(r * 8 + c);
            }
            break;
        }
    }
    return found;
}

// A square as it stood before the last move.
struct Change {
    int square;
    char before;
};

// Whether some last move of `moved`'s side can have given the check of `checkers` on the
// king at `king`: a move of one of its pieces from a square that is empty now, after
// which that king is in check and before which it was not. A move to a square that held
// one of the king's own pieces is taken as a capture wherever it can be one, since a
// piece taken there only blocks more lines. `doubleStep`, when set, is the one last move.
bool checkCanHaveBeenGiven(const FenPosition& position, int king, std::uint64_t checkers, int moved,
                           std::uint64_t doubleStep) {
    const auto& board = position.board;
    const int kingSide = 1 - moved;
    const char taken = letterOf(kingSide, KNIGHT);
    std::uint64_t between[64] = {};
    for (std::uint64_t rest = checkers; rest != 0; rest &= rest - 1) {
        const int checker = std::countr_zero(rest);
        between[checker] = board::between(king, checker);
    }

    // Whether the king stood out of check with the changes undone. Each checker must have
    // been moved, or had its line to the king closed by a square that was taken then.
    auto wasOutOfCheck = [&](std::initializer_list<Change> changes) {
        std::uint64_t changed = 0;
        std::uint64_t takenBefore = 0;
        for (const Change& change : changes) {
            changed |= bit(change.square);
            if (change.before != '.') takenBefore |= bit(change.square);
        }
        for (std::uint64_t rest = checkers & ~changed; rest != 0; rest &= rest - 1) {
            if ((between[std::countr_zero(rest)] & takenBefore) == 0) return false;
        }
        char before[64];
        std::copy(std::begin(board), std::end(board), std::begin(before));
        for (const Change& change : changes) before[change.square] = change.before;
        return attackersOf(before, king, moved) == 0;
    };

    // A pawn of `moved` moves forward by `forward` squares of the board index.
    const int forward = moved == WHITE ? -8 : 8;
    const int pawnRow = moved == WHITE ? 6 : 1;
    const int farRow = moved == WHITE ? 0 : 7;
    const char pawn = letterOf(moved, PAWN);
    auto empty = [&board](int row, int column) { return onBoard(row, column) && board[row * 8 + column] == '.'; };

    if (doubleStep != 0) {
        const int target = std::countr_zero(doubleStep);
        return wasOutOfCheck({{target + forward, '.'}, {target - forward, pawn}});
    }

    // Every piece of `moved`, and every square it can have come from.
    for (int square = 0; square < 64; ++square) {
        const int kind = pieceSlot(board[square]) - moved * KIND_COUNT;
        if (kind < 0 || kind >= KIND_COUNT) continue;
        const char letter = board[square];
        const int row = square / 8;
        const int column = square % 8;
        if (kind == PAWN) {
            // One step or two straight on, to an empty square; one aside taking, en passant too.
            const int from = square - forward;
            const int fromRow = from / 8;
            const bool fromOwnSide = fromRow >= 0 && fromRow < 8 && fromRow != 7 - farRow;
            if (fromOwnSide && board[from] == '.') {
                if (wasOutOfCheck({{square, '.'}, {from, pawn}})) return true;
                if (fromRow - forward / 8 == pawnRow && board[from - forward] == '.' &&
                    wasOutOfCheck({{square, '.'}, {from - forward, pawn}})) {
                    return true;
                }
            }
            for (const int side : {-1, 1}) {
                if (!fromOwnSide || !empty(fromRow, column + side)) continue;
                if (wasOutOfCheck({{square, taken}, {from + side, pawn}})) return true;
                // En passant: the pawn taken stood beside the square it came from.
                const bool passedRank = fromRow == (moved == WHITE ? 3 : 4);
                if (passedRank && board[from] == '.' &&
                    wasOutOfCheck({{square, '.'}, {from + side, pawn}, {from, letterOf(kingSide, PAWN)}})) {
                    return true;
                }
            }
            continue;
        }
        if (row == farRow && kind != KING) {
            // A piece on the far rank may be a pawn that has just arrived there.
            const int fromRow = row - forward / 8;
            constexpr int SIDES[] = {-1, 0, 1};
            if (std::any_of(std::begin(SIDES), std::end(SIDES), [&](int side) {
                    return empty(fromRow, column + side) &&
                           wasOutOfCheck({{square, side == 0 ? '.' : taken}, {fromRow * 8 + column + side, pawn}});
                })) {
                return true;
            }
        }
        if (kind == KNIGHT) {
            if (std::any_of(JUMPS.begin(), JUMPS.end(), [&](Step jump) {
                    return empty(row + jump.row, column + jump.column) &&
                           wasOutOfCheck({{square, taken}, {(row + jump.row) * 8 + column + jump.column, letter}});
                })) {
                return true;
            }
            continue;
        }
        // Kings step, the others slide, each along its own lines.
        for (std::size_t line = 0; line < LINES.size(); ++line) {
            const bool diagonal = line >= 4;
            if ((kind == ROOK && diagonal) || (kind == BISHOP && !diagonal)) continue;
            const Step step = LINES[line];
            for (int r = row + step.row, c = column + step.column; empty(r, c); r += step.row, c += step.column) {
                if (wasOutOfCheck({{square, taken}, {r * 8 + c, letter}})) return true;
                if (kind == KING) break;
            }
        }
        // Castling: the king two squares from its home, its rook on the square it passed.
        const int home = (7 - farRow) * 8 + 4;
        if (kind == KING && (square == home + 2 || square == home - 2)) {
            const bool kingSideWing = square == home + 2;
            const int rookNow = kingSideWing ? home + 1 : home - 1;
            const int corner = kingSideWing ? home + 3 : home - 4;
            const bool wayClear = kingSideWing || board[home - 3] == '.';
            if (board[rookNow] == letterOf(moved, ROOK) && board[home] == '.' && board[corner] == '.' && wayClear &&
                wasOutOfCheck({{square, '.'}, {rookNow, '.'}, {home, letter}, {corner, letterOf(moved, ROOK)}})) {
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

struct Home {
    int colour;
    int wing;
    int king;
    int rook;
};
constexpr Home HOMES[] = {{WHITE, 0, 60, 63}, {WHITE, 1, 60, 56}, {BLACK, 0, 4, 7}, {BLACK, 1, 4, 0}};

// The squares of rights set without their king or rook at home, or 0.
std::uint64_t castlingWithoutPieces(const FenPosition& position, const std::array<std::uint64_t, KIND_COUNT> (&pieces)[2]) {
    std::uint64_t missing = 0;
    for (const Home& home : HOMES) {
        if (!position.castling[home.colour][home.wing]) continue;
        missing |= bit(home.king) & ~pieces[home.colour][KING];
        missing |= bit(home.rook) & ~pieces[home.colour][ROOK];
    }
    return missing;
}

// Whether a pawn of the side not to move has just passed over `target` with its double
// step: it stands one step past it, and the target and the square it came from are empty.
bool doubleStepOver(const FenPosition& position, int target) {
    const bool whiteToMove = position.sideToMove == 0;
    const int pawnStep = whiteToMove ? 8 : -8;
    return target / 8 == (whiteToMove ? 2 : 5) && position.board[target] == '.' &&
           position.board[target - pawnStep] == '.' && position.board[target + pawnStep] == (whiteToMove ? 'p' : 'P');
}

// Whether the en-passant text is "-" or a square a pawn of the side not to move has just
// passed over with its double step; `squares` gets the square the text names, if any.
bool enPassantFits(const FenPosition& position, std::uint64_t& squares) {
    const std::string& text = position.enPassant;
    if (text == "-") return true;
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return false;
    const int target = (text[0] - 'a') + ('8' - text[1]) * 8;
    squares = bit(target);
    return doubleStepOver(position, target);
}

}  // namespace

std::string_view illegalityName(IllegalityKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < NAMES.size() ? NAMES[at] : std::string_view{};
}

AllowedFields allowedFields(const FenPosition& position) {
    AllowedFields allowed{};
    for (const Home& home : HOMES) {
        allowed.castling[home.colour][home.wing] = position.board[home.king] == letterOf(home.colour, KING) &&
                                                   position.board[home.rook] == letterOf(home.colour, ROOK);
    }
    const int rank = position.sideToMove == 0 ? 2 : 5;
    for (int target = rank * 8; target < rank * 8 + 8; ++target) {
        if (doubleStepOver(position, target)) allowed.enPassant |= bit(target);
    }
    return allowed;
}

// Reads the board once into a set of squares per colour and kind, then tests each rule.
std::vector<Illegality> illegalities(const FenPosition& position) {
    const auto& board = position.board;
    std::array<std::uint64_t, KIND_COUNT> pieces[2] = {};
    std::uint64_t everyPiece = 0;
    std::uint64_t strangers = 0;
    for (int index = 0; index < 64; ++index) {
        const int slot = pieceSlot(board[index]);
        if (slot >= 0) {
            pieces[slot / KIND_COUNT][static_cast<std::size_t>(slot % KIND_COUNT)] |= bit(index);
            everyPiece |= bit(index);
        } else if (board[index] != '.') {
            strangers |= bit(index);
        }
    }

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
    const std::uint64_t homeless = castlingWithoutPieces(position, pieces);
    if (homeless != 0) report(IllegalityKind::badCastlingRights, homeless);
    std::uint64_t target = 0;
    const bool enPassantFound = enPassantFits(position, target);
    if (!enPassantFound) report(IllegalityKind::badEnPassant, target);

    // 3. Checks, where a colour has one king to be in check.
    const int mover = position.sideToMove == 0 ? WHITE : BLACK;
    const int waiting = 1 - mover;
    if (std::popcount(pieces[waiting][KING]) == 1) {
        const int king = std::countr_zero(pieces[waiting][KING]);
        const std::uint64_t checkers = attackersOf(board, king, mover);
        if (checkers != 0) report(IllegalityKind::oppositeCheck, bit(king) | checkers);
    }
    if (std::popcount(pieces[mover][KING]) == 1) {
        const int king = std::countr_zero(pieces[mover][KING]);
        const std::uint64_t checkers = attackersOf(board, king, waiting);
        const int count = std::popcount(checkers);
        if (count > 2) {
            report(IllegalityKind::tooManyCheckers, bit(king) | checkers);
        } else if (count > 0 && !checkCanHaveBeenGiven(position, king, checkers, waiting, enPassantFound ? target : 0)) {
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
