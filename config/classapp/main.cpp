#include "config/app/led_ctrl.h"
#include "config/classapp/class_window.h"

#include <QApplication>
#include <QDir>

#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: crvlclass [--help] [--version]\n"
    "\n"
    "Shows every Corvel trainer connected to this PC in one window, one tile\n"
    "per trainer, and runs the class's uploads, parameter writes and monitors\n"
    "on all of them. With CRVL_PORT_DIR set, the entries of that folder are the\n"
    "serial ports (see the manual page).\n"
    "\n"
    "Options:\n"
    "  --help     show this text\n"
    "  --version  show the program's version\n";

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::cout << kUsage;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "crvlclass " CRVL_VERSION "\n";
            return 0;
        }
        std::cerr << "crvlclass: unknown option " << argv[i] << " (see --help)\n";
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlclass"));
    QApplication::setOrganizationName(QStringLiteral("Corvel"));
    crvl::InitConfigResources();
    crvl::ClassroomConfig config;
    // Monitored runs go where crvlconfig keeps its sessions.
    config.station.sessionsFolder =
        QDir::current().filePath(QStringLiteral("sessions")).toStdString();
    crvl::ClassWindow window(std::move(config));
    window.show();
    return QApplication::exec();
}
