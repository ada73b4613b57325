// crvlupd is a console program, so that cmd.exe and batch files wait for an
// unattended run and get its exit code and reports. Started from the Start
// menu or Explorer, Windows gives it a console of its own; the window run
// gives that console back so that no empty console stands beside the dialog.
#pragma once

namespace crvl::update {

// Closes the program's console when no other program shares it (it was made
// for this program alone); a console the user started it from stays.
void ReleaseOwnConsole();

} // namespace crvl::update
