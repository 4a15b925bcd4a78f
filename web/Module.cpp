#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "diagram/Diagram.h"
#include "endgame/Tablebase.h"
#include "notation/FenErrors.h"
#include "notation/Problem.h"
#include "notation/TablebaseAddress.h"
#include "position/FenPosition.h"
#include "rules/Moves.h"
#include "notation/Json.h"
#include "rules/Illegalities.h"
#include "rules/Slices.h"
#include "solver/Solver.h"
#include "solver/SolvingJson.h"

// The library's boundary with JavaScript. Each text crosses as a pointer and a length of
// its own in the module's memory, so that every byte, NUL and line breaks included,
// arrives as it was sent and no text can stand for another argument. Each answer is a
// block that the caller frees: the length of the answer in four bytes, little-endian as
// WebAssembly's memory is, then the answer's bytes: one text, or JSON that JsonWriter
// wrote for anything with parts, or (for perft and the legal moves, where it pays) a few
// fixed-width fields.

namespace {

void putWord(char* at, std::uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
        at[byte] = static_cast<char>((value >> (8 * byte)) & 0xFF);
    }
}

char* answer(const std::string& bytes) {
    auto* const block = static_cast<char*>(std::malloc(4 + bytes.size()));
    if (block == nullptr) {
        std::abort();
    }
    putWord(block, static_cast<std::uint32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), block + 4);
    return block;
}

piecefen::FenPosition pieceListAt(const char* text, std::size_t size) {
    piecefen::FenPosition position;
    position.readPieceList(std::string(text, size));
    return position;
}

piecefen::FenPosition fenAt(const char* text, std::size_t size) {
    piecefen::FenPosition position;
    position.fromFen(std::string(text, size));
    return position;
}

// The module's endgame tables, kept from one call to the next and never destroyed: a
// destructor to run at exit would bring in the C library's exit code and its file imports.
piecefen::Tablebase& tablebase() {
    static auto* const tables = new piecefen::Tablebase();
    return *tables;
}

// The problem being solved, replaced by the next; never destroyed, as the tables.
piecefen::Solver*& solver() {
    static piecefen::Solver* current = nullptr;
    return current;
}

// The work piecefen_step does a slice of: the tables lined up, or the problem being solved.
piecefen::Slices*& work() {
    static piecefen::Slices* current = nullptr;
    return current;
}

std::string_view viewOf(const char* text, std::size_t size) {
    return {text, size};
}

std::string squareName(int index) {
    return {static_cast<char>('a' + index % 8), static_cast<char>('8' - index / 8)};
}

// The names of the squares of a set of 64 bits, bit i board index i (a8 first).
void writeSquares(piecefen::JsonWriter& out, std::uint64_t squares) {
    out.beginArray();
    for (int index = 0; index < 64; ++index) {
        if ((squares >> index & 1U) != 0) out.text(squareName(index));
    }
    out.endArray();
}

void writeCastling(piecefen::JsonWriter& out, const bool (&rights)[2][2]) {
    out.beginArray();
    for (const auto& colour : rights) out.beginArray().boolean(colour[0]).boolean(colour[1]).endArray();
    out.endArray();
}


void writePlies(piecefen::JsonWriter& out, const std::optional<int>& dtm) {
    if (dtm) {
        out.number(*dtm);
    } else {
        out.null();
    }
}

}  // namespace

