#include "config_app.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlconfig"));
    crvl::CConfigApp configApp;
    return configApp.Run();
}
