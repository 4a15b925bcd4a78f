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
#include "rules/Problems.h"
#include "solver/Solver.h"

// The library's boundary with JavaScript. Texts cross as a pointer and a length in the
// module's memory, so that every byte, NUL included, arrives as it was sent; each answer
// is a block that the caller frees: the length of the answer in four bytes, little-endian
// as WebAssembly's memory is, then the answer's bytes.

namespace {

// Where the record's block, which piecefen_read_fen writes and piecefen_write_fen reads,
// keeps each field after the 64 squares. bindings.js names the same offsets, and its tests
// compare them with what piecefen_record_layout gives.
enum RecordField : std::uint32_t {
    CASTLING = 64,  // four bytes, 0 or 1: white king side, white queen side, black king side, black queen side
    SIDE_TO_MOVE = 68,
    HALFMOVE_CLOCK = 72,
    MOVE_NUMBER = 76,
    EN_PASSANT = 80,  // to the end of the block
};
constexpr std::uint32_t RECORD_LAYOUT[] = {CASTLING, SIDE_TO_MOVE, HALFMOVE_CLOCK, MOVE_NUMBER, EN_PASSANT};

void putWord(char* at, std::uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
        at[byte] = static_cast<char>((value >> (8 * byte)) & 0xFF);
    }
}

std::uint32_t getWord(const char* at) {
    std::uint32_t value = 0;
    for (int byte = 0; byte < 4; ++byte) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[byte])) << (8 * byte);
    }
    return value;
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

// A request's lines: the first `count` lines and the rest of the text after them.
std::vector<std::string_view> linesOf(std::string_view request, std::size_t count) {
    std::vector<std::string_view> lines;
    while (lines.size() < count) {
        const std::size_t end = request.find('\n');
        if (end == std::string_view::npos) break;
        lines.push_back(request.substr(0, end));
        request.remove_prefix(end + 1);
    }
    lines.push_back(request);
    return lines;
}

// JSON of the solver's answer; moves and stipulations are ASCII with nothing to escape.
std::string json(const piecefen::SolvedMove& move) {
    return "{\"uci\":\"" + move.uci + "\",\"san\":\"" + move.san + "\"}";
}

template <typename Item, typename Write>
std::string jsonList(const std::vector<Item>& items, Write write) {
    std::string out = "[";
    for (const Item& item : items) {
        if (out.size() > 1) out += ',';
        out += write(item);
    }
    return out + ']';
}

std::string json(const piecefen::Defence& defence);

std::string json(const piecefen::Continuation& continuation) {
    return "{\"move\":" + json(continuation.move) + ",\"defences\":" +
           jsonList(continuation.defences, [](const piecefen::Defence& defence) { return json(defence); }) + '}';
}

std::string json(const piecefen::Defence& defence) {
    return "{\"move\":" + json(defence.move) + ",\"replies\":" +
           jsonList(defence.replies, [](const piecefen::Continuation& reply) { return json(reply); }) + '}';
}

std::string json(const piecefen::Solution& solution) {
    if (!solution.line.empty()) {
        return "{\"line\":" + jsonList(solution.line, [](const piecefen::SolvedMove& move) { return json(move); }) + '}';
    }
    return "{\"key\":" + json(solution.key) + ",\"moves\":" + piecefen::FenPosition::numberToText(solution.moves) +
           ",\"threat\":" + jsonList(solution.threat, [](const piecefen::Continuation& move) { return json(move.move); }) +
           ",\"variations\":" + jsonList(solution.variations, [](const piecefen::Defence& defence) { return json(defence); }) + '}';
}

