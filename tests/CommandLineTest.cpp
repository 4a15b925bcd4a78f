#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "RunPiecefen.h"

namespace {

void expectOneLine(const std::vector<std::string>& words, const std::string& line, const Setup& setup = {}) {
    const Run run = runPiecefen(words, setup);
    EXPECT_EQ(run.out, line + LINE_END);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
}

const std::string EMPTY = "8/8/8/8/8/8/8/8 w - - 0 1";
const std::string ADDRESS = "https://syzygy-tables.info/?fen=";
const Setup BY_RELATIVE_NAME{"", true, false, ""};

struct CommandLineCase {
    const char* why;
    std::vector<std::string> words;
    std::string line;
    Setup setup = {};
};

TEST(CommandLine, PrintsExactlyOneLine) {
    const CommandLineCase cases[] = {
        {"no words", {}, EMPTY},
        {"one empty word", {""}, EMPTY},
        {"two empty words", {"", ""}, EMPTY},
        {"example", {"Kg1", "Rf1", "Pf2g2h2", "/", "Kg8", "Pf7g7h7"}, "6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1"},
        {"several words", {"Ke1", "Pe2", "/", "Ke8"}, "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
        // The words are joined with a space, so a letter and its square apart place nothing.
        {"letter and square as two words", {"K", "e1"}, EMPTY},
        {"one quoted word", {"Ke1 Pe2 / Ke8"}, "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
        {"empty words between", {"Ke1", "", "/", "", "Ke8"}, "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
        {"reading stops early", {"Qd1", "and", "Ke1"}, "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
        {"address", {"/u", "Ke1", "/", "Ke8"}, ADDRESS + "4k3/8/8/8/8/8/8/4K3_w_-_-_0_1"},
        {"address of an empty word", {"/u", ""}, ADDRESS + "8/8/8/8/8/8/8/8_w_-_-_0_1"},
        {"address of the example", {"/u", "Kg1", "Rf1", "Pf2g2h2", "/", "Kg8", "Pf7g7h7"},
         ADDRESS + "6k1/5ppp/8/8/8/8/5PPP/5RK1_w_-_-_0_1"},
        // Only the first word is the option: the program's own name may begin with "/" too.
        {"address, started by a relative name", {"/u", "Ke1"}, ADDRESS + "8/8/8/8/8/8/8/4K3_w_-_-_0_1",
         BY_RELATIVE_NAME},
        {"notation, started by a relative name", {"Ke1"}, "8/8/8/8/8/8/8/4K3 w - - 0 1", BY_RELATIVE_NAME},
        {"longer option word", {"/uxyz", "Ke1"}, ADDRESS + "8/8/8/8/8/8/8/4K3_w_-_-_0_1"},
        {"option alone is notation", {"/u"}, EMPTY},
        {"uppercase is notation", {"/U", "Ke1"}, "8/8/8/8/8/8/8/4k3 w - - 0 1"},
        {"option only first", {"Ke1", "/u", "Kd1"}, "8/8/8/8/8/8/8/3kK3 w - - 0 1"},
        {"lone slash is notation", {"/", "Ke1"}, "8/8/8/8/8/8/8/4k3 w - - 0 1"},
        {"bytes above 127", {"\xff\xfe", "Ke1", "\x80\xc3\xa9", "Qd1"}, "8/8/8/8/8/8/8/3QK3 w - - 0 1"},
        {"control bytes", {"\x01\t\n\r", "Ke1"}, "8/8/8/8/8/8/8/4K3 w - - 0 1"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.why);
        expectOneLine(testCase.words, testCase.line, testCase.setup);
    }
}

// A line that never arrives is the one failure reported: one line on standard error
// and status 1. A closed pipe ends the tool by its signal, as it does any console tool.
TEST(CommandLine, ReportsALineThatCannotBeWritten) {
    if (*WRITE_FAILURES_UNTRIED != '\0') GTEST_SKIP() << WRITE_FAILURES_UNTRIED;
    for (const std::vector<std::string>& words : {std::vector<std::string>{"Ke1"}, {"/u", "Ke1", "/", "Ke8"}}) {
        const auto full = runPiecefen(words, {"/dev/full", false, false, ""});
        EXPECT_EQ(full.err, "piecefen: No space left on device\n");
        EXPECT_EQ(full.exitCode, 1);

        const auto closed = runPiecefen(words, {"", false, true, ""});
        // A killed process never frees what it held, and a memory checker around it says so.
        if (std::getenv("PIECEFEN_TEST_WRAPPER") == nullptr) {
            EXPECT_EQ(closed.err, "");
        }
        EXPECT_EQ(closed.signal, CLOSED_PIPE_SIGNAL);
    }
}

// The longest words the system passes on are read to their ends.
TEST(CommandLine, LongWordsAreReadToTheEnd) {
    std::string skipped(LONGEST_WORD, 'x');
    std::string placements;
    while (placements.size() + 4 <= LONGEST_WORD) placements += "Ka1 ";
    expectOneLine({skipped, "Ke1"}, "8/8/8/8/8/8/8/4K3 w - - 0 1");
    expectOneLine({placements, "/", "Qd1"}, "8/8/8/8/8/8/8/K2q4 w - - 0 1");
    std::vector<std::string> many(LONGEST_WORDS_AT_ONCE, skipped);
    many.insert(many.begin(), "/u");
    many.emplace_back("Kh8");
    expectOneLine(many, ADDRESS + "7K/8/8/8/8/8/8/8_w_-_-_0_1");
}

}  // namespace
