// Draws the main dialog connected to the simulated trainer and saves it as
// a picture for the documentation:
//   xvfb-run -a build/tests/crvlconfig_shot docs/crvlconfig.png
#include "tests/config/sim_link.h"

#include "config/app/config_dlg.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("crvlconfig.png");
    auto link = std::make_unique<crvl::testing::SimLink>();
    link->goodPorts = {3};
    link->model.batteryRaw = 215;
    crvl::CConfigDlg dialog(std::move(link));
    dialog.TickTimer()->stop();
    dialog.show();
    dialog.Machine().ConnectPressed();
    for (int tick = 0; tick < 10; ++tick) {
        QCoreApplication::processEvents();
        dialog.Machine().Tick();
    }
    QTest::qWait(300);
    return dialog.grab().save(out) ? 0 : 1;
}