std::string plies(const std::optional<int>& dtm) {
    if (!dtm) return "-";
    // Plies to mate are a few hundred at most, either sign.
    return (*dtm < 0 ? "-" : "") + piecefen::FenPosition::numberToText(*dtm < 0 ? -*dtm : *dtm);
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

// The record a FEN line fills, field by field at the offsets of RECORD_LAYOUT: the 64
// squares, the castling rights, then three counters in four bytes each, and last the
// en-passant text.
char* piecefen_read_fen(const char* text, std::size_t size) {
    const piecefen::FenPosition position = fenAt(text, size);
    std::string record(EN_PASSANT, '\0');
    std::copy(std::begin(position.board), std::end(position.board), record.begin());
    const auto& rights = position.castling;
    std::uint32_t at = CASTLING;
    for (const bool right : {rights[0][0], rights[0][1], rights[1][0], rights[1][1]}) {
        record[at++] = static_cast<char>(right ? 1 : 0);
    }
    putWord(&record[SIDE_TO_MOVE], static_cast<std::uint32_t>(position.sideToMove));
    putWord(&record[HALFMOVE_CLOCK], static_cast<std::uint32_t>(position.halfmoveClock));
    putWord(&record[MOVE_NUMBER], static_cast<std::uint32_t>(position.moveNumber));
    record += position.enPassant;
    return answer(record);
}

// The FEN line of a record in the block piecefen_read_fen answers with; a block too short
// to hold every field leaves the record as it starts.
char* piecefen_write_fen(const char* block, std::size_t size) {
    piecefen::FenPosition position;
    if (size >= EN_PASSANT) {
        std::copy(block, block + 64, std::begin(position.board));
        for (std::uint32_t right = 0; right < 4; ++right) {
            position.castling[right / 2][right % 2] = block[CASTLING + right] != 0;
        }
        position.sideToMove = static_cast<std::int32_t>(getWord(block + SIDE_TO_MOVE));
        position.halfmoveClock = static_cast<std::int32_t>(getWord(block + HALFMOVE_CLOCK));
        position.moveNumber = static_cast<std::int32_t>(getWord(block + MOVE_NUMBER));
        position.enPassant.assign(block + EN_PASSANT, size - EN_PASSANT);
    }
    return answer(position.toFen());
}

// The offsets of piecefen_read_fen's fields, in RecordField's order, four bytes each.
const std::uint32_t* piecefen_record_layout() {
    return RECORD_LAYOUT;
}

// What is wrong with the position of a FEN line: nine bytes a problem, its kind and then
// its squares as a set of 64 bits, little-endian.
char* piecefen_problems(const char* text, std::size_t size) {
    std::string block;
    for (const auto& [kind, squares] : piecefen::problems(fenAt(text, size))) {
        block += static_cast<char>(kind);
        block.append(8, '\0');
        putWord(&block[block.size() - 8], static_cast<std::uint32_t>(squares));
        putWord(&block[block.size() - 4], static_cast<std::uint32_t>(squares >> 32));
    }
    return answer(block);
}

// What the board of a FEN line allows: the four castling rights in a byte each, as
// piecefen_read_fen lays them out, then the en-passant squares as a set of 64 bits.
char* piecefen_allowed_fields(const char* text, std::size_t size) {
    const auto allowed = piecefen::allowedFields(fenAt(text, size));
    std::string block(12, '\0');
    for (std::size_t right = 0; right < 4; ++right) block[right] = static_cast<char>(allowed.castling[right / 2][right % 2] ? 1 : 0);
    putWord(&block[4], static_cast<std::uint32_t>(allowed.enPassant));
    putWord(&block[8], static_cast<std::uint32_t>(allowed.enPassant >> 32));
    return answer(block);
}

// The name of a kind of problem, such as "opposite-check"; empty past the last kind.
char* piecefen_problem_name(std::uint32_t kind) {
    return answer(std::string(piecefen::problemName(static_cast<piecefen::ProblemKind>(std::min<std::uint32_t>(kind, 255)))));
}

// Where a FEN line departs from FEN: five bytes an error, its kind and then the byte
// offset where it stands, little-endian.
char* piecefen_fen_errors(const char* text, std::size_t size) {
    std::string block;
    for (const auto& [kind, at] : piecefen::fenErrors(std::string_view(text, size))) {
        block += static_cast<char>(kind);
        block.append(4, '\0');
        putWord(&block[block.size() - 4], static_cast<std::uint32_t>(at));
    }
    return answer(block);
}

// Where the block piecefen_to_svg reads keeps each part: the size, a byte of flags, the
// marks in two words (the low one first), then the arrows, the caption and the FEN line.
enum DiagramField : std::uint32_t {
    DIAGRAM_SIZE = 0,
    DIAGRAM_FLAGS = 4,
    DIAGRAM_MARKS = 5,
    DIAGRAM_ARROWS = 13,  // a word with their number, then two bytes an arrow: from, to
};
enum DiagramFlag : unsigned {
    FLIPPED = 1,
    COORDINATES = 2,
    BORDER = 4,
    MARKER_BESIDE = 8,
    COUNT = 16,
    PRINT = 32,
};

// A diagram of the position of a FEN line, from the block DiagramField describes: after
// the arrows, a word with the caption's length, the caption, and the FEN line to the end.
// A block too short for what it says it holds gives the diagram of the empty board.
char* piecefen_to_svg(const char* block, std::size_t size) {
    piecefen::DiagramOptions options;
    piecefen::FenPosition position;
    // In 64 bits, so that no length the block claims can wrap round.
    const std::uint64_t arrowsEnd = size >= DIAGRAM_ARROWS + 4 ? DIAGRAM_ARROWS + 4 + 2 * std::uint64_t{getWord(block + DIAGRAM_ARROWS)} : 0;
    const std::uint64_t captionEnd = arrowsEnd != 0 && arrowsEnd + 4 <= size ? arrowsEnd + 4 + getWord(block + arrowsEnd) : 0;
    if (captionEnd != 0 && captionEnd <= size) {
        options.size = static_cast<int>(getWord(block + DIAGRAM_SIZE));
        const auto flags = static_cast<unsigned char>(block[DIAGRAM_FLAGS]);
        options.flipped = (flags & FLIPPED) != 0;
        options.coordinates = (flags & COORDINATES) != 0;
        options.border = (flags & BORDER) != 0;
        options.sideToMove = (flags & MARKER_BESIDE) != 0;
        options.count = (flags & COUNT) != 0;
        options.theme = (flags & PRINT) != 0 ? piecefen::DiagramTheme::print : piecefen::DiagramTheme::classic;
        options.marks = getWord(block + DIAGRAM_MARKS) | std::uint64_t{getWord(block + DIAGRAM_MARKS + 4)} << 32;
        for (std::size_t at = DIAGRAM_ARROWS + 4; at < arrowsEnd; at += 2) {
            options.arrows.push_back({static_cast<unsigned char>(block[at]), static_cast<unsigned char>(block[at + 1])});
        }
        options.caption.assign(block + arrowsEnd + 4, static_cast<std::size_t>(captionEnd - arrowsEnd - 4));
        position.fromFen(std::string(block + captionEnd, static_cast<std::size_t>(size - captionEnd)));
    }
    return answer(piecefen::toSvg(position, options));
}

// One piece as the diagrams draw it, `size` pixels square.
char* piecefen_piece_svg(std::uint32_t piece, std::uint32_t size) {
    return answer(piecefen::pieceSvg(static_cast<char>(piece & 0xFF), static_cast<int>(std::min<std::uint32_t>(size, 1U << 20))));
}

// The name of a kind of FEN error, such as "rank-length"; empty past the last kind.
char* piecefen_fen_error_name(std::uint32_t kind) {
    return answer(std::string(piecefen::fenErrorName(static_cast<piecefen::FenErrorKind>(std::min<std::uint32_t>(kind, 255)))));
}

// The legal moves of the position of a FEN line, in legalMoves' order: for each, its from
// and to squares and its promotion letter (0 for none) in a byte each, then its UCI and its
// SAN, each a byte with its length and then its text.
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

// The FEN line after a move: the text is the move as SAN or UCI, a line break, and the
// FEN line. The empty text where the move is not legal there.
char* piecefen_play(const char* text, std::size_t size) {
    const std::string_view request(text, size);
    const std::size_t lineEnd = request.find('\n');
    if (lineEnd == std::string_view::npos) return answer({});
    const piecefen::FenPosition position = fenAt(text + lineEnd + 1, size - lineEnd - 1);
    const auto move = piecefen::readMove(position, request.substr(0, lineEnd));
    return answer(move ? piecefen::play(position, *move).toFen() : std::string());
}

// How the game stands in the position of a FEN line, as the number of its Outcome.
std::uint32_t piecefen_outcome(const char* text, std::size_t size) {
    return static_cast<std::uint32_t>(piecefen::outcome(fenAt(text, size)));
}

// The name of an outcome, such as "checkmate"; empty past the last one.
char* piecefen_outcome_name(std::uint32_t outcome) {
    return answer(std::string(piecefen::outcomeName(static_cast<piecefen::Outcome>(std::min<std::uint32_t>(outcome, 255)))));
}

// Lines up the endgame tables a position needs: 1 when piecefen_endgame_work has work to do.
std::uint32_t piecefen_endgame_prepare(const char* text, std::size_t size) {
    return tablebase().prepare(fenAt(text, size)) ? 1 : 0;
}

// Does a slice of that work and says how much of it is done, in thousandths.
std::uint32_t piecefen_endgame_work() {
    return static_cast<std::uint32_t>(tablebase().work() * 1000);
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

// The verdict as lines: "category dtm fifty" for the position ("-" for no dtm, the fifty-move
// flag 0 or 1), then "uci san category dtm" for each move, best first; nothing for a
// position the tables do not cover.
char* piecefen_endgame(const char* text, std::size_t size) {
    const auto verdict = tablebase().probe(fenAt(text, size));
    std::string lines;
    if (verdict) {
        lines += std::string(piecefen::endgameCategoryName(verdict->category)) + ' ' + plies(verdict->dtm) + ' ' +
                 (verdict->fiftyMoveRuleMayMatter ? '1' : '0');
        for (const auto& move : verdict->moves) {
            lines += '\n' + move.uci + ' ' + move.san + ' ' + std::string(piecefen::endgameCategoryName(move.category)) + ' ' +
                     plies(move.dtm);
        }
    }
    return answer(lines);
}

// A problem text read: the request is the language (or an empty line) and the text. The
// answer's lines: the FEN line, the stipulation, the count as "7 9" or "-", the language
// read in, the languages that fit where it is ambiguous, then "kind offset" for each error.
char* piecefen_read_problem(const char* text, std::size_t size) {
    const auto lines = linesOf(std::string_view(text, size), 1);
    if (lines.size() < 2) return answer({});
    const piecefen::ProblemReading reading = piecefen::readProblem(lines[1], lines[0]);
    std::string out = reading.position.toFen() + '\n' + reading.stipulation + '\n';
    out += reading.whiteCount < 0 ? "-"
                                   : piecefen::FenPosition::numberToText(reading.whiteCount) + ' ' +
                                         piecefen::FenPosition::numberToText(reading.blackCount);
    out += '\n' + reading.language + '\n';
    for (const std::string& language : reading.languages) out += language + ' ';
    for (const auto& [kind, at] : reading.errors) {
        out += '\n' + piecefen::FenPosition::numberToText(static_cast<int>(kind)) + ' ' +
               piecefen::FenPosition::numberToText(static_cast<std::int32_t>(std::min<std::size_t>(at, INT32_MAX)));
    }
    return answer(out);
}

char* piecefen_problem_error_name(std::uint32_t kind) {
    return answer(std::string(piecefen::problemErrorName(static_cast<piecefen::ProblemErrorKind>(std::min<std::uint32_t>(kind, 255)))));
}

// A problem in one form: the request is the form, the stipulation and the FEN line, a line each.
char* piecefen_write_problem(const char* text, std::size_t size) {
    const auto lines = linesOf(std::string_view(text, size), 2);
    if (lines.size() < 3) return answer({});
    return answer(piecefen::writeProblem(fenAt(lines[2].data(), lines[2].size()), lines[1], lines[0]));
}

// Starts solving: the request is the stipulation and the FEN line. Any problem before it is dropped.
void piecefen_solve_start(const char* text, std::size_t size) {
    const auto lines = linesOf(std::string_view(text, size), 1);
    delete solver();
    solver() = nullptr;
    if (lines.size() < 2) return;
    solver() = new piecefen::Solver(fenAt(lines[1].data(), lines[1].size()), lines[0]);
}

// Looks at the next first move and says how much is done, in thousandths.
std::uint32_t piecefen_solve_step() {
    if (solver() == nullptr) return 1000;
    solver()->step();
    return solver()->done() ? 1000 : static_cast<std::uint32_t>(solver()->fraction() * 999);
}

// The answer as JSON, with the composers' text beside the data.
char* piecefen_solve_result() {
    if (solver() == nullptr) return answer({});
    const piecefen::Solving& solving = solver()->result();
    std::string text;
    for (const char c : piecefen::solutionText(solving)) text += c == '\n' ? std::string("\\n") : std::string(1, c);
    return answer("{\"status\":\"" + std::string(piecefen::solveStatusName(solving.status)) + "\",\"stipulation\":\"" +
                  solving.stipulation + "\",\"cooked\":" + (solving.cooked() ? "true" : "false") +
                  ",\"unlisted\":" + piecefen::FenPosition::numberToText(static_cast<std::int32_t>(solving.unlisted)) +
                  ",\"solutions\":" + jsonList(solving.solutions, [](const piecefen::Solution& solution) { return json(solution); }) +
                  ",\"tries\":" + jsonList(solving.tries, [](const piecefen::Try& attempt) {
                      return "{\"move\":" + json(attempt.move) + ",\"refutation\":" + json(attempt.refutation) + '}';
                  }) +
                  ",\"text\":\"" + text + "\"}");
}

}  // extern "C"

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
