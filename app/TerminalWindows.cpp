#include "app/Terminal.h"

#include <io.h>

namespace piecefen::app {

bool standardErrorIsTerminal() {
    return _isatty(2) != 0;
}

}  // namespace piecefen::app
