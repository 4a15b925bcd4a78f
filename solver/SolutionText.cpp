#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "rules/Board.h"
#include "solver/Solver.h"

namespace piecefen {

namespace {

using Kind = LinePart::Kind;

// A position of the solution, with its board carried along so that no move reads the
// record again.
struct Played {
    FenPosition record;
    std::optional<board::Board> board;
};

Played playedOf(FenPosition record) {
    auto board = board::boardOf(record);
    return {std::move(record), board};
}

// The position with the side to move passing: no en-passant capture survives it.
Played passedOf(Played position) {
    position.record.sideToMove = 1 - position.record.sideToMove;
    position.record.enPassant.assign(1, '-');
    if (position.board) {
        position.board->side = 1 - position.board->side;
        position.board->enPassant = -1;
    }
    return position;
}

// Lays the solution out a line at a time, each move with the position it leads to.
class Layout {
public:
    explicit Layout(std::vector<SolutionLine>& lines) : lines_(lines) {}

    void number(int move, bool defender) {
        add(Kind::number, FenPosition::numberToText(move) + (defender ? "..." : "."));
    }
    void separator(const char* text) { add(Kind::separator, text); }
    void words(std::string text) {
        add(Kind::words, std::move(text));
        end();
    }

    // A move played from `before`, which the solver found legal there; gives the position
    // after it.
    Played move(const Played& before, const SolvedMove& move, const char* mark = "") {
        Played after = before.board ? Played{board::playLegal(*before.board, before.record, move.move), board::afterMove(*before.board, move.move)}
                                    : before;
        line_.push_back(LinePart{Kind::move, move.san, move.uci, after.record.toFen(), mark});
        return after;
    }

    void end() {
        lines_.push_back(std::move(line_));
        line_.clear();
    }

    // The parts so far, to start each of several lines that share them.
    [[nodiscard]] SolutionLine parts() const { return line_; }
    void restart(SolutionLine parts) { line_ = std::move(parts); }

private:
    void add(Kind kind, std::string text) { line_.push_back(LinePart{kind, std::move(text), {}, {}, {}}); }

    std::vector<SolutionLine>& lines_;
    SolutionLine line_;
};

// One line for each way down the tree from a defence played at move `move`, after the
// parts the layout holds; moves that all end the play are joined by "/".
void defenceLines(Layout& layout, const Played& before, const Defence& defence, int move) {
    const Played after = layout.move(before, defence.move);
    const auto& replies = defence.replies;
    if (replies.empty()) {
        layout.end();
        return;
    }
    layout.separator(" ");
    layout.number(move + 1, false);
    if (replies.front().defences.empty()) {
        for (std::size_t at = 0; at < replies.size(); ++at) {
            if (at > 0) layout.separator("/");
            layout.move(after, replies[at].move);
        }
        layout.end();
        return;
    }
    const Played next = layout.move(after, replies.front().move);
    layout.separator(" ");
    const SolutionLine shared = layout.parts();
    for (const Defence& deeper : replies.front().defences) {
        layout.restart(shared);
        defenceLines(layout, next, deeper, move + 1);
    }
}

void helpLine(Layout& layout, Played position, const std::vector<SolvedMove>& line, bool half) {
    // A half-move helpmate starts with the mating side, written as if a move came before it.
    std::size_t ply = half ? 1 : 0;
    for (std::size_t at = 0; at < line.size(); ++at, ++ply) {
        const int moveNumber = static_cast<int>(ply / 2) + 1;
        if (ply % 2 == 0) {
            if (at > 0) layout.separator(" ");
            layout.number(moveNumber, false);
        } else if (at == 0) {
            layout.number(moveNumber, true);
        } else {
            layout.separator(" ");
        }
        position = layout.move(position, line[at]);
    }
    layout.end();
}

// A series numbered move by move, the other side passing between them; then the other
// side's last move, or a series selfmate's replies joined by "/".
void seriesLine(Layout& layout, Played position, const Solution& solution) {
    for (std::size_t at = 0; at < solution.line.size(); ++at) {
        if (at > 0) layout.separator(" ");
        if (at < static_cast<std::size_t>(solution.moves)) {
            if (at > 0) position = passedOf(std::move(position));
            layout.number(static_cast<int>(at) + 1, false);
        }
        position = layout.move(position, solution.line[at]);
    }
    for (std::size_t at = 0; at < solution.variations.size(); ++at) {
        layout.separator(at == 0 ? " " : "/");
        layout.move(position, solution.variations[at].move);
    }
    layout.end();
}

}  // namespace

std::vector<SolutionLine> solutionLines(const Solving& solving) {
    std::vector<SolutionLine> lines;
    if (solving.status != SolveStatus::solved) return lines;
    Layout layout(lines);
    const Played start = playedOf(solving.position);
    const bool half = solving.stipulation.find(".5") != std::string::npos;
    // Set play first, as if the defender were to move in the diagram.
    if (!solving.setPlay.empty()) {
        const Played passed = passedOf(start);
        for (const Defence& defence : solving.setPlay) {
            layout.number(1, true);
            defenceLines(layout, passed, defence, 1);
        }
    }
    const bool series = solving.stipulation.starts_with("ser-");
    for (const Solution& solution : solving.solutions) {
        if (series) {
            seriesLine(layout, start, solution);
            continue;
        }
        if (!solution.line.empty()) {
            helpLine(layout, start, solution.line, half);
            continue;
        }
        layout.number(1, false);
        const Played keyed = layout.move(start, solution.key, "!");
        if (!solution.threat.empty()) {
            layout.separator(" (");
            layout.number(2, false);
            // What the key threatens is played as if the other side could pass.
            const Played passed = passedOf(keyed);
            for (std::size_t at = 0; at < solution.threat.size(); ++at) {
                if (at > 0) layout.separator("/");
                layout.move(passed, solution.threat[at].move);
            }
            layout.separator(")");
        }
        layout.end();
        for (const Defence& defence : solution.variations) {
            layout.number(1, true);
            defenceLines(layout, keyed, defence, 1);
        }
    }
    if (solving.unlisted > 0) {
        layout.words("and " + FenPosition::numberToText(static_cast<std::int32_t>(std::min<std::size_t>(solving.unlisted, INT32_MAX))) +
                     " more");
    }
    if (solving.solutions.empty()) layout.words("no solution");
    for (const Try& attempt : solving.tries) {
        layout.number(1, false);
        const Played tried = layout.move(start, attempt.move, "?");
        // Every refutation where the option allows several, the first alone otherwise.
        const std::vector<SolvedMove> refutations = attempt.refutations.empty() ? std::vector<SolvedMove>{attempt.refutation} : attempt.refutations;
        for (const SolvedMove& refutation : refutations) {
            layout.separator(" ");
            layout.move(tried, refutation, "!");
        }
        layout.end();
    }
    return lines;
}

std::string solutionText(const Solving& solving) {
    return solutionText(solving, solutionLines(solving));
}

std::string solutionText(const Solving& solving, const std::vector<SolutionLine>& lines) {
    if (solving.status == SolveStatus::stipulation) return "not a stipulation the solver takes\n";
    if (solving.status == SolveStatus::unplayable) return "not a position that can be played\n";
    std::string out;
    for (const SolutionLine& line : lines) {
        for (const LinePart& part : line) out.append(part.text).append(part.mark);
        out += '\n';
    }
    return out;
}

}  // namespace piecefen
