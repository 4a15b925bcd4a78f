#include <algorithm>
#include <array>
#include <cctype>

#include "notation/Problem.h"
#include "notation/PopeyeReader.h"
#include "notation/ProblemWords.h"
#include "notation/Stipulation.h"
#include "position/Vocabulary.h"

namespace piecefen {

using problemWords::isSquares;
using problemWords::looksLikeFenField;
using problemWords::readCount;

namespace {

constexpr std::array<std::string_view, 13> ERROR_NAMES = {
    "language", "ambiguous-language", "unknown-word", "piece", "square", "board", "occupied", "stipulation", "count",
    "no-pieces", "fairy", "option", "twin"};

// Each language's piece letters and the kinds they name, in PieceKind's order; English
// takes S for the knight as composers write it, and N as this tool does.
struct Language {
    std::string_view name;
    std::string_view letters;
    std::string_view kinds;
};
constexpr std::array<Language, 3> LANGUAGES = {{
    {"en", "KQRBNSP", "KQRBNNP"},
    {"de", GERMAN_LETTERS, ENGLISH_LETTERS},
    {"fr", FRENCH_LETTERS, ENGLISH_LETTERS},
}};
constexpr std::size_t ENGLISH = 0;
constexpr std::size_t GERMAN = 1;
constexpr std::size_t FRENCH = 2;
constexpr std::size_t ANY = LANGUAGES.size();

// The kind a letter names in a language, as the record's white letter; 0 for none.
char kindIn(std::size_t language, char letter) {
    const auto at = LANGUAGES[language].letters.find(letter);
    return at == std::string_view::npos ? '\0' : LANGUAGES[language].kinds[at];
}

struct Token {
    std::string_view text;
    std::size_t at;
    std::size_t line;
    std::size_t indent;
};

bool isSeparator(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0 || std::string_view(",;[]{}\"'").find(c) != std::string_view::npos;
}

// The words of the text with their offsets, a colon after a word left off.
std::vector<Token> tokens(std::string_view text) {
    std::vector<Token> found;
    std::size_t line = 0;
    std::size_t lineStart = 0;
    std::size_t indent = 0;
    bool lineBegins = true;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\n') {
            ++line;
            lineStart = at + 1;
            lineBegins = true;
        }
        if (isSeparator(text[at])) {
            ++at;
            continue;
        }
        if (lineBegins) {
            indent = at - lineStart;
            lineBegins = false;
        }
        std::size_t end = at;
        // A LaTeX command ends where its argument or the next command begins.
        if (text[at] == '\\' && at + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[at + 1])) != 0) {
            end = at + 1;
            while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end])) != 0) ++end;
        } else {
            while (end < text.size() && !isSeparator(text[end]) && !(end > at && text[end] == '\\')) ++end;
        }
        std::size_t start = at;
        // "\#2" is LaTeX's way of writing "#2".
        if (text[start] == '\\' && end > start + 1 && std::isalpha(static_cast<unsigned char>(text[start + 1])) == 0) ++start;
        std::size_t stop = end;
        while (stop > start + 1 && text[stop - 1] == ':') --stop;
        found.push_back(Token{text.substr(start, stop - start), start, line, indent});
        at = end;
    }
    return found;
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return out;
}


// One piece letter as the text has it, where it stands and on which squares.
struct Placement {
    char letter;  // uppercase; 0 for a bare square, a pawn
    bool black;
    std::string_view squares;
    std::size_t at;
    bool forsyth;  // from a Forsyth board, where the letter's case gave the colour
};

enum class Word { none, white, black, keyword, stipulationKey, forsyth, skipLine, skipNext, piecesKey };

