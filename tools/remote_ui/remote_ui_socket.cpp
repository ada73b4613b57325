#include "tools/remote_ui/remote_ui_socket.h"

#include <QLocalServer>
#include <QStandardPaths>

namespace crvl::remote_ui {

Result<QString> SocketPath(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return Status::Error(
            QString(QLatin1Char('"') + name +
                    QLatin1String("\" is not a plain socket name in the runtime folder"))
                .toStdString());
    // Qt makes the folder, user-only, when XDG_RUNTIME_DIR is unset, and
    // gives nothing when it cannot have one that only this user may enter.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return Status::Error("there is no private runtime folder (XDG_RUNTIME_DIR)");
    return QString(folder + QLatin1Char('/') + name);
}

Status Listen(QLocalServer& server, const QString& name) {
    const Result<QString> path = SocketPath(name);
    if (!path.ok())
        return path.status();
    QLocalServer::removeServer(path.value());
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(path.value()))
        return Status::Error("cannot listen on " + path.value().toStdString() + ": " +
                             server.errorString().toStdString());
    return Status::Ok();
}

} // namespace crvl::remote_ui
