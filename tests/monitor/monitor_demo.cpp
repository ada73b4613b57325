// The configuration tool against an in-process simulated trainer that plays
// a VT scenario from custom slot 1: connects, opens the scenario monitor and
// runs for the given number of milliseconds. monitor_screenshot.sh runs it
// under Xvfb to take docs/monitor.png.
#include "config/app/config_dlg.h"
#include "config/app/control_ids.h"

#include <QApplication>
#include <QTimer>

// The trainer model has a member named slots; Qt's own headers use Q_SLOTS.
#undef slots
#include "tools/trainersim/sim_scenario.h"
#include "tools/trainersim/trainer_sim.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runMs = argc > 1 ? std::atoi(argv[1]) : 6000;

    crvl::sim::TrainerSim trainer(crvl::sim::SimConfig{});
    if (const crvl::Status opened = trainer.Open(); !opened.ok()) {
        std::fprintf(stderr, "monitor_demo: %s\n", opened.message().c_str());
        return 1;
    }
    ::setenv("CRVL_COM1", trainer.SlavePath().c_str(), 1);
    // Slot 1: frame 0 is VT, shockable, no pulse, pads on, battery OK.
    crvl::ScenarioTable table = crvl::sim::BuiltInScenario();
    table.At(0, crvl::sim::cell::kRhythm) = 1;
    crvl::SlotInfo& slot = trainer.Model().slots[0];
    slot.SetName("VT demo");
    slot.table = table;
    trainer.Player().Start(11, table);
    trainer.Start();

    crvl::CConfigDlg dialog;
    dialog.show();
    QTimer::singleShot(200, &dialog, [&dialog] { dialog.Machine().ConnectPressed(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (dialog.Machine().State() == crvl::LinkState::Connected &&
            dialog.Machine().Connected()) {
            poll.stop();
            dialog.SysCommand(crvl::ids::kMonitorCommand);
        }
    });
    poll.start(100);
    QTimer::singleShot(runMs, &app, [] { QCoreApplication::exit(0); });
    app.exec();
    trainer.Stop();
    return 0;
}
