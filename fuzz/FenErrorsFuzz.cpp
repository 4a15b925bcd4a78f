#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <piecefen/notation/FenErrors.h>
#include <piecefen/position/FenPosition.h>

using piecefen::FenPosition;

// Any bytes as a FEN line: the errors come in the order of their offsets, each inside the
// text and with a name; a line with none reads into a record whose FEN has none either.
// The input is exactly its size, so a read past its end is the sanitizer's finding.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto errors = piecefen::fenErrors(text);
    std::size_t last = 0;
    for (const auto& [kind, at] : errors) {
        if (at < last || (at >= size && !(size == 0 && at == 0)) || piecefen::fenErrorName(kind).empty()) std::abort();
        last = at;
    }
    if (errors.empty()) {
        FenPosition position;
        position.fromFen(std::string(text));
        if (!piecefen::fenErrors(position.toFen()).empty()) std::abort();
    }
    return 0;
}
