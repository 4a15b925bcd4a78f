#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/Terminal.h"
#include "notation/Json.h"
#include "notation/Problem.h"
#include "solver/Solver.h"
#include "solver/SolvingJson.h"

// Solves the chess problems of files, or of standard input, as composers write them for
// their solver: every problem and every twin, in the composers' layout or as JSON.
namespace {

constexpr std::string_view NAME = "piecefen-solve";
// More threads than this only wait for each other, and each keeps megabytes of memory.
constexpr unsigned MOST_THREADS = 256;

constexpr std::string_view HELP =
    "Usage: piecefen-solve [OPTION]... [FILE]...\n"
    "Solves the chess problems in each FILE, or in standard input when there is no FILE or\n"
    "it is -: the solver input composers write (several problems, twins, options), or any\n"
    "other form piecefen reads, and prints each solution in the composers' layout.\n"
    "\n"
    "  --json               one JSON object a problem or twin, a line each\n"
    "  --language=LANGUAGE  en, de or fr: the keywords and piece letters (default: the\n"
    "                       text's own words)\n"
    "  --threads=N          solve on N threads (default: one a processor); the answer\n"
    "                       is the same on any number\n"
    "  --timeout=SECONDS    stop a problem after this long and say so\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Exit status: 0 when every problem was read and solved, 1 when one could not be read\n"
    "or answered (a file, an error in a problem, a stipulation the solver does not take,\n"
    "a timeout), 2 for bad usage.\n";

struct Settings {
    bool json = false;
    std::string language;
    double timeout = -1;  // seconds; below zero for none
    unsigned threads = std::max(1U, std::thread::hardware_concurrency());
    std::vector<std::string> files;
};

void usage(const std::string& message) {
    std::cerr << NAME << ": " << message << "\nTry '" << NAME << " --help' for more information.\n";
}

// The value of "--name=value" or of "--name value"; false with a message where it is missing.
bool valueOf(const std::vector<std::string>& words, std::size_t& at, std::string_view name, std::string& value) {
    const std::string& word = words[at];
    if (word.size() > name.size() && word[name.size()] == '=') {
        value = word.substr(name.size() + 1);
        return true;
    }
    if (at + 1 >= words.size()) {
        usage("option '" + std::string(name) + "' needs a value");
        return false;
    }
    value = words[++at];
    return true;
}

// The settings, or the exit status for bad usage (2) or a question answered (0).
int settingsOf(const std::vector<std::string>& words, Settings& settings) {
    bool options = true;
    for (std::size_t at = 0; at < words.size(); ++at) {
        const std::string& word = words[at];
        const auto is = [&](std::string_view name) { return word == name || (word.starts_with(name) && word[name.size()] == '='); };
        if (!options || word == "-" || !word.starts_with("-")) {
            settings.files.push_back(word);
        } else if (word == "--") {
            options = false;
        } else if (word == "--help") {
            std::cout << HELP;
            return 0;
        } else if (word == "--version") {
            std::cout << NAME << ' ' << PIECEFEN_VERSION << '\n';
            return 0;
        } else if (word == "--json") {
            settings.json = true;
        } else if (is("--language")) {
            if (!valueOf(words, at, "--language", settings.language)) return 2;
            if (settings.language != "en" && settings.language != "de" && settings.language != "fr") {
                usage("the language is en, de or fr, not '" + settings.language + "'");
                return 2;
            }
        } else if (is("--timeout")) {
            std::string value;
            if (!valueOf(words, at, "--timeout", value)) return 2;
            std::istringstream in(value);
            double seconds = -1;
            if (!(in >> seconds) || !in.eof() || seconds < 0) {
                usage("the timeout is a number of seconds, not '" + value + "'");
                return 2;
            }
            settings.timeout = seconds;
        } else if (is("--threads")) {
            std::string value;
            if (!valueOf(words, at, "--threads", value)) return 2;
            std::istringstream in(value);
            unsigned threads = 0;
            // A sign is refused before the number is read: unsigned reading takes "-1" as a huge number.
            if (value.find_first_not_of("0123456789") != std::string::npos || !(in >> threads) || threads < 1 || threads > MOST_THREADS) {
                usage("the threads are a number from 1 to " + std::to_string(MOST_THREADS) + ", not '" + value + "'");
                return 2;
            }
            settings.threads = threads;
        } else {
            usage("unknown option '" + word + "'");
            return 2;
        }
    }
    if (settings.files.empty()) settings.files.emplace_back("-");
    return -1;
}

bool readAll(const std::string& file, std::string& text) {
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// "line 3, column 7" of a byte offset, as an editor counts them.
std::string whereIn(std::string_view text, std::size_t at) {
    at = std::min(at, text.size());
    const std::size_t line = static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n')) + 1;
    const std::size_t start = text.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t column = at - (start == std::string_view::npos || at == 0 ? 0 : start + 1) + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

class Run {
public:
    explicit Run(const Settings& settings) : settings_(settings), progress_(piecefen::app::standardErrorIsTerminal()) {}

    // Every problem of one file; false where something could not be read or answered.
    bool file(const std::string& name) {
        std::string text;
        if (!readAll(name, text)) {
            std::cerr << NAME << ": " << (name == "-" ? "standard input" : name) << ": cannot be read\n";
            return false;
        }
        bool fine = true;
        std::size_t problem = 0;
        for (const piecefen::ProblemReading& reading : piecefen::readProblems(text, settings_.language)) {
            if (reading.twin.empty() || reading.twin == "a") ++problem;
            fine = one(name, text, problem, reading) && fine;
        }
        return fine;
    }

private:
    bool one(const std::string& file, std::string_view text, std::size_t problem, const piecefen::ProblemReading& reading) {
        const std::string label = "problem " + std::to_string(problem) + (reading.twin.empty() ? "" : " " + reading.twin + ")");
        const std::string where = (file == "-" ? "standard input" : file) + ": " + label;
        bool fine = reading.errors.empty();
        for (const auto& error : reading.errors) {
            std::cerr << NAME << ": " << where << ": " << piecefen::problemErrorName(error.kind) << " at " << whereIn(text, error.at) << '\n';
        }
        std::vector<piecefen::Solving> solvings;
        bool timedOut = false;
        if (fine) {
            for (const auto& position : piecefen::positionsToSolve(reading)) {
                solvings.push_back(solve(position, reading, label, timedOut));
                if (solvings.back().status != piecefen::SolveStatus::solved) fine = false;
            }
            if (timedOut) {
                fine = false;
                std::cerr << NAME << ": " << where << ": timed out after " << settings_.timeout << " s\n";
            }
        }
        if (settings_.json) {
            piecefen::JsonWriter out;
            out.beginObject().key("file").text(file).key("problem").number(static_cast<std::int64_t>(problem)).key("reading");
            piecefen::writeJson(out, reading);
            out.key("solvings").beginArray();
            for (const auto& solving : solvings) piecefen::writeJson(out, solving);
            out.endArray().key("timedOut").boolean(timedOut).endObject();
            std::cout << out.str() << '\n';
        } else {
            print(problem, reading, solvings, timedOut);
        }
        return fine;
    }

    // The problem's heading, its position and stipulation, then each solution.
    void print(std::size_t problem, const piecefen::ProblemReading& reading, const std::vector<piecefen::Solving>& solvings, bool timedOut) const {
        std::string heading = "Problem " + std::to_string(problem);
        if (!reading.twin.empty()) heading += ' ' + reading.twin + ')';
        for (const auto& datum : reading.data) {
            if (datum.field != "remark") heading += (heading.find(':') == std::string::npos ? ": " : ", ") + datum.text;
        }
        std::cout << heading << '\n';
        for (const auto& solving : solvings) {
            std::cout << solving.position.toFen() << "  " << solving.stipulation << '\n' << piecefen::solutionText(solving);
        }
        if (solvings.empty()) std::cout << "not read\n";
        if (timedOut) std::cout << "timed out\n";
        std::cout << '\n';
    }

    piecefen::Solving solve(const piecefen::FenPosition& position, const piecefen::ProblemReading& reading, const std::string& label,
                            bool& timedOut) const {
        piecefen::Solver solver(position, reading.stipulation, reading.options);
        solver.useThreads(settings_.threads);
        const auto start = std::chrono::steady_clock::now();
        while (!solver.done()) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (settings_.timeout >= 0 && seconds >= settings_.timeout) {
                timedOut = true;
                break;
            }
            if (progress_) std::cerr << '\r' << NAME << ": " << label << ' ' << static_cast<int>(solver.fraction() * 100) << " %" << std::flush;
            solver.step();
        }
        if (progress_) std::cerr << "\r\033[K" << std::flush;
        return solver.result();
    }

    const Settings& settings_;
    bool progress_;
};

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
    Settings settings;
    if (const int status = settingsOf(words, settings); status >= 0) return status;
    Run run(settings);
    bool fine = true;
    for (const std::string& file : settings.files) fine = run.file(file) && fine;
    std::cout.flush();
    if (!std::cout) {
        std::cerr << NAME << ": standard output could not be written\n";
        return 1;
    }
    return fine ? 0 : 1;
}
