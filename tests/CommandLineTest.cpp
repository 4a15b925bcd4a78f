#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    for (const int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);

    Run run;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    for (int open = 2; spawned == 0 && open > 0;) {
        if (poll(fds, 2, -1) < 0) break;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0) continue;
            char buffer[65536];
            const ssize_t got = read(fds[k].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[k]->append(buffer, static_cast<std::size_t>(got));
            } else {
                close(fds[k].fd);
                fds[k].fd = -1;
                --open;
            }
        }
    }
    if (spawned == 0) waitpid(pid, &run.status, 0);
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
