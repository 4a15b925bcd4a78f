#pragma once

#include <cstddef>
#include <string_view>

namespace piecefen {

// The length of the well-formed UTF-8 sequence of two to four bytes that starts text[at],
// or 0 if none does: a single byte, overlong forms, surrogates and anything past U+10FFFF
// are no sequence.
inline std::size_t utf8SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned lead = byte(at);
    std::size_t length = 0;
    // The second byte's range, narrowed to refuse overlong forms and surrogates.
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t next = 1; next < length; ++next) {
        const unsigned continuation = byte(at + next);
        if (continuation < (next == 1 ? low : 0x80) || continuation > (next == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace piecefen
