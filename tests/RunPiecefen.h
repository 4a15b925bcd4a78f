#pragma once

#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Starting the built tool and collecting what it wrote: the one part of the tests that
// each operating system does its own way.

struct Run {
    std::string out;
    std::string err;
    // The exit status, or -1 when the process was ended by a signal or never started.
    int exitCode = -1;
    // The signal that ended the process, or 0.
    int signal = 0;
};

// Where the tool's standard output goes, and by which name it is started.
struct Setup {
    // A file to write to, such as "/dev/full"; empty for a scratch file that is read back.
    std::string out;
    // Started as "./piecefen" from its own folder, so its name does not begin with "/".
    bool relative = false;
    // Standard output is a pipe whose reading end is already closed.
    bool closedPipe = false;
    // The program to start, such as the one that solves files; empty for the tool.
    std::string program;
};

// The bytes of a file, such as the tool's standard output collected in a scratch file.
inline std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Runs the built tool with exactly these words and collects both streams.
Run runPiecefen(const std::vector<std::string>& words, const Setup& setup = {});

// What ends a line the tool writes in text mode: "\n", or "\r\n" on Windows.
extern const char* const LINE_END;
// Why a full device and a closed pipe cannot be tried here; empty where they can.
extern const char* const WRITE_FAILURES_UNTRIED;
// The signal a write to a closed pipe raises, where there is one.
extern const int CLOSED_PIPE_SIGNAL;
// The longest word the system passes to a program, and how many such words at once.
extern const std::size_t LONGEST_WORD;
extern const std::size_t LONGEST_WORDS_AT_ONCE;
