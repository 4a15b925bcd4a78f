#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <piecefen/notation/FenErrors.h>
#include <piecefen/notation/Problem.h>
#include <piecefen/position/FenPosition.h>
#include <piecefen/solver/Solver.h>

// Any bytes as a problem text, the first byte choosing the language: the errors come in
// the order of their offsets, each inside the text and named; the position is a FEN line
// without errors; a text read whole, with both kings, is read back the same from every
// writer; and a short problem it names is solved without a fault.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    constexpr std::string_view LANGUAGES[] = {"", "en", "de", "fr"};
    const std::string_view language = LANGUAGES[data[0] % 4];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto readings = piecefen::readProblems(text, language);
    if (readings.empty()) std::abort();
    for (const piecefen::ProblemReading& each : readings) {
        std::size_t last = 0;
        for (const auto& [kind, at] : each.errors) {
            if (at < last || (at >= text.size() && at != 0) || piecefen::problemErrorName(kind).empty()) std::abort();
            last = at;
        }
        if (!piecefen::fenErrors(each.position.toFen()).empty()) std::abort();
        // A reading without errors is written whole as the solver's input and read back the same.
        if (!each.errors.empty()) continue;
        const auto again = piecefen::readProblems(piecefen::writeProblem(each, "popeye")).front();
        const bool kings = std::string_view(each.position.board, 64).find('K') != std::string_view::npos &&
                           std::string_view(each.position.board, 64).find('k') != std::string_view::npos;
        if (kings && (!again.errors.empty() || again.position.toFen() != each.position.toFen() || again.stipulation != each.stipulation ||
                      !(again.options == each.options) || !(again.data == each.data))) {
            std::abort();
        }
    }
    const piecefen::ProblemReading& reading = readings.front();
    if (piecefen::readProblem(text, language).position.toFen() != reading.position.toFen()) std::abort();
    // Without a black piece, "wBb2" is a bishop in English and a pawn in German: the reader
    // says so rather than guess, so only boards with both kings are read back.
    const std::string_view board(reading.position.board, 64);
    if (!reading.errors.empty() || board.find('K') == board.npos || board.find('k') == board.npos) return 0;
    for (const char* form : {"popeye", "pdb", "yacpdb", "latex-diagram", "latex-skak"}) {
        const auto again = piecefen::readProblem(piecefen::writeProblem(reading.position, reading.stipulation, form));
        if (!again.errors.empty() || again.stipulation != reading.stipulation ||
            std::string_view(again.position.board, 64) != std::string_view(reading.position.board, 64)) {
            std::abort();
        }
    }
    // The short ones only, that each input stays quick: every kind of search, series too.
    constexpr std::string_view QUICK[] = {"#1", "h#1", "s#1", "ser-#1", "ser-h#1", "ser-s#1", "ser-=2", "ser-h=2"};
    if (std::find(std::begin(QUICK), std::end(QUICK), reading.stipulation) != std::end(QUICK)) {
        const auto solving = piecefen::solve(reading.position, reading.stipulation, reading.options);
        if (piecefen::solutionText(solving).empty()) std::abort();
    }
    return 0;
}
