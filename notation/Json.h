#pragma once

#include <charconv>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// JSON written a value at a time, for answers that leave the library as text another
// program parses. Every string is escaped as it is written, so no text can become
// structure; commas and nesting are kept here, not by the caller.
namespace piecefen {

class JsonWriter {
public:
    JsonWriter& beginObject() { return open('{'); }
    JsonWriter& endObject() { return close('}'); }
    JsonWriter& beginArray() { return open('['); }
    JsonWriter& endArray() { return close(']'); }

    // The name of the next member of an object.
    JsonWriter& key(std::string_view name) {
        text(name);
        out_ += ':';
        afterKey_ = true;
        return *this;
    }

    // Text that should be UTF-8: a byte that does not belong to a well-formed character
    // is written as U+FFFD, as a decoder would read it.
    JsonWriter& text(std::string_view utf8) {
        separate();
        out_ += '"';
        for (std::size_t at = 0; at < utf8.size();) {
            // A run that needs no escape, most texts whole, goes in one append.
            const std::size_t plain = plainRun(utf8, at);
            if (plain > 0) {
                out_.append(utf8, at, plain);
                at += plain;
                continue;
            }
            const std::size_t size = characterSize(utf8, at);
            if (size == 0) {
                out_ += "\xEF\xBF\xBD";
                ++at;
                continue;
            }
            if (size == 1) {
                escaped(static_cast<unsigned char>(utf8[at]));
            } else {
                out_.append(utf8, at, size);
            }
            at += size;
        }
        out_ += '"';
        return *this;
    }

    // Bytes as they are, each one character from U+0000 to U+00FF.
    JsonWriter& bytes(std::string_view bytes) {
        separate();
        out_ += '"';
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t plain = plainRun(bytes, at);
            out_.append(bytes, at, plain);
            at += plain;
            if (at < bytes.size()) escaped(static_cast<unsigned char>(bytes[at++]));
        }
        out_ += '"';
        return *this;
    }

    JsonWriter& number(std::int64_t value) {
        separate();
        char digits[24];
        out_.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
        return *this;
    }

    JsonWriter& boolean(bool value) {
        separate();
        out_ += value ? "true" : "false";
        return *this;
    }

    JsonWriter& null() {
        separate();
        out_ += "null";
        return *this;
    }

    const std::string& str() const { return out_; }

private:
    JsonWriter& open(char bracket) {
        separate();
        out_ += bracket;
        first_.push_back(true);
        return *this;
    }

    JsonWriter& close(char bracket) {
        out_ += bracket;
        if (!first_.empty()) first_.pop_back();
        return *this;
    }

    // A comma before every value of an array or member of an object but the first.
    void separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (first_.empty()) return;
        if (!first_.back()) out_ += ',';
        first_.back() = false;
    }

    void escaped(unsigned char byte) {
        static constexpr char HEX[] = "0123456789abcdef";
        if (byte == '"' || byte == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(byte);
        } else if (byte == '\n') {
            out_ += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            out_ += "\\u00";
            out_ += HEX[byte >> 4];
            out_ += HEX[byte & 0xF];
        } else {
            out_ += static_cast<char>(byte);
        }
    }

    // How many bytes from `at` are printable ASCII with no quote or backslash.
    static std::size_t plainRun(std::string_view text, std::size_t at) {
        std::size_t end = at;
        while (end < text.size()) {
            const auto byte = static_cast<unsigned char>(text[end]);
            if (byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\') break;
            ++end;
        }
        return end - at;
    }

    // How many bytes the well-formed UTF-8 character at `at` takes, or 0 where none starts.
    static std::size_t characterSize(std::string_view text, std::size_t at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) return 1;
        std::size_t size = 0;
        unsigned char low = 0x80;  // the second byte's range, narrowed to refuse overlong forms and surrogates
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            size = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            size = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            size = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return 0;
        }
        if (text.size() - at < size) return 0;
        for (std::size_t next = 1; next < size; ++next) {
            const auto byte = static_cast<unsigned char>(text[at + next]);
            if (byte < (next == 1 ? low : 0x80) || byte > (next == 1 ? high : 0xBF)) return 0;
        }
        return size;
    }

    std::string out_ = [] {
        std::string room;
        room.reserve(1024);
        return room;
    }();
    std::vector<bool> first_;
    bool afterKey_ = false;
};

}  // namespace piecefen
