#include "config_app.h"
#include "remote_ui.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlconfig"));
    crvl::CConfigApp configApp;
    crvl::RemoteUi::StartFromEnvironment(&app);
    return configApp.Run();
}
