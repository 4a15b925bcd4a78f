#include "notation/PopeyeReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <span>
#include <string>

#include "notation/ProblemWords.h"
#include "notation/Stipulation.h"
#include "position/Vocabulary.h"

namespace piecefen::popeye {

using problemWords::isSquares;
using problemWords::looksLikeFenField;

namespace {

// Languages as a set of bits, so that a word can belong to several.
constexpr unsigned EN = 1;
constexpr unsigned DE = 2;
constexpr unsigned FR = 4;
constexpr unsigned ALL = EN | DE | FR;

struct Entry {
    std::string_view name;
    int meaning;
    unsigned languages;
};

// What a word found in a table means, and in which of the languages asked about.
struct Found {
    int meaning = -1;
    unsigned languages = 0;
};

// A word is any unique beginning of an entry's name: unique in meaning, so that "opti"
// is the option command in all three languages at once.
// Case does not matter: the names are in lower case, and so is every word compared with them.
bool begins(std::string_view name, std::string_view word) {
    if (word.size() > name.size()) return false;
    for (std::size_t at = 0; at < word.size(); ++at) {
        if (std::tolower(static_cast<unsigned char>(word[at])) != static_cast<unsigned char>(name[at])) return false;
    }
    return true;
}

Found lookUp(std::span<const Entry> table, std::string_view word, unsigned languages) {
    Found found;
    if (word.empty()) return found;
    for (const Entry& entry : table) {
        if ((entry.languages & languages) == 0 || !begins(entry.name, word)) continue;
        if (entry.name.size() == word.size()) return Found{entry.meaning, entry.languages & languages};
        if (found.meaning >= 0 && found.meaning != entry.meaning) return Found{-2, 0};
        found.meaning = entry.meaning;
        found.languages |= entry.languages & languages;
    }
    return found;
}

enum Command { BEGIN, END, NEXT, REMARK, AUTHOR, ORIGIN, TITLE, AWARD, PROTOCOL, CONDITION, OPTION, STIPULATION, SSTIPULATION, FORSYTH, PIECES, TWIN, ZERO };

constexpr std::array<Entry, 45> COMMANDS = {{
    {"beginproblem", BEGIN, EN}, {"endproblem", END, EN}, {"nextproblem", NEXT, EN}, {"remark", REMARK, EN},
    {"author", AUTHOR, EN}, {"origin", ORIGIN, EN}, {"title", TITLE, EN}, {"award", AWARD, EN},
    {"protocol", PROTOCOL, EN}, {"condition", CONDITION, EN | FR}, {"option", OPTION, ALL},
    {"stipulation", STIPULATION, EN}, {"sstipulation", SSTIPULATION, EN}, {"forsyth", FORSYTH, ALL},
    {"pieces", PIECES, EN | FR}, {"twin", TWIN, EN}, {"zeroposition", ZERO, EN | FR},
    {"anfangproblem", BEGIN, DE}, {"endeproblem", END, DE}, {"weiteresproblem", NEXT, DE}, {"bemerkung", REMARK, DE},
    {"autor", AUTHOR, DE}, {"quelle", ORIGIN, DE}, {"titel", TITLE, DE}, {"auszeichnung", AWARD, DE},
    {"protokoll", PROTOCOL, DE}, {"bedingung", CONDITION, DE}, {"forderung", STIPULATION, DE},
    {"sforderung", SSTIPULATION, DE}, {"steine", PIECES, DE}, {"zwilling", TWIN, DE},
    {"debutprobleme", BEGIN, FR}, {"finprobleme", END, FR}, {"asuivre", NEXT, FR}, {"remarque", REMARK, FR},
    {"auteur", AUTHOR, FR}, {"source", ORIGIN, FR}, {"titre", TITLE, FR}, {"protocole", PROTOCOL, FR},
    {"enonce", STIPULATION, FR}, {"senonce", SSTIPULATION, FR}, {"jumeau", TWIN, FR},
    // The short forms the first versions took, which files still hold.
    {"begin", BEGIN, EN}, {"end", END, EN}, {"next", NEXT, EN},
}};

enum Colour { WHITE_COLOUR, BLACK_COLOUR, NEUTRAL };

constexpr std::array<Entry, 9> COLOURS = {{
    {"white", WHITE_COLOUR, EN}, {"black", BLACK_COLOUR, EN}, {"neutral", NEUTRAL, EN | DE},
    {"weiss", WHITE_COLOUR, DE}, {"weiß", WHITE_COLOUR, DE}, {"schwarz", BLACK_COLOUR, DE},
    {"blanc", WHITE_COLOUR, FR}, {"noir", BLACK_COLOUR, FR}, {"neutre", NEUTRAL, FR},
}};

// A piece's attributes, each of them fairy chess.
constexpr std::array<Entry, 24> ATTRIBUTES = {{
    {"chameleon", 0, EN}, {"jigger", 0, ALL}, {"kamikaze", 0, ALL}, {"paralysing", 0, EN}, {"royal", 0, EN},
    {"volage", 0, ALL}, {"functionary", 0, EN}, {"halfneutral", 0, EN}, {"hurdlecolourchanging", 0, EN},
    {"protean", 0, EN}, {"magic", 0, EN}, {"uncapturable", 0, EN}, {"frischauf", 0, ALL},
    {"chamaeleon", 0, DE}, {"koeniglich", 0, DE}, {"paralysierend", 0, DE}, {"beamtet", 0, DE},
    {"halbneutral", 0, DE}, {"sprungbockfarbewechselnd", 0, DE}, {"proteisch", 0, DE}, {"magisch", 0, DE},
    {"unschlagbar", 0, DE}, {"paralysante", 0, FR}, {"royale", 0, FR},
}};

enum Option {
    TRY, DEFENCE, SETPLAY, THREAT, WHITETOPLAY, VARIATION, MOVENUMBERS, STARTMOVENUMBER, NOKING, DUPLEX, NOTHREAT,
    MAXSOLUTIONS, MAXFLIGHTS, ENPASSANT, EXCLUSIVE, NOBOARD, NOSHORTVARIATIONS, HALFDUPLEX, POSTKEYPLAY, NONTRIVIAL,
    INTELLIGENT, MAXTIME, NOCASTLING, QUODLIBET, STOPONSHORT, BEEP, GRID, KEEPMATING, LASTCAPTURE, GOALISEND
};

constexpr std::array<Entry, 74> OPTIONS = {{
    {"variations", VARIATION, EN},
    {"try", TRY, EN}, {"defence", DEFENCE, EN}, {"setplay", SETPLAY, EN}, {"threat", THREAT, EN},
    {"whitetoplay", WHITETOPLAY, EN}, {"variation", VARIATION, EN}, {"movenumbers", MOVENUMBERS, EN},
    {"startmovenumber", STARTMOVENUMBER, EN}, {"nowk", NOKING, EN}, {"nobk", NOKING, EN}, {"duplex", DUPLEX, ALL},
    {"nothreat", NOTHREAT, EN}, {"maxsolutions", MAXSOLUTIONS, EN}, {"maxflightsquares", MAXFLIGHTS, EN},
    {"enpassant", ENPASSANT, ALL}, {"castlingmutuallyexclusive", EXCLUSIVE, EN}, {"noboard", NOBOARD, EN},
    {"noshortvariations", NOSHORTVARIATIONS, EN}, {"halfduplex", HALFDUPLEX, EN}, {"postkeyplay", POSTKEYPLAY, EN},
    {"nontrivial", NONTRIVIAL, EN}, {"intelligent", INTELLIGENT, ALL}, {"maxtime", MAXTIME, EN},
    {"nocastling", NOCASTLING, EN}, {"quodlibet", QUODLIBET, ALL}, {"stoponshortsolutions", STOPONSHORT, EN},
    {"beep", BEEP, EN}, {"suppressgrid", GRID, EN}, {"writegrid", GRID, EN}, {"keepmatingpiece", KEEPMATING, EN},
    {"lastcapture", LASTCAPTURE, EN}, {"goalisend", GOALISEND, EN},
    {"verfuehrung", TRY, DE}, {"widerlegung", DEFENCE, DE}, {"satzspiel", SETPLAY, DE}, {"drohung", THREAT, DE},
    {"weissbeginnt", WHITETOPLAY, DE}, {"varianten", VARIATION, DE}, {"zugnummern", MOVENUMBERS, DE},
    {"startzugnummer", STARTMOVENUMBER, DE}, {"ohnewk", NOKING, DE}, {"ohnesk", NOKING, DE},
    {"ohnedrohung", NOTHREAT, DE}, {"maxloesungen", MAXSOLUTIONS, DE}, {"maxfluchtfelder", MAXFLIGHTS, DE},
    {"rochadengegenseitigausschliessend", EXCLUSIVE, DE}, {"ohnebrett", NOBOARD, DE},
    {"ohnekurzvarianten", NOSHORTVARIATIONS, DE}, {"halbduplex", HALFDUPLEX, DE}, {"nachschluessel", POSTKEYPLAY, DE},
    {"nichttrivial", NONTRIVIAL, DE}, {"maxzeit", MAXTIME, DE}, {"keinerochade", NOCASTLING, DE},
    {"stopnachkurzloesungen", STOPONSHORT, DE}, {"pieps", BEEP, DE}, {"ohnegitter", GRID, DE},
    {"zeichnegitter", GRID, DE}, {"haltemattsetzendenstein", KEEPMATING, DE}, {"letzterschlag", LASTCAPTURE, DE},
    {"zielistende", GOALISEND, DE},
    {"essais", TRY, FR}, {"defense", DEFENCE, FR}, {"apparent", SETPLAY, FR}, {"menace", THREAT, FR},
    {"variantes", VARIATION, FR}, {"trace", MOVENUMBERS, FR}, {"sansmenace", NOTHREAT, FR},
    {"maxsolutions", MAXSOLUTIONS, FR}, {"maxtemps", MAXTIME, FR}, {"sansroquer", NOCASTLING, FR},
    {"blancjoue", WHITETOPLAY, FR}, {"demiduplex", HALFDUPLEX, FR}, {"postcle", POSTKEYPLAY, FR},
}};

// PLACE is no word of the solver's: it is the databases' "+wSd4", a piece put on the board.
enum TwinCommand { MOVE, EXCHANGE, REMOVE, SUBSTITUTE, ADD, ROTATE, MIRROR, SHIFT, POLISH, TWIN_STIPULATION, TWIN_CONDITION, CONTINUED, PLACE };

constexpr std::array<Entry, 34> TWIN_COMMANDS = {{
    {"move", MOVE, EN}, {"exchange", EXCHANGE, EN}, {"remove", REMOVE, EN}, {"substitute", SUBSTITUTE, EN},
    {"add", ADD, EN}, {"rotate", ROTATE, EN}, {"mirror", MIRROR, EN}, {"shift", SHIFT, EN},
    {"polishtype", POLISH, EN}, {"stipulation", TWIN_STIPULATION, EN}, {"condition", TWIN_CONDITION, EN | FR},
    {"continued", CONTINUED, EN}, {"sstipulation", TWIN_STIPULATION, EN},
    {"versetze", MOVE, DE}, {"tausche", EXCHANGE, DE}, {"entferne", REMOVE, DE}, {"ersetze", SUBSTITUTE, DE},
    {"hinzufuegen", ADD, DE}, {"drehung", ROTATE, DE}, {"spiegelung", MIRROR, DE}, {"verschiebung", SHIFT, DE},
    {"farbwechsel", POLISH, DE}, {"forderung", TWIN_STIPULATION, DE}, {"bedingung", TWIN_CONDITION, DE},
    {"ferner", CONTINUED, DE},
    {"deplacement", MOVE, FR}, {"echange", EXCHANGE, FR}, {"ote", REMOVE, FR}, {"remplace", SUBSTITUTE, FR},
    {"ajoute", ADD, FR}, {"rotation", ROTATE, FR}, {"miroir", MIRROR, FR}, {"translation", SHIFT, FR},
    {"couleurechange", POLISH, FR},
}};

constexpr std::array<std::string_view, 3> LETTERS = {"KQRBSP", GERMAN_LETTERS, FRENCH_LETTERS};
constexpr std::array<std::string_view, 3> NAMES = {"en", "de", "fr"};
constexpr std::array<std::string_view, 6> DATA_FIELDS = {"remark", "author", "origin", "title", "award", ""};

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

struct Token {
    std::string_view text;
    std::size_t at;
    std::size_t lineEnd;  // where the token's line ends
};

std::vector<Token> tokensOf(std::string_view text) {
    std::vector<Token> found;
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[at])) != 0) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && std::isspace(static_cast<unsigned char>(text[end])) == 0) ++end;
        const std::size_t lineEnd = std::min(text.find('\n', at), text.size());
        found.push_back(Token{text.substr(at, end - at), at, lineEnd});
        at = end;
    }
    return found;
}


