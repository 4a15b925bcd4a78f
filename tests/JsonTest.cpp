#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "notation/Json.h"

namespace {

using piecefen::JsonWriter;

std::string textOf(std::string_view text) {
    return JsonWriter().text(text).str();
}

std::string bytesOf(std::string_view bytes) {
    return JsonWriter().bytes(bytes).str();
}

TEST(Json, TextIsEscapedAndNeverStructure) {
    const std::pair<std::string, std::string> cases[] = {
        {"#2", R"("#2")"},
        {R"(x","status":"solved)", R"("x\",\"status\":\"solved")"},
        {"back\\slash", R"("back\\slash")"},
        {std::string("a\0b", 3), R"("a\u0000b")"},
        {"line\nbreak\ttab\x1f\x7f", R"("line\nbreak\u0009tab\u001f\u007f")"},
        // Well-formed UTF-8 passes as it is, U+2028 and a four-byte character too.
        {"\xC3\xA9 \xE2\x80\xA8 \xF0\x9F\x98\x80", "\"\xC3\xA9 \xE2\x80\xA8 \xF0\x9F\x98\x80\""},
        // A byte of no well-formed character is U+FFFD, each: a stray continuation, a lead
        // cut short at the end, an overlong form, a surrogate, and past U+10FFFF.
        {"\x80", "\"\xEF\xBF\xBD\""},
        {"a\xE2\x80", "\"a\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xE0\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xF0\x90\x80\x80", "\"\xF0\x90\x80\x80\""},
        {"\xED\x9F\xBF", "\"\xED\x9F\xBF\""},
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(textOf(text), json) << text;
}

TEST(Json, BytesAreOneCharacterEach) {
    EXPECT_EQ(bytesOf(std::string("\x80\xFF\"\\\0.", 6)), R"("\u0080\u00ff\"\\\u0000.")");
    EXPECT_EQ(bytesOf("rnbq"), R"("rnbq")");
}

TEST(Json, ValuesAndNesting) {
    JsonWriter out;
    out.beginObject().key("a").number(0).key("b").number(-42).key("c").number(std::numeric_limits<std::int64_t>::min());
    out.key("d").beginArray().boolean(true).boolean(false).null().beginArray().endArray().beginObject().endObject().endArray();
    out.key("e").beginArray().beginObject().key("x").number(1).endObject().beginObject().key("y").text("z").endObject().endArray();
    out.endObject();
    EXPECT_EQ(out.str(), R"({"a":0,"b":-42,"c":-9223372036854775808,"d":[true,false,null,[],{}],"e":[{"x":1},{"y":"z"}]})");
}

}  // namespace
