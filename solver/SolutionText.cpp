#include <string>

#include "solver/Solver.h"

namespace piecefen {

namespace {

std::string digits(std::size_t value) {
    char text[24];
    std::size_t at = sizeof text;
    do {
        text[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    return {text + at, text + sizeof text};
}

std::string number(int move, bool defender) {
    return digits(static_cast<std::size_t>(move)) + (defender ? "..." : ".");
}

// One line for each way down the tree from a defence played at move `move`, with
// `prefix` before it; moves that all end the play are joined by "/".
void defenceLines(const Defence& defence, int move, const std::string& prefix, std::string& out) {
    std::string line = prefix + defence.move.san;
    const auto& replies = defence.replies;
    if (replies.empty()) {
        out += line + '\n';
        return;
    }
    line += ' ' + number(move + 1, false);
    if (replies.front().defences.empty()) {
        for (std::size_t at = 0; at < replies.size(); ++at) {
            if (at > 0) line += '/';
            line += replies[at].move.san;
        }
        out += line + '\n';
        return;
    }
    line += replies.front().move.san + ' ';
    for (const Defence& next : replies.front().defences) defenceLines(next, move + 1, line, out);
}

std::string joined(const std::vector<Continuation>& moves, int move) {
    std::string text = number(move, false);
    for (std::size_t at = 0; at < moves.size(); ++at) {
        if (at > 0) text += '/';
        text += moves[at].move.san;
    }
    return text;
}

std::string helpLine(const std::vector<SolvedMove>& line, bool half) {
    std::string text;
    // A half-move helpmate starts with the mating side, written as if a move came before it.
    std::size_t ply = half ? 1 : 0;
    for (const SolvedMove& move : line) {
        const int moveNumber = static_cast<int>(ply / 2) + 1;
        if (ply % 2 == 0) {
            if (!text.empty()) text += ' ';
            text += number(moveNumber, false);
        } else if (text.empty()) {
            text += number(moveNumber, true);
        } else {
            text += ' ';
        }
        text += move.san;
        ++ply;
    }
    return text;
}

}  // namespace

std::string solutionText(const Solving& solving) {
    if (solving.status == SolveStatus::stipulation) return "not a stipulation the solver takes\n";
    if (solving.status == SolveStatus::unplayable) return "not a position that can be played\n";
    std::string out;
    const bool half = solving.stipulation.find(".5") != std::string::npos;
    for (const Solution& solution : solving.solutions) {
        if (!solution.line.empty()) {
            out += helpLine(solution.line, half) + '\n';
            continue;
        }
        out += "1." + solution.key.san + '!';
        if (!solution.threat.empty()) out += std::string(" (") + joined(solution.threat, 2) + ')';
        out += '\n';
        for (const Defence& defence : solution.variations) defenceLines(defence, 1, "1...", out);
    }
    if (solving.unlisted > 0) out += std::string("and ") + digits(solving.unlisted) + " more\n";
    if (solving.solutions.empty()) out += "no solution\n";
    for (const Try& attempt : solving.tries) {
        out += "1." + attempt.move.san + "? " + attempt.refutation.san + "!\n";
    }
    return out;
}

}  // namespace piecefen