bool isNumber(std::string_view text) {
    return !text.empty() && text.size() <= 6 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int numberOf(std::string_view text) {
    return std::accumulate(text.begin(), text.end(), 0, [](int value, char c) { return value * 10 + (c - '0'); });
}

// One twin's changes as written, applied once the whole problem is read.
struct Change {
    int command;
    std::vector<Token> words;
    std::size_t at;
    // The piece a short change names on its first square, as the record's white letter,
    // and its colour, 'w' or 'b'; 0 where the change names none.
    char piece = 0;
    char colour = 0;
};

// A piece in a short twin change: "wKg1", "sBc5", "Kg1" or "g1", colour and letter optional.
struct ShortPiece {
    char colour = 0;
    char letter = 0;
    std::string_view squares;
};

std::optional<ShortPiece> shortPiece(std::string_view text) {
    ShortPiece piece;
    if (text.size() >= 2 && std::string_view("wsbn").find(text[0]) != std::string_view::npos &&
        std::isupper(static_cast<unsigned char>(text[1])) != 0) {
        piece.colour = text[0];
        text.remove_prefix(1);
    }
    if (!text.empty() && std::isupper(static_cast<unsigned char>(text[0])) != 0) {
        piece.letter = text[0];
        text.remove_prefix(1);
    }
    if (!isSquares(text)) return std::nullopt;
    piece.squares = text;
    return piece;
}

// The arrows a short change moves or exchanges with, the longest of each first.
constexpr std::array<std::string_view, 3> EXCHANGE_ARROWS = {"<-->", "<->", "\xE2\x86\x94"};
constexpr std::array<std::string_view, 3> MOVE_ARROWS = {"->", "\xE2\x86\x92", "-"};

// The words a caption writes for the diagram itself, the twin without changes.
constexpr std::array<std::string_view, 4> DIAGRAM_WORDS = {"diagram", "diagramm", "diagramme", "original"};

struct Twin {
    bool continued = false;
    std::vector<Change> changes;
    std::size_t at;
};

class Reader {
public:
    Reader(const std::vector<Token>& tokens, std::size_t& next, unsigned languages)
        : tokens_(tokens), next_(next), languages_(languages) {}

    // One problem, up to its end or the next problem's start.
    std::vector<ProblemReading> read() {
        std::fill(std::begin(base_.position.board), std::end(base_.position.board), '.');
        bool ended = false;
        while (!ended && next_ < tokens_.size()) {
            const Token& token = tokens_[next_++];
            const std::string_view word = token.text;
            const Found command = lookUp(COMMANDS, word, languages_);
            if (command.meaning >= 0) {
                narrow(command.languages);
                empty_ = empty_ && (command.meaning == BEGIN || command.meaning == END || command.meaning == NEXT);
                ended = commandAt(command.meaning, token);
                continue;
            }
            empty_ = false;
            if (lookUp(COLOURS, word, ALL).meaning >= 0) {
                // A colour word names pieces, whether the pieces command came first or not.
                --next_;
                pieces(base_.position.board, false);
                continue;
            }
            if (loose(token)) continue;
            error(ProblemErrorKind::unknownWord, token.at);
        }
        return readings();
    }

    // Whether the problem held nothing but the words that begin and end it.
    [[nodiscard]] bool empty() const { return empty_; }

private:
    // Whether the command ends the problem.
    bool commandAt(int command, const Token& token) {
        switch (command) {
        case BEGIN:
            return false;
        case END:
        case NEXT:
            return true;
        case REMARK:
        case AUTHOR:
        case ORIGIN:
        case TITLE:
        case AWARD:
            datum(DATA_FIELDS[static_cast<std::size_t>(command - REMARK)], token);
            return false;
        case PROTOCOL:
            restOfLine(token);
            return false;
        case CONDITION:
        case SSTIPULATION:
            error(ProblemErrorKind::fairy, token.at);
            skipToCommand();
            return false;
        case OPTION:
            options();
            return false;
        case STIPULATION:
            if (next_ < tokens_.size()) stipulation(base_.stipulation, tokens_[next_++]);
            return false;
        case FORSYTH:
            if (next_ < tokens_.size()) forsyth(tokens_[next_++]);
            return false;
        case PIECES:
            pieces(base_.position.board, false);
            return false;
        case TWIN:
        case ZERO:
            twin(command == ZERO, token.at);
            return false;
        default:
            return false;
        }
    }

    void error(ProblemErrorKind kind, std::size_t at) { base_.errors.push_back(ProblemError{kind, at}); }

    // The text's words settle its language: once they do, only its words are read.
    void narrow(unsigned languages) {
        if ((languages_ & languages) != 0) languages_ &= languages;
    }

    [[nodiscard]] std::size_t language() const {
        if ((languages_ & EN) != 0) return 0;
        return (languages_ & DE) != 0 ? 1 : 2;
    }

    [[nodiscard]] bool isCommand(const Token& token) const {
        return lookUp(COMMANDS, token.text, languages_).meaning >= 0;
    }

    std::string_view restOfLine(const Token& token) {
        const std::size_t start = next_;
        while (next_ < tokens_.size() && tokens_[next_].at < token.lineEnd) ++next_;
        if (start == next_) return {};
        const Token& last = tokens_[next_ - 1];
        const std::size_t from = tokens_[start].at;
        return {tokens_[start].text.data(), last.at + last.text.size() - from};
    }

    void datum(std::string_view field, const Token& token) {
        const std::string_view text = restOfLine(token);
        if (!text.empty() && !field.empty()) base_.data.push_back(ProblemDatum{std::string(field), std::string(text)});
    }

    void skipToCommand() {
        while (next_ < tokens_.size() && !isCommand(tokens_[next_])) ++next_;
    }

    // Words the other forms allow anywhere: a stipulation or a count on its own.
    bool loose(const Token& token) {
        const std::string word = lower(token.text);
        if (stipulation::read(word)) {
            stipulation(base_.stipulation, token);
            return true;
        }
        int white = 0;
        int black = 0;
        if (problemWords::readCount(token.text, white, black)) {
            base_.whiteCount = white;
            base_.blackCount = black;
            countAt_ = token.at;
            return true;
        }
        return false;
    }

    void stipulation(std::string& into, const Token& token) {
        const auto parsed = stipulation::read(lower(token.text));
        if (!parsed) {
            error(ProblemErrorKind::stipulation, token.at);
            return;
        }
        into = stipulation::text(*parsed);
    }

    // A number after an option, or none.
    std::optional<int> number() {
        if (next_ < tokens_.size() && isNumber(tokens_[next_].text)) return numberOf(tokens_[next_++].text);
        return std::nullopt;
    }

    void options() {
        ProblemOptions& options = base_.options;
        while (next_ < tokens_.size() && !isCommand(tokens_[next_])) {
            const Token& token = tokens_[next_++];
            const Found found = lookUp(OPTIONS, token.text, languages_);
            if (found.meaning < 0) {
                error(ProblemErrorKind::option, token.at);
                continue;
            }
            narrow(found.languages);
            const auto needed = [&](int& into) {
                if (const auto value = number()) {
                    into = *value;
                } else {
                    error(ProblemErrorKind::option, token.at);
                }
            };
            switch (found.meaning) {
            case TRY: options.tries = true; break;
            case DEFENCE: needed(options.defences); break;
            case SETPLAY: options.setPlay = true; break;
            case THREAT: needed(options.threatLength); break;
            case WHITETOPLAY: options.whiteToPlay = true; break;
            case VARIATION: options.variations = true; break;
            case DUPLEX: options.duplex = true; break;
            case NOTHREAT: options.noThreat = true; break;
            case MAXSOLUTIONS: needed(options.maxSolutions); break;
            case NOSHORTVARIATIONS: options.noShortVariations = true; break;
            case HALFDUPLEX: options.halfDuplex = true; break;
            case POSTKEYPLAY: options.postKeyPlay = true; break;
            case INTELLIGENT: options.intelligent = true; number(); break;
            case QUODLIBET: options.quodlibet = true; break;
            case STOPONSHORT: options.stopOnShortSolutions = true; break;
            case ENPASSANT: enPassant(token); break;
            case NOCASTLING: noCastling(token); break;
            // What changes only how the answer is shown or how long it may take.
            case MOVENUMBERS: case NOBOARD: break;
            case STARTMOVENUMBER: case MAXTIME: case BEEP: number(); break;
            // A side without its king, or rules the solver does not play: beyond orthodox chess here.
            case NOKING: case GRID: case GOALISEND: error(ProblemErrorKind::fairy, token.at); break;
            default: error(ProblemErrorKind::option, token.at); break;
            }
        }
    }

    // The pawn's last move, from its square over the one or two it passed to where it
    // stands, as one word or several: the square passed last is the one it may be taken on.
    void enPassant(const Token& option) {
        std::string squares;
        while (next_ < tokens_.size() && isSquares(tokens_[next_].text) && squares.size() < 8) squares += tokens_[next_++].text;
        if (squares.size() < 6 || squares.size() > 8) {
            error(ProblemErrorKind::option, option.at);
            return;
        }
        enPassant_ = squares.substr(squares.size() - 4, 2);
    }

    void noCastling(const Token& option) {
        bool any = false;
        while (next_ < tokens_.size() && isSquares(tokens_[next_].text)) {
            const std::string_view squares = tokens_[next_++].text;
            for (std::size_t at = 0; at < squares.size(); at += 2) noCastling_.push_back(squareAt(squares, at));
            any = true;
        }
        if (!any) error(ProblemErrorKind::option, option.at);
    }

    // A Forsyth board in the language's letters, white's in upper case; a run of empty
    // squares may be of any length, and "/" between ranks is only for the eye.
    void forsyth(const Token& token) {
        char* board = base_.position.board;
        const std::string_view letters = LETTERS[language()];
        std::size_t square = 0;
        bool broken = false;
        for (std::size_t at = 0; at < token.text.size() && !broken; ++at) {
            const char c = token.text[at];
            if (c == '/') continue;
            if (c >= '0' && c <= '9') {
                std::size_t run = 0;
                while (at < token.text.size() && token.text[at] >= '0' && token.text[at] <= '9' && run <= 64) {
                    run = run * 10 + static_cast<std::size_t>(token.text[at] - '0');
                    ++at;
                }
                --at;
                square += run;
                continue;
            }
            if (std::isalpha(static_cast<unsigned char>(c)) == 0 || square >= 64) {
                broken = true;
                continue;
            }
            const auto upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            const auto kind = letters.find(upper);
            if (kind == std::string_view::npos) {
                // Any other letter is a fairy piece in the solver's input; in English N is the nightrider.
                error(upper == 'N' && language() == 0 ? ProblemErrorKind::fairy : ProblemErrorKind::piece, token.at + at);
            } else {
                const char letter = FenPosition::PIECE_LETTERS[kind];
                board[square] = std::islower(static_cast<unsigned char>(c)) != 0 ? static_cast<char>(letter - 'A' + 'a') : letter;
            }
            ++square;
        }
        if (broken || square != 64) error(ProblemErrorKind::board, token.at);
        for (int field = 0; field < 5 && next_ < tokens_.size() && looksLikeFenField(tokens_[next_].text); ++field) ++next_;
    }

    // Colours and the pieces after each, until a word that is neither: "white kg1 rf1
    // black kg8". `replace` lets a piece stand where another stood, as twins add them.
    void pieces(char* board, bool replace) {
        int colour = -1;
        while (next_ < tokens_.size()) {
            const Token& token = tokens_[next_];
            const std::string_view word = token.text;
            Found found = lookUp(COLOURS, word, languages_);
            // A colour word of another language is still a colour, where the text's own has none.
            if (found.meaning < 0 && !isCommand(token)) found = lookUp(COLOURS, word, ALL);
            if (found.meaning >= 0) {
                ++next_;
                narrow(found.languages);
                colour = found.meaning;
                if (colour == NEUTRAL) error(ProblemErrorKind::fairy, token.at);
                continue;
            }
            if (isCommand(token) || colour < 0) return;
            if (lookUp(ATTRIBUTES, word, ALL).meaning >= 0) {
                error(ProblemErrorKind::fairy, token.at);
                ++next_;
                continue;
            }
            if (!piece(board, token, lower(word), colour, replace)) return;
            ++next_;
        }
    }

    // One word of pieces, such as "pf2g2h2"; false where the word is no piece at all.
    bool piece(char* board, const Token& token, const std::string& word, int colour, bool replace) {
        const std::string_view letters = LETTERS[language()];
        std::size_t code = 0;
        while (code < word.size() && code < 2 && std::isalnum(static_cast<unsigned char>(word[code])) != 0 &&
               !isSquares(std::string_view(word).substr(code))) {
            ++code;
        }
        const std::string_view squares = std::string_view(word).substr(code);
        if (code == 0 || !isSquares(squares)) {
            if (stipulation::read(word) || loose(token)) return true;
            error(ProblemErrorKind::unknownWord, token.at);
            return true;
        }
        const auto kind = code == 1 ? letters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])))) : std::string_view::npos;
        if (colour == NEUTRAL) return true;
        if (kind == std::string_view::npos) {
            error(ProblemErrorKind::fairy, token.at);
            return true;
        }
        const char white = FenPosition::PIECE_LETTERS[kind];
        const char letter = colour == BLACK_COLOUR ? static_cast<char>(white - 'A' + 'a') : white;
        for (std::size_t at = 0; at < squares.size(); at += 2) {
            char& on = board[squareAt(squares, at)];
            if (on != '.' && !replace) error(ProblemErrorKind::occupied, token.at);
            on = letter;
        }
        return true;
    }

    // A twin's changes, or with the zero position those that make the first position solved.
    void twin(bool zero, std::size_t at) {
        Twin made;
        made.at = at;
        zero_ = zero_ || zero;
        // A twin's own stipulation or condition is one of its changes, not a command.
        while (next_ < tokens_.size() && (isChange(tokens_[next_]) || !isCommand(tokens_[next_]))) {
            if (!commandChange(made)) twinErrors_.push_back({twins_.size(), ProblemError{ProblemErrorKind::twin, tokens_[next_++].at}});
        }
        twins_.push_back(std::move(made));
    }

    [[nodiscard]] bool isChange(const Token& token) const { return lookUp(TWIN_COMMANDS, token.text, languages_).meaning >= 0; }

    // One change in the solver's words, with the words it takes; false where the next word is none.
    bool commandChange(Twin& made) {
        const Token& token = tokens_[next_];
        const Found found = lookUp(TWIN_COMMANDS, token.text, languages_);
        if (found.meaning < 0) return false;
        ++next_;
        narrow(found.languages);
        if (found.meaning == CONTINUED) {
            made.continued = true;
            return true;
        }
        Change change{found.meaning, {}, token.at};
        // The words a change takes: a fixed number, or for pieces added and conditions
        // all up to the next change or command.
        constexpr std::array<std::size_t, 12> TAKES = {2, 2, 1, 2, SIZE_MAX, 1, 1, 2, 0, 1, SIZE_MAX, 0};
        const std::size_t takes = TAKES[static_cast<std::size_t>(found.meaning)];
        while (next_ < tokens_.size() && change.words.size() < takes && (takes != SIZE_MAX || !isChange(tokens_[next_])) &&
               (takes != SIZE_MAX || !isCommand(tokens_[next_]))) {
            change.words.push_back(tokens_[next_++]);
        }
        made.changes.push_back(std::move(change));
        return true;
    }

    // A twin in the databases' short changes, the solver's own words allowed among them.
    void shortTwin(std::size_t at) {
        Twin made;
        made.at = at;
        while (next_ < tokens_.size()) {
            if (shortChange(made, tokens_[next_])) {
                ++next_;
                continue;
            }
            if (!commandChange(made)) twinErrors_.push_back({twins_.size(), ProblemError{ProblemErrorKind::twin, tokens_[next_++].at}});
        }
        twins_.push_back(std::move(made));
    }

    // "#3", "-sBc5", "+wSd4", "wKg1-h1", "wKe1<->sKe8" or the diagram's own word; false for any other.
    bool shortChange(Twin& made, const Token& token) {
        const std::string_view text = token.text;
        const auto part = [&](std::string_view within) { return Token{within, token.at + static_cast<std::size_t>(within.data() - text.data()), token.lineEnd}; };
        const std::string word = lower(text);
        if (std::find(DIAGRAM_WORDS.begin(), DIAGRAM_WORDS.end(), word) != DIAGRAM_WORDS.end()) return true;
        if (stipulation::read(word)) {
            made.changes.push_back(Change{TWIN_STIPULATION, {token}, token.at});
            return true;
        }
        if (text.size() > 1 && (text[0] == '-' || text[0] == '+')) {
            const auto item = shortPiece(text.substr(1));
            if (!item) return false;
            Change change{text[0] == '-' ? REMOVE : PLACE, {part(item->squares)}, token.at};
            if (!named(change, *item) || (change.command == PLACE && (change.piece == 0 || change.colour == 0))) {
                change.command = -1;
            }
            made.changes.push_back(std::move(change));
            return true;
        }
        for (const auto& [arrows, command] : {std::pair{std::span(EXCHANGE_ARROWS), EXCHANGE}, std::pair{std::span(MOVE_ARROWS), MOVE}}) {
            for (const std::string_view arrow : arrows) {
                const auto split = text.find(arrow);
                if (split == std::string_view::npos || split == 0) continue;
                const auto from = shortPiece(text.substr(0, split));
                const auto to = shortPiece(text.substr(split + arrow.size()));
                if (!from || !to || from->squares.size() != 2 || to->squares.size() != 2) return false;
                Change change{command, {part(from->squares), part(to->squares)}, token.at};
                if (!named(change, *from)) change.command = -1;
                made.changes.push_back(std::move(change));
                return true;
            }
        }
        return false;
    }

    // The piece a short change names, in the text's letters; false for a letter that names
    // none or a neutral piece.
    [[nodiscard]] bool named(Change& change, const ShortPiece& piece) const {
        if (piece.colour == 'n') return false;
        if (piece.colour != 0) change.colour = piece.colour == 'w' ? 'w' : 'b';
        if (piece.letter == 0) return true;
        // Outside the solver's own input English takes N for the knight, as this tool does.
        const std::size_t in = letters_ < LETTERS.size() ? letters_ : language();
        const char letter = in == 0 && piece.letter == 'N' ? 'S' : piece.letter;
        const auto kind = LETTERS[in].find(letter);
        if (kind == std::string_view::npos) return false;
        change.piece = FenPosition::PIECE_LETTERS[kind];
        return true;
    }

    // The problem's readings: the position as set, then each twin.
    std::vector<ProblemReading> readings() {
        std::vector<ProblemReading> found;
        if (twins_.empty()) {
            found.push_back(finish(base_));
            return found;
        }
        if (!zero_) found.push_back(finish(base_));
        ProblemReading previous = base_;
        for (std::size_t index = 0; index < twins_.size(); ++index) {
            ProblemReading made = twins_[index].continued ? previous : base_;
            errorsOf(index, made);
            for (const Change& change : twins_[index].changes) apply(made, change);
            previous = made;
            found.push_back(finish(made));
        }
        for (std::size_t at = 0; at < found.size(); ++at) found[at].twin = label(at);
        return found;
    }

