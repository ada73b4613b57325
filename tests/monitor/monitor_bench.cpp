// What one second of a running scenario monitor costs: 40 steps of the
// 25 ms timer, each with the chart painted once (into a pixmap, as the
// screen would be).
#include "config/app/ecg_plot.h"
#include "config/app/monitor_dlg.h"
#include "config/session/session_log.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "monitor_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Seconds of the monitor, 40 steps each with the chart painted once. With
// frameChanges each of the trainer's four reports a second shows another
// frame, and log (when given) writes it.
void MonitorSeconds(benchmark::State& state, bool frameChanges, crvl::SessionWriter* log) {
    App();
    crvl::MonitorRecord record;
    record.scenario = 12;
    record.rhythm = 1; // VT
    record.shockable = 1;
    record.battery = 2;
    crvl::CMonitorDlg dialog(record, [] { return false; });
    dialog.StepTimer()->stop();
    dialog.show();
    for (auto _ : state) {
        for (int tick = 0; tick < 40; ++tick) {
            if (frameChanges && tick % 10 == 0) {
                record.frame = static_cast<std::uint8_t>((record.frame + 1) % 20);
                if (log != nullptr)
                    log->Report(record);
            }
            dialog.Step();
            benchmark::DoNotOptimize(dialog.Plot()->grab());
        }
    }
}

void BM_MonitorSecond(benchmark::State& state) {
    MonitorSeconds(state, false, nullptr);
    state.SetLabel("one second of monitor (40 samples)");
}
BENCHMARK(BM_MonitorSecond)->Unit(benchmark::kMillisecond);

bool OpenLog(crvl::SessionWriter& log, const QTemporaryDir& dir, benchmark::State& state) {
    const crvl::Status opened = log.Open(dir.path().toStdString());
    if (!opened.ok())
        state.SkipWithError(opened.message().c_str());
    return opened.ok();
}

// The same second with the session log written: each of the trainer's four
// reports changes the frame, so every one becomes a flushed line (a real
// run writes far fewer).
void BM_MonitorSecondLogged(benchmark::State& state) {
    QTemporaryDir dir;
    crvl::SessionWriter log;
    if (!OpenLog(log, dir, state))
        return;
    MonitorSeconds(state, true, &log);
    state.SetLabel("one second of monitor with its session log");
}
BENCHMARK(BM_MonitorSecondLogged)->Unit(benchmark::kMillisecond);

// The logged second's reports without the log: what the monitor itself does
// with four frame changes a second.
void BM_MonitorSecondFrames(benchmark::State& state) {
    MonitorSeconds(state, true, nullptr);
    state.SetLabel("one second of monitor, four frame changes, no log");
}
BENCHMARK(BM_MonitorSecondFrames)->Unit(benchmark::kMillisecond);

// One report that changes the frame: one line formatted, written and flushed.
void BM_SessionLineWritten(benchmark::State& state) {
    QTemporaryDir dir;
    crvl::SessionWriter log;
    if (!OpenLog(log, dir, state))
        return;
    crvl::MonitorRecord report;
    for (auto _ : state) {
        report.frame = static_cast<std::uint8_t>((report.frame + 1) % 20);
        benchmark::DoNotOptimize(log.Report(report));
    }
}
BENCHMARK(BM_SessionLineWritten)->Unit(benchmark::kMicrosecond);

// A report that changes nothing: compared and dropped.
void BM_SessionReportUnchanged(benchmark::State& state) {
    QTemporaryDir dir;
    crvl::SessionWriter log;
    if (!OpenLog(log, dir, state))
        return;
    const crvl::MonitorRecord report;
    log.Report(report);
    for (auto _ : state)
        benchmark::DoNotOptimize(log.Report(report));
}
BENCHMARK(BM_SessionReportUnchanged)->Unit(benchmark::kMicrosecond);

void BM_ChartAppendPoint(benchmark::State& state) {
    App();
    crvl::CEcgPlot plot;
    plot.Create(QRect(0, 0, 540, 185), nullptr, 1054);
    plot.SetRange(-20.0, 20.0, 1);
    double value = 0.0;
    for (auto _ : state) {
        plot.AppendPoint(value);
        value = value > 15.0 ? -15.0 : value + 1.0;
    }
}
BENCHMARK(BM_ChartAppendPoint)->Unit(benchmark::kMicrosecond);

} // namespace
