#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "notation/Json.h"
#include "notation/Problem.h"
#include "solver/Solver.h"

// A problem as read and as solved, written as JSON: the same fields for the WebAssembly
// module and for the program that solves files. Header-only, as the JSON writer is, so
// that each front end builds it in.
namespace piecefen {

namespace json {

inline void write(JsonWriter& out, const SolvedMove& move) {
    out.beginObject().key("uci").text(move.uci).key("san").text(move.san).endObject();
}

inline void write(JsonWriter& out, const Defence& defence);
inline void write(JsonWriter& out, const Continuation& continuation);

// A move of the tree and the other side's moves under it, named `key`.
template <typename Next>
void writeNode(JsonWriter& out, const SolvedMove& move, std::string_view key, const std::vector<Next>& next) {
    out.beginObject().key("move");
    write(out, move);
    out.key(key).beginArray();
    for (const Next& each : next) write(out, each);
    out.endArray().endObject();
}

inline void write(JsonWriter& out, const Continuation& continuation) {
    writeNode(out, continuation.move, "defences", continuation.defences);
}

inline void write(JsonWriter& out, const Defence& defence) {
    writeNode(out, defence.move, "replies", defence.replies);
}

inline void write(JsonWriter& out, const Solution& solution) {
    out.beginObject();
    if (!solution.line.empty()) {
        out.key("line").beginArray();
        for (const auto& move : solution.line) write(out, move);
        out.endArray().key("moves").number(solution.moves).endObject();
        return;
    }
    out.key("key");
    write(out, solution.key);
    out.key("moves").number(solution.moves).key("threat").beginArray();
    for (const auto& move : solution.threat) write(out, move.move);
    out.endArray().key("variations").beginArray();
    for (const auto& defence : solution.variations) write(out, defence);
    out.endArray().endObject();
}

}  // namespace json

// The answer, with its lines in the composers' layout and their text beside the data.
inline void writeJson(JsonWriter& out, const Solving& solving) {
    constexpr const char* LINE_PART_KINDS[] = {"number", "separator", "move", "words"};
    out.beginObject().key("status").text(solveStatusName(solving.status));
    out.key("stipulation").text(solving.stipulation).key("cooked").boolean(solving.cooked());
    out.key("unlisted").number(static_cast<std::int64_t>(solving.unlisted)).key("moves").number(solving.moves);
    out.key("setPlay").beginArray();
    for (const auto& defence : solving.setPlay) json::write(out, defence);
    out.endArray().key("solutions").beginArray();
    for (const auto& solution : solving.solutions) json::write(out, solution);
    out.endArray().key("tries").beginArray();
    for (const auto& attempt : solving.tries) {
        out.beginObject().key("move");
        json::write(out, attempt.move);
        out.key("refutation");
        json::write(out, attempt.refutation);
        out.key("refutations").beginArray();
        for (const auto& refutation : attempt.refutations) json::write(out, refutation);
        out.endArray().endObject();
    }
    const auto lines = solutionLines(solving);
    out.endArray().key("lines").beginArray();
    for (const auto& line : lines) {
        out.beginArray();
        for (const auto& part : line) {
            out.beginObject().key("kind").text(LINE_PART_KINDS[static_cast<std::size_t>(part.kind)]).key("text").text(part.text);
            if (part.kind == LinePart::Kind::move) out.key("uci").text(part.uci).key("fen").text(part.fen).key("mark").text(part.mark);
            out.endObject();
        }
        out.endArray();
    }
    out.endArray().key("text").text(solutionText(solving, lines)).endObject();
}

// A reading: the FEN line, the stipulation, the count, the language read in, the
// languages that fit where it is ambiguous, each error's name and byte offset, the
// options, the twin's label and the problem's lines beside the position.
inline void writeJson(JsonWriter& out, const ProblemReading& reading) {
    const auto textOrNull = [&](const std::string& text) {
        if (text.empty()) {
            out.null();
        } else {
            out.text(text);
        }
    };
    out.beginObject().key("fen").text(reading.position.toFen()).key("stipulation");
    textOrNull(reading.stipulation);
    out.key("count");
    if (reading.whiteCount < 0) {
        out.null();
    } else {
        out.beginArray().number(reading.whiteCount).number(reading.blackCount).endArray();
    }
    out.key("language");
    textOrNull(reading.language);
    out.key("errors").beginArray();
    for (const auto& [kind, at] : reading.errors) {
        out.beginObject().key("error").text(problemErrorName(kind)).key("at").number(static_cast<std::int64_t>(at)).endObject();
    }
    out.endArray();
    if (!reading.languages.empty()) {
        out.key("languages").beginArray();
        for (const auto& fitting : reading.languages) out.text(fitting);
        out.endArray();
    }
    const ProblemOptions& options = reading.options;
    out.key("options").beginObject();
    out.key("tries").boolean(options.tries).key("defences").number(options.defences).key("setPlay").boolean(options.setPlay);
    out.key("variations").boolean(options.variations).key("noThreat").boolean(options.noThreat);
    out.key("threatLength").number(options.threatLength).key("noShortVariations").boolean(options.noShortVariations);
    out.key("whiteToPlay").boolean(options.whiteToPlay).key("duplex").boolean(options.duplex).key("halfDuplex").boolean(options.halfDuplex);
    out.key("maxSolutions").number(options.maxSolutions).key("intelligent").boolean(options.intelligent);
    out.key("stopOnShortSolutions").boolean(options.stopOnShortSolutions).key("quodlibet").boolean(options.quodlibet);
    out.key("postKeyPlay").boolean(options.postKeyPlay).endObject();
    out.key("twin");
    textOrNull(reading.twin);
    out.key("data").beginArray();
    for (const auto& datum : reading.data) out.beginObject().key("field").text(datum.field).key("text").text(datum.text).endObject();
    out.endArray().endObject();
}

}  // namespace piecefen
