#pragma once

// Whether standard error is a terminal, where a progress line can be drawn over itself:
// each system answers in its own way, so each has its own file, which the build picks.
namespace piecefen::app {

bool standardErrorIsTerminal();

}  // namespace piecefen::app
