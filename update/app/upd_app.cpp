#include "update/app/upd_app.h"

#include "base/instance_name.h"
#include "update/app/upd_dialog.h"
#include "update/app/upd_strings.h"
#include "update/core/serial_boot_port.h"

#include <QIcon>
#include <QLocalServer>
#include <QLocalSocket>

#include <string>

namespace {

constexpr int kInstanceConnectMs = 500;

} // namespace

CUpdApp::CUpdApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(upd::kCaption));
    // The icon of the window, its task-bar entry and the minimised window.
    Q_INIT_RESOURCE(crvlupd); // the resources live in a static library
    QIcon icon;
    icon.addFile(QStringLiteral(":/crvlupd/crvlupd-48.png"));
    icon.addFile(QStringLiteral(":/crvlupd/crvlupd-256.png"));
    setWindowIcon(icon);
    setApplicationVersion(QStringLiteral("1.2.0.0"));
}

CUpdApp::~CUpdApp() = default;

QString CUpdApp::InstanceName() {
    return QString::fromStdString(crvl::InstanceServerName("crvlupd"));
}

bool CUpdApp::ForwardToRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(InstanceName());
    if (!socket.waitForConnected(kInstanceConnectMs)) {
        return false;
    }
    socket.write("raise\n");
    socket.waitForBytesWritten(kInstanceConnectMs);
    socket.disconnectFromServer();
    return true;
}

int CUpdApp::Run(const crvl::update::CommandLine& commandLine) {
    // A second start brings the running window forward.
    if (ForwardToRunningInstance()) {
        return 0;
    }

    CUpdDlg dialog(
        commandLine,
        std::make_shared<crvl::update::SerialBootPortFactory>([&dialog](std::string_view line) {
            // The port reports from the worker's thread.
            const std::string text(line);
            QMetaObject::invokeMethod(
                &dialog, [&dialog, text] { dialog.DebugMessage(text); }, Qt::QueuedConnection);
        }),
        applicationDirPath().toStdString());

    server_ = new QLocalServer(this);
    QLocalServer::removeServer(InstanceName());
    server_->listen(InstanceName());
    connect(server_, &QLocalServer::newConnection, this, [this, &dialog] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, &dialog, [client, &dialog] {
                if (!client->readAll().contains("raise")) {
                    return;
                }
                if (dialog.isMinimized()) {
                    dialog.showNormal();
                }
                dialog.raise();
                dialog.activateWindow();
            });
        }
    });

    dialog.show();
    dialog.exec();
    server_->close();
    return dialog.ExitCode();
}
