#pragma once

#include <string>
#include <vector>

// Problems from Popeye's regression files as their input gives them, with the orthodox
// twins Popeye solved and its answers, moves in UCI.
namespace published {

struct Try {
    std::string move;
    std::vector<std::string> refutations;
};

struct Case {
    std::size_t twin = 0;  // which reading of the text
    std::string stipulation;
    std::string fen;
    bool skip = false;  // Popeye's answer cut short, or a king that can be taken
    std::vector<std::string> keys;
    std::vector<Try> tries;
    std::vector<std::string> lines;  // each helpmate line, its moves joined by spaces
};

struct Problem {
    std::string name;
    std::string language;
    std::string text;
    std::vector<Case> cases;
};

const std::vector<Problem>& problems();

}  // namespace published
