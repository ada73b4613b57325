#pragma once

// An in-memory serial line with the simulated boot loader at its far end and
// a clock that moves only when the updater waits, so runs take no real time.

#include "tools/trainersim/bootloader_sim.h"
#include "update/core/boot_port.h"
#include "update/core/upload_reporter.h"
#include "update/core/upload_worker.h"

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace crvl::update::test {

struct FakeClock {
    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    void Advance(std::chrono::milliseconds d) { now += d; }
};

class FakeLine : public BootPortFactory {
public:
    explicit FakeLine(sim::BootloaderOptions options = {});

    std::unique_ptr<BootPort> Open(int portNumber, int baud, const StopFlag& stop) override;
    std::string AccessAdvice(int) const override { return accessAdvice; }
    PortTrouble Trouble(int) const override {
        return accessAdvice.empty() ? unusable.value_or(PortTrouble::InUse) : PortTrouble::NoAccess;
    }
    std::string DeviceName(int portNumber) const override {
        return "/dev/fake" + std::to_string(portNumber);
    }

    sim::BootloaderSim& Sim() { return sim_; }
    FakeClock& Clock() { return clock_; }
    UploadWorker::Clock WorkerClock() {
        return [this] { return clock_.now; };
    }
    UploadWorker::Sleep WorkerSleep() {
        return [this](std::chrono::milliseconds d) { clock_.Advance(d); };
    }

    // Faults of the line itself, asked before every read or break.
    std::function<bool()> failRead;  // the read fails
    std::function<bool()> muteReads; // nothing arrives
    std::function<bool()> babble;    // bytes arrive without pause
    std::uint8_t babbleByte = 0x55;
    bool failBreak = false;
    // Set: this user may not open the line, which is then not usable.
    std::string accessAdvice;
    // Set: the line cannot be opened for this reason.
    std::optional<PortTrouble> unusable;
    bool hungUp = false;

    std::vector<int> opened; // baud rates in opening order
    std::vector<int> portNumbers;
    int breaks = 0;
    std::vector<std::chrono::milliseconds> breakHeld; // set to cleared, on the clock

private:
    friend class FakePort;
    std::uint8_t Read(bool& ok, bool& got);
    void Write(const std::uint8_t* data, std::size_t length);

    FakeClock clock_;
    std::optional<std::chrono::steady_clock::time_point> breakSetAt_;
    sim::BootloaderSim sim_;
    std::deque<std::uint8_t> toUpdater_;
    int baud_ = 0;
};

// Collects what a run reports, in order.
struct RecordingReporter : UploadReporter {
    std::string shown; // AppendMessage texts
    std::string all;   // shown and debug texts, interleaved
    int large = 0;
    int records = 0;
    int done = 0;
    int enabled = 0;
    int finished = -1;

    void AppendMessage(const std::string& text) override {
        shown += text;
        all += text;
    }
    void DebugMessage(const std::string& text) override { all += text; }
    void StepProgressLarge() override { ++large; }
    void StepProgressRecord(bool isDone) override { isDone ? ++done : ++records; }
    void EnableStartAndSearch() override { ++enabled; }
    void Finished(int result) override { finished = result; }
};

} // namespace crvl::update::test
