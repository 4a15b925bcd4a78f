#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "notation/Problem.h"

// The solver input composers write for Popeye, read whole: commands, options and twins.
namespace piecefen::popeye {

// Whether the text is written in that language: its first word is one of its commands.
bool isPopeye(std::string_view text);

// Every problem of the text and every twin of each; `language` is 0 English, 1 German,
// 2 French, or 3 for what the text's own words say.
std::vector<ProblemReading> read(std::string_view text, std::size_t language);

// One word of a twin another form writes, and where it stands in that text.
struct TwinWord {
    std::string_view text;
    std::size_t at;
};

// A twin as the problem databases write it: its label and its words, either the short
// changes of a diagram's caption ("wKg1-h1", "wKe1<->sKe8", "-sBc5", "+wSd4", "#3") or
// this solver's own twin commands ("Move g1 h1"), which yacpdb keeps.
struct TwinText {
    std::string label;
    std::vector<TwinWord> words;
    std::size_t at;
    bool shortForm;
};

// The diagram and its twins, each labelled as the text labels it. A first twin labelled
// "a" with changes is the diagram's own twin, and the diagram itself is then not asked for.
std::vector<ProblemReading> twinned(const ProblemReading& diagram, const std::vector<TwinText>& twins);

}  // namespace piecefen::popeye
