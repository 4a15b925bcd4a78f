#include <algorithm>
#include <cctype>
#include <iterator>
#include <numeric>

#include "notation/Problem.h"
#include "position/Vocabulary.h"

namespace piecefen {

namespace {

// Numbers are written with the record's own writer: std::to_string would bring C's stdio into
// the WebAssembly module.
// Texts start as a std::string, never as a literal before a temporary, which GCC 12 warns of
// falsely (-Wrestrict) in optimised builds.
// Each form's letters for K, Q, R, B, N, P.
constexpr std::string_view GERMAN = GERMAN_LETTERS;
constexpr std::string_view COMPOSERS_ENGLISH = "KQRBSP";

struct Group {
    int kind;
    std::string squares;  // "f2g2h2"
};

// A colour's pieces by kind, K to P, each kind's squares file by file and rank 1 up.
std::vector<Group> groups(const FenPosition& position, int colour) {
    std::vector<Group> found;
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        Group group{kind, {}};
        for (int file = 0; file < 8; ++file) {
            for (int row = 7; row >= 0; --row) {
                if (position.board[row * 8 + file] == letterOf(colour, kind)) group.squares += squareName(row * 8 + file);
            }
        }
        if (!group.squares.empty()) found.push_back(std::move(group));
    }
    return found;
}

int countOf(const FenPosition& position, int colour) {
    const auto found = groups(position, colour);
    return std::accumulate(found.begin(), found.end(), 0,
                           [](int count, const Group& group) { return count + static_cast<int>(group.squares.size() / 2); });
}

std::string countText(const FenPosition& position) {
    return std::string("(") + FenPosition::numberToText(countOf(position, WHITE)) + "+" +
           FenPosition::numberToText(countOf(position, BLACK)) + ")";
}

// Every piece on its own: "Kg1", "Pf2", "Pg2", in `letters`.
std::vector<std::string> single(const FenPosition& position, int colour, std::string_view letters) {
    std::vector<std::string> found;
    for (const Group& group : groups(position, colour)) {
        for (std::size_t at = 0; at < group.squares.size(); at += 2) {
            found.push_back(letters[static_cast<std::size_t>(group.kind)] + group.squares.substr(at, 2));
        }
    }
    return found;
}

std::string joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string out;
    for (std::size_t at = 0; at < parts.size(); ++at) {
        if (at > 0) out += between;
        out += parts[at];
    }
    return out;
}

std::string popeye(const FenPosition& position, std::string_view stipulation) {
    std::string out = "begin\npieces";
    for (const int colour : {WHITE, BLACK}) {
        const auto found = groups(position, colour);
        if (found.empty()) continue;
        out += colour == WHITE ? " white" : " black";
        for (const Group& group : found) {
            out += ' ';
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(COMPOSERS_ENGLISH[static_cast<std::size_t>(group.kind)])));
            out += group.squares;
        }
    }
    out += '\n';
    if (!stipulation.empty()) out += std::string("stipulation ") + std::string(stipulation) + '\n';
    return out + "end\n";
}

std::string pdb(const FenPosition& position, std::string_view stipulation) {
    std::vector<std::string> parts;
    for (const int colour : {WHITE, BLACK}) {
        const auto found = groups(position, colour);
        std::transform(found.begin(), found.end(), std::back_inserter(parts), [&](const Group& group) {
            return std::string(colour == WHITE ? "w" : "s") + std::string(1, GERMAN[static_cast<std::size_t>(group.kind)]) + group.squares;
        });
    }
    if (!stipulation.empty()) parts.emplace_back(stipulation);
    parts.push_back(countText(position));
    return joined(parts, " ") + '\n';
}

std::string yacpdb(const FenPosition& position, std::string_view stipulation) {
    std::string out = "algebraic:\n";
    out += std::string("  white: [") + joined(single(position, WHITE, COMPOSERS_ENGLISH), ", ") + "]\n";
    out += std::string("  black: [") + joined(single(position, BLACK, COMPOSERS_ENGLISH), ", ") + "]\n";
    if (!stipulation.empty()) out += std::string("stipulation: \"") + std::string(stipulation) + "\"\n";
    return out;
}

