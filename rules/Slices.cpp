#include "rules/Slices.h"

namespace piecefen {

// Defined here, so that the interface's type information lives in the library once.
Slices::~Slices() = default;

}  // namespace piecefen
