#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    std::string out;
    std::string err;
    int status = -1;
};

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Runs the built tool with exactly these words, optionally under the command in
// PIECEFEN_TEST_WRAPPER (the memory checker in CI), and collects both streams.
Run runPiecefen(const std::vector<std::string>& words) {
    std::vector<std::string> command;
    if (const char* wrapper = std::getenv("PIECEFEN_TEST_WRAPPER")) {
        std::istringstream split(wrapper);
        for (std::string part; split >> part;) command.push_back(part);
    }
    command.emplace_back(PIECEFEN_EXECUTABLE);
    command.insert(command.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);

    // Named for this process, so test programs running side by side do not share files.
    const std::string stem = testing::TempDir() + "piecefen-test." + std::to_string(getpid());
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Run run;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        waitpid(pid, &run.status, 0);
        run.out = contentsOf(outPath);
        run.err = contentsOf(errPath);
    }
    posix_spawn_file_actions_destroy(&actions);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

void expectOneLine(const std::vector<std::string>& words, const std::string& line) {
    const Run run = runPiecefen(words);
    EXPECT_EQ(run.out, line + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
}

const std::string EMPTY = "8/8/8/8/8/8/8/8 w - - 0 1";
const std::string ADDRESS = "https://syzygy-tables.info/?fen=";

struct CommandLineCase {
    const char* why;
    std::vector<std::string> words;
    std::string line;
};

TEST(CommandLine, PrintsExactlyOneLine) {
    const CommandLineCase cases[] = {
        {"no words", {}, EMPTY},
        {"one empty word", {""}, EMPTY},
        {"two empty words", {"", ""}, EMPTY},
        {"example", {"Kg1", "Rf1", "Pf2g2h2", "/", "Kg8", "Pf7g7h7"}, "6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1"},
        {"several words", {"Ke1", "Pe2", "/", "Ke8"}, "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
        {"one quoted word", {"Ke1 Pe2 / Ke8"}, "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
        {"empty words between", {"Ke1", "", "/", "", "Ke8"}, "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
        {"reading stops early", {"Qd1", "and", "Ke1"}, "8/8/8/8/8/8/8/3Q4 w - - 0 1"},
        {"address", {"/u", "Ke1", "/", "Ke8"}, ADDRESS + "4k3/8/8/8/8/8/8/4K3_w_-_-_0_1"},
        {"address of an empty word", {"/u", ""}, ADDRESS + "8/8/8/8/8/8/8/8_w_-_-_0_1"},
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
        expectOneLine(testCase.words, testCase.line);
    }
}

// The longest words the kernel passes on: 128 KiB less the terminating NUL.
TEST(CommandLine, LongWordsAreReadToTheEnd) {
    const std::size_t wordLength = 128 * 1024 - 1;
    std::string skipped(wordLength, 'x');
    std::string placements;
    while (placements.size() + 4 <= wordLength) placements += "Ka1 ";
    expectOneLine({skipped, "Ke1"}, "8/8/8/8/8/8/8/4K3 w - - 0 1");
    expectOneLine({placements, "/", "Qd1"}, "8/8/8/8/8/8/8/K2q4 w - - 0 1");
    // Twelve such words make about 1.5 MB of arguments, below the usual 2 MB limit.
    std::vector<std::string> many(12, skipped);
    many.insert(many.begin(), "/u");
    many.emplace_back("Kh8");
    expectOneLine(many, ADDRESS + "7K/8/8/8/8/8/8/8_w_-_-_0_1");
}

}  // namespace
