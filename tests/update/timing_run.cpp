// Timing run: one full upload of an image with 64 KiB of data against the
// simulated trainer pacing every byte at the line's speed, with the real
// break, read time-outs and settle times. Prints the wall time, the line-rate
// limit (every byte both ways at its speed: 8N1 at 19200, 8N2 at 56000) and
// their ratio. Not a test: run it by hand (docs/development.md, "Benchmarks and figures").

#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/trainer_sim.h"
#include "update/core/hex_image.h"
#include "update/core/serial_boot_port.h"
#include "update/core/upload_worker.h"

#include <cstdio>
#include <cstdlib>

using namespace crvl;
using namespace crvl::update;

namespace {

struct QuietReporter : UploadReporter {
    std::string shown;
    void AppendMessage(const std::string& text) override { shown += text; }
    void DebugMessage(const std::string&) override {}
    void StepProgressLarge() override {}
    void StepProgressRecord(bool) override {}
    void EnableStartAndSearch() override {}
    void Finished(int) override {}
};

} // namespace

int main(int argc, char** argv) {
    const int dataRecords = argc > 1 ? std::atoi(argv[1]) : 4096; // 16 bytes each
    test::TempDir dir;
    const std::string image = dir.Write("timing.hex", test::MakeHexImage(dataRecords, "\r\n"));

    const Result<LoaderImages> loaded = LoadLoaderImages(CRVL_SOURCE_DIR "/update/loaders");
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s", loaded.message().c_str());
        return 1;
    }
    const LoaderImages& loaders = loaded.value();
    sim::BootloaderOptions options;
    options.baudPacing = true;
    sim::TrainerSim trainer{sim::SimConfig{}};
    if (const Status opened = trainer.Open(); !opened.ok()) {
        std::fprintf(stderr, "trainersim: %s\n", opened.message().c_str());
        return 1;
    }
    auto boot = sim::AttachBootloader(trainer, options);
    trainer.Start();
    ::setenv("CRVL_COM1", trainer.SlavePath().c_str(), 1);

    SerialBootPortFactory ports;
    QuietReporter reporter;
    UploadSettings settings;
    settings.imageName = image;
    settings.portNumber = 1;
    UploadWorker worker(ports, reporter, loaders, settings);
    const auto start = std::chrono::steady_clock::now();
    const int result = worker.Run();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    trainer.Stop();

    // Bytes on the line. 19200 baud, 10 bits a byte: the 0x00 request, the
    // identification byte, both preloaders, the flash loader and its echo.
    const double slowBytes = 1 + 1 + 32 + 78 + 2 * 2048.0;
    // 56000 baud, 11 bits a byte: R, the two codes, the erase replies, the
    // records and one reply each, the RAM test result.
    double recordBytes = 0;
    const auto records = boot->Transmissions();
    for (const auto& r : records)
        recordBytes += static_cast<double>(r.size());
    const double fastBytes = 8 + recordBytes + static_cast<double>(records.size()) + 1;
    const double limit = slowBytes * 10 / 19200 + fastBytes * 11 / 56000;
    // Waits the exchange itself asks for: break hold, two drains of one read
    // time-out each, two settle times.
    const double protocolWaits = 1.5 + 2 * 1.0 + 0.010;

    long long dataBytes = 0;
    for (const auto& r : boot->Records())
        if (r.size() > 5 && r[4] == 0x00)
            dataBytes += r[1];
    std::printf("result %d%s\n", result,
                reporter.shown.find("[E") != std::string::npos ? " (error)" : "");
    std::printf("data bytes %lld in %zu records\n", dataBytes, records.size());
    std::printf("line-rate limit %.2f s (+ %.2f s of protocol waits)\n", limit, protocolWaits);
    std::printf("wall time %.2f s\n", wall);
    std::printf("ratio wall / line-rate limit %.2f; wall / (limit + waits) %.2f\n", wall / limit,
                wall / (limit + protocolWaits));
    return result;
}
