#include "notation/Stipulation.h"

namespace piecefen::stipulation {

std::optional<Stipulation> read(std::string_view text) {
    if (text == "+") return Stipulation{Aim::study, Goal::win, 0, false};
    if (text == "=") return Stipulation{Aim::study, Goal::draw, 0, false};
    Stipulation found{Aim::direct, Goal::mate, 0, false};
    std::size_t at = 0;
    if (text.starts_with("ser-")) {
        found.series = true;
        at = 4;
    }
    if (at < text.size() && (text[at] == 'h' || text[at] == 's')) {
        found.aim = text[at] == 'h' ? Aim::help : Aim::self;
        ++at;
    }
    if (at + 2 > text.size() || (text[at] != '#' && text[at] != '=')) return std::nullopt;
    found.goal = text[at] == '#' ? Goal::mate : Goal::stalemate;
    const char digit = text[at + 1];
    if (digit < '1' || digit > '9') return std::nullopt;
    found.moves = digit - '0';
    at += 2;
    // A series may be longer than nine moves.
    if (found.series && at < text.size() && text[at] >= '0' && text[at] <= '9') found.moves = found.moves * 10 + (text[at++] - '0');
    const std::string_view rest = text.substr(at);
    if (rest == ".5" && found.aim == Aim::help && !found.series) {
        found.half = true;
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    return found;
}

std::string text(const Stipulation& stipulation) {
    if (stipulation.aim == Aim::study) return stipulation.goal == Goal::win ? "+" : "=";
    std::string out = stipulation.series ? "ser-" : "";
    if (stipulation.aim == Aim::help) out += 'h';
    if (stipulation.aim == Aim::self) out += 's';
    out += stipulation.goal == Goal::mate ? '#' : '=';
    if (stipulation.moves >= 10) out += static_cast<char>('0' + stipulation.moves / 10);
    out += static_cast<char>('0' + stipulation.moves % 10);
    if (stipulation.half) out += ".5";
    return out;
}

bool blackStarts(const Stipulation& stipulation) {
    return stipulation.aim == Aim::help && !stipulation.half;
}

}  // namespace piecefen::stipulation