// What a word that is no piece says, and the language it is a word of (ANY for none).
Word wordOf(const std::string& word, std::size_t& language) {
    language = ANY;
    if (word == "white" || word == "black") return word == "white" ? Word::white : Word::black;
    if (word == "weiss" || word == "weiß" || word == "schwarz") {
        language = GERMAN;
        return word == "schwarz" ? Word::black : Word::white;
    }
    if (word == "blancs" || word == "blanc" || word == "noirs" || word == "noir") {
        language = FRENCH;
        return word[0] == 'b' ? Word::white : Word::black;
    }
    if (word == "begin" || word == "end" || word == "algebraic") {
        language = ENGLISH;
        return Word::keyword;
    }
    if (word == "anfang" || word == "ende" || word == "steine") {
        language = GERMAN;
        return word == "steine" ? Word::piecesKey : Word::keyword;
    }
    if (word == "debut" || word == "fin") {
        language = FRENCH;
        return Word::keyword;
    }
    if (word == "pieces") return Word::piecesKey;
    if (word == "stipulation" || word == "stip" || word == "\\stipulation") {
        if (word[0] != '\\') language = ENGLISH;
        return Word::stipulationKey;
    }
    if (word == "forderung" || word == "enonce") {
        language = word == "forderung" ? GERMAN : FRENCH;
        return Word::stipulationKey;
    }
    // A Forsyth board is FEN's, in English letters, unless the text has said otherwise first.
    if (word == "forsyth" || word == "\\fenboard") {
        language = ENGLISH;
        return Word::forsyth;
    }
    if (word == "\\begin" || word == "\\end") return Word::skipNext;
    // YAML's list marks and document lines, and the LaTeX that only lays the diagram out.
    if (word.find_first_not_of('-') == std::string::npos || word == "..." || word == "\\pieces" ||
        word == "\\showboard" || word == "\\par" || word == "\\\\") {
        return Word::keyword;
    }
    // What the forms carry beside the problem: a name, a source, a solution; the rest of
    // the line, and in YAML the lines indented under it, say nothing of the position.
    constexpr std::string_view ASIDES[] = {"author", "authors", "title", "origin", "source", "remark", "award",
                                           "distinction", "solution", "comment", "comments", "keywords", "date", "option",
                                           "options", "protocol", "autor", "quelle", "titre", "auteur", "loesung"};
    return std::find(std::begin(ASIDES), std::end(ASIDES), word) != std::end(ASIDES) ? Word::skipLine : Word::none;
}

class Reader {
public:
    // LaTeX's "\#" is read as "#", each byte keeping its offset in the text.
    Reader(std::string_view text, std::size_t language) : original_(text), language_(language) {
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == '#') continue;
            text_ += text[at];
            offsets_.push_back(at);
        }
        offsets_.push_back(text.size());
    }

    ProblemReading read() {
        const std::vector<Token> words = tokens(text_);
        bool markers = false;
        bool black = false;
        bool piecesMode = false;
        bool forsythNext = false;
        bool stipulationNext = false;
        std::size_t skipLine = SIZE_MAX;
        std::size_t skipIndent = 0;
        for (std::size_t index = 0; index < words.size(); ++index) {
            const Token& token = words[index];
            if (skipLine != SIZE_MAX && (token.line == skipLine || token.indent > skipIndent)) continue;
            skipLine = SIZE_MAX;
            if (isTwinLabel(token.text)) {
                index = captionTwin(words, index);
                continue;
            }
            if (token.text.size() == 5 && colonAfter(token) && lower(token.text) == "twins") {
                index = databaseTwins(words, index);
                continue;
            }
            if (forsythNext) {
                forsythNext = false;
                forsyth(token);
                markers = true;
                // A whole FEN line's other fields say nothing a problem keeps.
                for (int field = 0; field < 5 && index + 1 < words.size() && looksLikeFenField(words[index + 1].text); ++field) {
                    ++index;
                }
                continue;
            }
            if (stipulationNext) {
                stipulationNext = false;
                if (!stipulation::read(token.text)) {
                    error(ProblemErrorKind::stipulation, token.at);
                    continue;
                }
            }
            if (stipulationWord(token) || countWord(token)) continue;
            std::size_t language = ANY;
            const std::string word = lower(token.text);
            switch (wordOf(word, language)) {
            case Word::white:
            case Word::black:
                black = wordOf(word, language) == Word::black;
                markers = true;
                hint(language);
                continue;
            case Word::keyword:
                hint(language);
                markers = markers || word.find_first_not_of('-') != std::string::npos;
                continue;
            case Word::piecesKey:
                hint(language);
                piecesMode = true;
                markers = true;
                continue;
            case Word::stipulationKey:
                hint(language);
                stipulationNext = true;
                continue;
            case Word::forsyth:
                hint(language);
                forsythNext = true;
                continue;
            case Word::skipLine:
                skipLine = token.line;
                skipIndent = token.indent;
                continue;
            case Word::skipNext:
                ++index;
                continue;
            case Word::none:
                break;
            }
            if (token.text == "/" || token.text == "\\") {
                black = true;
                continue;
            }
            piece(token, black, piecesMode, markers);
        }
        if (!markers && language_ == ANY && ownListOnly()) return pieceList(words);
        return place();
    }

    // The twins the text labels, for the solver's reader to make.
    [[nodiscard]] const std::vector<popeye::TwinText>& twins() const { return twins_; }

