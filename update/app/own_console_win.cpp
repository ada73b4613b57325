#include "update/app/own_console.h"

#include <windows.h>

namespace crvl::update {

void ReleaseOwnConsole() {
    DWORD processes[2];
    // One process on the console: ours, so Windows made it for this start.
    if (::GetConsoleProcessList(processes, 2) == 1)
        ::FreeConsole();
}

} // namespace crvl::update
