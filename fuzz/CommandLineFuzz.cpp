#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The program's own entry function, compiled into this target under another name.
int piecefenMain(int argc, char* argv[]);

// Fuzzer bytes, split at NUL bytes into argument words, run through the whole program:
// exactly one line, and with "/u" an address whose query holds no space.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"piecefen"};
    std::string word;
    for (std::size_t at = 0; at < size; ++at) {
        if (data[at] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[at]);
        }
    }
    if (size > 0) words.push_back(word);
    std::vector<char*> argv;
    for (auto& each : words) argv.push_back(each.data());
    argv.push_back(nullptr);

    // The driver writes to C's standard output, so that is pointed at memory for the run.
    char* buffer = nullptr;
    std::size_t length = 0;
    FILE* const captured = open_memstream(&buffer, &length);
    FILE* const saved = stdout;
    stdout = captured;
    const int status = piecefenMain(static_cast<int>(words.size()), argv.data());
    stdout = saved;
    std::fclose(captured);
    const std::string out(buffer, length);
    std::free(buffer);

    if (status != 0 || out.empty() || out.back() != '\n' || out.find('\n') != out.size() - 1) {
        std::abort();
    }
    const bool address = words.size() > 2 && words[1].size() >= 2 && words[1][0] == '/' && words[1][1] == 'u';
    const std::string_view prefix = "https://syzygy-tables.info/?fen=";
    if (address != (out.compare(0, prefix.size(), prefix) == 0)) std::abort();
    if (address && out.find(' ') != std::string::npos) std::abort();
    if (!address && std::count(out.begin(), out.end(), ' ') != 5) std::abort();
    return 0;
}
