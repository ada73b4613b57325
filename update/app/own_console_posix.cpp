#include "update/app/own_console.h"

namespace crvl::update {

// A terminal is never made for a program here: nothing to give back.
void ReleaseOwnConsole() {}

} // namespace crvl::update