public:
    // The diagram another form has read and its twins, labelled as that text labels them.
    std::vector<ProblemReading> twinsOf(const ProblemReading& diagram, const std::vector<TwinText>& texts) {
        base_ = diagram;
        for (const TwinText& text : texts) {
            std::vector<Token> own;
            std::transform(text.words.begin(), text.words.end(), std::back_inserter(own),
                           [](const TwinWord& word) { return Token{word.text, word.at, SIZE_MAX}; });
            std::size_t next = 0;
            // The solver's twin words in any of its languages; the pieces in the diagram's letters.
            Reader one(own, next, ALL);
            one.letters_ = language();
            if (text.shortForm) {
                one.shortTwin(text.at);
            } else {
                one.twin(false, text.at);
            }
            for (const auto& [owner, problem] : one.twinErrors_) twinErrors_.push_back({twins_.size(), problem});
            twins_.push_back(one.twins_.front());
        }
        std::vector<ProblemReading> found;
        std::size_t first = 0;
        // "a)" without changes is the diagram; with changes, the diagram is only where the twins start.
        const bool own = texts.front().label == "a";
        if (!own || twins_.front().changes.empty()) {
            found.push_back(diagram);
            found.back().twin.assign(1, 'a');
            if (own) {
                first = 1;
                errorsOf(0, found.back());
            }
        }
        ProblemReading previous = diagram;
        for (std::size_t index = first; index < twins_.size(); ++index) {
            ProblemReading made = twins_[index].continued ? previous : diagram;
            errorsOf(index, made);
            for (const Change& change : twins_[index].changes) apply(made, change);
            previous = made;
            made.twin = texts[index].label;
            problemWords::setSideAndRights(made);
            problemWords::sortErrors(made.errors);
            found.push_back(std::move(made));
        }
        return found;
    }