private:
    void error(ProblemErrorKind kind, std::size_t at) { reading_.errors.push_back(ProblemError{kind, at}); }

    // A caption's twin label: "b)", "c)", up to "zz)".
    static bool isTwinLabel(std::string_view text) {
        return text.size() >= 2 && text.size() <= 3 && text.back() == ')' &&
               std::all_of(text.begin(), text.end() - 1, [](char c) { return c >= 'a' && c <= 'z'; });
    }

    [[nodiscard]] bool colonAfter(const Token& token) const {
        const std::size_t end = token.at + token.text.size();
        return end < text_.size() && text_[end] == ':';
    }

    // "b) wKg1-h1 -sBc5": a twin runs to the next label or the end of its line.
    std::size_t captionTwin(const std::vector<Token>& words, std::size_t index) {
        const Token& label = words[index];
        popeye::TwinText twin{std::string(label.text.substr(0, label.text.size() - 1)), {}, offsets_[label.at], true};
        while (index + 1 < words.size() && words[index + 1].line == label.line && !isTwinLabel(words[index + 1].text)) {
            ++index;
            twin.words.push_back(popeye::TwinWord{words[index].text, offsets_[words[index].at]});
        }
        twins_.push_back(std::move(twin));
        return index;
    }

    // yacpdb's "twins:" and under it "b: Move g1 h1", each twin in the solver's words.
    std::size_t databaseTwins(const std::vector<Token>& words, std::size_t index) {
        const Token& key = words[index];
        bool labelled = false;
        while (index + 1 < words.size() && (words[index + 1].line == key.line || words[index + 1].indent > key.indent)) {
            const Token& token = words[++index];
            if (colonAfter(token)) {
                twins_.push_back(popeye::TwinText{lower(token.text), {}, offsets_[token.at], false});
                labelled = true;
            } else if (labelled) {
                twins_.back().words.push_back(popeye::TwinWord{token.text, offsets_[token.at]});
            } else {
                error(ProblemErrorKind::twin, token.at);
            }
        }
        return index;
    }

    void hint(std::size_t language) {
        if (language != ANY && hinted_ == ANY) hinted_ = language;
    }

    bool stipulationWord(const Token& token) {
        const auto parsed = stipulation::read(token.text);
        if (parsed) {
            if (!reading_.stipulation.empty() && reading_.stipulation != token.text) {
                error(ProblemErrorKind::stipulation, token.at);
            } else {
                reading_.stipulation = stipulation::text(*parsed);
            }
            return true;
        }
        // Something stipulation-like that is none: "#12", "pser-h#3".
        if (token.text.find_first_of("#=") != std::string_view::npos) {
            error(ProblemErrorKind::stipulation, token.at);
            return true;
        }
        return false;
    }

    bool countWord(const Token& token) {
        int white = 0;
        int black = 0;
        if (!readCount(token.text, white, black)) return false;
        reading_.whiteCount = white;
        reading_.blackCount = black;
        countAt_ = token.at;
        return true;
    }

    // A word of pieces: "Kg1", "Pf2g2h2", "f2g2" (pawns), "wKg1", "sBf7g7", and in the
    // solver's input also "kg1".
    void piece(const Token& token, bool black, bool piecesMode, bool& markers) {
        std::string_view text = token.text;
        std::size_t at = token.at;
        if (isSquares(text)) {
            placements_.push_back(Placement{'\0', black, text, at, false});
            return;
        }
        if (text.size() >= 4 && std::string_view("wbsn").find(text[0]) != std::string_view::npos &&
            std::isupper(static_cast<unsigned char>(text[1])) != 0) {
            black = text[0] != 'w';
            hint(text[0] == 's' ? GERMAN : text[0] == 'n' ? FRENCH : text[0] == 'b' ? ENGLISH : ANY);
            markers = true;
            text.remove_prefix(1);
            ++at;
        }
        const char first = text[0];
        const bool letter = std::isupper(static_cast<unsigned char>(first)) != 0 ||
                            (piecesMode && std::islower(static_cast<unsigned char>(first)) != 0);
        if (!letter) {
            error(ProblemErrorKind::unknownWord, token.at);
            return;
        }
        const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(first)));
        const std::string_view squares = text.substr(1);
        const bool named = std::any_of(LANGUAGES.begin(), LANGUAGES.end(),
                                       [&](const Language& l) { return l.letters.find(upper) != std::string_view::npos; });
        const bool squareLike = squares.empty() || (squares[0] >= 'a' && squares[0] <= 'h') || squares.size() <= 2;
        if (!named || !isSquares(squares)) {
            error(named && squareLike ? ProblemErrorKind::square : ProblemErrorKind::unknownWord, at);
            return;
        }
        placements_.push_back(Placement{upper, black, squares, at, false});
    }

    // A Forsyth board with the language's letters: white's in upper case.
    void forsyth(const Token& token) {
        const std::string_view board = token.text;
        int rank = 0;
        int file = 0;
        for (std::size_t at = 0; at < board.size(); ++at) {
            const char c = board[at];
            if (c == '/') {
                if (file != 8) break;
                ++rank;
                file = 0;
            } else if (c >= '1' && c <= '8') {
                file += c - '0';
            } else if (std::isalpha(static_cast<unsigned char>(c)) != 0 && file < 8 && rank < 8) {
                const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                const std::size_t square = static_cast<std::size_t>(rank) * 8 + static_cast<std::size_t>(file);
                placements_.push_back(Placement{upper, std::islower(static_cast<unsigned char>(c)) != 0, {}, token.at + at, true});
                forsythIndex_.push_back(square);
                ++file;
            } else {
                file = 9;
                break;
            }
            if (file > 8) break;
        }
        if (rank != 7 || file != 8) error(ProblemErrorKind::board, token.at);
    }

    // Whether every piece word is a letter of this tool's own list, K Q R B N or P.
    [[nodiscard]] bool ownListOnly() const {
        return std::all_of(placements_.begin(), placements_.end(), [](const Placement& placement) {
            return placement.letter == '\0' || FenPosition::isPieceLetter(placement.letter);
        });
    }

    // This tool's piece list, read as the command line reads it, the stipulation and the
    // count left out.
    ProblemReading pieceList(const std::vector<Token>& words) {
        std::string list(original_);
        for (const Token& token : words) {
            int white = 0;
            int black = 0;
            if (stipulation::read(token.text) || readCount(token.text, white, black)) {
                const std::size_t from = offsets_[token.at];
                std::fill(list.begin() + static_cast<std::ptrdiff_t>(from),
                          list.begin() + static_cast<std::ptrdiff_t>(offsets_[token.at + token.text.size()]), ' ');
            }
        }
        reading_.language = "en";
        reading_.position.readPieceList(list);
        // The list reads every text, so only what the stipulation words found stands.
        std::erase_if(reading_.errors, [](const ProblemError& e) { return e.kind != ProblemErrorKind::stipulation; });
        finish();
        return done();
    }

    // The language the letters are read in: the call's, the text's own word for it, or
    // the only one that reads them all; where several read them differently, an error.
    std::size_t chooseLanguage() {
        if (language_ != ANY) return language_;
        if (hinted_ != ANY) return hinted_;
        std::vector<std::size_t> fitting;
        for (std::size_t language = 0; language < LANGUAGES.size(); ++language) {
            if (std::all_of(placements_.begin(), placements_.end(), [&](const Placement& placement) {
                    return placement.letter == '\0' || kindIn(language, placement.letter) != '\0';
                })) {
                fitting.push_back(language);
            }
        }
        if (fitting.empty()) return ENGLISH;
        for (const Placement& placement : placements_) {
            if (placement.letter == '\0') continue;
            const char kind = kindIn(fitting[0], placement.letter);
            if (std::any_of(fitting.begin() + 1, fitting.end(), [&](std::size_t other) { return kindIn(other, placement.letter) != kind; })) {
                error(ProblemErrorKind::ambiguousLanguage, placement.at);
                for (const std::size_t language : fitting) reading_.languages.emplace_back(LANGUAGES[language].name);
                return ANY;
            }
        }
        return fitting[0];
    }

    ProblemReading place() {
        const std::size_t language = chooseLanguage();
        if (language != ANY) {
            reading_.language = std::string(LANGUAGES[language].name);
            std::size_t forsythAt = 0;
            for (const Placement& placement : placements_) {
                const char kind = placement.letter == '\0' ? 'P' : kindIn(language, placement.letter);
                if (kind == '\0') {
                    error(ProblemErrorKind::piece, placement.at);
                    if (placement.forsyth) ++forsythAt;
                    continue;
                }
                const char letter = placement.black ? static_cast<char>(kind - 'A' + 'a') : kind;
                if (placement.forsyth) {
                    put(forsythIndex_[forsythAt++], letter, placement.at);
                    continue;
                }
                for (std::size_t at = 0; at < placement.squares.size(); at += 2) {
                    put(static_cast<std::size_t>(squareAt(placement.squares, at)), letter, placement.at);
                }
            }
        }
        finish();
        return done();
    }

    // The errors at their offsets in the text as given, in order.
    ProblemReading done() {
        for (ProblemError& found : reading_.errors) found.at = offsets_[found.at];
        problemWords::sortErrors(reading_.errors);
        return reading_;
    }

    void put(std::size_t square, char letter, std::size_t at) {
        char& on = reading_.position.board[square];
        if (on != '.') error(ProblemErrorKind::occupied, at);
        on = letter;
    }

    // The side to move from the stipulation, the rights the board allows, and the checks
    // of the whole board against the count.
    void finish() {
        const FenPosition& position = reading_.position;
        problemWords::setSideAndRights(reading_);
        int white = 0;
        int black = 0;
        for (const char c : position.board) {
            if (pieceSlot(c) < 0) continue;
            (std::isupper(static_cast<unsigned char>(c)) != 0 ? white : black) += 1;
        }
        if (white + black == 0 && reading_.languages.empty()) error(ProblemErrorKind::noPieces, 0);
        if (reading_.whiteCount >= 0 && (reading_.whiteCount != white || reading_.blackCount != black)) {
            error(ProblemErrorKind::count, countAt_);
        }
    }

    std::string_view original_;
    std::string text_;
    // Where each byte of text_ stands in the original, and one past the end.
    std::vector<std::size_t> offsets_;
    std::size_t language_;
    std::size_t hinted_ = ANY;
    std::size_t countAt_ = 0;
    std::vector<Placement> placements_;
    std::vector<std::size_t> forsythIndex_;
    ProblemReading reading_;
    std::vector<popeye::TwinText> twins_;
};

}  // namespace

