#pragma once

// Plugs the save and load dialogs and the exit-save question into the
// editor's Save, Load and New commands and into closing the main window.

namespace crvl {

class MainFrame;

void installSaveLoadDialogs(MainFrame& window);

} // namespace crvl
