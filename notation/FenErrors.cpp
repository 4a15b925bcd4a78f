#include "notation/FenErrors.h"

#include <algorithm>
#include <array>

#include "position/Vocabulary.h"

namespace piecefen {

namespace {

constexpr std::array<std::string_view, 10> NAMES = {
    "space", "fields", "ranks", "rank-length", "board-character", "side", "castling", "en-passant",
    "halfmove-clock", "move-number"};

constexpr bool isWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits as a counter is written: "0", or no leading zero. The readers take three digits
// at most, so "0007" would read as 0; what they read of a number so written is no error.
constexpr bool isNumber(std::string_view field) {
    return std::all_of(field.begin(), field.end(), isDigit) && (field.size() == 1 || field[0] != '0');
}

// Eight ranks, each of eight squares, spelled in piece letters, digits 1 to 8 and "/".
// A byte that is none of these counts as one square, as the reader stores it, so that it
// is reported once and its rank's length is not.
void checkBoard(std::string_view board, std::size_t start, std::vector<FenError>& errors) {
    int ranks = 1;
    int squares = 0;
    std::size_t rankStart = 0;
    for (std::size_t at = 0; at <= board.size(); ++at) {
        if (at == board.size() || board[at] == '/') {
            // A short rank is marked at its last byte, or an empty one at a slash beside it.
            const std::size_t last = at > rankStart ? at - 1 : std::min(at, board.size() - 1);
            if (squares < 8) errors.push_back({FenErrorKind::rankLength, start + last});
            if (at == board.size()) break;
            if (++ranks == 9) errors.push_back({FenErrorKind::ranks, start + at});
            squares = 0;
            rankStart = at + 1;
            continue;
        }
        const char c = board[at];
        const int before = squares;
        if (c >= '1' && c <= '8') {
            squares += c - '0';
        } else {
            if (pieceSlot(c) < 0) errors.push_back({FenErrorKind::boardCharacter, start + at});
            ++squares;
        }
        // A long rank is marked once, at the byte that takes it past eight.
        if (before <= 8 && squares > 8) errors.push_back({FenErrorKind::rankLength, start + at});
    }
    if (ranks < 8) errors.push_back({FenErrorKind::ranks, start + board.size() - 1});
}

// Whether the castling field is "-" or letters of "KQkq" in that order, each at most once.
bool castlingFits(std::string_view field) {
    if (field == "-") return true;
    constexpr std::string_view ORDER = "KQkq";
    std::size_t next = 0;
    for (const char c : field) {
        const std::size_t found = ORDER.find(c, next);
        if (found == std::string_view::npos) return false;
        next = found + 1;
    }
    return true;
}

bool enPassantFits(std::string_view field) {
    return field == "-" || (field.size() == 2 && field[0] >= 'a' && field[0] <= 'h' && (field[1] == '3' || field[1] == '6'));
}

// Checks the field with the given number (1 for the board) that begins at `start`.
void checkField(int number, std::string_view field, std::size_t start, std::vector<FenError>& errors) {
    bool fits = true;
    FenErrorKind kind = FenErrorKind::side;
    switch (number) {
        case 1: checkBoard(field, start, errors); return;
        case 2: fits = field == "w" || field == "b"; kind = FenErrorKind::side; break;
        case 3: fits = castlingFits(field); kind = FenErrorKind::castling; break;
        case 4: fits = enPassantFits(field); kind = FenErrorKind::enPassant; break;
        case 5: fits = isNumber(field); kind = FenErrorKind::halfmoveClock; break;
        case 6:
            fits = isNumber(field) && field != "0";
            kind = FenErrorKind::moveNumber;
            break;
        default: return;
    }
    if (!fits) errors.push_back({kind, start});
}

}  // namespace

std::string_view fenErrorName(FenErrorKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < NAMES.size() ? NAMES[at] : std::string_view{};
}

// Splits the text at whitespace into fields, marking every run of it that is not one
// space between two fields, then checks each of the first six fields by its place. Each
// check reports as it reads forward, so the errors come in the order of their offsets.
std::vector<FenError> fenErrors(std::string_view text) {
    std::vector<FenError> errors;
    const std::size_t n = text.size();
    int fields = 0;
    for (std::size_t at = 0; at < n;) {
        const std::size_t runStart = at;
        while (at < n && isWhitespace(text[at])) ++at;
        if (at > runStart) {
            // At an edge the whole run is wrong; between fields, whatever follows one space.
            const bool edge = runStart == 0 || at == n;
            if (edge || text[runStart] != ' ') {
                errors.push_back({FenErrorKind::space, runStart});
            } else if (at - runStart > 1) {
                errors.push_back({FenErrorKind::space, runStart + 1});
            }
        }
        if (at == n) break;
        const std::size_t fieldStart = at;
        while (at < n && !isWhitespace(text[at])) ++at;
        if (++fields == 7) errors.push_back({FenErrorKind::fields, fieldStart});
        checkField(fields, text.substr(fieldStart, at - fieldStart), fieldStart, errors);
    }
    if (fields == 0) errors.push_back({FenErrorKind::ranks, 0});
    return errors;
}

}  // namespace piecefen
