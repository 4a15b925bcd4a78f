#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "notation/TablebaseAddress.h"
#include "position/FenPosition.h"

// Prints the FEN of the piece list on the command line, or with "/u" first its
// tablebase address: one line and exit status 0 whatever the words, and status 1 only
// when standard output cannot take the line.
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
        text = piecefen::tablebaseAddress(text);
    }

    // 6. One line, in one call, through C's stream, which costs no start-up of its own.
    // A line that never arrives (a full disk) must not pass for success: the stream's
    // error indicator keeps a failure of the write or the flush. A closed pipe still
    // ends the process by its signal, as with any console tool.
    text += '\n';
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stdout));
    static_cast<void>(std::fflush(stdout));
    if (std::ferror(stdout) != 0) {
        static_cast<void>(std::fprintf(stderr, "piecefen: %s\n", std::strerror(errno)));
        return 1;
    }
    return 0;
}
