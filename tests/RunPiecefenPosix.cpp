#include "RunPiecefen.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

extern char** environ;

const char* const LINE_END = "\n";
const char* const WRITE_FAILURES_UNTRIED = "";
const int CLOSED_PIPE_SIGNAL = SIGPIPE;
// The kernel's limit on one word, less its terminating NUL; twelve make about 1.5 MB,
// below the usual 2 MB for all of them.
const std::size_t LONGEST_WORD = 128 * 1024 - 1;
const std::size_t LONGEST_WORDS_AT_ONCE = 12;

namespace {

void addWords(std::vector<std::string>& command, const char* words) {
    std::istringstream split(words);
    for (std::string part; split >> part;) command.push_back(part);
}

}  // namespace

// The tool runs under the emulator the tests run under (qemu), and under the command in
// PIECEFEN_TEST_WRAPPER (the memory checker in CI).
Run runPiecefen(const std::vector<std::string>& words, const Setup& setup) {
    std::vector<std::string> command;
    if (const char* wrapper = std::getenv("PIECEFEN_TEST_WRAPPER")) addWords(command, wrapper);
    addWords(command, PIECEFEN_EMULATOR);
    const std::string executable = setup.program.empty() ? std::string(PIECEFEN_EXECUTABLE) : setup.program;
    const std::size_t slash = executable.rfind('/');
    // Appended rather than written "." + name: GCC 12 at -O3 warns falsely about the latter.
    command.push_back(setup.relative ? std::string(".").append(executable, slash) : executable);
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
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
        if (setup.out.empty() && !setup.closedPipe) run.out = contentsOf(outPath);
        run.err = contentsOf(errPath);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (setup.out.empty()) std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}
