#include "tools/remote_ui/remote_ui.h"

#include "tools/remote_ui/remote_ui_commands.h"
#include "tools/remote_ui/remote_ui_socket.h"

#include <QLocalSocket>

#include <cstdio>
#include <cstdlib>

namespace crvl {

namespace {

// The program's end of the socket: reads command lines and answers each.
class Connection : public QObject {
public:
    Connection(QObject* owner, QLocalSocket* socket) : QObject(owner), socket_(socket) {
        connect(socket_, &QLocalSocket::readyRead, this, &Connection::ReadCommands);
        // The test has gone: the program carries on as its user left it.
        connect(socket_, &QLocalSocket::disconnected, this, &QObject::deleteLater);
    }

private:
    void ReadCommands() {
        pending_ += socket_->readAll();
        for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending_.left(end));
            pending_.remove(0, end + 1);
            const remote_ui::Reply reply = remote_ui::Execute(line.split(QLatin1Char('\t')));
            QString answer = reply.ok ? QStringLiteral("ok") : QStringLiteral("error");
            if (!reply.value.isEmpty() || !reply.ok)
                answer += QLatin1Char('\t') + remote_ui::EscapeField(reply.value);
            socket_->write(answer.toUtf8() + '\n');
            socket_->flush();
        }
    }

    QLocalSocket* socket_;
    QByteArray pending_;
};

} // namespace

void RemoteUi::StartFromEnvironment(QObject* owner) {
    const char* name = std::getenv("CRVL_REMOTE_UI");
    if (name == nullptr || *name == '\0')
        return;
    const Result<QString> path = remote_ui::SocketPath(QString::fromLocal8Bit(name));
    if (!path.ok()) {
        std::fprintf(stderr, "Remote control refused: %s; running without it\n",
                     path.message().c_str());
        return;
    }
    auto* socket = new QLocalSocket(owner);
    socket->connectToServer(path.value());
    if (!socket->waitForConnected(5000)) {
        std::fprintf(stderr, "Remote control: cannot connect to %s: %s\n",
                     path.value().toLocal8Bit().constData(),
                     socket->errorString().toLocal8Bit().constData());
        delete socket;
        return;
    }
    new Connection(owner, socket);
}

} // namespace crvl
