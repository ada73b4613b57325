// Where the remote control's socket lives. The test listens there and the
// program connects there, both by the bare name CRVL_REMOTE_UI carries. The
// place is always the user's runtime folder (XDG_RUNTIME_DIR, which only its
// owner may enter), never a shared folder such as /tmp, where another user
// could reach the program's windows or put a socket of their own in its
// place.
#pragma once

#include "base/status.h"

#include <QString>

class QLocalServer;

namespace crvl::remote_ui {

// The socket's path for NAME, or why NAME is refused: it must be a plain
// file name, so a path of any kind ("/tmp/x", "../x", "a/b") is refused.
Result<QString> SocketPath(const QString& name);

// The test's end: listens on the socket for NAME, which only this user may
// connect to.
Status Listen(QLocalServer& server, const QString& name);

} // namespace crvl::remote_ui
