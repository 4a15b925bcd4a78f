#include "app/Terminal.h"

#include <unistd.h>

namespace piecefen::app {

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

}  // namespace piecefen::app
