// Start-up time of crvlbuilder: from starting the process to the first
// painting of the started editor's canvas, on the offscreen platform. Each
// iteration runs the real program from build/bin.

#include "builder/app/main_frame.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

void BM_StartupToFirstCanvasPaint(benchmark::State& state) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QString::fromLatin1(crvl::MainFrame::STARTUP_PROBE), QStringLiteral("1"));
    for (auto _ : state) {
        QProcess builder;
        builder.setProcessEnvironment(env);
        builder.setWorkingDirectory(QStringLiteral(CRVL_BIN_DIR));
        const auto start = std::chrono::steady_clock::now();
        builder.start(QStringLiteral(CRVL_BIN_DIR "/crvlbuilder"), {});
        bool painted = false;
        while (!painted && builder.waitForReadyRead(10000)) {
            while (builder.canReadLine()) {
                painted = painted || builder.readLine().startsWith("canvas painted");
            }
        }
        const auto end = std::chrono::steady_clock::now();
        builder.waitForFinished(5000);
        if (!painted) {
            state.SkipWithError("crvlbuilder never painted its canvas");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_StartupToFirstCanvasPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
