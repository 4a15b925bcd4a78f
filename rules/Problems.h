#pragma once

// The names that what is wrong with a position had before 1.7, when "problem" came to mean
// a composition; they keep working through 1.x.
#include "Illegalities.h"

namespace piecefen {

using ProblemKind [[deprecated("use IllegalityKind")]] = IllegalityKind;
using Problem [[deprecated("use Illegality")]] = Illegality;

[[deprecated("use illegalities()")]] inline std::vector<Illegality> problems(const FenPosition& position) {
    return illegalities(position);
}

[[deprecated("use illegalityName()")]] inline std::string_view problemName(IllegalityKind kind) {
    return illegalityName(kind);
}

}  // namespace piecefen