private:
    void errorsOf(std::size_t twin, ProblemReading& reading) const {
        for (const auto& [owner, problem] : twinErrors_) {
            if (owner == twin) reading.errors.push_back(problem);
        }
        problemWords::sortErrors(reading.errors);
    }

    static std::string label(std::size_t index) {
        std::string text;
        for (std::size_t rest = index + 1; rest > 0; rest = (rest - 1) / 26) text.insert(text.begin(), static_cast<char>('a' + (rest - 1) % 26));
        return text;
    }

    void apply(ProblemReading& reading, const Change& change) {
        char* board = reading.position.board;
        const auto fail = [&] { reading.errors.push_back(ProblemError{ProblemErrorKind::twin, change.at}); };
        const auto squareOf = [&](std::size_t at) {
            return at < change.words.size() && change.words[at].text.size() == 2 ? squareAt(change.words[at].text, 0) : -1;
        };
        const auto both = [&] { return squareOf(0) >= 0 && squareOf(1) >= 0; };
        // A square holds the piece a change names, or any piece where it names none.
        const auto holds = [&](int square) {
            const char on = board[square];
            if (on == '.') return false;
            if (change.piece != 0 && std::toupper(static_cast<unsigned char>(on)) != change.piece) return false;
            return change.colour == 0 || (std::isupper(static_cast<unsigned char>(on)) != 0) == (change.colour == 'w');
        };
        switch (change.command) {
        case MOVE:
        case EXCHANGE: {
            if (!both() || !holds(squareOf(0))) return fail();
            const int from = squareOf(0);
            const int to = squareOf(1);
            if (change.command == MOVE) {
                board[to] = board[from];
                board[from] = '.';
            } else {
                std::swap(board[from], board[to]);
            }
            return;
        }
        case REMOVE:
            if (change.words.empty() || !isSquares(change.words[0].text)) return fail();
            for (std::size_t at = 0; at < change.words[0].text.size(); at += 2) {
                const int square = squareAt(change.words[0].text, at);
                if (!holds(square)) return fail();
                board[square] = '.';
            }
            return;
        case SUBSTITUTE: {
            const std::string_view letters = LETTERS[language()];
            const auto kindOf = [&](std::size_t at) {
                return at < change.words.size() && change.words[at].text.size() == 1
                           ? letters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(change.words[at].text[0]))))
                           : std::string_view::npos;
            };
            const auto from = kindOf(0);
            const auto to = kindOf(1);
            if (from == std::string_view::npos || to == std::string_view::npos) return fail();
            for (char& on : reading.position.board) {
                if (on == FenPosition::PIECE_LETTERS[from]) on = FenPosition::PIECE_LETTERS[to];
                if (on == FenPosition::PIECE_LETTERS[from] - 'A' + 'a') on = static_cast<char>(FenPosition::PIECE_LETTERS[to] - 'A' + 'a');
            }
            return;
        }
        case ADD: {
            // The pieces are read as the pieces command reads them, from the change's own words.
            std::size_t at = 0;
            Reader adding(change.words, at, languages_);
            adding.pieces(board, true);
            for (const ProblemError& problem : adding.base_.errors) reading.errors.push_back(problem);
            if (at != change.words.size() || change.words.empty()) fail();
            return;
        }
        case PLACE:
            for (std::size_t at = 0; at < change.words[0].text.size(); at += 2) {
                board[squareAt(change.words[0].text, at)] = change.colour == 'w' ? change.piece : static_cast<char>(change.piece - 'A' + 'a');
            }
            return;
        case ROTATE:
        case MIRROR:
        case SHIFT:
            return transform(reading.position.board, change) ? void() : fail();
        case POLISH:
            for (char& on : reading.position.board) {
                if (pieceSlot(on) >= 0) on = static_cast<char>(std::isupper(static_cast<unsigned char>(on)) != 0 ? on - 'A' + 'a' : on - 'a' + 'A');
            }
            return;
        case TWIN_STIPULATION: {
            const auto parsed = change.words.empty() ? std::nullopt : stipulation::read(lower(change.words[0].text));
            if (!parsed) {
                reading.errors.push_back(ProblemError{ProblemErrorKind::stipulation, change.at});
                return;
            }
            reading.stipulation = stipulation::text(*parsed);
            return;
        }
        case TWIN_CONDITION:
            reading.errors.push_back(ProblemError{ProblemErrorKind::fairy, change.at});
            return;
        default:
            return fail();
        }
    }

    // Turns, mirrors and shifts the whole board; false where that cannot be done.
    static bool transform(char* board, const Change& change) {
        char turned[64];
        std::fill(std::begin(turned), std::end(turned), '.');
        // Files and ranks from 0, a1 at (0, 0), and the square a mapping sends each to.
        int (*map)(int, int, int, int) = nullptr;
        int dx = 0;
        int dy = 0;
        if (change.command == ROTATE) {
            // A quarter turn to the left takes a1 to h1.
            const std::string_view degrees = change.words.empty() ? std::string_view{} : change.words[0].text;
            if (degrees == "90") map = [](int f, int r, int, int) { return f * 8 + (7 - r); };
            if (degrees == "180") map = [](int f, int r, int, int) { return (7 - r) * 8 + (7 - f); };
            if (degrees == "270") map = [](int f, int r, int, int) { return (7 - f) * 8 + r; };
        } else if (change.command == MIRROR) {
            // The square a1 (or a8) goes to names the mirror.
            const std::string word = change.words.empty() ? std::string{} : lower(change.words[0].text);
            if (word == "a1<-->h1") map = [](int f, int r, int, int) { return r * 8 + (7 - f); };
            if (word == "a1<-->a8") map = [](int f, int r, int, int) { return (7 - r) * 8 + f; };
            if (word == "a1<-->h8") map = [](int f, int r, int, int) { return (7 - f) * 8 + (7 - r); };
            if (word == "a8<-->h1") map = [](int f, int r, int, int) { return f * 8 + r; };
        } else if (change.words.size() >= 2 && change.words[0].text.size() == 2 && change.words[1].text.size() == 2) {
            const int from = squareAt(change.words[0].text, 0);
            const int to = squareAt(change.words[1].text, 0);
            if (from < 0 || to < 0) return false;
            dx = to % 8 - from % 8;
            dy = from / 8 - to / 8;
            map = [](int f, int r, int x, int y) { return f + x < 0 || f + x > 7 || r + y < 0 || r + y > 7 ? -1 : (r + y) * 8 + f + x; };
        }
        if (map == nullptr) return false;
        for (int square = 0; square < 64; ++square) {
            if (board[square] == '.') continue;
            // Rank from White's side: a1 is rank 0.
            const int to = map(square % 8, 7 - square / 8, dx, dy);
            if (to < 0) return false;
            // The mapping gives rank * 8 + file with rank 0 the first rank; the board has the eighth first.
            turned[(7 - to / 8) * 8 + to % 8] = board[square];
        }
        std::copy(std::begin(turned), std::end(turned), board);
        return true;
    }

    // The side to move, the rights and the en-passant square as the reading's board and
    // options give them, and the checks of the whole.
    ProblemReading finish(ProblemReading reading) const {
        FenPosition& position = reading.position;
        reading.language = std::string(NAMES[language()]);
        auto parsed = stipulation::read(reading.stipulation);
        // A helpmate that White starts is half a move shorter, as "h#1.5" for "h#2"; in one
        // move it is White's mate alone.
        if (parsed && parsed->aim == stipulation::Aim::help && !parsed->half && reading.options.whiteToPlay) {
            if (parsed->moves > 1) {
                parsed->moves -= 1;
                parsed->half = true;
            } else {
                parsed->aim = stipulation::Aim::direct;
            }
            reading.stipulation = stipulation::text(*parsed);
        }
        position.sideToMove = parsed && stipulation::blackStarts(*parsed) ? 1 : 0;
        for (int colour = 0; colour < 2; ++colour) {
            for (int wing = 0; wing < 2; ++wing) {
                const bool barred = std::any_of(noCastling_.begin(), noCastling_.end(), [&](int square) {
                    return square == kingHome(colour) || square == rookHome(colour, wing);
                });
                position.castling[colour][wing] = !barred && castlingAtHome(position, colour, wing);
            }
        }
        position.enPassant = enPassant_.empty() ? std::string(1, '-') : enPassant_;
        int white = 0;
        int black = 0;
        for (const char c : position.board) {
            if (pieceSlot(c) < 0) continue;
            (std::isupper(static_cast<unsigned char>(c)) != 0 ? white : black) += 1;
        }
        if (white + black == 0) reading.errors.push_back(ProblemError{ProblemErrorKind::noPieces, 0});
        if (reading.whiteCount >= 0 && (reading.whiteCount != white || reading.blackCount != black)) {
            reading.errors.push_back(ProblemError{ProblemErrorKind::count, countAt_});
        }
        problemWords::sortErrors(reading.errors);
        return reading;
    }

    const std::vector<Token>& tokens_;
    std::size_t& next_;
    unsigned languages_;
    ProblemReading base_;
    std::vector<Twin> twins_;
    std::vector<std::pair<std::size_t, ProblemError>> twinErrors_;
    bool zero_ = false;
    // The language of the piece letters in short twin changes, where it is not the words'.
    std::size_t letters_ = SIZE_MAX;
    std::string enPassant_;
    std::vector<int> noCastling_;
    std::size_t countAt_ = 0;
    bool empty_ = true;
};

}  // namespace

