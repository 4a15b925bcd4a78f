#include <iostream>
#include <string>
#include <string_view>

#include "position/FenPosition.h"

namespace {

// The lookup page reads its query key "fen" and turns each "_" back into a space.
constexpr std::string_view TABLEBASE_URL_PREFIX = "https://syzygy-tables.info/?fen=";

}  // namespace

// Prints the FEN of the piece list on the command line, or with "/u" first its
// tablebase address; always one line and exit status 0.
int main(int argc, char* argv[]) {
    // 1. Option: "/u" (or any word beginning so) counts only when a word follows it.
    bool wantAddress = false;
    int wordIndex = 1;
    if (argc > 2 && argv[1][0] == '/' && argv[1][1] == 'u') {
        wantAddress = true;
        wordIndex = 2;
    }

    // 2. Join the remaining words with single spaces, byte for byte.
    std::string text;
    for (int word = wordIndex; word < argc; ++word) {
        text += argv[word];
        if (word + 1 < argc) {
            text += ' ';
        }
    }

    // 3-4. Read the piece list and replace the text by its FEN.
    piecefen::FenPosition fenThePosition;
    fenThePosition.readPieceList(text);
    text = fenThePosition.toFen();

    // 5. The address carries the FEN with "_" for every space.
    if (wantAddress) {
        std::string address;
        address.reserve(TABLEBASE_URL_PREFIX.size() + text.size());
        address += TABLEBASE_URL_PREFIX;
        for (const char c : text) {
            address += c == ' ' ? '_' : c;
        }
        text = std::move(address);
    }

    // 6. One line; the stream is flushed when the program ends.
    std::cout << text << '\n';
    return 0;
}
