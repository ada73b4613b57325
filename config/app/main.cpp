#include "config/app/config_app.h"
#include "tools/remote_ui/remote_ui.h"

#include <QApplication>

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: crvlconfig\n"
    "\n"
    "Finds the Corvel trainer on COM1..COM16, reads and writes its parameters,\n"
    "uploads custom scenarios and monitors a running scenario. Port n is the\n"
    "device named by CRVL_COM<n>, else the default map (see the manual page).\n"
    "\n"
    "Options:\n"
    "  --help    show this text\n";

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << kUsage;
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlconfig"));
    crvl::CConfigApp configApp;
    crvl::RemoteUi::StartFromEnvironment(&app);
    return configApp.Run();
}
