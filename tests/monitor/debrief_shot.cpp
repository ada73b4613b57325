// Writes a sample session log through the session writer (a run of slot C1:
// VF, a loose pad, two shocks, CPR into asystole and back, sinus at last),
// opens its Session Debrief and saves the window as a PNG; with a second
// file name also prints the debrief into that PDF. For the documentation
// pictures (debrief_screenshot.sh); not a test.
//   debrief_shot OUT.png [OUT.pdf]
#include "config/app/debrief_dlg.h"
#include "config/session/session_log.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: debrief_shot OUT.png [OUT.pdf]\n");
        return 2;
    }
    QTemporaryDir dir;
    std::chrono::milliseconds now{0};
    crvl::SessionWriter log([&now] { return now; });
    if (const crvl::Status opened = log.Open(dir.path().toStdString()); !opened.ok()) {
        std::fprintf(stderr, "debrief_shot: %s\n", opened.message().c_str());
        return 1;
    }
    crvl::MonitorRecord r;
    r.scenario = 11;
    r.shockable = 1;
    r.rhythm = 2; // VF
    r.battery = 2;
    auto at = [&](int ms) { now = std::chrono::milliseconds(ms); };
    at(250);
    log.Report(r);
    at(12000);
    r.electrodes = 1;
    log.Report(r);
    at(15500);
    r.electrodes = 0;
    log.Report(r);
    at(31200);
    log.Shock();
    at(31450);
    r.frame = 1;
    log.Report(r);
    at(62000);
    r.frame = 2;
    r.rhythm = 3; // asystole
    r.shockable = 0;
    log.Report(r);
    at(92000);
    r.frame = 0;
    r.rhythm = 2;
    r.shockable = 1;
    log.Report(r);
    at(104700);
    log.Shock();
    at(104950);
    r.frame = 3;
    r.rhythm = 0; // sinus
    r.shockable = 0;
    r.pulse = 1;
    log.Report(r);
    at(150000);
    log.End();

    crvl::CDebriefDlg dialog(log.Path());
    dialog.show();
    app.processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "debrief_shot: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc > 2) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromLocal8Bit(argv[2]));
        crvl::PrintDebrief(printer, dialog.Text(), dialog.Figures());
    }
    return 0;
}
