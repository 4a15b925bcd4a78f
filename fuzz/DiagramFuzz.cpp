#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include <libxml/parser.h>

#include <piecefen/diagram/Diagram.h>
#include <piecefen/position/FenPosition.h>

using piecefen::DiagramOptions;
using piecefen::FenPosition;

namespace {

// Stops libxml2 printing what it finds: a finding here is a document it refuses.
void quiet(void*, const char*, ...) {}

}  // namespace

// Any record and any options: the first 64 bytes are the squares, then the side to move,
// a byte of flags, the size, eight bytes of marks, four arrows, the en-passant text up to
// a NUL, and the caption. Every document must be well-formed XML whose root is svg, and
// every piece letter on the board must be placed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 83) return 0;
    FenPosition position;
    std::memcpy(position.board, data, 64);
    position.sideToMove = data[64] & 1;
    const unsigned flags = data[65];
    DiagramOptions options;
    options.flipped = (flags & 1U) != 0;
    options.coordinates = (flags & 2U) != 0;
    options.border = (flags & 4U) != 0;
    options.sideToMove = (flags & 8U) != 0;
    options.count = (flags & 16U) != 0;
    options.theme = (flags & 32U) != 0 ? piecefen::DiagramTheme::print : piecefen::DiagramTheme::classic;
    options.size = static_cast<int>(static_cast<int8_t>(data[66])) * 40;
    for (int byte = 0; byte < 8; ++byte) options.marks |= std::uint64_t{data[67 + byte]} << (8 * byte);
    for (int arrow = 0; arrow < 4; ++arrow) {
        options.arrows.push_back({static_cast<int8_t>(data[75 + 2 * arrow]) % 80, static_cast<int8_t>(data[76 + 2 * arrow]) % 80});
    }
    const std::string rest(reinterpret_cast<const char*>(data) + 83, size - 83);
    const std::size_t end = rest.find('\0');
    position.enPassant = rest.substr(0, end);
    if (end != std::string::npos) options.caption = rest.substr(end + 1);

    const std::string document = piecefen::toSvg(position, options);
    xmlSetGenericErrorFunc(nullptr, quiet);
    xmlDocPtr parsed = xmlReadMemory(document.data(), static_cast<int>(document.size()), "diagram.svg", "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (parsed == nullptr) std::abort();
    const xmlNode* root = xmlDocGetRootElement(parsed);
    if (root == nullptr || std::strcmp(reinterpret_cast<const char*>(root->name), "svg") != 0) std::abort();
    xmlFreeDoc(parsed);

    std::size_t pieces = 0;
    for (const char square : position.board) pieces += square != '.' ? 1 : 0;
    std::size_t placed = 0;
    for (std::size_t at = document.find("<use xlink:href=\"#"); at != std::string::npos;
         at = document.find("<use xlink:href=\"#", at + 1)) {
        // A piece's name is one letter; the coordinates' are two.
        if (document[at + 19] == '"') ++placed;
    }
    if (placed != pieces) std::abort();
    return 0;
}
