#include "rules/Moves.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <numeric>

#include "rules/Board.h"

namespace piecefen {

namespace {

using board::Board;
using board::MoveList;
using board::Squares;

constexpr std::array<std::string_view, 6> OUTCOME_NAMES = {"none",
                                                           "checkmate",
                                                           "stalemate",
                                                           "insufficient-material",
                                                           "seventy-five-moves",
                                                           "unplayable"};

std::uint64_t perftOf(const Board& board, int depth) {
    if (depth == 1) return board::countMoves(board);
    MoveList list;
    board::generateMoves(board, list);
    return std::accumulate(list.begin(), list.end(), std::uint64_t{0}, [&](std::uint64_t nodes, Move move) {
        return nodes + perftOf(board::afterMove(board, move), depth - 1);
    });
}

bool isLegal(const Board& board, Move move) {
    MoveList list;
    board::generateMoves(board, list);
    return std::find(list.begin(), list.end(), move) != list.end();
}

// Whether `colour` lacks the pieces to mate whatever the other side has: a lone king, a
// king and one knight against no more than queens, or bishops all on one colour of square
// with no knight or pawn anywhere.
bool cannotMate(const Board& board, int colour) {
    const Squares own = board.colours[static_cast<std::size_t>(colour)];
    if ((own & (board.kinds[PAWN] | board.kinds[ROOK] | board.kinds[QUEEN])) != 0) return false;
    if ((own & board.kinds[KNIGHT]) != 0) {
        const Squares others = board.colours[static_cast<std::size_t>(1 - colour)];
        return std::popcount(own) <= 2 && (others & ~board.kinds[KING] & ~board.kinds[QUEEN]) == 0;
    }
    if ((own & board.kinds[BISHOP]) != 0) {
        const Squares bishops = board.kinds[BISHOP];
        const bool oneColour = (bishops & board::LIGHT_SQUARES) == 0 || (bishops & ~board::LIGHT_SQUARES) == 0;
        return oneColour && board.kinds[PAWN] == 0 && board.kinds[KNIGHT] == 0;
    }
    return true;
}

// The text as people type a move, without what only comments on it: annotations, a check
// or mate sign, "x", "-", "=" and spaces, in lower case.
std::string bare(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (std::string_view("+#!?x-=: ").find(c) != std::string_view::npos) continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

// The SAN of a legal move, among the position's legal moves `list`.
std::string sanOf(const Board& board, const MoveList& list, Move move) {
    const int kind = board.kindOn(move.from);
    std::string text;
    if (kind == KING && (move.to - move.from == 2 || move.from - move.to == 2)) {
        text = move.to > move.from ? "O-O" : "O-O-O";
    } else {
        const bool capture = board.kindOn(move.to) >= 0 || (kind == PAWN && move.to == board.enPassant);
        if (kind == PAWN) {
            if (capture) text += squareName(move.from)[0];
        } else {
            text += FenPosition::PIECE_LETTERS[static_cast<std::size_t>(kind)];
            // The file if it tells the movers apart, else the rank, else both.
            bool rivals = false;
            bool sameFile = false;
            bool sameRank = false;
            for (const Move other : list) {
                if (other.to != move.to || other.from == move.from || board.kindOn(other.from) != kind) continue;
                rivals = true;
                sameFile = sameFile || other.from % 8 == move.from % 8;
                sameRank = sameRank || other.from / 8 == move.from / 8;
            }
            const std::string from = squareName(move.from);
            if (rivals && (!sameFile || sameRank)) text += from[0];
            if (rivals && sameFile) text += from[1];
        }
        if (capture) text += 'x';
        text += squareName(move.to);
        if (move.promotion != 0) {
            text += '=';
            text += static_cast<char>(std::toupper(static_cast<unsigned char>(move.promotion)));
        }
    }
    const Board next = board::afterMove(board, move);
    if (board::inCheck(next)) text += board::hasMove(next) ? '+' : '#';
    return text;
}

}  // namespace

std::string board::sanOf(const Board& board, Move move) {
    MoveList list;
    generateMoves(board, list);
    return piecefen::sanOf(board, list, move);
}

std::vector<Move> legalMoves(const FenPosition& position) {
    const auto board = board::boardOf(position);
    if (!board) return {};
    MoveList list;
    board::generateMoves(*board, list);
    return {list.begin(), list.end()};
}

std::uint64_t perft(const FenPosition& position, int depth) {
    if (depth <= 0) return 1;
    const auto board = board::boardOf(position);
    return board ? perftOf(*board, depth) : 0;
}

FenPosition play(const FenPosition& position, Move move) {
    const auto board = board::boardOf(position);
    if (!board || !isLegal(*board, move)) return position;
    return board::playLegal(*board, position, move);
}

namespace board {

FenPosition playLegal(const Board& board, const FenPosition& position, Move move) {
    const Board next = afterMove(board, move);
    FenPosition after = position;
    writeBoard(next, after);
    // The square is named only where some pawn can legally take on it.
    if (next.enPassant >= 0) {
        MoveList replies;
        generateMoves(next, replies);
        const bool taken = std::any_of(replies.begin(), replies.end(), [&](Move reply) {
            return reply.to == next.enPassant && next.kindOn(reply.from) == PAWN;
        });
        if (!taken) after.enPassant.assign(1, '-');
    }
    const bool resets = board.kindOn(move.from) == PAWN || board.kindOn(move.to) >= 0;
    if (resets) {
        after.halfmoveClock = 0;
    } else if (position.halfmoveClock < INT32_MAX) {
        after.halfmoveClock = position.halfmoveClock + 1;
    }
    if (board.side == BLACK && position.moveNumber < INT32_MAX) after.moveNumber = position.moveNumber + 1;
    return after;
}

}  // namespace board

std::string uci(Move move) {
    if (move.from >= 64 || move.to >= 64) return {};
    std::string text = squareName(move.from) + squareName(move.to);
    if (move.promotion != 0) text += move.promotion;
    return text;
}

std::string san(const FenPosition& position, Move move) {
    const auto board = board::boardOf(position);
    if (!board) return {};
    MoveList list;
    board::generateMoves(*board, list);
    if (std::find(list.begin(), list.end(), move) == list.end()) return {};
    return sanOf(*board, list, move);
}

std::optional<Move> readMove(const FenPosition& position, std::string_view text) {
    const auto board = board::boardOf(position);
    if (!board || text.empty() || text.size() > 16) return std::nullopt;
    MoveList moves;
    board::generateMoves(*board, moves);
    std::vector<std::string> names(moves.size);
    std::transform(moves.begin(), moves.end(), names.begin(), [&](Move move) { return sanOf(*board, moves, move); });
    std::string typed(text);
    while (!typed.empty() && std::string_view("+#!? ").find(typed.back()) != std::string_view::npos) typed.pop_back();
    std::replace(typed.begin(), typed.end(), '0', 'O');
    if (typed.empty()) return std::nullopt;

    // 1. SAN as written, then UCI: "B3b2" is a bishop's SAN before it is a rook's UCI.
    for (std::size_t at = 0; at < moves.size; ++at) {
        const std::string& written = names[at];
        if (typed == written.substr(0, written.find_first_of("+#"))) return moves.moves[at];
    }
    const std::string wanted = bare(typed);
    if (const auto named = std::find_if(moves.begin(), moves.end(), [&](Move move) { return wanted == uci(move); });
        named != moves.end()) {
        return *named;
    }

    // 2. As people type it: any case, no "x" or "=", the piece letter left out, or more of
    // the square it comes from than needed. One move must fit: a lowercase "b" may be the
    // bishop or the b-file, and where both fit, nothing is guessed; an uppercase letter
    // names the piece.
    const bool pieceNamed = std::string_view("KQRBN").find(typed.front()) != std::string_view::npos;
    std::optional<Move> found;
    for (std::size_t at = 0; at < moves.size; ++at) {
        const Move move = moves.moves[at];
        const std::string from = squareName(move.from);
        std::string to = squareName(move.to);
        if (move.promotion != 0) to += move.promotion;
        const char letter = static_cast<char>(
            std::tolower(static_cast<unsigned char>(FenPosition::PIECE_LETTERS[static_cast<std::size_t>(board->kindOn(move.from))])));
        bool fits = names[at].front() == 'O' && wanted == bare(names[at]);
        for (const std::string& origin : {std::string(), from.substr(0, 1), from.substr(1), from}) {
            std::string form = origin;
            form += to;
            fits = fits || (!pieceNamed && wanted == form) || wanted == letter + form;
        }
        if (!fits) continue;
        if (found) return std::nullopt;
        found = move;
    }
    return found;
}

Outcome outcome(const FenPosition& position) {
    const auto board = board::boardOf(position);
    if (!board) return Outcome::unplayable;
    const bool noMove = !board::hasMove(*board);
    if (noMove && board::inCheck(*board)) return Outcome::checkmate;
    if (cannotMate(*board, WHITE) && cannotMate(*board, BLACK)) return Outcome::insufficientMaterial;
    if (noMove) return Outcome::stalemate;
    if (position.halfmoveClock >= 150) return Outcome::seventyFiveMoves;
    return Outcome::none;
}

std::string_view outcomeName(Outcome outcome) {
    const auto at = static_cast<std::size_t>(outcome);
    return at < OUTCOME_NAMES.size() ? OUTCOME_NAMES[at] : std::string_view{};
}

}  // namespace piecefen
