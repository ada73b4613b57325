// What one second of a running scenario monitor costs: 40 steps of the
// 25 ms timer, each with the chart painted once (into a pixmap, as the
// screen would be).
#include "ecg_plot.h"
#include "monitor_dlg.h"

#include <QApplication>
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

void BM_MonitorSecond(benchmark::State& state) {
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
            dialog.Step();
            benchmark::DoNotOptimize(dialog.Plot()->grab());
        }
    }
    state.SetLabel("one second of monitor (40 samples)");
}
BENCHMARK(BM_MonitorSecond)->Unit(benchmark::kMillisecond);

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
