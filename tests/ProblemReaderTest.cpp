#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <piecefen/notation/Problem.h>
#include <piecefen/position/FenPosition.h>

#include "PublishedInputs.h"

using piecefen::FenPosition;
using piecefen::ProblemReading;

namespace {

// The errors as "kind@offset", in order.
std::string errorsOf(const ProblemReading& reading) {
    std::string text;
    for (const auto& error : reading.errors) {
        if (!text.empty()) text += ' ';
        text += piecefen::problemErrorName(error.kind);
        text += '@';
        text += std::to_string(error.at);
    }
    return text;
}

struct FormCase {
    const char* text;
    const char* language;
    const char* fen;
    const char* stipulation;
    const char* readIn;
};

constexpr const char* SHORT_CASTLE = "6k1/5ppp/8/8/8/8/5PPP/5RK1 w - - 0 1";

// Each form composers paste, in each language; the side to move follows the stipulation,
// and a right stands where king and rook are at home.
TEST(ProblemReader, EveryFormAndLanguage) {
    constexpr FormCase CASES[] = {
        {"White: Kg1 Rf1 Pf2g2h2; Black: Kg8 Pf7g7h7", "", SHORT_CASTLE, "", "en"},
        {"white Kh3 Re1 Pb3c4, black Kg1 Rh1 Sf1 (4+3) #2", "", "8/8/8/8/2P5/1P5K/8/4Rnkr w - - 0 1", "#2", "en"},
        {"wKg1 wTf1 wBf2g2h2 sKg8 sBf7g7h7", "", SHORT_CASTLE, "", "de"},
        {"wKg1 wRf1 wPf2g2h2 bKg8 bPf7g7h7", "", SHORT_CASTLE, "", "en"},
        {"WEISS: Kg1 Tf1 Bf2g2h2 SCHWARZ: Kg8 Bf7g7h7", "", SHORT_CASTLE, "", "de"},
        {"Weiß: Kg1 Tf1 Bf2g2h2; Schwarz: Kg8 Bf7g7h7; h#2", "", "6k1/5ppp/8/8/8/8/5PPP/5RK1 b - - 0 1", "h#2", "de"},
        {"Blancs: Rg1 Tf1 Pf2g2h2 Noirs: Rg8 Pf7g7h7 =2", "", SHORT_CASTLE, "=2", "fr"},
        // English with S for the knight and pawns as bare squares.
        {"White: Ke1 Sb1 Rh1 f2 g2; Black: Ke8 Ra8 +", "", "r3k3/8/8/8/8/8/5PP1/1N2K2R w Kq - 0 1", "+", "en"},
        // The solver's input, in English, German and French, and with a Forsyth board.
        {"begin\npieces white kg1 rf1 pf2g2h2 black kg8 pf7g7h7\nstipulation #2\nend", "", SHORT_CASTLE, "#2", "en"},
        {"anfang steine weiss kg1 tf1 bf2g2h2 schwarz kg8 bf7g7h7 forderung s#3 ende", "", SHORT_CASTLE, "s#3", "de"},
        {"debut pieces blanc rg1 tf1 pf2g2h2 noir rg8 pf7g7h7 enonce #2 fin", "", SHORT_CASTLE, "#2", "fr"},
        {"forsyth 6k1/5ppp/8/8/8/8/5PPP/5RK1 stipulation h#2.5", "", SHORT_CASTLE, "h#2.5", "en"},
        // The English keyword "stipulation" says B is a bishop, after any form's pieces.
        {"White: Kg1 Bb2; Black: Kg8 stipulation #2", "", "6k1/8/8/8/8/8/1B6/6K1 w - - 0 1", "#2", "en"},
        // skak's board alone says how the pieces are written; and with no space before the stipulation.
        {"\\fenboard{6k1/8/8/8/8/8/8/5RK1 w - - 0 1} \\#2", "", "6k1/8/8/8/8/8/8/5RK1 w - - 0 1", "#2", "en"},
        {"\\fenboard{6k1/8/8/8/8/8/8/5RK1 w - - 0 1}\\showboard\\#2", "", "6k1/8/8/8/8/8/8/5RK1 w - - 0 1", "#2", "en"},
        // "pieces" is French too, so the English keyword "stipulation" says B is a bishop.
        {"pieces white kg1 bb2 black kg8 stipulation #2", "", "6k1/8/8/8/8/8/1B6/6K1 w - - 0 1", "#2", "en"},
        {"author Somebody Else\nforsyth 6k1/5ppp/8/8/8/8/5PPP/5SK1\nstipulation #3", "", "6k1/5ppp/8/8/8/8/5PPP/5NK1 w - - 0 1", "#3", "en"},
        // yacpdb's YAML, with its other keys and an indented solution under them.
        {"---\nauthors:\n  - Somebody\nalgebraic:\n  white: [Kg1, Rf1, Pf2, Pg2, Ph2]\n  black: [Kg8, Pf7, Pg7, Ph7]\n"
         "stipulation: \"#2\"\nsolution: |\n  1.Rf1-e1 threat\n",
         "", SHORT_CASTLE, "#2", "en"},
        // This tool's piece list, with a stipulation and a count beside it.
        {"Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7 #2 (5+4)", "", SHORT_CASTLE, "#2", "en"},
        {"Kg1 Bb2 / Kg8", "", "6k1/8/8/8/8/8/1B6/6K1 w - - 0 1", "", "en"},
        // Where the call names the language, B is read in it.
        {"white Kg1 Bb2 black Kg8", "en", "6k1/8/8/8/8/8/1B6/6K1 w - - 0 1", "", "en"},
        {"white Kg1 Bb2 black Kg8", "de", "6k1/8/8/8/8/8/1P6/6K1 w - - 0 1", "", "de"},
        // Letters only one language reads: Q is English, T German or French and K not French.
        {"white Kg1 Qb2 black Kg8", "", "6k1/8/8/8/8/8/1Q6/6K1 w - - 0 1", "", "en"},
        {"white Kg1 Tb2 Lc2 black Kg8", "", "6k1/8/8/8/8/8/1RB5/6K1 w - - 0 1", "", "de"},
        {"white Kg1 Tb2 c2 black Kg8", "", "6k1/8/8/8/8/8/1RP5/6K1 w - - 0 1", "", "de"},
        // The colour letter s is German, whatever stands before it: B is a pawn.
        {"wKg1 wBb2 sKg8", "", "6k1/8/8/8/8/8/1P6/6K1 w - - 0 1", "", "de"},
        {"\\stipulation{\\#2}\n\\pieces{wKg1,wTf1,sKg8}", "", "6k1/8/8/8/8/8/8/5RK1 w - - 0 1", "#2", "de"},
        // What the LaTeX writers write: "\#" is a "#".
        {"\\begin{diagram}\n\\pieces{wKg1,wTf1,sKg8}\n\\stipulation{h\\#2}\n\\end{diagram}", "", "6k1/8/8/8/8/8/8/5RK1 b - - 0 1",
         "h#2", "de"},
        {"\\fenboard{6k1/8/8/8/8/8/8/5RK1 w - - 0 1}\n\\showboard\n\\#2 (2+1)", "", "6k1/8/8/8/8/8/8/5RK1 w - - 0 1", "#2", "en"},
        // The solver's German keyword says German, where white and black do not.
        {"anfang white Kg1 Bb2 black Kg8", "", "6k1/8/8/8/8/8/1P6/6K1 w - - 0 1", "", "de"},
        // A colour letter n is French: R is the king. A Forsyth board's FEN fields are skipped.
        {"nRg8 wRe1", "", "6k1/8/8/8/8/8/8/4K3 w - - 0 1", "", "fr"},
        {"forsyth 6k1/8/8/8/8/8/8/6K1 b - e3 0 1", "", "6k1/8/8/8/8/8/8/6K1 w - - 0 1", "", "en"},
        // A key skipped with the lines indented under it, the next key at its own indent read.
        {"algebraic:\n  white: [Kg1]\n  author: X\n  black: [Kg8]\nstipulation: \"#2\"", "", "6k1/8/8/8/8/8/8/6K1 w - - 0 1", "#2", "en"},
    };
    for (const auto& [text, language, fen, stipulation, readIn] : CASES) {
        const ProblemReading reading = piecefen::readProblem(text, language);
        EXPECT_EQ(errorsOf(reading), "") << text;
        EXPECT_EQ(reading.position.toFen(), fen) << text;
        EXPECT_EQ(reading.stipulation, stipulation) << text;
        EXPECT_EQ(reading.language, readIn) << text;
    }
}

TEST(ProblemReader, TheCountIsKept) {
    const ProblemReading reading = piecefen::readProblem("white Kh3 Re1 Pb3c4 black Kg1 Rh1 Sf1 (4+3)");
    EXPECT_EQ(reading.whiteCount, 4);
    EXPECT_EQ(reading.blackCount, 3);
    EXPECT_EQ(piecefen::readProblem("white Kh3 black Kg1").whiteCount, -1);
    // Two digits each at the most: a count of three is no count.
    const ProblemReading twoDigits = piecefen::readProblem("white Kh3 black Kg1 (12+4)");
    EXPECT_EQ(twoDigits.whiteCount, 12);
    EXPECT_EQ(twoDigits.blackCount, 4);
    EXPECT_EQ(piecefen::readProblem("white Kh3 black Kg1 (123+4)").whiteCount, -1);
}

struct ErrorCase {
    const char* text;
    const char* language;
    const char* errors;
};

// Each error at the byte it stands on; never a guess.
TEST(ProblemReader, ErrorsAndWhere) {
    constexpr ErrorCase CASES[] = {
        {"white Kg1 Bb2 black Kg8", "", "ambiguous-language@10"},
        {"wKg1 wBb2 wSc3 sKg8", "", ""},
        {"Kg1 / Kg8", "it", "language@0"},
        {"White: Kg1 Xb2 Black: Kg8", "", "unknown-word@11"},
        {"White: Kg1 Qz9 Black: Kg8 Mate", "", "square@11 unknown-word@26"},
        // A rank 0 is no square, nor is a square with more after it; a lone colon is no word.
        {"White: Kg1 Ra0 Black: Kg8", "", "square@11"},
        {"White: Kg1 Rh10 Black: Kg8", "", "square@11"},  // on the h-file, still a square's error
        // A Forsyth rank of more than eight squares, or with a sign in it, is no board.
        {"\\fenboard{8k/8/8/8/8/8/8/K7 w - - 0 1} \\#2", "", "no-pieces@0 board@10"},
        {"\\fenboard{6k1/8/8/8/8/8/8/K5-1 w - - 0 1} \\#2", "", "board@10"},
        {"White: Kg1x Black: Kg8", "", "square@7"},
        {"White: Kg1 : Black: Kg8", "", "unknown-word@11"},
        // No i-file; a word after a piece letter that starts with no file is no square.
        {"white Kg1 Ri1 black Kg8", "", "square@10"},
        {"white Kg1 black Kg8 QXyz", "", "unknown-word@20"},
        {"white Kg1 black Kg8 (123+4)", "", "unknown-word@20"},
        {"White: Kg1 Black: Kg8 (1/+2)", "", "unknown-word@22"},
        {"forsyth 6k1/8/8/8/8/8/8/5K?1", "", "board@8"},
        // After a Forsyth board, only what FEN's fields can be is skipped.
        {"forsyth 6k1/8/8/8/8/8/8/6K1 w - - 0:1 #2", "", "unknown-word@34"},
        {"wKg1 wDd1 wQb2 sKg8", "", "piece@11"},
        {"Weiß: Kg1 Qb2 Schwarz: Kg8", "", "piece@11"},
        {"White: Kg1 Qg1 Black: Kg8", "", "occupied@11"},
        {"White: Kg1 Black: Kg8 #12", "", "stipulation@22"},
        {"White: Kg1 Black: Kg8 #0", "", "stipulation@22"},
        {"White: Kg1 Black: Kg8 #2 h#3", "", "stipulation@25"},
        {"begin pieces white kg1 black kg8 stipulation pser-h#3 end", "", "stipulation@45"},
        {"begin pieces white kg1 black kg8 stipulation ser-h#3.5 end", "", "stipulation@45"},
        {"White: Kg1 Black: Kg8 (2+1)", "", "count@22"},
        {"forsyth 6k1/8/8 stipulation #2", "", "board@8"},
        {"forsyth 6k1/8/8/8/8/8/8/5RK1/8", "", "board@8"},
        {"forsyth 9/8/8/8/8/8/8/8", "", "no-pieces@0 board@8"},
        {"forsyth 6k1/8/8/8/8/8/8/5XK1", "", "piece@25"},
        {"", "", "no-pieces@0"},
        {"\\stipulation{\\#12}", "", "no-pieces@0 stipulation@14"},
    };
    for (const auto& [text, language, errors] : CASES) {
        const ProblemReading reading = piecefen::readProblem(text, language);
        auto found = errorsOf(reading);
        EXPECT_EQ(found, errors) << text;
    }
    const ProblemReading ambiguous = piecefen::readProblem("white Kg1 Bb2 black Kg8");
    EXPECT_EQ(ambiguous.languages, (std::vector<std::string>{"en", "de"}));
    EXPECT_EQ(ambiguous.language, "");
}

// This tool's own piece list is read exactly as the command line reads it.
TEST(ProblemReader, ThePieceListAsTheCommandLineReadsIt) {
    for (const char* text : {"Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7", "Ke1/Ke8", "Ke1\\Ke8", "Pa2 / a7", "Ke1 / Ke8 / Kd1", "Ke1 Qe1",
                             "Qd1 Ke9", "Qd1 and Ke1", "Ke1 d1 / d8", "Ke1 Q", "Pa1b2c3d4e5f6g7h8", "e2", "Ke1 Kd1 Pe2"}) {
        FenPosition expected;
        expected.readPieceList(text);
        const ProblemReading reading = piecefen::readProblem(text);
        EXPECT_EQ(std::string(reading.position.board, 64), std::string(expected.board, 64)) << text;
    }
}

struct WriterCase {
    const char* form;
    const char* text;
};

TEST(ProblemWriter, EachForm) {
    FenPosition position;
    position.fromFen("r5k1/5ppp/8/8/8/2N5/5PPP/5RK1 w - - 0 1");
    constexpr WriterCase CASES[] = {
        {"popeye", "begin\npieces white kg1 rf1 sc3 pf2g2h2 black kg8 ra8 pf7g7h7\nstipulation #2\nend\n"},
        {"pdb", "wKg1 wTf1 wSc3 wBf2g2h2 sKg8 sTa8 sBf7g7h7 #2 (6+5)\n"},
        {"yacpdb", "algebraic:\n  white: [Kg1, Rf1, Sc3, Pf2, Pg2, Ph2]\n  black: [Kg8, Ra8, Pf7, Pg7, Ph7]\nstipulation: \"#2\"\n"},
        {"latex-diagram", "\\begin{diagram}\n\\pieces{wKg1,wTf1,wSc3,wBf2,wBg2,wBh2,sKg8,sTa8,sBf7,sBg7,sBh7}\n"
                          "\\stipulation{\\#2}\n\\end{diagram}\n"},
        {"latex-skak", "\\fenboard{r5k1/5ppp/8/8/8/2N5/5PPP/5RK1 w - - 0 1}\n\\showboard\n\\#2 (6+5)\n"},
        {"caption", "#2 (6+5)"},
        {"png", ""},
    };
    for (const auto& [form, text] : CASES) EXPECT_EQ(piecefen::writeProblem(position, "#2", form), text) << form;
    EXPECT_EQ(piecefen::writeProblem(position, "", "caption"), "(6+5)");
    // A colour without pieces is not named.
    FenPosition blackAlone;
    blackAlone.fromFen("6k1/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(piecefen::writeProblem(blackAlone, "#2", "popeye"), "begin\npieces black kg8\nstipulation #2\nend\n");
    EXPECT_EQ(piecefen::writeProblem(position, "", "popeye").find("stipulation"), std::string::npos);
}

// What each writer writes, the reader reads back to the same board and stipulation.
TEST(ProblemWriter, RoundTrips) {
    const char* const fens[] = {
        SHORT_CASTLE,
        "2n2K2/1Q3Pr1/3pk3/5bp1/4p1q1/2B1nNNB/8/8 w - - 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1",
        "8/8/8/8/8/8/8/k1K5 w - - 0 1",
    };
    for (const char* fen : fens) {
        FenPosition position;
        position.fromFen(fen);
        for (const char* stipulation : {"#2", "h#2", "h#2.5", "s#3", "=1", "h=2", "+", "=", ""}) {
            for (const char* form : {"popeye", "pdb", "yacpdb", "latex-diagram", "latex-skak"}) {
                const std::string written = piecefen::writeProblem(position, stipulation, form);
                const ProblemReading reading = piecefen::readProblem(written);
                EXPECT_EQ(errorsOf(reading), "") << written;
                EXPECT_EQ(std::string(reading.position.board, 64), std::string(position.board, 64)) << written;
                EXPECT_EQ(reading.stipulation, stipulation) << written;
            }
        }
    }
}

TEST(ProblemReader, ErrorNames) {
    EXPECT_EQ(piecefen::problemErrorName(piecefen::ProblemErrorKind::language), "language");
    EXPECT_EQ(piecefen::problemErrorName(piecefen::ProblemErrorKind::ambiguousLanguage), "ambiguous-language");
    EXPECT_EQ(piecefen::problemErrorName(piecefen::ProblemErrorKind::noPieces), "no-pieces");
    EXPECT_EQ(piecefen::problemErrorName(piecefen::ProblemErrorKind::twin), "twin");
    EXPECT_EQ(piecefen::problemErrorName(static_cast<piecefen::ProblemErrorKind>(13)), "");
}

}  // namespace

namespace {

// Every orthodox twin of the published inputs reads as the board and stipulation that
// Popeye solved, with nothing left unread.
TEST(ProblemReader, PublishedSolverInputs) {
    std::size_t twins = 0;
    for (const published::Problem& problem : published::problems()) {
        const std::vector<ProblemReading> readings = piecefen::readProblems(problem.text, problem.language);
        for (const published::Case& expected : problem.cases) {
            ++twins;
            ASSERT_LT(expected.twin, readings.size()) << problem.name;
            const ProblemReading& reading = readings[expected.twin];
            EXPECT_EQ(reading.position.toFen(), expected.fen) << problem.name << '\n' << problem.text;
            EXPECT_EQ(reading.stipulation, expected.stipulation) << problem.name;
            EXPECT_EQ(errorsOf(reading), "") << problem.name << '\n' << problem.text;
        }
    }
    EXPECT_EQ(published::problems().size(), 204U);
    EXPECT_EQ(twins, 452U);
}

}  // namespace

namespace {

// Each reading of a text as "twin stipulation FEN errors", the readings joined by " | ".
std::string readingsOf(std::string_view text, std::string_view language = {}) {
    std::string out;
    for (const ProblemReading& reading : piecefen::readProblems(text, language)) {
        if (!out.empty()) out += " | ";
        out += reading.twin + ' ' + reading.stipulation + ' ' + reading.position.toFen();
        if (!reading.errors.empty()) out += ' ' + errorsOf(reading);
    }
    return out;
}

struct InputCase {
    const char* text;
    const char* readings;
    const char* language = "";
};

// The solver's input: its commands by any unique beginning, several problems, twins of
// every kind, the options that change the position, and what is beyond orthodox chess.
TEST(ProblemReader, SolverInputCommandsAndTwins) {
    constexpr InputCase CASES[] = {
        {"begi\npiec whit Ka3 Ra8\n blac Kb1\nstip #2\nopti try set vari\nendp", " #2 R7/8/8/8/8/K7/8/1k6 w - - 0 1"},
        {"begin pieces white kg1 black kg8 stip #2 next next end", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1"},
        {"BEGINPROBLEM PIECES WHITE KG1 QD1 BLACK KG8 STIPULATION #1 NEXTPROBLEM PIECES WHITE KB1 BLACK KB8 QA8 STIP H#1 END",
         " #1 6k1/8/8/8/8/8/8/3Q2K1 w - - 0 1 |  h#1 qk6/8/8/8/8/8/8/1K6 b - - 0 1"},
        {"anfangproblem\nautor A. Autor\nforderung h#2\nsteine weiss kf3 bb7 schwarz kh3 bh2h4\n"
         "zwilling forderung h=2 entferne h4\nzwilling ferner versetze f3 f2\nendeproblem",
         "a h#2 8/1P6/8/8/7p/5K1k/7p/8 b - - 0 1 | b h=2 8/1P6/8/8/8/5K1k/7p/8 b - - 0 1 | c h=2 8/1P6/8/8/8/7k/5K1p/8 b - - 0 1"},
        {"debut pieces blanc re1 th1 noir re8 enonce #2 jumeau echange e1 h1 jumeau remplace t d fin",
         "a #2 4k3/8/8/8/8/8/8/4K2R w K - 0 1 | b #2 4k3/8/8/8/8/8/8/4R2K w - - 0 1 | c #2 4k3/8/8/8/8/8/8/4K2Q w - - 0 1"},
        // Pieces added stand where others stood; the zero position is not solved itself.
        {"pieces white kg1 black kg8 sb5 stip #2 twin add black bb5 white qd1",
         "a #2 6k1/8/8/1n6/8/8/8/6K1 w - - 0 1 | b #2 6k1/8/8/1b6/8/8/8/3Q2K1 w - - 0 1"},
        {"pieces white ka1 black kc3 stip #2 zeroposition rotate 90 twin mirror a1<-->h1 twin shift a1 b2 twin polish",
         "a #2 8/8/8/8/8/5k2/8/7K w - - 0 1 | b #2 8/8/8/8/8/5k2/8/7K w - - 0 1 | c #2 8/8/8/8/3k4/8/1K6/8 w - - 0 1 | "
         "d #2 8/8/8/8/8/2K5/8/k7 w - - 0 1"},
        {"pieces white ka1 black kc3 stip #2 zero rotate 180 twin mirror a1<-->h8 twin mirror a8<-->h1 twin rotate 270",
         "a #2 7K/8/5k2/8/8/8/8/8 w - - 0 1 | b #2 7K/8/5k2/8/8/8/8/8 w - - 0 1 | c #2 8/8/8/8/8/2k5/8/K7 w - - 0 1 | "
         "d #2 K7/8/2k5/8/8/8/8/8 w - - 0 1"},
        {"pieces white ka1 black kc3 stip #2 twin shift g7 h7", "a #2 8/8/8/8/8/2k5/8/K7 w - - 0 1 | b #2 8/8/8/8/8/3k4/8/1K6 w - - 0 1"},
        // Forsyth runs of any length; options that change the position.
        {"forsyth 6k1/48/5RK1 stipulation #2", " #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1"},
        {"pieces white ke1 rh1 ra1 pe5 black ke8 pd5 stip #2 option enpassant d7d6d5 nocastling a1",
         " #2 4k3/8/8/3pP3/8/8/8/R3K2R w K d6 0 1"},
        {"pieces white kb1 black kb8 qa8 stip h#2 option whitetoplay", " h#1.5 qk6/8/8/8/8/8/8/1K6 w - - 0 1"},
        {"pieces white kb1 black kb8 qa8 stip h#1 option whitetoplay", " #1 qk6/8/8/8/8/8/8/1K6 w - - 0 1"},
        // Series: a helpmate's is Black's, any other White's; longer than nine moves too.
        {"pieces white kb1 black kb8 qa8 stip Ser-H#12", " ser-h#12 qk6/8/8/8/8/8/8/1K6 b - - 0 1"},
        {"pieces white kb1 black kb8 qa8 stip ser-s=3 next pieces white kb1 black kb8 stip ser-#10",
         " ser-s=3 qk6/8/8/8/8/8/8/1K6 w - - 0 1 |  ser-#10 1k6/8/8/8/8/8/8/1K6 w - - 0 1"},
        // Read with its 9, though the solver takes twelve moves at most.
        {"pieces white kb1 black kb8 stip ser-#19", " ser-#19 1k6/8/8/8/8/8/8/1K6 w - - 0 1"},
        // Beyond orthodox chess, refused where it stands; a twin's fault stays its own.
        {"pieces white kg1 ng5 black kg8 stip #2", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 fairy@17"},
        {"steine weiss kg1 paralysierend sd4 schwarz kg8 forderung #2", " #2 6k1/8/8/8/3N4/8/8/6K1 w - - 0 1 fairy@17"},
        {"pieces white kg1 royal qd1 neutral pe4 black kg8 condition circe sstipulation white 5s[#] option nowk",
         "  6k1/8/8/8/8/8/8/3Q2K1 w - - 0 1 fairy@17 fairy@27 fairy@49 fairy@65 fairy@97"},
        {"pieces white kg1 black kg8 stip #2 option defence foo maxsol threat", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 option@42 option@50 option@54 option@61"},
        {"pieces white kg1 black kg8 stip #2 twin remove e5 twin shift a1 h1 twin rotate 45 twin cond circe twin jump",
         "a #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 | b #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 twin@40 | c #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 twin@55 | "
         "d #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 twin@72 | e #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 fairy@87 | f #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 twin@103"},
        {"forsyth 6k1/16/24/16/5RK1 stip #2", " #2 6k1/8/8/8/8/8/8/8 w - - 0 1 board@8"},
        // A FEN line's five fields are skipped after a board, and no more; a piece's name has two letters at most.
        {"forsyth 6k1/8/8/8/8/8/8/6K1 w - - 0 1 b stip #2", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 unknown-word@38"},
        {"pieces white kg1 abcg5 black kg8 stip #2", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 unknown-word@17"},
        {"pieces white kg1 qd1 qe1 black kg8 stip #2 twin remove d1e1", "a #2 6k1/8/8/8/8/8/8/3QQ1K1 w - - 0 1 | b #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1"},
        // The language the call names decides the words: "set" is English, "apparent" French.
        {"pieces white kg1 black kg8 stip #2 option apparent", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 option@42", "en"},
        {"steine weiss kg1 schwarz kg8 forderung #2 option set", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 option@49", "de"},
        {"pieces blanc rg1 noir rg8 enonce #2 option set", " #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 option@43", "fr"},
    };
    for (const InputCase& row : CASES) EXPECT_EQ(readingsOf(row.text, row.language), row.readings) << row.text;
}

// The databases' twins: a caption's short changes ("b) wKg1-h1") with the solver's twin
// words among them, and yacpdb's "twins:", each in the solver's words.
TEST(ProblemReader, DatabaseTwins) {
    constexpr InputCase CASES[] = {
        {"wKg1 wTf1 sKg8 sBh7 #2 b) wKg1-h1 c) wKg1<->sKg8 d) -sBh7 +wSd4 e) #3 f) wKg1->h2",
         "a #2 6k1/7p/8/8/8/8/8/5RK1 w - - 0 1 | b #2 6k1/7p/8/8/8/8/8/5R1K w - - 0 1 | c #2 6K1/7p/8/8/8/8/8/5Rk1 w - - 0 1 | "
         "d #2 6k1/8/8/8/3N4/8/8/5RK1 w - - 0 1 | e #3 6k1/7p/8/8/8/8/8/5RK1 w - - 0 1 | f #2 6k1/7p/8/8/8/8/7K/5R2 w - - 0 1"},
        // English letters with N or S for the knight, the arrows as symbols, a stipulation
        // that makes Black start.
        {"White: Kg1 Rf1 Black: Kg8 Ph7 #2 b) wKg1\u2192h1 c) wRf1\u2194bKg8 d) +wNd4e4 +bSa1 e) -h7 h#2 f) -wRf1",
         "a #2 6k1/7p/8/8/8/8/8/5RK1 w - - 0 1 | b #2 6k1/7p/8/8/8/8/8/5R1K w - - 0 1 | c #2 6R1/7p/8/8/8/8/8/5kK1 w - - 0 1 | "
         "d #2 6k1/7p/8/8/3NN3/8/8/n4RK1 w - - 0 1 | e h#2 6k1/8/8/8/8/8/8/5RK1 b - - 0 1 | f #2 6k1/7p/8/8/8/8/8/6K1 w - - 0 1"},
        // A change that names a piece the square does not hold, a neutral piece, a piece
        // without its colour, a square off the board, a word that is no change.
        {"White: Kg1 Rf1 Black: Kg8 #2 b) wBf1-f2 c) -bRf1 d) +nSd4 e) +Sd4 f) wKg1-i9 g) foo",
         "a #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 | b #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@32 | c #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@43 | "
         "d #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@52 | e #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@61 | "
         "f #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@69 | g #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@80"},
        // "a)" with changes is the diagram's own twin; the solver's words in any of its languages.
        {"wKe1 wTh1 sKe8 #2\na) wKe1-f1\nb) rotate 90\nc) continued polish\nd) +wLd4 hinzufuegen schwarz Sd5",
         "a #2 4k3/8/8/8/8/8/8/5K1R w - - 0 1 | b #2 7R/8/8/k6K/8/8/8/8 w - - 0 1 | c #2 7r/8/8/K6k/8/8/8/8 w - - 0 1 | "
         "d #2 4k3/8/8/3n4/3B4/8/8/4K2R w K - 0 1"},
        {"wKg1 wTf1 sKg8 #2\na) Diagramm\nb) wTf1-f2",
         "a #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 | b #2 6k1/8/8/8/8/8/5R2/6K1 w - - 0 1"},
        {"algebraic:\n  white: [Kg1, Rf1]\n  black: [Kg8]\nstipulation: \"#2\"\ntwins: {b: Move g1 h1, c: Continued Stipulation \"#3\"}\n",
         "a #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 | b #2 6k1/8/8/8/8/8/8/5R1K w - - 0 1 | c #3 6k1/8/8/8/8/8/8/5R1K w - - 0 1"},
        // A word before any label is the diagram's fault; a solution's "b)" is no twin.
        {"algebraic:\n  white: [Kg1, Rf1]\n  black: [Kg8]\nstipulation: \"#2\"\ntwins:\n  Move\n  b: Remove f1\n  c: Condition Circe\n"
         "solution: |\n  b) 1.Kg2",
         "a #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@73 | b #2 6k1/8/8/8/8/8/8/6K1 w - - 0 1 twin@73 | c #2 6k1/8/8/8/8/8/8/5RK1 w - - 0 1 twin@73 fairy@98"},
    };
    for (const InputCase& row : CASES) EXPECT_EQ(readingsOf(row.text, row.language), row.readings) << row.text;
}

// The options as data, and the lines a problem carries beside its position.
TEST(ProblemReader, SolverInputOptionsAndData) {
    const auto reading = piecefen::readProblems(
        "begin\nauthor A. Composer\norigin Die Schwalbe 1990\ntitle Mate\naward 1st Prize\nremark not kept\n"
        "protocol out.txt\npieces white kg1 black kg8 stip #3\n"
        "option try defence 2 setplay variation nothreat threat 2 noshortvariations duplex halfduplex maxsolutions 3 "
        "intelligent 2 stoponshortsolutions quodlibet postkeyplay movenumbers maxtime 60 noboard\nend").front();
    EXPECT_EQ(errorsOf(reading), "");
    piecefen::ProblemOptions expected;
    expected.tries = expected.setPlay = expected.variations = expected.noThreat = expected.noShortVariations = true;
    expected.duplex = expected.halfDuplex = expected.intelligent = expected.stopOnShortSolutions = true;
    expected.quodlibet = expected.postKeyPlay = true;
    expected.defences = 2;
    expected.threatLength = 2;
    expected.maxSolutions = 3;
    EXPECT_EQ(reading.options, expected);
    const std::vector<piecefen::ProblemDatum> data = {
        {"author", "A. Composer"}, {"origin", "Die Schwalbe 1990"}, {"title", "Mate"}, {"award", "1st Prize"}, {"remark", "not kept"}};
    EXPECT_EQ(reading.data, data);
    // Written back whole and read again, the same; with the en-passant square and a right barred too.
    for (const char* text : {"begin\nauthor A. Composer\nremark kept\npieces white kg1 black kg8 stip #3\noption try defence 2 setplay threat 2 maxsolutions 3\nend",
                             "pieces white ke1 rh1 ra1 pe5 black ke8 pd5 stip h#2 option enpassant d7d6d5 nocastling a1 whitetoplay duplex"}) {
        const ProblemReading first = piecefen::readProblems(text).front();
        const ProblemReading again = piecefen::readProblems(piecefen::writeProblem(first, "popeye")).front();
        EXPECT_EQ(again.position.toFen(), first.position.toFen()) << text;
        EXPECT_EQ(again.stipulation, first.stipulation) << text;
        EXPECT_EQ(again.options, first.options) << text;
        EXPECT_EQ(again.data, first.data) << text;
        EXPECT_EQ(errorsOf(again), "") << text;
    }
    // Black's double step written as the pawn played it, not as White's.
    EXPECT_NE(piecefen::writeProblem(piecefen::readProblems("pieces white ke1 pe5 black ke8 pd5 stip #2 option enpassant d7d6d5").front(), "popeye")
                  .find("enpassant d7d6d5"),
              std::string::npos);
    // Each option alone sets its own field and no other.
    const std::pair<const char*, bool piecefen::ProblemOptions::*> FLAGS[] = {
        {"try", &piecefen::ProblemOptions::tries}, {"setplay", &piecefen::ProblemOptions::setPlay},
        {"variation", &piecefen::ProblemOptions::variations}, {"nothreat", &piecefen::ProblemOptions::noThreat},
        {"noshortvariations", &piecefen::ProblemOptions::noShortVariations}, {"duplex", &piecefen::ProblemOptions::duplex},
        {"halfduplex", &piecefen::ProblemOptions::halfDuplex}, {"intelligent", &piecefen::ProblemOptions::intelligent},
        {"stoponshortsolutions", &piecefen::ProblemOptions::stopOnShortSolutions},
        {"quodlibet", &piecefen::ProblemOptions::quodlibet}, {"postkeyplay", &piecefen::ProblemOptions::postKeyPlay},
        {"whitetoplay", &piecefen::ProblemOptions::whiteToPlay},
    };
    for (const auto& [word, field] : FLAGS) {
        piecefen::ProblemOptions alone;
        alone.*field = true;
        const ProblemReading read = piecefen::readProblems(std::string("pieces white kg1 black kg8 stip #2 option ") + word).front();
        EXPECT_EQ(read.options, alone) << word;
        // ... and written back, that option alone.
        EXPECT_EQ(piecefen::readProblems(piecefen::writeProblem(read, "popeye")).front().options, alone) << word;
    }
    // No option, no option line.
    EXPECT_EQ(piecefen::writeProblem(piecefen::readProblems("pieces white kg1 black kg8 stip #2").front(), "popeye").find("option"),
              std::string::npos);
    // German and French options by their own names.
    EXPECT_EQ(piecefen::readProblems("steine weiss kg1 schwarz kg8 forderung #2 option verf widerl 3 satz vari weissbeginnt")
                  .front().options.defences, 3);
    EXPECT_TRUE(piecefen::readProblems("pieces blanc rg1 noir rg8 enonce #2 option essais apparent").front().options.setPlay);
}

}  // namespace
