// The programs' remote control, for the end-to-end tests and the demo
// pictures. A test listens on a socket in the user's runtime folder and
// starts a program with CRVL_REMOTE_UI naming it; the program connects and
// carries out one command per line on its GUI thread: mouse and keyboard
// input to its widgets, and read-back of what they show.
// docs/remote-ui.md describes the commands.
//
// Only builds with the CMake option CRVL_REMOTE_UI (the test presets) have
// it. The others, the packages among them, get remote_ui_off.cpp instead,
// whose start does nothing: their programs hold none of the control's code.
#pragma once

class QObject;

namespace crvl {

struct RemoteUi {
    // Connects to the socket CRVL_REMOTE_UI names; does nothing when it is
    // unset. A name that leads out of the runtime folder, or a socket that
    // cannot be reached, is reported on stderr and the program runs on
    // without remote control.
    static void StartFromEnvironment(QObject* owner);
};

} // namespace crvl
