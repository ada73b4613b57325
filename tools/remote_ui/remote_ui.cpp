#include "tools/remote_ui/remote_ui.h"

#include "tools/remote_ui/remote_ui_commands.h"

#include <QLocalSocket>

#include <cstdio>
#include <cstdlib>

namespace crvl {

void RemoteUi::StartFromEnvironment(QObject* owner) {
    const char* name = std::getenv("CRVL_REMOTE_UI");
    if (name == nullptr || *name == '\0')
        return;
    auto* socket = new QLocalSocket(owner);
    socket->connectToServer(QString::fromLocal8Bit(name));
    if (!socket->waitForConnected(5000)) {
        std::fprintf(stderr, "Remote control: cannot connect to %s: %s\n", name,
                     socket->errorString().toLocal8Bit().constData());
        delete socket;
        return;
    }
    new RemoteUi(owner, socket);
}

RemoteUi::RemoteUi(QObject* owner, QLocalSocket* socket) : QObject(owner), socket_(socket) {
    connect(socket_, &QLocalSocket::readyRead, this, &RemoteUi::ReadCommands);
    // The test has gone: the program carries on as its user left it.
    connect(socket_, &QLocalSocket::disconnected, this, &QObject::deleteLater);
}

void RemoteUi::ReadCommands() {
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

} // namespace crvl
