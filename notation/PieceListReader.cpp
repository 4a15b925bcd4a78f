#include "position/Vocabulary.h"
#include "notation/Notation.h"

namespace piecefen {

// Only white's spelling names a piece here: the lowercase letters are files or skipped.
bool FenPosition::isPieceLetter(char c) {
    return static_cast<unsigned>(pieceSlot(c)) < PIECE_LETTERS.size();
}

bool FenPosition::isColourSeparator(char c) {
    return c == '/' || c == '\\';
}

int32_t FenPosition::squareIndex(const std::string& text, std::size_t at) {
    return squareAt(text, at);
}

// Places each piece on its squares; the letter stays in force for squares that follow
// on their own, and the first slash turns every later piece black.
static void fillPieceList(FenPosition& position, std::string_view text) {
    const std::size_t n = text.size();
    position.reset();
    std::size_t i = 0;
    bool black = false;
    char letterInForce = '\0';
    for (;;) {
        // 1. Scan to the next placement: a piece letter or a lone square.
        bool ownLetter = false;
        while (i < n) {
            const char c = text[i];
            if (FenPosition::isPieceLetter(c)) {
                ownLetter = true;
                break;
            }
            if (c >= 'a' && c <= 'h') {
                break;
            }
            if (FenPosition::isColourSeparator(c)) {
                black = true;
            }
            ++i;
        }
        // 2. The square after the letter, or the lone square itself, must be there.
        if (ownLetter) {
            letterInForce = text[i];
        }
        const std::size_t squareStart = ownLetter ? i + 1 : i;
        const int32_t index = squareAt(text, squareStart);
        if (index < 0) {
            return;
        }
        // 3. A square before any letter has no piece to take, so it is passed over.
        if (letterInForce != '\0') {
            // The letter in force is always an uppercase ASCII piece letter.
            position.board[index] = black ? static_cast<char>(letterInForce - 'A' + 'a') : letterInForce;
        }
        i = squareStart + 2;
        if (i >= n) {
            return;
        }
    }
}


FenPosition readPieceList(std::string_view text) {
    FenPosition position;
    fillPieceList(position, text);
    return position;
}

void FenPosition::readPieceList(const std::string& text) {
    *this = piecefen::readPieceList(text);
}

}  // namespace piecefen