std::vector<ProblemReading> readProblems(std::string_view text, std::string_view language) {
    std::size_t chosen = ANY;
    for (std::size_t at = 0; at < LANGUAGES.size(); ++at) {
        if (LANGUAGES[at].name == language) chosen = at;
    }
    if (!language.empty() && chosen == ANY) {
        ProblemReading reading;
        reading.errors.push_back(ProblemError{ProblemErrorKind::language, 0});
        return {reading};
    }
    if (popeye::isPopeye(text)) return popeye::read(text, chosen);
    Reader reader(text, chosen);
    const ProblemReading diagram = reader.read();
    return popeye::twinned(diagram, reader.twins());
}

ProblemReading readProblem(std::string_view text, std::string_view language) {
    return readProblems(text, language).front();
}

std::string_view problemErrorName(ProblemErrorKind kind) {
    const auto at = static_cast<std::size_t>(kind);
    return at < ERROR_NAMES.size() ? ERROR_NAMES[at] : std::string_view{};
}

namespace problemWords {

bool isSquares(std::string_view text) {
    if (text.empty() || text.size() % 2 != 0) return false;
    for (std::size_t at = 0; at < text.size(); at += 2) {
        if (squareAt(text, at) < 0) return false;
    }
    return true;
}

bool readCount(std::string_view text, int& white, int& black) {
    if (text.size() < 5 || text.front() != '(' || text.back() != ')') return false;
    const auto plus = text.find('+');
    if (plus == std::string_view::npos) return false;
    const auto number = [](std::string_view digits, int& value) {
        if (digits.empty() || digits.size() > 2) return false;
        value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        return true;
    };
    return number(text.substr(1, plus - 1), white) && number(text.substr(plus + 1, text.size() - plus - 2), black);
}

bool looksLikeFenField(std::string_view text) {
    if (text == "w" || text == "b" || text == "-") return true;
    if (std::all_of(text.begin(), text.end(), [](char c) { return std::string_view("KQkq").find(c) != std::string_view::npos; })) {
        return true;
    }
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return true;
    return text.size() == 2 && text[0] >= 'a' && text[0] <= 'h' && (text[1] == '3' || text[1] == '6');
}

void setSideAndRights(ProblemReading& reading) {
    FenPosition& position = reading.position;
    const auto parsed = stipulation::read(reading.stipulation);
    position.sideToMove = parsed && stipulation::blackStarts(*parsed) ? 1 : 0;
    for (int colour = 0; colour < 2; ++colour) {
        for (int wing = 0; wing < 2; ++wing) position.castling[colour][wing] = castlingAtHome(position, colour, wing);
    }
}

void sortErrors(std::vector<ProblemError>& errors) {
    std::sort(errors.begin(), errors.end(), [](const ProblemError& a, const ProblemError& b) {
        return a.at != b.at ? a.at < b.at : a.kind < b.kind;
    });
}

}  // namespace problemWords

}  // namespace piecefen