extern "C" {

// Room for a text of `size` bytes, which the caller fills and frees.
char* piecefen_alloc(std::size_t size) {
    auto* const block = static_cast<char*>(std::malloc(size));
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void piecefen_free(char* block) {
    std::free(block);
}

// The line the command-line tool prints for a piece list, without its line end.
char* piecefen_to_fen(const char* text, std::size_t size) {
    return answer(pieceListAt(text, size).toFen());
}

// The line the tool prints for a piece list after "/u".
char* piecefen_tablebase_address(const char* text, std::size_t size) {
    return answer(piecefen::tablebaseAddress(pieceListAt(text, size).toFen()));
}

// The board of a FEN line as a piece list.
char* piecefen_to_piece_list(const char* text, std::size_t size) {
    return answer(fenAt(text, size).toPieceList());
}

// The line the tool prints after "/u" for the position of a FEN line, as fromFen reads it.
char* piecefen_tablebase_address_of_fen(const char* text, std::size_t size) {
    return answer(piecefen::tablebaseAddress(fenAt(text, size).toFen()));
}

// The record a FEN line fills, as JSON: the board and the en-passant text a character a
// byte, as the record holds them.
char* piecefen_read_fen(const char* text, std::size_t size) {
    const piecefen::FenPosition position = fenAt(text, size);
    piecefen::JsonWriter out;
    out.beginObject().key("board").bytes(viewOf(position.board, 64)).key("sideToMove").number(position.sideToMove);
    out.key("castling");
    writeCastling(out, position.castling);
    out.key("enPassant").bytes(position.enPassant).key("halfmoveClock").number(position.halfmoveClock);
    out.key("moveNumber").number(position.moveNumber).endObject();
    return answer(out.str());
}

// The FEN line of a record: the board's 64 bytes (any other length leaves the record's
// board empty), the en-passant text, the castling rights as four bits (white king side
// first) and the three numbers.
char* piecefen_write_fen(const char* board, std::size_t boardSize, const char* enPassant, std::size_t enPassantSize,
                         std::uint32_t castling, std::int32_t sideToMove, std::int32_t halfmoveClock, std::int32_t moveNumber) {
    piecefen::FenPosition position;
    if (boardSize == 64) std::copy(board, board + 64, std::begin(position.board));
    for (std::uint32_t right = 0; right < 4; ++right) position.castling[right / 2][right % 2] = (castling >> right & 1U) != 0;
    position.sideToMove = sideToMove;
    position.halfmoveClock = halfmoveClock;
    position.moveNumber = moveNumber;
    position.enPassant.assign(enPassant, enPassantSize);
    return answer(position.toFen());
}

// What is wrong with the position of a FEN line: each illegality's name and squares.
char* piecefen_illegalities(const char* text, std::size_t size) {
    piecefen::JsonWriter out;
    out.beginArray();
    for (const auto& [kind, squares] : piecefen::illegalities(fenAt(text, size))) {
        out.beginObject().key("illegality").text(piecefen::illegalityName(kind)).key("squares");
        writeSquares(out, squares);
        out.endObject();
    }
    out.endArray();
    return answer(out.str());
}

// What the board of a FEN line allows in the castling and en-passant fields.
char* piecefen_allowed_fields(const char* text, std::size_t size) {
    const auto allowed = piecefen::allowedFields(fenAt(text, size));
    piecefen::JsonWriter out;
    out.beginObject().key("castling");
    writeCastling(out, allowed.castling);
    out.key("enPassant");
    writeSquares(out, allowed.enPassant);
    out.endObject();
    return answer(out.str());
}

// Where a FEN line departs from FEN: each error's name and the byte offset where it stands.
char* piecefen_fen_errors(const char* text, std::size_t size) {
    piecefen::JsonWriter out;
    out.beginArray();
    for (const auto& [kind, at] : piecefen::fenErrors(viewOf(text, size))) {
        out.beginObject().key("error").text(piecefen::fenErrorName(kind)).key("offset").number(static_cast<std::int64_t>(at)).endObject();
    }
    out.endArray();
    return answer(out.str());
}

enum DiagramFlag : unsigned {
    FLIPPED = 1,
    COORDINATES = 2,
    BORDER = 4,
    MARKER_BESIDE = 8,
    COUNT = 16,
    PRINT = 32,
};

// A diagram of the position of a FEN line: the caption as its own text, the arrows two
// bytes each (from, to: board indices), the size, the DiagramFlag bits and the marked
// squares as two words, the low one first.
char* piecefen_to_svg(const char* fen, std::size_t fenSize, const char* caption, std::size_t captionSize, const char* arrows,
                      std::size_t arrowsSize, std::uint32_t size, std::uint32_t flags, std::uint32_t marksLow, std::uint32_t marksHigh) {
    piecefen::DiagramOptions options;
    options.size = static_cast<int>(std::min<std::uint32_t>(size, 1U << 20));
    options.flipped = (flags & FLIPPED) != 0;
    options.coordinates = (flags & COORDINATES) != 0;
    options.border = (flags & BORDER) != 0;
    options.sideToMove = (flags & MARKER_BESIDE) != 0;
    options.count = (flags & COUNT) != 0;
    options.theme = (flags & PRINT) != 0 ? piecefen::DiagramTheme::print : piecefen::DiagramTheme::classic;
    options.marks = marksLow | std::uint64_t{marksHigh} << 32;
    for (std::size_t at = 0; at + 1 < arrowsSize; at += 2) {
        options.arrows.push_back({static_cast<unsigned char>(arrows[at]), static_cast<unsigned char>(arrows[at + 1])});
    }
    options.caption.assign(caption, captionSize);
    return answer(piecefen::toSvg(fenAt(fen, fenSize), options));
}

// One piece as the diagrams draw it, `size` pixels square.
char* piecefen_piece_svg(std::uint32_t piece, std::uint32_t size) {
    return answer(piecefen::pieceSvg(static_cast<char>(piece & 0xFF), static_cast<int>(std::min<std::uint32_t>(size, 1U << 20))));
}

// The legal moves of the position of a FEN line, in legalMoves' order: for each, its from
// and to squares and its promotion letter (0 for none) in a byte each, then its UCI and its
// SAN, each a byte with its length and then its text. Fixed fields rather than JSON, since
// the page asks for them on every click.
char* piecefen_legal_moves(const char* text, std::size_t size) {
    const piecefen::FenPosition position = fenAt(text, size);
    std::string block;
    for (const piecefen::Move move : piecefen::legalMoves(position)) {
        block += {static_cast<char>(move.from), static_cast<char>(move.to), move.promotion};
        for (const std::string& name : {piecefen::uci(move), piecefen::san(position, move)}) {
            block += static_cast<char>(name.size());
            block += name;
        }
    }
    return answer(block);
}

// perft of the position of a FEN line to `depth`, as two words, the low one first.
char* piecefen_perft(const char* text, std::size_t size, std::int32_t depth) {
    const std::uint64_t nodes = piecefen::perft(fenAt(text, size), depth);
    std::string block(8, '\0');
    putWord(&block[0], static_cast<std::uint32_t>(nodes));
    putWord(&block[4], static_cast<std::uint32_t>(nodes >> 32));
    return answer(block);
}

// The FEN line after a move given as SAN or UCI; the empty text where it is not legal there.
char* piecefen_play(const char* fen, std::size_t fenSize, const char* move, std::size_t moveSize) {
    const piecefen::FenPosition position = fenAt(fen, fenSize);
    const auto legal = piecefen::readMove(position, viewOf(move, moveSize));
    return answer(legal ? piecefen::play(position, *legal).toFen() : std::string());
}

// How the game stands in the position of a FEN line, as the number of its Outcome.
std::uint32_t piecefen_outcome(const char* text, std::size_t size) {
    return static_cast<std::uint32_t>(piecefen::outcome(fenAt(text, size)));
}

// The name of an outcome, such as "checkmate"; empty past the last one.
char* piecefen_outcome_name(std::uint32_t outcome) {
    return answer(std::string(piecefen::outcomeName(static_cast<piecefen::Outcome>(std::min<std::uint32_t>(outcome, 255)))));
}

// Does a slice of the work lined up last (endgame tables or a solution) and says how much
// of it is done, in thousandths: 1000 only once it is all done.
std::uint32_t piecefen_step() {
    piecefen::Slices* const current = work();
    if (current == nullptr) return 1000;
    if (!current->done()) current->step();
    return current->done() ? 1000 : static_cast<std::uint32_t>(std::min(current->fraction() * 1000, 999.0));
}

// Lines up the endgame tables a position needs: 1 when piecefen_step has work to do.
std::uint32_t piecefen_endgame_prepare(const char* text, std::size_t size) {
    const bool lined = tablebase().prepare(fenAt(text, size));
    if (lined) work() = &tablebase();
    return lined ? 1 : 0;
}

std::uint32_t piecefen_endgame_coverage(const char* text, std::size_t size) {
    return static_cast<std::uint32_t>(piecefen::endgameCoverage(fenAt(text, size)));
}

char* piecefen_endgame_coverage_name(std::uint32_t coverage) {
    return answer(std::string(piecefen::endgameCoverageName(static_cast<piecefen::EndgameCoverage>(std::min<std::uint32_t>(coverage, 255)))));
}

char* piecefen_endgame_table(const char* text, std::size_t size) {
    return answer(piecefen::endgameTable(fenAt(text, size)));
}

// The verdict and every move with its own, best first; null for a position the tables
// do not cover.
char* piecefen_endgame(const char* text, std::size_t size) {
    const auto verdict = tablebase().probe(fenAt(text, size));
    piecefen::JsonWriter out;
    if (!verdict) {
        out.null();
        return answer(out.str());
    }
    out.beginObject().key("category").text(piecefen::endgameCategoryName(verdict->category)).key("dtm");
    writePlies(out, verdict->dtm);
    out.key("fiftyMoveRuleMayMatter").boolean(verdict->fiftyMoveRuleMayMatter).key("moves").beginArray();
    for (const auto& move : verdict->moves) {
        out.beginObject().key("uci").text(move.uci).key("san").text(move.san);
        out.key("category").text(piecefen::endgameCategoryName(move.category)).key("dtm");
        writePlies(out, move.dtm);
        out.endObject();
    }
    out.endArray().endObject();
    return answer(out.str());
}

// A problem text read, in the language given (or the text's own where it is empty).
char* piecefen_read_problem(const char* text, std::size_t size, const char* language, std::size_t languageSize) {
    piecefen::JsonWriter out;
    piecefen::writeJson(out, piecefen::readProblem(viewOf(text, size), viewOf(language, languageSize)));
    return answer(out.str());
}

// Every problem and twin of a text, each read as piecefen_read_problem reads one.
char* piecefen_read_problems(const char* text, std::size_t size, const char* language, std::size_t languageSize) {
    piecefen::JsonWriter out;
    out.beginArray();
    for (const auto& reading : piecefen::readProblems(viewOf(text, size), viewOf(language, languageSize))) piecefen::writeJson(out, reading);
    out.endArray();
    return answer(out.str());
}

// A problem in one form, from the FEN line, the stipulation and the form's name.
char* piecefen_write_problem(const char* fen, std::size_t fenSize, const char* stipulation, std::size_t stipulationSize,
                             const char* form, std::size_t formSize) {
    return answer(piecefen::writeProblem(fenAt(fen, fenSize), viewOf(stipulation, stipulationSize), viewOf(form, formSize)));
}

// Lines up solving the position of a FEN line for a stipulation, which piecefen_step does a
// first move at a time. Any problem before it is dropped.
// The options as numbers: `flags` has tries 1, set play 2, no threat 4, stop on short
// solutions 8 and no short variations 16.
void piecefen_solve_start(const char* fen, std::size_t fenSize, const char* stipulation, std::size_t stipulationSize,
                          std::uint32_t flags, std::uint32_t defences, std::uint32_t maxSolutions) {
    piecefen::ProblemOptions options;
    options.tries = (flags & 1U) != 0;
    options.setPlay = (flags & 2U) != 0;
    options.noThreat = (flags & 4U) != 0;
    options.stopOnShortSolutions = (flags & 8U) != 0;
    options.noShortVariations = (flags & 16U) != 0;
    options.defences = static_cast<int>(std::clamp<std::uint32_t>(defences, 1, 64));
    options.maxSolutions = static_cast<int>(std::min<std::uint32_t>(maxSolutions, 1U << 20));
    if (work() == solver()) work() = nullptr;
    delete solver();
    solver() = new piecefen::Solver(fenAt(fen, fenSize), viewOf(stipulation, stipulationSize), options);
    work() = solver();
}

// The problem lined up looks only at the first moves whose place is `part` modulo `parts`.
void piecefen_solve_share(std::uint32_t part, std::uint32_t parts) {
    if (solver() != nullptr) solver()->share(part, parts);
}

// The problem lined up passes over the first move at this place.
void piecefen_solve_pass_over(std::uint32_t place) {
    if (solver() != nullptr) solver()->passOver({place});
}

// The places of the first moves looked at that added nothing, as a JSON array.
char* piecefen_solve_barren() {
    piecefen::JsonWriter out;
    out.beginArray();
    if (solver() != nullptr) {
        for (const std::size_t place : solver()->barren()) out.number(static_cast<std::int64_t>(place));
    }
    out.endArray();
    return answer(out.str());
}

// The answer, with the composers' text beside the data.
char* piecefen_solve_result() {
    piecefen::JsonWriter out;
    if (solver() == nullptr) {
        out.null();
        return answer(out.str());
    }
    piecefen::writeJson(out, solver()->result());
    return answer(out.str());
}

}  // extern "C"

// A pure virtual function called (never, in a constructed object) stops the module; the C++
// runtime's own handler would first write to a standard error that a module has not got.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the C++ ABI names the hook.
extern "C" void __cxa_pure_virtual() {
    std::abort();
}

// Nothing in the module can throw, so a request for memory that cannot be met stops it.
void* operator new(std::size_t size) {
    void* const block = std::malloc(size);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    std::free(block);
}
