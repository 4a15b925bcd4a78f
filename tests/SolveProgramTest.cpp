#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "RunPiecefen.h"

// The program that solves files, started as a user starts it.
namespace {

// A file in the test's scratch folder with the given bytes; its path.
std::string scratchFile(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

::Run solveWith(const std::vector<std::string>& words) {
    Setup setup;
    setup.program = PIECEFEN_SOLVE_EXECUTABLE;
    return runPiecefen(words, setup);
}

// Lines as the program writes them in text mode.
std::string lines(std::initializer_list<const char*> each) {
    std::string text;
    for (const char* line : each) text.append(line).append(LINE_END);
    return text;
}

const std::string TWO_PROBLEMS =
    "begin\nauthor A. Composer\norigin Die Schwalbe 1990\npieces white kb6 rh1 black ka8\nstipulation #2\n"
    "option setplay nothreat maxsolutions 1\nnext\npieces white kb6 rh1 black ka8\nstipulation h#1\n"
    "twin move h1 h2\nend\n";

struct UsageCase {
    std::vector<std::string> words;
    int exitCode;
    const char* outStart;  // what standard output begins with
    const char* errStart;  // what standard error begins with
};

// The conventions of a console program: help, version, bad usage, a file not there.
TEST(SolveProgram, Usage) {
    const std::vector<UsageCase> cases = {
        {{"--help"}, 0, "Usage: piecefen-solve [OPTION]... [FILE]...", ""},
        {{"--version"}, 0, "piecefen-solve ", ""},
        {{"--bogus"}, 2, "", "piecefen-solve: unknown option '--bogus'"},
        {{"--language=it"}, 2, "", "piecefen-solve: the language is en, de or fr, not 'it'"},
        {{"--timeout", "soon"}, 2, "", "piecefen-solve: the timeout is a number of seconds, not 'soon'"},
        {{"--timeout"}, 2, "", "piecefen-solve: option '--timeout' needs a value"},
        {{"--timeout=-1"}, 2, "", "piecefen-solve: the timeout is a number of seconds, not '-1'"},
        {{"--threads=0"}, 2, "", "piecefen-solve: the threads are a number from 1 to 256, not '0'"},
        {{"--threads", "-1"}, 2, "", "piecefen-solve: the threads are a number from 1 to 256, not '-1'"},
        {{"--threads=257"}, 2, "", "piecefen-solve: the threads are a number from 1 to 256, not '257'"},
        {{"--threads=2x"}, 2, "", "piecefen-solve: the threads are a number from 1 to 256, not '2x'"},
        {{"no-such-file.txt"}, 1, "", "piecefen-solve: no-such-file.txt: cannot be read"},
    };
    for (const auto& [words, exitCode, outStart, errStart] : cases) {
        const ::Run run = solveWith(words);
        EXPECT_EQ(run.exitCode, exitCode) << words[0];
        EXPECT_EQ(run.out.substr(0, std::string(outStart).size()), outStart) << words[0];
        EXPECT_EQ(run.err.substr(0, std::string(errStart).size()), errStart) << words[0];
    }
}

// Every problem and twin of a file, solved as its options ask, in the composers' layout.
TEST(SolveProgram, SolvesEveryProblemAndTwin) {
    const ::Run run = solveWith({scratchFile("two-problems.txt", TWO_PROBLEMS)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, lines({"Problem 1: A. Composer, Die Schwalbe 1990", "k7/8/1K6/8/8/8/8/7R w - - 0 1  #2", "1...Kb8 2.Rh8#",
                              "1.Kc7!", "1...Ka7 2.Ra1#", "", "Problem 2 a)", "k7/8/1K6/8/8/8/8/7R b - - 0 1  h#1",
                              "1.Kb8 Rh8#", "", "Problem 2 b)", "k7/8/1K6/8/8/8/7R/8 b - - 0 1  h#1", "1.Kb8 Rh8#", ""}));
    // On one thread or three, the same.
    for (const char* threads : {"--threads=1", "--threads=3"}) EXPECT_EQ(solveWith({threads, scratchFile("two-problems.txt", TWO_PROBLEMS)}).out, run.out);
    // As JSON, one object a line, each with its reading and solving.
    const ::Run json = solveWith({"--json", scratchFile("two-problems.txt", TWO_PROBLEMS)});
    EXPECT_EQ(json.exitCode, 0);
    std::vector<std::string> objects;
    for (std::size_t at = 0; at < json.out.size();) {
        const std::size_t end = json.out.find('\n', at);
        objects.push_back(json.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(objects.size(), 3U);
    EXPECT_NE(objects[0].find(R"("problem":1,"reading":{"fen":"k7/8/1K6/8/8/8/8/7R w - - 0 1","stipulation":"#2")"), std::string::npos);
    EXPECT_NE(objects[0].find(R"("data":[{"field":"author","text":"A. Composer"})"), std::string::npos);
    EXPECT_NE(objects[2].find(R"("twin":"b")"), std::string::npos);
    EXPECT_NE(objects[2].find(R"("text":"1.Kb8 Rh8#\n"}],"timedOut":false})"), std::string::npos);
}

// What cannot be read or answered is said on standard error, where it stands, with status 1.
TEST(SolveProgram, SaysWhatItCouldNotDo) {
    const ::Run fairy = solveWith({scratchFile("fairy.txt", "pieces white kg1\n  ng5 black kg8 stip #2\n")});
    EXPECT_EQ(fairy.exitCode, 1);
    EXPECT_NE(fairy.err.find(": problem 1: fairy at line 2, column 3"), std::string::npos) << fairy.err;
    EXPECT_EQ(fairy.out, lines({"Problem 1", "not read", ""}));
    // A word of one letter at the end of its line stands in that line's column, not the next's.
    const ::Run letter = solveWith({scratchFile("letter.txt", "pieces white kg1 black kg8\nx\nstip #2\n")});
    const std::string_view said = ": problem 1: unknown-word at line 2, column 1";
    const std::size_t at = letter.err.find(said);
    ASSERT_NE(at, std::string::npos) << letter.err;
    // "column 1" ends the line, however the system ends lines: it is not "column 10".
    EXPECT_TRUE(at + said.size() < letter.err.size() && (letter.err[at + said.size()] == '\n' || letter.err[at + said.size()] == '\r')) << letter.err;
    // On the first line the column counts from the text's start.
    const ::Run first = solveWith({scratchFile("first.txt", "pieces white kg1 xx black kg8 stip #2\n")});
    EXPECT_NE(first.err.find(": problem 1: unknown-word at line 1, column 18"), std::string::npos) << first.err;
    // An answer that cannot be written is said so, with status 1.
    if (*WRITE_FAILURES_UNTRIED == '\0') {
        ::Setup full;
        full.program = PIECEFEN_SOLVE_EXECUTABLE;
        full.out = "/dev/full";
        const ::Run unwritten = runPiecefen({scratchFile("letter.txt", "pieces white kg1 black kg8 stip #2\n")}, full);
        EXPECT_EQ(unwritten.exitCode, 1);
        EXPECT_NE(unwritten.err.find("piecefen-solve: standard output could not be written"), std::string::npos) << unwritten.err;
    }
    const ::Run untaken = solveWith({scratchFile("long.txt", "pieces white kg1 black kg8 stip h#6\n")});
    EXPECT_EQ(untaken.exitCode, 1);
    EXPECT_NE(untaken.out.find("not a stipulation the solver takes"), std::string::npos);
    const ::Run late = solveWith({"--timeout=0", scratchFile("two-problems.txt", TWO_PROBLEMS)});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_NE(late.err.find("two-problems.txt: problem 1: timed out after 0 s"), std::string::npos) << late.err;
}

}  // namespace
