#include "notation/TablebaseAddress.h"

#include <string_view>

namespace piecefen {

namespace {

// The lookup page reads its query key "fen" and turns each "_" back into a space.
constexpr std::string_view TABLEBASE_URL_PREFIX = "https://syzygy-tables.info/?fen=";

}  // namespace

std::string tablebaseAddress(const std::string& fen) {
    std::string address;
    // One more for the line end the driver appends.
    address.reserve(TABLEBASE_URL_PREFIX.size() + fen.size() + 1);
    address += TABLEBASE_URL_PREFIX;
    for (const char c : fen) {
        address += c == ' ' ? '_' : c;
    }
    return address;
}

}  // namespace piecefen
