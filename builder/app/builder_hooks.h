#pragma once

// Plugs the palette tooltip, printing and the help browser into the
// builder's main window and editor.

namespace crvl {

class MainFrame;

// Gives window its print dialog, print run and help windows, and puts the
// tooltip over the editor's palette. Call once, after building the window
// and before the event loop runs.
void installBuilderSupport(MainFrame& window);

} // namespace crvl
