#include "rules/Problems.h"

#include <array>
#include <bit>
#include <cstdlib>

#include "position/PieceLetters.h"

namespace piecefen {

namespace {

constexpr std::array<std::string_view, 12> NAMES = {
    "empty", "no-white-king", "no-black-king", "too-many-kings", "impossible-material", "pawn-on-back-rank",
    "bad-castling-rights", "bad-en-passant", "opposite-check", "too-many-checkers", "impossible-check",
    "not-a-piece"};

// The kinds in the letter table's order, so that a piece's slot is colour * KINDS + kind.
enum Kind : int { KING, QUEEN, ROOK, BISHOP, KNIGHT, PAWN, KINDS };
static_assert(FenPosition::PIECE_LETTERS == "KQRBNP");
constexpr int WHITE = 0;
constexpr int BLACK = 1;

constexpr std::uint64_t bit(int index) {
    return std::uint64_t{1} << index;
}

constexpr std::uint64_t RANK_8 = 0xFF;
constexpr std::uint64_t RANK_1 = RANK_8 << 56;
// a8, c8, ..., b7, d7, ...: rank 8 is the lowest byte, and its light squares are bits 0, 2, 4, 6.
constexpr std::uint64_t LIGHT_SQUARES = 0xAA55AA55AA55AA55;

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
    const int own = colour * KINDS;
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

constexpr int sign(int value) {
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

// The way from one square to another along a rank, a file or a diagonal, or {0, 0}.
Step lineFrom(int from, int to) {
    const int rows = to / 8 - from / 8;
    const int columns = to % 8 - from % 8;
    if (rows != 0 && columns != 0 && std::abs(rows) != std::abs(columns)) return {0, 0};
    return {sign(rows), sign(columns)};
}

// Two checks at once come from a move that uncovers a line piece's check, so one of the
// two must be a queen, rook or bishop, and they cannot stand on both sides of the king.
bool impossibleDoubleCheck(const char (&board)[64], int king, std::uint64_t checkers) {
    const int first = std::countr_zero(checkers);
    const int second = 63 - std::countl_zero(checkers);
    auto isLinePiece = [&board](int square) {
        const int kind = pieceSlot(board[square]) % KINDS;
        return kind == QUEEN || kind == ROOK || kind == BISHOP;
    };
    if (!isLinePiece(first) && !isLinePiece(second)) return true;
    // The line piece's way to the king is never {0, 0}, so the two ways are opposite only
    // when both checkers stand on lines through the king, one on each side.
    const Step toFirst = lineFrom(king, first);
    const Step toSecond = lineFrom(king, second);
    return toFirst.row == -toSecond.row && toFirst.column == -toSecond.column;
}

// The squares of the pieces a colour has more of than a game can give it, or 0.
std::uint64_t surplusMaterial(const std::array<std::uint64_t, KINDS>& pieces) {
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
std::uint64_t castlingWithoutPieces(const FenPosition& position, const std::array<std::uint64_t, KINDS> (&pieces)[2]) {
    struct Home {
        int colour;
        int wing;
        int king;
        int rook;
    };
    constexpr Home HOMES[] = {{WHITE, 0, 60, 63}, {WHITE, 1, 60, 56}, {BLACK, 0, 4, 7}, {BLACK, 1, 4, 0}};
    std::uint64_t missing = 0;
    for (const Home& home : HOMES) {
        if (!position.castling[home.colour][home.wing]) continue;
        missing |= bit(home.king) & ~pieces[home.colour][KING];
        missing |= bit(home.rook) & ~pieces[home.colour][ROOK];
    }
    return missing;
}

// Whether the en-passant text is "-" or a square a pawn of the side not to move has just
// passed over with its double step; `squares` gets the square the text names, if any.
bool enPassantFits(const FenPosition& position, std::uint64_t& squares) {
    const std::string& text = position.enPassant;
    if (text == "-") return true;
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return false;
    const int target = (text[0] - 'a') + ('8' - text[1]) * 8;
    squares = bit(target);
    // The pawn moved two squares over the target: it stands one step past it, and the
    // square it came from, one step before it, is empty.
    const bool whiteToMove = position.sideToMove == 0;
    const int pawnStep = whiteToMove ? 8 : -8;
    return text[1] == (whiteToMove ? '6' : '3') && position.board[target] == '.' &&
           position.board[target - pawnStep] == '.' && position.board[target + pawnStep] == (whiteToMove ? 'p' : 'P');
}

}  // namespace

std::string_view problemName(ProblemKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < NAMES.size() ? NAMES[at] : std::string_view{};
}

// Reads the board once into a set of squares per colour and kind, then tests each rule.
std::vector<Problem> problems(const FenPosition& position) {
    const auto& board = position.board;
    std::array<std::uint64_t, KINDS> pieces[2] = {};
    std::uint64_t everyPiece = 0;
    std::uint64_t strangers = 0;
    for (int index = 0; index < 64; ++index) {
        const int slot = pieceSlot(board[index]);
        if (slot >= 0) {
            pieces[slot / KINDS][static_cast<std::size_t>(slot % KINDS)] |= bit(index);
            everyPiece |= bit(index);
        } else if (board[index] != '.') {
            strangers |= bit(index);
        }
    }

    std::array<std::uint64_t, NAMES.size()> squaresOf{};
    unsigned found = 0;
    auto report = [&squaresOf, &found](ProblemKind kind, std::uint64_t squares) {
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
    if (everyPiece == 0) report(ProblemKind::empty, 0);
    if (pieces[WHITE][KING] == 0) report(ProblemKind::noWhiteKing, 0);
    if (pieces[BLACK][KING] == 0) report(ProblemKind::noBlackKing, 0);
    if (extraKings != 0) report(ProblemKind::tooManyKings, extraKings);
    if (surplus != 0) report(ProblemKind::impossibleMaterial, surplus);
    const std::uint64_t backRankPawns = (pieces[WHITE][PAWN] | pieces[BLACK][PAWN]) & (RANK_8 | RANK_1);
    if (backRankPawns != 0) report(ProblemKind::pawnOnBackRank, backRankPawns);

    // 2. The fields beside the board.
    const std::uint64_t homeless = castlingWithoutPieces(position, pieces);
    if (homeless != 0) report(ProblemKind::badCastlingRights, homeless);
    std::uint64_t target = 0;
    if (!enPassantFits(position, target)) report(ProblemKind::badEnPassant, target);

    // 3. Checks, where a colour has one king to be in check.
    const int mover = position.sideToMove == 0 ? WHITE : BLACK;
    const int waiting = 1 - mover;
    if (std::popcount(pieces[waiting][KING]) == 1) {
        const int king = std::countr_zero(pieces[waiting][KING]);
        const std::uint64_t checkers = attackersOf(board, king, mover);
        if (checkers != 0) report(ProblemKind::oppositeCheck, bit(king) | checkers);
    }
    if (std::popcount(pieces[mover][KING]) == 1) {
        const int king = std::countr_zero(pieces[mover][KING]);
        const std::uint64_t checkers = attackersOf(board, king, waiting);
        const int count = std::popcount(checkers);
        if (count > 2) report(ProblemKind::tooManyCheckers, bit(king) | checkers);
        if (count == 2 && impossibleDoubleCheck(board, king, checkers)) {
            report(ProblemKind::impossibleCheck, bit(king) | checkers);
        }
    }

    if (strangers != 0) report(ProblemKind::notAPiece, strangers);

    std::vector<Problem> list;
    list.reserve(static_cast<std::size_t>(std::popcount(found)));
    for (; found != 0; found &= found - 1) {
        const auto kind = static_cast<std::size_t>(std::countr_zero(found));
        list.push_back({static_cast<ProblemKind>(kind), squaresOf[kind]});
    }
    return list;
}

}  // namespace piecefen
