#include <cstdint>
#include <cstdlib>
#include <string>

#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

namespace {

// True when the placement field has eight rows of exactly eight squares, spelled only
// with piece letters and single digits 1 to 8.
bool isWellFormedPlacement(const std::string& placement) {
    int rows = 1;
    int squares = 0;
    bool lastWasDigit = false;
    for (const char c : placement) {
        if (c == '/') {
            if (squares != 8) return false;
            ++rows;
            squares = 0;
            lastWasDigit = false;
        } else if (c >= '1' && c <= '8') {
            if (lastWasDigit) return false;
            squares += c - '0';
            lastWasDigit = true;
        } else if (std::string_view("KQRBNPkqrbnp").find(c) != std::string_view::npos) {
            ++squares;
            lastWasDigit = false;
        } else {
            return false;
        }
    }
    return rows == 8 && squares == 8;
}

}  // namespace

// Any bytes as a piece list must give a well-formed FEN line that reads back the same,
// and a board that survives being written as a piece list and read again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FenPosition position;
    position.readPieceList(text);
    const std::string fen = position.toFen();

    const std::string tail = " w - - 0 1";
    const std::size_t space = fen.find(' ');
    if (space == std::string::npos || fen.substr(space) != tail ||
        !isWellFormedPlacement(fen.substr(0, space))) {
        std::abort();
    }
    FenPosition readBack;
    readBack.fromFen(fen);
    if (!(readBack == position)) std::abort();
    FenPosition again;
    again.readPieceList(position.toPieceList());
    if (!(again == position)) std::abort();
    return 0;
}