bool isPopeye(std::string_view text) {
    const std::vector<Token> tokens = tokensOf(text);
    if (tokens.empty() || tokens[0].text.ends_with(':')) return false;
    return lookUp(COMMANDS, tokens[0].text, ALL).meaning >= 0;
}

std::vector<ProblemReading> twinned(const ProblemReading& diagram, const std::vector<TwinText>& twins) {
    if (twins.empty()) return {diagram};
    const std::vector<Token> none;
    std::size_t next = 0;
    Reader reader(none, next, diagram.language == "de" ? DE : diagram.language == "fr" ? FR : EN);
    return reader.twinsOf(diagram, twins);
}

std::vector<ProblemReading> read(std::string_view text, std::size_t language) {
    const std::vector<Token> tokens = tokensOf(text);
    const unsigned languages = language == 0 ? EN : language == 1 ? DE : language == 2 ? FR : ALL;
    std::vector<ProblemReading> found;
    std::size_t next = 0;
    do {
        Reader reader(tokens, next, languages);
        std::vector<ProblemReading> problem = reader.read();
        // "nextproblem" just before "endproblem" leaves nothing to read: no problem at all.
        if (reader.empty() && !found.empty()) continue;
        found.insert(found.end(), std::make_move_iterator(problem.begin()), std::make_move_iterator(problem.end()));
    } while (next < tokens.size());
    return found;
}

}  // namespace piecefen::popeye
