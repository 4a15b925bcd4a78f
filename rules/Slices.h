#pragma once

#include "piecefen/Export.h"

namespace piecefen {

// Work done a slice at a time, so that a caller can say how far it is, keep a page
// responsive between slices, or stop: working out endgame tables (Tablebase) and solving a
// problem (Solver) both go this way.
class PIECEFEN_API Slices {
public:
    virtual ~Slices();

    // Whether all of the work is done; step() then does nothing.
    [[nodiscard]] virtual bool done() const = 0;
    // Does the next slice.
    virtual void step() = 0;
    // The share of the work done, from 0 to 1 (1 only once done).
    [[nodiscard]] virtual double fraction() const = 0;

protected:
    Slices() = default;
    Slices(const Slices&) = default;
    Slices(Slices&&) = default;
    Slices& operator=(const Slices&) = default;
    Slices& operator=(Slices&&) = default;
};

}  // namespace piecefen
