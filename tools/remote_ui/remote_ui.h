// The programs' remote control. A test starts a program with CRVL_REMOTE_UI
// naming a local socket it listens on; the program connects and carries out
// one command per line on its GUI thread: mouse and keyboard input to its
// widgets, and read-back of what they show. Without the variable nothing is
// opened. docs/remote-ui.md describes the commands.
#pragma once

#include <QByteArray>
#include <QObject>

class QLocalSocket;

namespace crvl {

class RemoteUi : public QObject {
    Q_OBJECT
public:
    // Connects to the socket CRVL_REMOTE_UI names; does nothing when it is
    // unset. A socket that cannot be reached is reported on stderr and the
    // program runs on without remote control.
    static void StartFromEnvironment(QObject* owner);

private:
    RemoteUi(QObject* owner, QLocalSocket* socket);
    void ReadCommands();

    QLocalSocket* socket_;
    QByteArray pending_;
};

} // namespace crvl
