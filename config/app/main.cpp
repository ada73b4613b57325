#include "base/work_folder.h"
#include "config/app/config_app.h"
#include "tools/remote_ui/remote_ui.h"

#include <QApplication>

#include <cstring>
#include <filesystem>
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
    // Started from its installation, crvlconfig keeps its session logs and
    // looks for scenarios in the user's folder.
    if (const crvl::Status entered = crvl::EnterUserWorkFolder(
            std::filesystem::path(QApplication::applicationDirPath().toStdU16String()), {},
            CRVL_VERSION);
        !entered.ok())
        std::cerr << "crvlconfig: " << entered.message() << std::endl;
    crvl::CConfigApp configApp;
    crvl::RemoteUi::StartFromEnvironment(&app);
    return configApp.Run();
}
