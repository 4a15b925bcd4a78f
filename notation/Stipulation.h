#pragma once

#include <optional>
#include <string>
#include <string_view>

// What a problem asks, as the reader, the writers and the solver all take it; never
// seen outside the library, which speaks of stipulations as their text.
namespace piecefen::stipulation {

enum class Aim : char { direct, help, self, study };
enum class Goal : char { mate, stalemate, win, draw };

struct Stipulation {
    Aim aim;
    Goal goal;
    // Whole moves, 1 to 9, or a series' moves, 1 to 99; none for a study.
    int moves;
    // A helpmate or helpstalemate that the other side starts with half a move: h#2.5.
    bool half;
    // One side plays all the moves but the last, which a helpmate's other side plays:
    // "ser-#7", "ser-h#5", "ser-s#4".
    bool series = false;

    bool operator==(const Stipulation&) const = default;
};

// "#2", "h#2.5", "s#3", "=2", "h=3", "ser-h#12", "+" (win) or "=" (draw); none for anything else.
std::optional<Stipulation> read(std::string_view text);

// The text read() reads back: "#2", "h#2.5", "+".
std::string text(const Stipulation& stipulation);

// Which side starts a problem, as composers read a diagram: Black in a helpmate of whole
// moves and in a series helpmate, White otherwise.
bool blackStarts(const Stipulation& stipulation);

}  // namespace piecefen::stipulation
