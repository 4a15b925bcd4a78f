#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <piecefen/endgame/Tablebase.h>
#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>

using piecefen::EndgameCategory;
using piecefen::FenPosition;

// Any bytes as a FEN line: a covered position has a verdict with every legal move, best
// first, whose value agrees with the position's; one that is not covered has none. Tables
// with pawns and four pieces lead into so many others that working them out here would
// take each run past its time, so those are only asked which table they are.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static piecefen::Tablebase tablebase;
    FenPosition position;
    position.fromFen(std::string(reinterpret_cast<const char*>(data), size));

    const bool covered = piecefen::endgameCoverage(position) == piecefen::EndgameCoverage::covered;
    const std::string table = piecefen::endgameTable(position);
    if (covered == table.empty()) std::abort();
    if (!covered) {
        if (tablebase.probe(position)) std::abort();
        return 0;
    }
    if (table.size() == 5 && table.find('P') != std::string::npos) return 0;
    const auto verdict = tablebase.probe(position);
    if (!verdict || verdict->moves.size() != piecefen::legalMoves(position).size()) std::abort();
    if (verdict->moves.empty()) {
        if (verdict->category == EndgameCategory::win) std::abort();
        return 0;
    }
    const auto& best = verdict->moves.front();
    if (best.category != verdict->category || best.dtm != verdict->dtm) std::abort();
    for (const auto& move : verdict->moves) {
        const bool odd = move.dtm && *move.dtm % 2 != 0;
        if ((move.category == EndgameCategory::draw) != !move.dtm) std::abort();
        if (move.dtm && (move.category == EndgameCategory::win) != (odd && *move.dtm > 0)) std::abort();
        if (move.san != piecefen::san(position, move.move) || move.uci != piecefen::uci(move.move)) std::abort();
    }
    return 0;
}
