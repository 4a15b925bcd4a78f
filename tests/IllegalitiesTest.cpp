#include <gtest/gtest.h>

#include <random>
#include <string>

#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Illegalities.h>
#include <piecefen/rules/Problems.h>

using piecefen::FenPosition;
using piecefen::IllegalityKind;

namespace {

// The illegalities as one line, each name followed by its squares in board order:
// "opposite-check e8 e2; not-a-piece a8".
std::string describe(const FenPosition& position) {
    std::string text;
    for (const auto& [kind, squares] : piecefen::illegalities(position)) {
        if (!text.empty()) text += "; ";
        text += piecefen::illegalityName(kind);
        for (int index = 0; index < 64; ++index) {
            if ((squares >> index & 1U) != 0) text += {' ', static_cast<char>('a' + index % 8), static_cast<char>('8' - index / 8)};
        }
    }
    return text;
}

std::string illegalitiesOf(const std::string& fen) {
    FenPosition position;
    position.fromFen(fen);
    return describe(position);
}

struct IllegalityCase {
    const char* fen;
    const char* illegalities;
};

void expectIllegalities(std::initializer_list<IllegalityCase> cases) {
    for (const auto& [fen, expected] : cases) {
        EXPECT_EQ(illegalitiesOf(fen), expected) << fen;
    }
}

TEST(Illegalities, KingsAndAnEmptyBoard) {
    expectIllegalities({
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", ""},
        {"8/8/8/8/8/8/8/8 w - - 0 1", "empty; no-white-king; no-black-king"},
        {"x7/8/8/8/8/8/8/8 w - - 0 1", "empty; no-white-king; no-black-king; not-a-piece a8"},
        {"4k3/8/8/8/8/8/8/8 w - - 0 1", "no-white-king"},
        {"8/8/8/8/8/8/8/4K3 b - - 0 1", "no-black-king"},
        // Both colours' extra kings in one entry; with two kings neither side can be in check.
        {"k3k3/8/8/8/8/8/4r3/3KK3 w - - 0 1", "too-many-kings a8 e8 d1 e1"},
        {"4k3/8/8/8/8/8/8/KK6 w - - 0 1", "too-many-kings a1 b1"},
    });
}

TEST(Illegalities, ImpossibleMaterial) {
    expectIllegalities({
        {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", "impossible-material a3 a2 b2 c2 d2 e2 f2 g2 h2"},
        {"4k3/8/8/8/8/8/PPPPPPPP/R1QQK2R w - - 0 1", "impossible-material c1 d1"},
        // One pawn missing pays for one promoted piece, of any kind.
        {"4k3/8/8/8/8/8/1PPPPPPP/2QQK3 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/1PPPPPPP/1NNNK3 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/PPPPPPPP/1NNNK3 w - - 0 1", "impossible-material b1 c1 d1"},
        {"rr2k2r/pppppppp/8/8/8/8/8/4K3 w - - 0 1", "impossible-material a8 b8 h8"},
        // Bishops count on each colour of square: c1 and f1 differ, a1 and c1 do not.
        {"4k3/8/8/8/8/8/PPPPPPPP/2B1KB2 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/PPPPPPPP/B1B1K3 w - - 0 1", "impossible-material a1 c1"},
        {"4k3/8/8/8/8/PPPPPPPP/B7/B3K3 w - - 0 1", ""},
        {"4k3/8/8/8/8/PPPPPPPP/6B1/4K2B w - - 0 1", "impossible-material g2 h1"},
        // Two queens and a third rook cost two pawns, and only one is missing.
        {"4k3/8/8/8/8/8/1PPPPPPP/RQQRK2R w - - 0 1", "impossible-material a1 b1 c1 d1 h1"},
        {"4k3/8/8/8/8/8/2PPPPPP/RQQRK2R w - - 0 1", ""},
        {"4k3/8/8/8/8/P7/PPPPPPPP/3QK1Q1 w - - 0 1", "impossible-material a3 a2 b2 c2 d2 e2 f2 g2 h2 d1 g1"},
    });
}

TEST(Illegalities, PawnsOnABackRank) {
    expectIllegalities({
        {"4k2p/8/8/8/8/8/8/P3K3 w - - 0 1", "pawn-on-back-rank h8 a1"},
        {"P3k3/8/8/8/8/8/8/4K2p b - - 0 1", "pawn-on-back-rank a8 h1"},
    });
}

TEST(Illegalities, CastlingRightsNeedKingAndRookAtHome) {
    expectIllegalities({
        {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", "bad-castling-rights a8 h8 a1 h1"},
        {"r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1", "bad-castling-rights e1"},
        {"r3k2r/8/8/8/8/8/8/R2K3R w kq - 0 1", ""},
        // The pieces at home must be the right colour.
        {"4k1nR/8/8/8/8/8/8/4K3 w k - 0 1", "bad-castling-rights h8"},
        {"r3K3/8/8/8/8/8/8/4k3 w q - 0 1", "bad-castling-rights e8"},
        {"4k3/8/8/8/8/8/8/r3K3 w Q - 0 1", "bad-castling-rights a1"},
        {"4k3/8/8/8/8/8/8/4K2R w Q - 0 1", "bad-castling-rights a1"},
    });
}

TEST(Illegalities, EnPassantOnlyBehindAPawnThatJustMovedTwo) {
    expectIllegalities({
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3", ""},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", ""},
        // The right rank for the other side to move.
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq d6 0 3", "bad-en-passant d6"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3 0 1", "bad-en-passant e3"},
        // The target taken, the square the pawn left taken, no pawn, the wrong pawn.
        {"4k3/8/3n4/3p4/8/8/8/4K3 w - d6 0 1", "bad-en-passant d6"},
        {"4k3/3n4/8/3p4/8/8/8/4K3 w - d6 0 1", "bad-en-passant d6"},
        {"4k3/8/8/8/8/8/8/4K3 w - d6 0 1", "bad-en-passant d6"},
        {"4k3/8/8/3P4/8/8/8/4K3 w - d6 0 1", "bad-en-passant d6"},
        {"4k3/8/8/8/3p4/8/8/4K3 b - d3 0 1", "bad-en-passant d3"},
        {"4k3/8/8/8/3P4/3N4/8/4K3 b - d3 0 1", "bad-en-passant d3"},
        {"4k3/8/8/8/3P4/8/3N4/4K3 b - d3 0 1", "bad-en-passant d3"},
        // A text that names no square marks none.
        {"4k3/8/8/8/8/8/8/4K3 w - h6 0 1", "bad-en-passant h6"},
        {"4k3/8/8/8/8/8/8/4K3 w - a1 0 1", "bad-en-passant a1"},
        {"4k3/8/8/8/8/8/8/4K3 w - a8 0 1", "bad-en-passant a8"},
        {"4k3/8/8/8/8/8/8/4K3 w - e9 0 1", "bad-en-passant"},
        {"4k3/8/8/8/8/8/8/4K3 w - i6 0 1", "bad-en-passant"},
        {"4k3/8/8/8/8/8/8/4K3 w - e0 0 1", "bad-en-passant"},
        {"4k3/8/8/8/8/8/8/4K3 w - `6 0 1", "bad-en-passant"},
        {"4k3/8/8/8/8/8/8/4K3 w - e", "bad-en-passant"},
    });
}

// Which pieces attack a king: each kind its own way, lines stopped by whatever stands on
// them, and nothing that wraps round an edge of the board.
TEST(Illegalities, TheKingNotToMoveInCheck) {
    expectIllegalities({
        {"4k3/8/8/8/8/8/4R3/4K3 w - - 0 1", "opposite-check e8 e2"},
        {"4k3/4p3/8/8/8/8/4R3/4K3 w - - 0 1", ""},
        {"4k3/4x3/8/8/8/8/4R3/4K3 w - - 0 1", "not-a-piece e7"},
        {"4k3/8/8/8/B7/8/8/4K3 w - - 0 1", "opposite-check e8 a4"},
        {"4k3/8/8/8/R7/8/8/4K3 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/4B3/4K3 w - - 0 1", ""},
        {"4k3/8/8/8/Q7/8/8/4Q1K1 w - - 0 1", "opposite-check e8 a4 e1"},
        {"4k3/8/3N4/8/8/8/8/4K3 w - - 0 1", "opposite-check e8 d6"},
        {"4k3/8/3x4/8/8/8/8/4K3 w - - 0 1", "not-a-piece d6"},
        {"4k3/3P4/8/8/8/8/8/4K3 w - - 0 1", "opposite-check e8 d7"},
        {"4k3/5P2/8/8/8/8/8/4K3 w - - 0 1", "opposite-check e8 f7"},
        {"4k3/4P3/8/8/8/8/8/4K3 w - - 0 1", ""},
        {"8/8/3P4/4k3/8/8/8/4K3 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/5p2/4K3 b - - 0 1", "opposite-check f2 e1"},
        {"4k3/8/8/8/4K3/3p4/8/8 b - - 0 1", ""},
        {"8/8/8/8/8/8/3k4/4K3 w - - 0 1", "opposite-check d2 e1"},
        {"8/8/8/8/8/3k4/8/4K3 w - - 0 1", ""},
        {"8/8/8/k7/7N/8/8/4K3 w - - 0 1", ""},
        {"8/8/7R/k7/8/8/8/4K3 w - - 0 1", ""},
        {"8/8/8/k6B/8/8/8/4K3 w - - 0 1", ""},
        {"7k/Q7/8/8/8/8/8/4K3 w - - 0 1", ""},
        {"7k/8/B7/8/8/8/8/4K3 w - - 0 1", ""},
    });
}

// A check stands only where some last move of the other side gave it: the piece that
// moved checks, or it uncovered a line, or both, and the king was not in check before.
TEST(Illegalities, ChecksOnTheKingToMove) {
    expectIllegalities({
        // A discovered check with a knight's check: a double check a move can give.
        {"4k3/8/3N4/8/8/8/8/4RK2 b - - 0 1", ""},
        {"4k3/8/3N4/8/B7/8/8/4R1K1 b - - 0 1", "too-many-checkers e8 d6 a4 e1"},
        {"4k3/3P4/5N2/8/8/8/8/4K3 b - - 0 1", "impossible-check e8 d7 f6"},
        {"4k3/8/3N1N2/8/8/8/8/4K3 b - - 0 1", "impossible-check e8 d6 f6"},
        // A king attacked along all eight lines, and from all eight knight's jumps.
        {"1B2R2B/8/8/R3k2R/8/8/2K4B/B3R3 b - - 0 1", "too-many-checkers b8 e8 h8 a5 e5 h5 h2 a1 e1"},
        {"k7/8/3n1n2/2n3n1/4K3/2n3n1/3n1n2/8 w - - 0 1", "too-many-checkers d6 f6 c5 g5 e4 c3 g3 d2 f2"},
        // Two line pieces on both sides of the king, or neither able to have uncovered the other.
        {"R3k2R/8/8/8/8/8/8/4K3 b - - 0 1", "impossible-check a8 e8 h8"},
        {"8/6B1/8/4k3/8/2B5/8/4K3 b - - 0 1", "impossible-check g7 e5 c3"},
        {"8/8/8/4k3/8/2B3B1/8/4K3 b - - 0 1", "impossible-check e5 c3 g3"},
        {"4R3/8/8/4k3/8/8/8/4R1K1 b - - 0 1", "impossible-check e8 e5 e1"},
        {"8/8/8/R3k3/8/8/8/4R1K1 b - - 0 1", "impossible-check a5 e5 e1"},
        {"7B/8/8/4k3/3P4/8/8/6K1 b - - 0 1", "impossible-check h8 e5 d4"},
        {"1B6/8/8/4k3/3P4/8/8/4K3 b - - 0 1", "impossible-check b8 e5 d4"},
        {"8/6B1/8/4k3/8/8/8/4R1K1 b - - 0 1", "impossible-check g7 e5 e1"},
        {"4k3/8/8/8/B7/8/8/4R1K1 b - - 0 1", "impossible-check e8 a4 e1"},
        {"8/8/4R3/4k3/3B4/8/8/4K3 b - - 0 1", "impossible-check e6 e5 d4"},
        {"8/5N2/8/4k3/8/8/8/4R1K1 b - - 0 1", "impossible-check f7 e5 e1"},
        {"4R3/8/8/4k3/8/5N2/8/6K1 b - - 0 1", "impossible-check e8 e5 f3"},
        {"8/8/8/R3k3/8/5N2/8/6K1 b - - 0 1", "impossible-check a5 e5 f3"},
        {"1B6/8/8/4k3/8/5N2/8/7K b - - 0 1", "impossible-check b8 e5 f3"},
        {"6K1/8/8/8/8/R3k3/8/2B5 b - - 0 1", "impossible-check a3 e3 c1"},
        // The knight left the rook's line, the bishop the queen's, the pawn the rook's by taking.
        {"8/8/8/4k2R/8/5N2/8/6K1 b - - 0 1", ""},
        {"4k3/8/3N4/8/8/8/8/K3R3 b - - 0 1", ""},
        {"7k/8/8/4B3/8/8/1Q6/K7 b - - 0 1", ""},
        {"3Rk3/8/8/8/8/8/8/K3R3 b - - 0 1", ""},
        // A pawn that has never moved checks from where it always stood.
        {"8/8/8/8/8/3k4/4P3/6K1 b - - 0 1", "impossible-check d3 e2"},
        {"8/8/8/8/8/1k6/P7/6K1 b - - 0 1", "impossible-check b3 a2"},
        {"8/3p4/4K3/8/8/8/8/6k1 w - - 0 1", "impossible-check d7 e6"},
        {"6k1/8/8/8/8/8/3p4/4K3 w - - 0 1", ""},
        {"8/8/8/8/4P3/3k4/8/6K1 b - - 0 1", ""},
        // The double step the en-passant square names is the last move, and must fit the check.
        {"R3k3/8/8/8/3P4/8/8/4K3 b - d3 0 1", "impossible-check a8 e8"},
        {"4k3/8/8/3p4/8/8/8/r3K3 w - d6 0 1", "impossible-check a1 e1"},
        {"8/7k/8/8/2P5/8/8/1B2K3 b - c3 0 1", ""},
        {"8/8/8/8/3Pk3/8/8/4K3 b - d3 0 1", ""},
        {"8/8/8/8/3P4/4k3/8/4K3 b - d3 0 1", ""},
        {"8/8/8/3k4/4P3/8/8/4K3 b - e3 0 1", ""},
        {"8/8/8/4k3/3P4/8/8/B3K3 b - d3 0 1", "impossible-check e5 d4"},
        // Only en passant uncovers both lines: the pawn left d5 and took the pawn on e5.
        {"3R3B/8/4P3/8/3k4/8/8/K7 b - - 0 1", ""},
        {"3R3B/4P3/8/8/3k4/8/8/K7 b - - 0 1", "impossible-check d8 h8 d4"},
        // A queen hemmed in on all but one side came from there; hemmed in on all, it did not move.
        {"7k/8/8/8/8/8/8/Qn5K b - - 0 1", ""},
        {"7k/8/8/8/8/8/n7/Q6K b - - 0 1", ""},
        {"7k/8/8/8/8/8/n7/Qn5K b - - 0 1", "impossible-check h8 a1"},
        // On rank 8 a white queen may be a pawn just promoted: Black's queen there cannot.
        {"6nQ/7n/8/8/8/8/8/k6K b - - 0 1", ""},
        {"7q/7N/8/8/8/8/8/K6k w - - 0 1", ""},
        {"6Nq/8/8/8/8/8/8/K6k w - - 0 1", ""},
        {"6Nq/7N/8/8/8/8/8/K6k w - - 0 1", "impossible-check h8 a1"},
        {"k7/8/8/8/4K3/8/8/Qn6 b - - 0 1", ""},
        {"k7/8/8/8/4K3/8/1n6/Qn6 b - - 0 1", "impossible-check a8 a1"},
        {"7k/8/8/8/4K3/8/8/6nQ b - - 0 1", ""},
        {"7k/8/8/8/4K3/8/6n1/6nQ b - - 0 1", "impossible-check h8 h1"},
        {"qN6/8/8/8/4k3/8/8/K7 w - - 0 1", ""},
        {"qN6/1N6/8/8/4k3/8/8/K7 w - - 0 1", "impossible-check a8 a1"},
        {"6Nq/8/8/8/4k3/8/8/7K w - - 0 1", ""},
        {"6Nq/6N1/8/8/4k3/8/8/7K w - - 0 1", "impossible-check h8 h1"},
        // A king steps one square: from the rook's file, or not at all.
        {"k7/8/8/8/1K6/8/8/Rn6 b - - 0 1", ""},
        {"k7/8/8/8/2K5/8/8/Rn6 b - - 0 1", "impossible-check a8 a1"},
        // Castling is the one way to these checks, for each side and wing; not with the corner or b1 taken.
        {"8/8/8/8/8/8/5n2/k4RK1 b - - 0 1", ""},
        {"8/8/8/8/8/8/3n4/2KR3k b - - 0 1", ""},
        {"K4rk1/5N2/8/8/8/8/8/8 w - - 0 1", ""},
        {"2kr3K/3N4/8/8/8/8/8/8 w - - 0 1", ""},
        {"8/8/8/8/8/8/5n2/k4RKb b - - 0 1", "impossible-check a1 f1"},
        {"8/8/8/8/8/8/3n4/1nKR3k b - - 0 1", "impossible-check d1 h1"},
        {"8/8/8/8/8/8/3n4/n1KR3k b - - 0 1", "impossible-check d1 h1"},
        // A pawn's double step, single step or capture is the one way, for each side; not with its way taken.
        {"8/8/8/6K1/3P4/7p/k6R/7b b - - 0 1", ""},
        {"8/7k/8/8/3P4/8/p7/1B2K3 b - - 0 1", ""},
        {"8/7k/8/3P4/8/8/p7/1B2K3 b - - 0 1", ""},
        {"7B/K6r/7P/3p4/6k1/8/8/8 w - - 0 1", ""},
        {"1b2k3/P7/8/3p4/8/8/7K/8 w - - 0 1", ""},
        {"1b2k3/P7/8/8/3p4/8/7K/8 w - - 0 1", ""},
        {"k7/8/8/3K4/8/4p3/8/3r3b w - - 0 1", ""},
        {"8/8/8/6K1/3P4/3n3p/k6R/7b b - - 0 1", "impossible-check a2 h2"},
        // A knight that arrived as a pawn, straight on or taking; not with both ways taken.
        {"4N3/2kp1pp1/3p1p2/8/8/8/8/K7 b - - 0 1", ""},
        {"4N3/2k1ppp1/3p1p2/8/8/8/8/K7 b - - 0 1", ""},
        {"k7/8/8/8/8/3P1P2/2KP1PP1/4n3 w - - 0 1", ""},
        {"4N3/2kpppp1/3p1p2/8/8/8/8/K7 b - - 0 1", "impossible-check e8 c7"},
        // En passant from the one side free, not its mirror; the square it lands on was empty before.
        {"3R3B/8/4P3/5p2/3k4/8/8/K7 b - - 0 1", ""},
        {"8/8/R2Pk3/8/8/8/B7/1n5K b - - 0 1", "impossible-check e6 a2"},
        // A pawn's capture from the one side free uncovers the bishop; not from the mirror square.
        {"7K/k7/8/4P3/5p2/8/7n/6B1 b - - 0 1", ""},
        // A promotion on b8 cannot have uncovered the long diagonal: the pawn on b7 gave check.
        {"kB5R/n1n5/8/8/8/8/8/4K2B b - - 0 1", "impossible-check a8 h1"},
        // One taking on b8 found a piece there against the rook on h8, and its pawn on a7 had
        // closed the file.
        {"kR5R/2n5/8/8/8/8/8/R3K3 b - - 0 1", ""},
        // With the kings side by side, the king is one of the checkers.
        {"8/8/8/8/8/3k4/2P1K3/8 b - - 0 1", "opposite-check d3 e2; impossible-check d3 c2 e2"},
        {"8/8/8/8/8/3k4/4K3/3R4 b - - 0 1", "opposite-check d3 e2; impossible-check d3 e2 d1"},
    });
}

// Every kind at once comes out in the one order, each with all of its squares.
TEST(Illegalities, EveryKindInTheOneOrder) {
    EXPECT_EQ(illegalitiesOf("kkPB4/8/8/8/8/8/8/P7 w K a6 0 1"),
              "no-white-king; too-many-kings a8 b8; pawn-on-back-rank c8 a1; bad-castling-rights e1 h1; "
              "bad-en-passant a6");
    EXPECT_EQ(illegalitiesOf("2QkQ3/x7/8/8/1K6/8/8/8 b - - 0 1"), "impossible-check c8 d8 e8; not-a-piece a7");
    FenPosition position;
    // Records no reader makes: any side but 0 is Black, and an en-passant text must be a square.
    position.fromFen("4k3/8/8/8/3P4/8/8/4K3 b - d3 0 1");
    position.sideToMove = 7;
    EXPECT_EQ(describe(position), "");
    position.enPassant = "d3 ";
    EXPECT_EQ(describe(position), "bad-en-passant");
    position.enPassant.clear();
    EXPECT_EQ(describe(position), "bad-en-passant");
    EXPECT_EQ(piecefen::illegalityName(static_cast<piecefen::IllegalityKind>(12)), "");
}

// Callers of 1.6 still compile, warned, and get the same answers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
TEST(Illegalities, TheNamesOfOneSixStillAnswer) {
    FenPosition position;
    position.fromFen("kkPB4/8/8/8/8/8/8/P7 w K a6 0 1");
    const std::vector<piecefen::Problem> found = piecefen::problems(position);
    EXPECT_EQ(found, piecefen::illegalities(position));
    EXPECT_EQ(piecefen::problemName(piecefen::ProblemKind::oppositeCheck), "opposite-check");
}
#pragma GCC diagnostic pop

}  // namespace

