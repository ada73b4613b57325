// What the classroom costs with eight trainers: the process's CPU time per
// second of monitoring all eight (as a share of one core), its peak memory,
// and the time from start until all eight have their tiles when the folder
// lists sixteen ports, eight of which answer nothing. The simulated trainers
// run in this process, so the CPU and memory figures include theirs: they
// are an upper bound of the classroom's own.
#include "config/classroom/classroom.h"
#include "tests/classapp/class_sims.h"
#include "tests/classroom/process_cpu.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double PeakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::size_t CountIn(const crvl::Classroom& room, crvl::StationState state) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < room.Count(); ++i)
        count += room.Station(i).Snapshot().state == state ? 1 : 0;
    return count;
}

// A pseudo-terminal nobody answers on, listed in the ports folder.
class DeadPort {
public:
    explicit DeadPort(const std::filesystem::path& link) : link_(link) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master_);
        ::unlockpt(master_);
        std::filesystem::create_symlink(::ptsname(master_), link_);
    }
    ~DeadPort() {
        std::filesystem::remove(link_);
        ::close(master_);
    }
    DeadPort(const DeadPort&) = delete;
    DeadPort& operator=(const DeadPort&) = delete;

private:
    std::filesystem::path link_;
    int master_ = -1;
};

constexpr int kTrainers = 8;

void BM_EightTrainersMonitored(benchmark::State& state) {
    crvl::testing::ClassSims sims("classbench");
    for (int i = 0; i < kTrainers; ++i)
        sims.Plug("trainer-" + std::to_string(i));
    crvl::ClassroomConfig config;
    config.station.sessionsFolder = sims.Sessions();
    crvl::Classroom room(config, [](std::size_t) {});
    room.Start();
    if (!WaitFor([&] { return CountIn(room, crvl::StationState::Connected) == kTrainers; }, 10s)) {
        state.SkipWithError("the trainers did not connect");
        return;
    }
    room.MonitorAll(room.Trainers());
    const auto reporting = [&] {
        for (std::size_t i : room.Trainers()) {
            if (!room.Station(i).Snapshot().monitor)
                return false;
        }
        return true;
    };
    if (!WaitFor(reporting, 10s)) {
        state.SkipWithError("the trainers did not report");
        return;
    }
    for (auto _ : state) {
        const double cpu = crvl::testing::CpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(1s);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["cpu_pct_of_one_core"] = 100.0 * (crvl::testing::CpuSeconds() - cpu) / wall;
    }
    state.counters["peak_MB"] = PeakMegabytes();
    state.SetLabel("eight trainers monitored, simulators in the process");
    room.StopAll(room.Trainers());
}
BENCHMARK(BM_EightTrainersMonitored)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

void BM_AllTilesWithSixteenPorts(benchmark::State& state) {
    for (auto _ : state) {
        crvl::testing::ClassSims sims("classbench16");
        std::vector<std::unique_ptr<DeadPort>> dead;
        for (int i = 0; i < kTrainers; ++i) {
            sims.Plug("trainer-" + std::to_string(i));
            dead.push_back(std::make_unique<DeadPort>(sims.Port("nothing-" + std::to_string(i))));
        }
        const auto start = Clock::now();
        crvl::Classroom room({}, [](std::size_t) {});
        room.Start();
        if (!WaitFor([&] { return room.Trainers().size() == kTrainers; }, 10s)) {
            state.SkipWithError("not all trainers got their tiles");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetLabel("from start until eight of sixteen ports have tiles");
}
BENCHMARK(BM_AllTilesWithSixteenPorts)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
