// Draws the classroom with six simulated trainers playing a lesson, all
// monitored, and saves it as a picture for the documentation:
//   xvfb-run -a build/tests/crvlclass_shot docs/classroom.png
#include "config/app/led_ctrl.h"
#include "config/classapp/class_window.h"
#include "tests/classapp/class_sims.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTest>

#include <chrono>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlclass-shot"));
    crvl::InitConfigResources();
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("classroom.png");
    crvl::testing::ClassSims sims("classshot");
    // The names an instructor gave the six trainers, in settings of the
    // picture's own.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QDir::temp().filePath(QStringLiteral("crvl-classshot-settings")));
    QSettings settings;
    const char* lesson = CRVL_LESSON_DIR "/vf-shock-series.scn";
    for (int n = 1; n <= 6; ++n) {
        crvl::sim::SimConfig config;
        config.scenarioFile = lesson;
        config.scenarioSlot = 1;
        config.model.batteryRaw = static_cast<std::uint8_t>(190 + 5 * n);
        const std::string port = "usb-Corvel_Trainer_SIM000" + std::to_string(n) + "-if00-port0";
        settings.setValue(QStringLiteral("trainerNames/") + QString::fromStdString(port),
                          QStringLiteral("Group %1").arg(n));
        crvl::sim::TrainerSim& sim = sims.Plug(port, config);
        // Each group is somewhere else in the lesson.
        sim.Post([&sim, n] {
            sim.Player().Start(11, sim.Model().slots[0].table);
            if (n % 2 == 0)
                sim.Player().Shock();
            sim.Player().Advance(std::chrono::seconds(25 * n));
        });
    }
    crvl::ClassroomConfig config;
    config.station.sessionsFolder = sims.Sessions();
    crvl::ClassWindow window(config);
    window.resize(1280, 800);
    window.show();
    QTest::qWait(3000);
    window.MonitorAll();
    QTest::qWait(6000);
    return window.grab().save(out) ? 0 : 1;
}