namespace {

// What the board allows in the other fields, as one line: "KQkq e3 f3".
std::string allowedOf(const std::string& fen) {
    FenPosition position;
    position.fromFen(fen);
    const auto allowed = piecefen::allowedFields(position);
    std::string text;
    for (int right = 0; right < 4; ++right) {
        if (allowed.castling[right / 2][right % 2]) text += "KQkq"[right];
    }
    for (int index = 0; index < 64; ++index) {
        if ((allowed.enPassant >> index & 1U) != 0) text += {' ', static_cast<char>('a' + index % 8), static_cast<char>('8' - index / 8)};
    }
    return text;
}

TEST(Illegalities, WhatTheBoardAllowsInTheOtherFields) {
    const std::pair<const char*, const char*> cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1", "KQkq"},
        {"r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq - 0 1", "Qkq"},
        {"4k2R/8/8/8/8/8/8/r3K3 w - - 0 1", ""},
        {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", ""},
        {"4k3/8/8/3pPp2/8/8/8/4K3 w - - 0 1", " d6 f6"},
        {"4k3/8/8/3pPp2/8/8/8/4K3 b - - 0 1", ""},
        {"4k3/8/8/8/PpP5/8/8/4K3 b - - 0 1", " a3 c3"},
        {"4k3/8/8/8/PpP5/1N6/2N5/4K3 b - - 0 1", " a3"},
    };
    for (const auto& [fen, expected] : cases) EXPECT_EQ(allowedOf(fen), expected) << fen;
}

// A right or a square is allowed exactly when the record holding it raises no illegality of
// its kind, on boards with pieces on every rank.
TEST(Illegalities, AllowedFieldsAgreeWithTheIllegalities) {
    std::mt19937 random(7);
    const std::string pieces = "KQRBNPkqrbnp........................";
    for (int round = 0; round < 1000; ++round) {
        FenPosition position;
        for (char& square : position.board) square = pieces[random() % pieces.size()];
        position.sideToMove = static_cast<int32_t>(random() % 2);
        const auto allowed = piecefen::allowedFields(position);
        auto has = [&position](IllegalityKind kind) {
            for (const auto& illegality : piecefen::illegalities(position)) {
                if (illegality.kind == kind) return true;
            }
            return false;
        };
        for (int right = 0; right < 4; ++right) {
            position.castling[right / 2][right % 2] = true;
            ASSERT_EQ(allowed.castling[right / 2][right % 2], !has(IllegalityKind::badCastlingRights)) << position.toFen();
            position.castling[right / 2][right % 2] = false;
        }
        for (int index = 0; index < 64; ++index) {
            position.enPassant = {static_cast<char>('a' + index % 8), static_cast<char>('8' - index / 8)};
            ASSERT_EQ((allowed.enPassant >> index & 1U) != 0, !has(IllegalityKind::badEnPassant)) << position.toFen();
        }
    }
}

}  // namespace
