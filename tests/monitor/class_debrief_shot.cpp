// Writes the session logs of a sample class through the session writer (six
// groups on lesson slot C1, started a few minutes apart today: shocks at
// their own times, one trainer lost for a while, one group that never
// shocked), opens the Class Debrief on today's runs and saves the window as
// a PNG; with a second file name also prints it into that PDF. For
// docs/class-debrief.png (class_debrief_screenshot.sh); not a test.
//   class_debrief_shot OUT.png [OUT.pdf]
#include "config/app/class_debrief_dlg.h"
#include "config/session/session_log.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

using std::chrono::milliseconds;

struct Group {
    const char* name;
    int firstShockMs;  // 0: none
    int secondShockMs; // 0: none
    int lostFromMs, lostToMs;
};

bool WriteRun(const std::filesystem::path& dir, const Group& group,
              std::chrono::system_clock::time_point start) {
    milliseconds now{0};
    crvl::SessionWriter log([&now] { return now; });
    const auto file = dir / (std::string(group.name) + "_" + crvl::SessionFileName(start));
    if (!log.OpenFile(file).ok())
        return false;
    crvl::MonitorRecord r;
    r.scenario = 11;
    r.shockable = 1;
    r.rhythm = 2; // VF
    r.battery = 2;
    r.electrodes = 1;
    auto at = [&](int ms) { now = milliseconds(ms); };
    at(300);
    log.Report(r);
    constexpr int kEndMs = 150000;
    for (const int shock : {group.firstShockMs, group.secondShockMs}) {
        if (shock == 0)
            continue;
        at(shock);
        log.Shock();
        at(shock + 250);
        r.frame = r.frame == 0 ? 1 : 3;
        r.rhythm = r.frame == 1 ? 3 : 0; // asystole after the first, sinus after the second
        r.shockable = 0;
        r.pulse = r.frame == 3 ? 1 : 0;
        log.Report(r);
    }
    if (group.lostFromMs != 0) {
        at(group.lostFromMs);
        log.Lost();
        at(group.lostToMs);
        r.battery = 1;
        log.Report(r);
    }
    at(kEndMs);
    return log.End();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: class_debrief_shot OUT.png [OUT.pdf]\n");
        return 2;
    }
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    const Group groups[] = {
        {"Group A", 38200, 96400, 0, 0},  {"Group B", 52700, 0, 0, 0},
        {"Group C", 41900, 118300, 0, 0}, {"Group D", 35100, 0, 61000, 72500},
        {"Group E", 0, 0, 0, 0},          {"Group F", 64800, 0, 0, 0},
    };
    // Today from a quarter past nine, two minutes apart: the dialog opens on
    // today's runs.
    const QDateTime first(QDate::currentDate(), QTime(9, 15));
    int index = 0;
    for (const Group& group : groups) {
        const auto start =
            std::chrono::system_clock::from_time_t(first.addSecs(120 * index++).toSecsSinceEpoch());
        if (!WriteRun(folder, group, start)) {
            std::fprintf(stderr, "class_debrief_shot: cannot write %s\n", group.name);
            return 1;
        }
    }

    crvl::ClassDebriefDlg dialog(folder, nullptr);
    dialog.resize(900, 420);
    dialog.show();
    app.processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "class_debrief_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc > 2) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setOutputFileName(QString::fromLocal8Bit(argv[2]));
        crvl::PrintClassDebrief(printer, QStringLiteral("Class Debrief"), dialog.Text());
    }
    return 0;
}