// LaTeX wants its "#" escaped.
std::string latexText(std::string_view stipulation) {
    std::string out;
    for (const char c : stipulation) {
        if (c == '#') out += '\\';
        out += c;
    }
    return out;
}

std::string latexDiagram(const FenPosition& position, std::string_view stipulation) {
    std::vector<std::string> pieces;
    for (const int colour : {WHITE, BLACK}) {
        const auto found = single(position, colour, GERMAN);
        std::transform(found.begin(), found.end(), std::back_inserter(pieces),
                       [&](const std::string& piece) { return std::string(colour == WHITE ? "w" : "s") + piece; });
    }
    std::string out = std::string("\\begin{diagram}\n\\pieces{") + joined(pieces, ",") + "}\n";
    if (!stipulation.empty()) out += std::string("\\stipulation{") + latexText(stipulation) + "}\n";
    return out + "\\end{diagram}\n";
}

std::string latexSkak(const FenPosition& position, std::string_view stipulation) {
    std::string out = "\\fenboard{" + position.toFen() + "}\n\\showboard\n";
    if (!stipulation.empty()) out += latexText(stipulation) + ' ';
    return out + countText(position) + '\n';
}

// The solver's input of a reading: its lines beside the position, the board, the
// stipulation and the options, with the en-passant square and the castling rights the
// board alone would not give.
std::string popeyeWhole(const ProblemReading& reading) {
    std::string out = "begin\n";
    for (const ProblemDatum& datum : reading.data) out.append(datum.field).append(" ").append(datum.text).append("\n");
    const std::string body = popeye(reading.position, reading.stipulation);
    out.append(body, 6, body.size() - 6 - 4);
    const ProblemOptions& options = reading.options;
    std::vector<std::string> words;
    const auto flag = [&](bool on, const char* word) {
        if (on) words.emplace_back(word);
    };
    const auto number = [&](int value, int unset, const char* word) {
        if (value != unset) words.push_back(std::string(word).append(" ").append(FenPosition::numberToText(value)));
    };
    flag(options.tries, "try");
    number(options.defences, 1, "defence");
    flag(options.setPlay, "setplay");
    flag(options.variations, "variation");
    flag(options.noThreat, "nothreat");
    number(options.threatLength, 0, "threat");
    flag(options.noShortVariations, "noshortvariations");
    flag(options.whiteToPlay, "whitetoplay");
    flag(options.duplex, "duplex");
    flag(options.halfDuplex, "halfduplex");
    number(options.maxSolutions, 0, "maxsolutions");
    flag(options.intelligent, "intelligent");
    flag(options.stopOnShortSolutions, "stoponshortsolutions");
    flag(options.quodlibet, "quodlibet");
    flag(options.postKeyPlay, "postkeyplay");
    const FenPosition& position = reading.position;
    // The pawn's double step that the en-passant square says was played last.
    if (squareAt(position.enPassant, 0) >= 0) {
        const char file = position.enPassant[0];
        const bool black = position.enPassant[1] == '6';
        words.push_back(std::string("enpassant ") + file + (black ? '7' : '2') + file + position.enPassant[1] + file + (black ? '5' : '4'));
    }
    for (const int colour : {WHITE, BLACK}) {
        for (const int wing : {0, 1}) {
            if (castlingAtHome(position, colour, wing) && !position.castling[colour][wing]) {
                words.push_back("nocastling " + squareName(rookHome(colour, wing)));
            }
        }
    }
    if (!words.empty()) out.append("option ").append(joined(words, " ")).append("\n");
    return out + "end\n";
}

}  // namespace

std::string writeProblem(const ProblemReading& reading, std::string_view form) {
    if (form == "popeye") return popeyeWhole(reading);
    return writeProblem(reading.position, reading.stipulation, form);
}

std::string writeProblem(const FenPosition& position, std::string_view stipulation, std::string_view form) {
    if (form == "popeye") return popeye(position, stipulation);
    if (form == "pdb") return pdb(position, stipulation);
    if (form == "yacpdb") return yacpdb(position, stipulation);
    if (form == "latex-diagram") return latexDiagram(position, stipulation);
    if (form == "latex-skak") return latexSkak(position, stipulation);
    if (form == "caption") return (stipulation.empty() ? "" : std::string(stipulation) + ' ') + countText(position);
    return {};
}

}  // namespace piecefen
