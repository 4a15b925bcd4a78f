#pragma once

#include <string>

#include "piecefen/Export.h"

namespace piecefen {

// The address that opens the position on the Syzygy endgame tablebase page: the FEN line
// in the query key "fen", with "_" for every space and nothing else changed.
PIECEFEN_API std::string tablebaseAddress(const std::string& fen);

}  // namespace piecefen
