#include "RunPiecefen.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

const char* const LINE_END = "\r\n";
const char* const WRITE_FAILURES_UNTRIED =
    "Windows has no device that is always full, and no signal for a closed pipe";
const int CLOSED_PIPE_SIGNAL = 0;
// A whole command line holds at most 32,767 characters, the program's own path included.
const std::size_t LONGEST_WORD = 30 * 1024 - 1;
const std::size_t LONGEST_WORDS_AT_ONCE = 1;

namespace {

// Quotes a word so that the C runtime's parser hands it to the tool unchanged: a run of
// backslashes is doubled only where a quote follows it.
std::string quoted(const std::string& word) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        text.append(backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, '\\');
    return text + '"';
}

HANDLE inheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Run runPiecefen(const std::vector<std::string>& words, const Setup& setup) {
    const std::string executable = setup.program.empty() ? std::string(PIECEFEN_EXECUTABLE) : setup.program;
    const std::size_t slash = executable.find_last_of("/\\");
    std::string commandLine = quoted(setup.relative ? ".\\" + executable.substr(slash + 1) : executable);
    for (const auto& word : words) commandLine += ' ' + quoted(word);

    const std::string stem = testing::TempDir() + "piecefen-test." + std::to_string(GetCurrentProcessId());
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = inheritableFile(outPath);
    startup.hStdError = inheritableFile(errPath);
    const std::string folder = executable.substr(0, slash);
    PROCESS_INFORMATION process{};
    Run run;
    if (CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       setup.relative ? folder.c_str() : nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) run.exitCode = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    run.out = contentsOf(outPath);
    run.err = contentsOf(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}
