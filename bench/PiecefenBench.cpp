#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <piecefen/diagram/Diagram.h>
#include <piecefen/endgame/Tablebase.h>
#include <piecefen/notation/FenErrors.h>
#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>
#include <piecefen/rules/Illegalities.h>
#include <piecefen/notation/Problem.h>
#include <piecefen/solver/Solver.h>

using piecefen::FenPosition;

int piecefenMain(int argc, char* argv[]);

namespace {

const std::string EXAMPLE = "Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7";
const std::string OPENING = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const std::string MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/2ppP3/3P4/2PB1N2/PP1N1PPP/R1BQK2R w KQ d6 14 27";
// Every square taken, and four kinds of illegality to report, the material of both colours among them.
// A double check that a knight's move gave, uncovering the rook: every last move is tried.
const std::string DOUBLE_CHECK = "4k3/8/3N4/8/8/8/8/K3R3 b - - 0 1";
const std::string CROWDED = "qqqqkqqq/pppppppp/QQQQQQQQ/nnnnnnnn/NNNNNNNN/PPPPPPPP/RRRRRRRR/BBBBKBBx b KQkq e6 0 1";

// The example repeated to exactly `size` bytes: every placement in it is read.
std::string pieceListOfSize(std::size_t size) {
    std::string text;
    while (text.size() < size) text += EXAMPLE + ' ';
    text.resize(size);
    return text;
}

void readPieceList(benchmark::State& state) {
    const std::string text = state.range(0) == 0 ? EXAMPLE : pieceListOfSize(static_cast<std::size_t>(state.range(0)));
    FenPosition position;
    for (auto _ : state) {
        position.readPieceList(text);
        benchmark::DoNotOptimize(position);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
// 0 stands for the example text itself.
BENCHMARK(readPieceList)->Arg(0)->Arg(1000)->Arg(1000000);

void readPieceListAndToFen(benchmark::State& state) {
    FenPosition position;
    for (auto _ : state) {
        position.readPieceList(EXAMPLE);
        benchmark::DoNotOptimize(position.toFen());
    }
}
BENCHMARK(readPieceListAndToFen);

// Either writer on the standard opening position.
void writeOpening(benchmark::State& state, std::string (FenPosition::*write)() const) {
    FenPosition position;
    position.fromFen(OPENING);
    for (auto _ : state) {
        benchmark::DoNotOptimize((position.*write)());
    }
}
BENCHMARK_CAPTURE(writeOpening, toFen, &FenPosition::toFen);
BENCHMARK_CAPTURE(writeOpening, toPieceList, &FenPosition::toPieceList);

void fromFen(benchmark::State& state, const std::string& line) {
    FenPosition position;
    for (auto _ : state) {
        position.fromFen(line);
        benchmark::DoNotOptimize(position);
    }
}
BENCHMARK_CAPTURE(fromFen, opening, OPENING);
BENCHMARK_CAPTURE(fromFen, middlegame, MIDDLEGAME);

void illegalities(benchmark::State& state, const std::string& line) {
    FenPosition position;
    position.fromFen(line);
    for (auto _ : state) {
        benchmark::DoNotOptimize(piecefen::illegalities(position));
    }
}
BENCHMARK_CAPTURE(illegalities, opening, OPENING);
BENCHMARK_CAPTURE(illegalities, middlegame, MIDDLEGAME);
BENCHMARK_CAPTURE(illegalities, crowded, CROWDED);
BENCHMARK_CAPTURE(illegalities, doubleCheck, DOUBLE_CHECK);

void fenErrors(benchmark::State& state, const std::string& line) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(piecefen::fenErrors(line));
    }
}
BENCHMARK_CAPTURE(fenErrors, opening, OPENING);
BENCHMARK_CAPTURE(fenErrors, middlegame, MIDDLEGAME);

// A diagram of the opening position with the default options, and its size in bytes.
const std::string KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

void legalMoves(benchmark::State& state, const std::string& line) {
    FenPosition position;
    position.fromFen(line);
    for (auto _ : state) benchmark::DoNotOptimize(piecefen::legalMoves(position));
}
BENCHMARK_CAPTURE(legalMoves, opening, OPENING);
BENCHMARK_CAPTURE(legalMoves, middlegame, MIDDLEGAME);
BENCHMARK_CAPTURE(legalMoves, kiwipete, KIWIPETE);

// The deep perft runs that the tests leave out; nodes per second as the counter.
void perft(benchmark::State& state, const std::string& line) {
    FenPosition position;
    position.fromFen(line);
    const int depth = static_cast<int>(state.range(0));
    std::uint64_t nodes = 0;
    for (auto _ : state) nodes += piecefen::perft(position, depth);
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(perft, opening, OPENING)->Arg(6)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(perft, kiwipete, KIWIPETE)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(3);

void sanOfEveryMove(benchmark::State& state) {
    FenPosition position;
    position.fromFen(KIWIPETE);
    const auto moves = piecefen::legalMoves(position);
    for (auto _ : state) {
        for (const auto move : moves) benchmark::DoNotOptimize(piecefen::san(position, move));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * moves.size()));
}
BENCHMARK(sanOfEveryMove);

FenPosition fenOf(const std::string& line) {
    FenPosition position;
    position.fromFen(line);
    return position;
}

// A table worked out cold, with every table it leads into, by a new Tablebase each time;
// the counter is the bytes it keeps.
void workOutTable(benchmark::State& state, const std::string& line) {
    const FenPosition position = fenOf(line);
    std::size_t bytes = 0;
    for (auto _ : state) {
        piecefen::Tablebase tables;
        benchmark::DoNotOptimize(tables.probe(position));
        bytes = tables.bytes();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK_CAPTURE(workOutTable, queenAgainstRook, "8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(workOutTable, rookAgainstPawn, "8/8/8/8/8/2k5/1p6/K5R1 w - - 0 1")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(workOutTable, pawnAgainstPawn, "8/8/8/8/1k1p4/8/4P3/2K5 w - - 0 1")->Unit(benchmark::kMillisecond)->Iterations(1);

// Every table of three and four pieces, one Tablebase for them all.
void workOutEveryTable(benchmark::State& state) {
    constexpr const char* KINDS = "QRBNP";
    std::size_t bytes = 0;
    for (auto _ : state) {
        piecefen::Tablebase tables;
        for (const char* white = KINDS; *white != 0; ++white) {
            benchmark::DoNotOptimize(tables.statistics(std::string("K") + *white + "vK"));
            for (const char* other = white; *other != 0; ++other) {
                benchmark::DoNotOptimize(tables.statistics(std::string("K") + *white + *other + "vK"));
                benchmark::DoNotOptimize(tables.statistics(std::string("K") + *white + "vK" + *other));
            }
        }
        bytes = tables.bytes();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(workOutEveryTable)->Unit(benchmark::kMillisecond)->Iterations(1);

// A warm answer: the verdict and every move's, with their SAN.
void probeWarm(benchmark::State& state) {
    piecefen::Tablebase tables;
    const FenPosition position = fenOf("8/8/8/8/8/2k5/1r6/K5Q1 w - - 0 1");
    benchmark::DoNotOptimize(tables.probe(position));
    for (auto _ : state) benchmark::DoNotOptimize(tables.probe(position));
}
BENCHMARK(probeWarm);

// Problems as composers pose them: two-movers of 14 and 16 pieces with every try, a
// three-mover of 13, and a helpmate in three of 8 pieces with 67 solutions.
void solve(benchmark::State& state, const std::string& line, const std::string& stipulation) {
    const FenPosition position = fenOf(line);
    for (auto _ : state) benchmark::DoNotOptimize(piecefen::solve(position, stipulation));
}
BENCHMARK_CAPTURE(solve, twoMover14, "8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1", "#2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solve, twoMover16, "2n2K2/1Q3Pr1/3pk3/5bp1/4p1q1/2B1nNNB/8/8 w - - 0 1", "#2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solve, threeMover13, "3k4/3P3P/1P5Q/8/5r1p/1KB5/P6p/b1b2B2 w - - 0 1", "#3")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solve, helpmateInThree8, "3b3b/8/3P3P/1K1B4/8/r6k/8/8 b - - 0 1", "h#3")->Unit(benchmark::kMillisecond)->Iterations(3);

// A helpmate in three of 19 pieces that takes a second on one thread (Popeye's example
// intell.inp, its 39th problem), on one thread and on two: the answer is the same.
void solveOnThreads(benchmark::State& state) {
    const FenPosition position = fenOf("5B2/2p1p3/1p2pp1b/5P1b/2p1k2q/6rp/p3B1P1/R3K3 b Q - 0 1");
    for (auto _ : state) benchmark::DoNotOptimize(piecefen::solve(position, "h#3", {}, static_cast<unsigned>(state.range(0))));
}
BENCHMARK(solveOnThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The helpmates measured against the composers' own solver (Popeye's examples intell.inp
// and hpint.inp): Moser's h#4 and its twin, Ebert's h#3, Steudel's two h=4. One thread,
// one run each: the slowest take a minute.
BENCHMARK_CAPTURE(solve, helpmateMoser, "2K5/8/8/8/3rNk2/2B5/1b6/8 b - - 0 1", "h#4")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(solve, helpmateMoserTwin, "1bK5/8/8/8/3rNk2/2B5/8/8 b - - 0 1", "h#4")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(solve, helpmateEbert, "8/8/8/1nk5/1rp5/6P1/8/R3K3 b Q - 0 1", "h#3")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(solve, helpstalemateSteudel, "8/8/6KP/8/8/8/1pp1Rppp/k7 b - - 0 1", "h=4")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(solve, helpstalemateSteudel2, "8/7K/6P1/8/8/8/1pp1Rppp/k7 b - - 0 1", "h=4")->Unit(benchmark::kMillisecond)->Iterations(1);

// As composers ask: a four-mover (Popeye's castling example) and a selfmate in three with
// set play (Popeye's example), each with its tries.
void solveAsAsked(benchmark::State& state, const std::string& line, const std::string& stipulation) {
    const FenPosition position = fenOf(line);
    piecefen::ProblemOptions options;
    options.tries = true;
    options.setPlay = true;
    for (auto _ : state) benchmark::DoNotOptimize(piecefen::solve(position, stipulation, options));
}
BENCHMARK_CAPTURE(solveAsAsked, fourMover, "r3k3/2Qp3R/1p6/1b2K3/4p3/8/5p2/8 w q - 0 1", "#4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(solveAsAsked, selfmateInThree, "8/R4PpP/5kp1/PP1R2N1/Kp3P1B/bQ4P1/rr1p4/nn1b1N1B w - - 0 1", "s#3")
    ->Unit(benchmark::kMillisecond);

// A file of 100 problems in the solver's input, read and solved as the file program does:
// two-movers, a three-mover and helpmates in two, 25 of each.
void solveFileOf100(benchmark::State& state) {
    const std::string problems[] = {
        "forsyth 8/8/8/2s5/2ppQ3/P1kp3R/b1PS4/1R1K1S2 stipulation #2",
        "forsyth 2s2K2/1Q3Pr1/3pk3/5bp1/4p1q1/2B1sSSB/8/8 stipulation #2 option try",
        "forsyth 3k4/3P3P/1P5Q/8/5r1p/1KB5/P6p/b1b2B2 stipulation #3",
        "forsyth 8/2K4P/8/k5p1/8/1P6/8/8 stipulation h#2",
    };
    std::string text = "begin\n";
    for (int copy = 0; copy < 25; ++copy) {
        for (const std::string& problem : problems) text += problem + "\nnext\n";
    }
    text += "end\n";
    for (auto _ : state) {
        std::size_t solved = 0;
        for (const auto& reading : piecefen::readProblems(text)) solved += piecefen::solveProblem(reading).size();
        benchmark::DoNotOptimize(solved);
    }
}
BENCHMARK(solveFileOf100)->Unit(benchmark::kMillisecond);

// A two-mover's answer laid out: every move with the position after it, and the text.
void solutionLaidOut(benchmark::State& state) {
    const piecefen::Solving solving = piecefen::solve(fenOf("8/8/8/2n5/2ppQ3/P1kp3R/b1PN4/1R1K1N2 w - - 0 1"), "#2");
    for (auto _ : state) {
        const auto lines = piecefen::solutionLines(solving);
        benchmark::DoNotOptimize(piecefen::solutionText(solving, lines));
    }
}
BENCHMARK(solutionLaidOut);

void readProblem(benchmark::State& state) {
    const std::string text = "wKd1 wTb1h3 wDe4 wSd2f1 wBa3c2 sKc3 sLa2 sSc5 sBc4d3d4 #2 (8+6)";
    for (auto _ : state) benchmark::DoNotOptimize(piecefen::readProblem(text));
}
BENCHMARK(readProblem);

void toSvgOfOpening(benchmark::State& state) {
    FenPosition position;
    position.fromFen(OPENING);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string document = piecefen::toSvg(position);
        bytes = document.size();
        benchmark::DoNotOptimize(document);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(toSvgOfOpening);

// A stream that takes every byte and keeps none, so the driver's output costs what the
// buffered write and the flush cost, with no system call.
ssize_t discardBytes(void*, const char*, std::size_t size) {
    return static_cast<ssize_t>(size);
}

void driverOfExample(benchmark::State& state) {
    std::string words[] = {"piecefen", "Kg1", "Rf1", "Pf2g2h2", "/", "Kg8", "Pf7g7h7"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data(),
                    words[4].data(), words[5].data(), words[6].data(), nullptr};
    FILE* const discard = fopencookie(nullptr, "w", {nullptr, discardBytes, nullptr, nullptr});
    FILE* const saved = stdout;
    stdout = discard;
    for (auto _ : state) {
        benchmark::DoNotOptimize(piecefenMain(7, argv));
    }
    stdout = saved;
    std::fclose(discard);
}
BENCHMARK(driverOfExample);

}  // namespace

BENCHMARK_MAIN();
