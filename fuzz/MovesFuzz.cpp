#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>

using piecefen::FenPosition;

// Any bytes as a FEN line and, after a line break, a typed move: every legal move plays,
// names itself in SAN and UCI that read back to it, perft(2) is the sum of the next
// positions' moves, and what readMove finds is one of the legal moves.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t lineEnd = text.find('\n');
    FenPosition position;
    position.fromFen(text.substr(0, lineEnd));

    const auto moves = piecefen::legalMoves(position);
    if (moves.empty() != (piecefen::perft(position, 1) == 0)) std::abort();
    std::uint64_t replies = 0;
    for (const piecefen::Move move : moves) {
        const FenPosition next = piecefen::play(position, move);
        if (next == position) std::abort();
        replies += piecefen::legalMoves(next).size();
        const std::string san = piecefen::san(position, move);
        if (san.empty() || piecefen::readMove(position, san) != move) std::abort();
        if (piecefen::readMove(position, piecefen::uci(move)) != move) std::abort();
    }
    if (piecefen::perft(position, 2) != replies) std::abort();
    // A mate or stalemate has no move; a playable position with none is one of them, or dead.
    using piecefen::Outcome;
    const Outcome outcome = piecefen::outcome(position);
    if ((outcome == Outcome::checkmate || outcome == Outcome::stalemate) && !moves.empty()) std::abort();
    if (moves.empty() && outcome != Outcome::unplayable && outcome != Outcome::checkmate &&
        outcome != Outcome::stalemate && outcome != Outcome::insufficientMaterial) {
        std::abort();
    }

    if (lineEnd != std::string::npos) {
        const auto typed = piecefen::readMove(position, std::string_view(text).substr(lineEnd + 1));
        if (typed && std::find(moves.begin(), moves.end(), *typed) == moves.end()) std::abort();
    }
    return 0;
}
