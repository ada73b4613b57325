#include "config/app/config_app.h"

#include "base/instance_name.h"
#include "config/app/config_dlg.h"
#include "config/app/quit_signals.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <cstdlib>

namespace crvl {
namespace {

constexpr int kConnectWaitMs = 500;

void BringForward(QWidget* window) {
    if (window->isMinimized()) {
        window->showNormal();
    }
    window->raise();
    window->activateWindow();
    // A modal box of the dialog is its last active pop-up; bring it too.
    if (QWidget* popup = QApplication::activeModalWidget()) {
        popup->raise();
        popup->activateWindow();
    }
}

} // namespace

CConfigApp::CConfigApp(QString serverName)
    : serverName_(serverName.isEmpty() ? DefaultServerName() : std::move(serverName)) {}

QString CConfigApp::DefaultServerName() {
    return QString::fromStdString(InstanceServerName("crvlconfig"));
}

bool CConfigApp::ForwardToRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectWaitMs)) {
        return false;
    }
    socket.write("show\n");
    socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool CConfigApp::Listen(QWidget* window) {
    server_ = new QLocalServer(this);
    // A copy that crashed leaves its socket behind; nobody answered on it.
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
        return false;
    }
    connect(server_, &QLocalServer::newConnection, window, [this, window] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            BringForward(window);
        }
    });
    return true;
}

int CConfigApp::Run() {
    if (ForwardToRunningCopy()) {
        return EXIT_SUCCESS;
    }
    CConfigDlg dialog;
    Listen(&dialog);
    QuitSignals quit;
    connect(&quit, &QuitSignals::Received, &dialog, &CConfigDlg::EndOnSignal);
    dialog.exec();
    return EXIT_SUCCESS;
}

} // namespace crvl
