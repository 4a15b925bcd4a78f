#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
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

// Where the tool's standard output goes, and by which name it is started.
struct Setup {
    // A file to write to, such as "/dev/full"; empty for a scratch file that is read back.
    std::string out;
    // Started as "./piecefen" from its own folder, so its name does not begin with "/".
    bool relative = false;
    // Standard output is a pipe whose reading end is already closed.
    bool closedPipe = false;
};

// Runs the built tool with exactly these words, optionally under the command in
// PIECEFEN_TEST_WRAPPER (the memory checker in CI), and collects both streams.
Run runPiecefen(const std::vector<std::string>& words, const Setup& setup = {}) {
    std::vector<std::string> command;
    if (const char* wrapper = std::getenv("PIECEFEN_TEST_WRAPPER")) {
        std::istringstream split(wrapper);
        for (std::string part; split >> part;) command.push_back(part);
    }
    const std::string executable = PIECEFEN_EXECUTABLE;
    const std::size_t slash = executable.rfind('/');
    command.push_back(setup.relative ? "." + executable.substr(slash) : executable);
    command.insert(command.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);

    // Named for this process, so test programs running side by side do not share files.
    const std::string stem = testing::TempDir() + "piecefen-test." + std::to_string(getpid());
    const std::string outPath = setup.out.empty() ? stem + ".out" : setup.out;
    const std::string errPath = stem + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeEnds[2] = {-1, -1};
    if (setup.closedPipe && pipe(pipeEnds) == 0) {
        close(pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (setup.relative) {
        posix_spawn_file_actions_addchdir_np(&actions, executable.substr(0, slash).c_str());
    }
    // The tool meets a closed pipe with the default action, whatever this process does.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    Run run;
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ) == 0) {
        if (pipeEnds[1] >= 0) close(pipeEnds[1]);
        waitpid(pid, &run.status, 0);
        if (setup.out.empty() && !setup.closedPipe) run.out = contentsOf(outPath);
        run.err = contentsOf(errPath);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (setup.out.empty()) std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

void expectOneLine(const std::vector<std::string>& words, const std::string& line, const Setup& setup = {}) {
    const Run run = runPiecefen(words, setup);
    EXPECT_EQ(run.out, line + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
}

const std::string EMPTY = "8/8/8/8/8/8/8/8 w - - 0 1";
const std::string ADDRESS = "https://syzygy-tables.info/?fen=";
const Setup BY_RELATIVE_NAME{"", true, false};

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
    for (const std::vector<std::string>& words : {std::vector<std::string>{"Ke1"}, {"/u", "Ke1", "/", "Ke8"}}) {
        const auto full = runPiecefen(words, {"/dev/full", false, false});
        EXPECT_EQ(full.err, "piecefen: No space left on device\n");
        EXPECT_TRUE(WIFEXITED(full.status) && WEXITSTATUS(full.status) == 1) << full.status;

        const auto closed = runPiecefen(words, {"", false, true});
        // A killed process never frees what it held, and a memory checker around it says so.
        if (std::getenv("PIECEFEN_TEST_WRAPPER") == nullptr) {
            EXPECT_EQ(closed.err, "");
        }
        EXPECT_TRUE(WIFSIGNALED(closed.status) && WTERMSIG(closed.status) == SIGPIPE) << closed.status;
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
