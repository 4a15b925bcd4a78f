#include "PublishedInputs.h"

#include <algorithm>
#include <sstream>

namespace published {

namespace {

constexpr const char* PIECES[] = {
#include "data/PopeyeInputs.inc"
};

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::vector<Problem> parse() {
    std::vector<Problem> found;
    std::string inputs;
    for (const char* piece : PIECES) inputs += piece;
    std::istringstream in(inputs);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("problem ")) {
            const auto words = wordsOf(line);
            found.push_back(Problem{words.at(1), words.at(2), {}, {}});
        } else if (line.starts_with("| ") || line == "|") {
            found.back().text += (line.size() > 2 ? line.substr(2) : std::string{}) + '\n';
        } else if (line.starts_with("expect ")) {
            const auto words = wordsOf(line);
            Case made;
            made.twin = std::stoul(words.at(1));
            made.stipulation = words.at(2);
            made.fen = line.substr(line.find(words.at(3), 8 + words.at(1).size() + words.at(2).size()));
            found.back().cases.push_back(made);
        } else if (line == "skip") {
            found.back().cases.back().skip = true;
        } else if (line.starts_with("keys")) {
            auto words = wordsOf(line);
            found.back().cases.back().keys.assign(words.begin() + 1, words.end());
        } else if (line.starts_with("try ")) {
            const auto words = wordsOf(line);
            Try made{words.at(1), {}};
            std::istringstream refutations(words.size() > 2 ? words[2] : std::string{});
            for (std::string move; std::getline(refutations, move, ',');) made.refutations.push_back(move);
            found.back().cases.back().tries.push_back(made);
        } else if (line.starts_with("line ")) {
            found.back().cases.back().lines.push_back(line.substr(5));
        }
    }
    return found;
}

}  // namespace

const std::vector<Problem>& problems() {
    static const std::vector<Problem> parsed = parse();
    return parsed;
}

}  // namespace published
