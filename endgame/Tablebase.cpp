#include "endgame/Tablebase.h"

#include <algorithm>
#include <array>

#include "endgame/Tables.h"
#include "rules/Board.h"

namespace piecefen {

namespace {

constexpr std::array<std::string_view, 3> CATEGORY_NAMES = {"win", "draw", "loss"};
constexpr std::array<std::string_view, 4> COVERAGE_NAMES = {"covered", "too-many-pieces", "castling-rights", "unplayable"};

struct Covered {
    EndgameCoverage coverage;
    std::optional<board::Board> board;
};

Covered cover(const FenPosition& position) {
    const auto pieces = std::count_if(std::begin(position.board), std::end(position.board), [](char c) { return c != '.'; });
    if (pieces > endgame::MOST_PIECES) return {EndgameCoverage::tooManyPieces, std::nullopt};
    auto board = board::boardOf(position);
    if (!board) return {EndgameCoverage::unplayable, std::nullopt};
    if (board->castling != 0) return {EndgameCoverage::castlingRights, std::nullopt};
    return {EndgameCoverage::covered, board};
}

// A code as a category and plies to mate for the side it belongs to.
std::pair<EndgameCategory, std::optional<int>> resultOf(endgame::Code code) {
    if (endgame::isWin(code)) return {EndgameCategory::win, endgame::distanceOf(code)};
    if (endgame::isLoss(code)) return {EndgameCategory::loss, -endgame::distanceOf(code)};
    return {EndgameCategory::draw, std::nullopt};
}

// Best first: mates, fastest first; draws; losses, slowest first.
std::pair<int, int> rankOf(const EndgameMove& move) {
    return {static_cast<int>(move.category), move.dtm.value_or(0)};
}

}  // namespace

struct Tablebase::Tables : endgame::Tables {};

Tablebase::Tablebase() : tables_(std::make_unique<Tables>()) {}
Tablebase::~Tablebase() = default;
Tablebase::Tablebase(Tablebase&&) noexcept = default;
Tablebase& Tablebase::operator=(Tablebase&&) noexcept = default;

std::optional<EndgameVerdict> Tablebase::probe(const FenPosition& position) {
    const Covered covered = cover(position);
    if (!covered.board) return std::nullopt;
    const board::Board& board = *covered.board;
    board::MoveList moves;
    board::generateMoves(board, moves);
    const std::vector<endgame::Code> codes = tables_->codesAfter(board, moves);

    EndgameVerdict verdict;
    std::tie(verdict.category, verdict.dtm) = resultOf(endgame::bestOf(codes, board::inCheck(board)));
    for (std::size_t at = 0; at < moves.size; ++at) {
        const Move move = moves.moves[at];
        // What the move leaves the other side is the mover's result turned round, a ply longer.
        const auto [category, dtm] = resultOf(codes[at]);
        EndgameMove entry{move, board::sanOf(board, move), uci(move), EndgameCategory::draw, std::nullopt};
        if (category == EndgameCategory::loss) {
            entry.category = EndgameCategory::win;
            entry.dtm = 1 - *dtm;
        } else if (category == EndgameCategory::win) {
            entry.category = EndgameCategory::loss;
            entry.dtm = -1 - *dtm;
        }
        verdict.moves.push_back(std::move(entry));
    }
    // Ties keep legalMoves() order, the order the moves were listed in (a stable sort would
    // want a buffer from the nothrow operator new, which the WebAssembly build leaves out).
    std::vector<std::size_t> order(verdict.moves.size());
    for (std::size_t at = 0; at < order.size(); ++at) order[at] = at;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::pair(rankOf(verdict.moves[a]), a) < std::pair(rankOf(verdict.moves[b]), b);
    });
    std::vector<EndgameMove> sorted(order.size());
    std::transform(order.begin(), order.end(), sorted.begin(), [&](std::size_t at) { return std::move(verdict.moves[at]); });
    verdict.moves = std::move(sorted);
    if (verdict.dtm) {
        const int plies = *verdict.dtm < 0 ? -*verdict.dtm : *verdict.dtm;
        verdict.fiftyMoveRuleMayMatter = static_cast<std::int64_t>(position.halfmoveClock) + plies > 100;
    }
    return verdict;
}

std::optional<EndgameStatistics> Tablebase::statistics(std::string_view table) {
    const std::string key(table);
    if (!endgame::isKey(key)) return std::nullopt;
    const endgame::Table& found = tables_->table(key);
    EndgameStatistics counted;
    for (std::size_t index = 0; index < found.size(); ++index) {
        const endgame::Code code = found.codes[index];
        if (code == endgame::ILLEGAL) continue;
        const endgame::Placement placement = found.placementAt(index);
        const auto side = static_cast<std::size_t>(placement.side);
        const std::size_t images = found.imagesOf(placement);
        if (endgame::isWin(code)) {
            counted.wins[side] += images;
        } else if (endgame::isLoss(code)) {
            counted.losses[side] += images;
        } else {
            counted.draws[side] += images;
        }
        if (endgame::isWin(code) || endgame::isLoss(code)) {
            const int plies = endgame::distanceOf(code);
            if (plies > counted.longest[side] || counted.longestFen[side].empty()) {
                counted.longest[side] = plies;
                FenPosition position;
                board::writeBoard(found.boardOf(placement), position);
                counted.longestFen[side] = position.toFen();
            }
        }
    }
    return counted;
}

bool Tablebase::prepare(const FenPosition& position) {
    const Covered covered = cover(position);
    // A table comes with every table its captures and promotions lead into, an en-passant
    // capture's among them.
    return covered.board && tables_->plan(endgame::normalise(*covered.board).key);
}

bool Tablebase::done() const {
    return tables_->progress() >= 1;
}

void Tablebase::step() {
    tables_->step();
}

double Tablebase::fraction() const {
    return tables_->progress();
}

double Tablebase::work() {
    step();
    return fraction();
}

std::size_t Tablebase::bytes() const {
    return tables_->bytes();
}

EndgameCoverage endgameCoverage(const FenPosition& position) {
    return cover(position).coverage;
}

std::string endgameTable(const FenPosition& position) {
    const Covered covered = cover(position);
    return covered.board ? endgame::normalise(*covered.board).key : std::string();
}

std::string_view endgameCategoryName(EndgameCategory category) {
    const auto at = static_cast<std::size_t>(category);
    return at < CATEGORY_NAMES.size() ? CATEGORY_NAMES[at] : std::string_view{};
}

std::string_view endgameCoverageName(EndgameCoverage coverage) {
    const auto at = static_cast<std::size_t>(coverage);
    return at < COVERAGE_NAMES.size() ? COVERAGE_NAMES[at] : std::string_view{};
}

}  // namespace piecefen
