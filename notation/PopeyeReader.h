#pragma once

#include <optional>
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

}  // namespace piecefen::popeye
