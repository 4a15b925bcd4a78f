#pragma once

#include <charconv>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "notation/Utf8.h"

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
    JsonWriter& text(std::string_view utf8) { return quoted(utf8, true); }

    // Bytes as they are, each one character from U+0000 to U+00FF.
    JsonWriter& bytes(std::string_view bytes) { return quoted(bytes, false); }

    JsonWriter& number(std::int64_t value) {
        separate();
        char digits[24];
        const char* const end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
        out_.append(digits, static_cast<std::size_t>(end - digits));
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

    JsonWriter& quoted(std::string_view text, bool utf8) {
        separate();
        out_ += '"';
        for (std::size_t at = 0; at < text.size();) {
            // A run that needs no escape, most texts whole, goes in one append.
            const std::size_t plain = plainRun(text, at);
            out_.append(text, at, plain);
            at += plain;
            if (at == text.size()) break;
            const auto byte = static_cast<unsigned char>(text[at]);
            if (!utf8 || byte < 0x80) {
                escaped(byte);
                ++at;
            } else if (const std::size_t size = utf8SequenceAt(text, at); size > 0) {
                out_.append(text, at, size);
                at += size;
            } else {
                out_ += "\xEF\xBF\xBD";
                ++at;
            }
        }
        out_ += '"';
        return *this;
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

    std::string out_ = [] {
        std::string room;
        room.reserve(1024);
        return room;
    }();
    std::vector<bool> first_;
    bool afterKey_ = false;
};

}  // namespace piecefen
