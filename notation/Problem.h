#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"

namespace piecefen {

// How a problem text fails to say what it means, as readProblem() names it.
enum class ProblemErrorKind : std::uint8_t {
    language,           // the call names a language other than "en", "de" or "fr"
    ambiguousLanguage,  // the letters mean other pieces in more than one language, and nothing says which
    unknownWord,        // a word that is no piece, colour, keyword, stipulation or count
    piece,              // a letter that names no piece in the language
    square,             // a piece without a square after it
    board,              // a Forsyth board that does not come to eight ranks of eight squares
    occupied,           // a second piece on a square
    stipulation,        // a stipulation other than #n, h#n, s#n, =n, h=n (n 1 to 9, h#2.5 too), + or =
    count,              // a count such as "(7+9)" that does not match the board
    noPieces,           // no piece at all
    fairy,              // a fairy piece, a condition, a piece's attribute or a structured stipulation: beyond orthodox chess
    option,             // an option that is not known, or without the number or squares it needs
    twin,               // a twin that cannot be made: a square without the piece it names, a piece moved off the board
};

// One error and the byte offset in the text where it stands.
struct ProblemError {
    ProblemErrorKind kind;
    std::size_t at;

    bool operator==(const ProblemError&) const = default;
};

// What the solver's input asks beyond the stipulation, as its options say.
struct ProblemOptions {
    bool tries = false;
    int defences = 1;            // a try fails to at most this many defences
    bool setPlay = false;
    bool variations = false;     // threats and variations
    bool noThreat = false;
    int threatLength = 0;        // a defence holds where no threat this short remains; 0 for any
    bool noShortVariations = false;
    bool whiteToPlay = false;    // a helpmate that White starts
    bool duplex = false;
    bool halfDuplex = false;
    int maxSolutions = 0;        // 0 for no limit
    bool intelligent = false;    // asks for speed only
    bool stopOnShortSolutions = false;
    bool quodlibet = false;
    bool postKeyPlay = false;

    bool operator==(const ProblemOptions&) const = default;
};

// A line a problem carries beside the position: its author, origin, title, award or a remark.
struct ProblemDatum {
    std::string field;  // "author", "origin", "title", "award" or "remark"
    std::string text;

    bool operator==(const ProblemDatum&) const = default;
};

struct ProblemReading {
    // The board, the side to move that the stipulation gives (Black in a helpmate of
    // whole moves, White otherwise), and the castling rights the board allows.
    FenPosition position;
    // As "#2", "h#2.5", "s#3", "+"; empty where the text has none.
    std::string stipulation;
    // The count the text gives, such as 7 and 9 for "(7+9)"; -1 each where it has none.
    int whiteCount = -1;
    int blackCount = -1;
    // The language the piece letters were read in: "en", "de" or "fr".
    std::string language;
    // Where the language is ambiguous, the languages that fit, such as {"en", "de"}.
    std::vector<std::string> languages;
    // In the order of their offsets; empty when the text was read whole.
    std::vector<ProblemError> errors;
    ProblemOptions options;
    // The twin's label, "a", "b" and on, where the problem has twins; empty where it has none.
    std::string twin;
    std::vector<ProblemDatum> data;
};

// Reads a chess problem as composers paste it: words ("White: Kg1 Rf1; Black: Kg8"), a
// colour letter before each piece ("wKg1 wTf1 sKg8"), the solver's input ("begin pieces
// white kg1 rf1 black kg8 stipulation #2 end", or "forsyth" and a board), a yacpdb
// "algebraic:" block, the LaTeX that writeProblem() writes, or this tool's piece list,
// with a stipulation and a count anywhere. `language` is "en", "de", "fr" or empty for
// what the text itself says.
PIECEFEN_API ProblemReading readProblem(std::string_view text, std::string_view language = {});

// Every problem of a text, and every twin of each as a reading of its own, in order. The
// solver's input may hold several problems ("nextproblem") and twins; any other form holds
// one, which readProblem() reads. A text with nothing in it gives one reading, its error
// "no-pieces".
PIECEFEN_API std::vector<ProblemReading> readProblems(std::string_view text, std::string_view language = {});

// The problem in one of the forms composers use: "popeye", "pdb", "yacpdb",
// "latex-diagram", "latex-skak" or "caption" ("#2 (3+2)"); readProblem() reads each but
// the caption back to the same board and stipulation where both kings stand (a board
// without black pieces leaves "wBb2" a bishop or a pawn). Empty for any other form.
PIECEFEN_API std::string writeProblem(const FenPosition& position, std::string_view stipulation, std::string_view form);

// A reading in a form: for "popeye" whole, with its author and the like, its options, the
// en-passant square and the castling rights; readProblems() reads it back the same. The
// other forms as writeProblem() above writes the position and stipulation.
PIECEFEN_API std::string writeProblem(const ProblemReading& reading, std::string_view form);

// The kind's stable name, such as "ambiguous-language".
PIECEFEN_API std::string_view problemErrorName(ProblemErrorKind kind);

}  // namespace piecefen
