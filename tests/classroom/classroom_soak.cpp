// The classroom's soak: the classroom's logic without its window monitors
// the trainers of a separate `trainersim --count N` process for a while and
// injects random faults through that process's command input (noise,
// hang-ups, unplug and plug, silent stretches), then checks that no station
// showed Connected or Monitoring while its trainer could not have reported
// it, that every trainer was back within 15 s of its fault's end, that every session file reads
// back whole with its lines in order, and that the resident memory grew by less than 5 MB after the
// first minute. scripts/soak-class.sh starts both; this program prints PASS and FAIL lines and
// exits non-zero on a failure.
//
//   classroom_soak --commands FIFO --sessions DIR --seconds S [--trainers N]
// The ports are the ones CRVL_PORT_DIR lists.
#include "config/classroom/classroom.h"
#include "config/session/session_read.h"
#include "tests/classroom/process_cpu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A trainer stays silent up to the station's silence limit (5 s) before it
// is lost, and the station shows it within 6 s; a pulled cable fails the
// line at once. Both get a second more for the snapshot to follow.
constexpr auto kSilentGrace = 7s;
// Before a monitored run the tool itself is quiet for 2.5 s and the trainer
// sends nothing: a silence that begins then is counted from the run's start.
constexpr auto kMonitorQuietTime = 3s;
constexpr auto kLineGrace = 2s;
// A trainer whose fault has ended is back (Connected or Monitoring) within
// this time: the station's retry, the handshake, a missed ping's loss.
constexpr auto kBackLimit = 15s;
constexpr double kGrowthLimitMb = 5.0;

enum class Fault { None, Noise, HangUp, Unplug, Silent };

const char* FaultName(Fault fault) {
    switch (fault) {
    case Fault::None:
        return "none";
    case Fault::Noise:
        return "noise";
    case Fault::HangUp:
        return "hang-up";
    case Fault::Unplug:
        return "unplug";
    case Fault::Silent:
        return "silent";
    }
    return "none";
}

struct Trainer {
    Fault fault = Fault::None;
    Clock::time_point since{};
    Clock::time_point until{};
    Clock::time_point monitorAsked{}; // when the driver last started its monitor
    Clock::time_point healthySince{}; // when its last fault ended
    Fault lastFault = Fault::None;
    // How long after its last fault a station still showed it away, and as which.
    std::optional<Clock::duration> awayBeyond;
    crvl::StationState awayState = crvl::StationState::Lost;
    // How long into the fault a station last showed Connected or Monitoring
    // beyond the fault's limit, and as which.
    std::optional<Clock::duration> liveBeyond;
    crvl::StationState liveState = crvl::StationState::Connected;
};

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0.0;
}

// trainersim numbers its trainers from 1 and names their links
// "usb-Corvel_Trainer_SIM0003-if00-port0"; 0 for another port.
int TrainerNumber(const std::string& stableName) {
    const auto at = stableName.find("_SIM");
    return at == std::string::npos ? 0 : std::atoi(stableName.c_str() + at + 4);
}

bool Live(crvl::StationState state) {
    return state == crvl::StationState::Connected || state == crvl::StationState::Monitoring;
}

// Every line read, its times never going back, and the run's last line an
// end of the run (end, lost or detached) with nothing after it.
std::string CheckRun(const crvl::SessionRun& run) {
    if (!run.Complete())
        return "line " + std::to_string(run.stoppedAtLine) + ": " + run.problem;
    if (run.lines.empty())
        return "no lines";
    double time = 0.0;
    for (std::size_t i = 0; i < run.lines.size(); ++i) {
        const auto& line = run.lines[i];
        if (line.time < time)
            return "line " + std::to_string(i + 2) + " goes back in time";
        time = line.time;
        const bool last = i + 1 == run.lines.size();
        if (line.event == crvl::SessionEvent::End && !last)
            return "lines after the end";
    }
    if (run.lines.back().event != crvl::SessionEvent::End)
        return "no end line";
    return {};
}

struct Options {
    std::string commands;
    std::string sessions;
    int seconds = 1800;
    int trainers = 8;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--commands")
            options.commands = value;
        else if (name == "--sessions")
            options.sessions = value;
        else if (name == "--seconds")
            options.seconds = std::atoi(value.c_str());
        else if (name == "--trainers")
            options.trainers = std::atoi(value.c_str());
        else
            return false;
    }
    return !options.commands.empty() && !options.sessions.empty() && options.seconds > 0 &&
           options.trainers > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: classroom_soak --commands FIFO --sessions DIR --seconds S "
                             "[--trainers N]\n");
        return 2;
    }
    // Opening the FIFO lets trainersim start: its standard input is the
    // FIFO's other end.
    std::ofstream commands(options.commands);
    const auto send = [&](int trainer, const std::string& command) {
        commands << trainer << ' ' << command << '\n' << std::flush;
    };

    crvl::ClassroomConfig config;
    config.station.sessionsFolder = options.sessions;
    auto room = std::make_unique<crvl::Classroom>(config, [](std::size_t) {});
    room->Start();
    const auto count = static_cast<std::size_t>(options.trainers);
    const auto connected = [&] {
        std::size_t n = 0;
        for (std::size_t i : room->Trainers())
            n += room->Station(i).Snapshot().state == crvl::StationState::Connected ? 1 : 0;
        return n;
    };
    for (auto end = Clock::now() + 30s; connected() < count && Clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    if (connected() < count) {
        std::printf("FAIL start: %zu of %zu trainers connected within 30 s\n", connected(), count);
        return 1;
    }
    room->MonitorAll(room->Trainers());
    const auto monitoring = [&] {
        for (std::size_t i : room->Trainers()) {
            if (!room->Station(i).Snapshot().monitor)
                return false;
        }
        return true;
    };
    for (auto end = Clock::now() + 30s; !monitoring() && Clock::now() < end;)
        std::this_thread::sleep_for(100ms);
    if (!monitoring()) {
        std::printf("FAIL start: not every trainer reported within 30 s\n");
        return 1;
    }

    // The classroom's own CPU share: eight monitored, no faults, the
    // simulators in their own process.
    {
        const double cpu = crvl::testing::CpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(10s);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("cpu: %.2f %% of one core over %.0f s, %zu trainers monitored, no faults\n",
                    100.0 * (crvl::testing::CpuSeconds() - cpu) / wall, wall, count);
    }

    std::mt19937 random(12345);
    const auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::map<int, Trainer> trainers;
    for (int t = 1; t <= options.trainers; ++t)
        trainers[t] = {};
    std::map<Fault, int> injected;
    std::set<std::string> logsSeen;
    std::vector<std::string> violations;
    int lostWhileHealthy = 0;
    std::map<std::size_t, crvl::StationState> lastState;
    // "trainer 3 shown Lost 16000 ms after ..." for a state shown too long.
    const auto report = [&](int number, crvl::StationState state, Clock::duration shown,
                            const std::string& when) {
        violations.push_back(
            "trainer " + std::to_string(number) + " shown " + std::string(crvl::StateText(state)) +
            " " +
            std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(shown).count()) +
            " ms " + when);
    };
    const auto closeAbsence = [&](int number, Trainer& trainer) {
        if (trainer.awayBeyond)
            report(number, trainer.awayState, *trainer.awayBeyond,
                   std::string("after its fault (") + FaultName(trainer.lastFault) + ") ended");
        trainer.awayBeyond.reset();
    };
    const auto closeIncident = [&](int number, Trainer& trainer) {
        if (trainer.liveBeyond)
            report(number, trainer.liveState, *trainer.liveBeyond,
                   std::string("into ") + FaultName(trainer.fault));
        trainer.liveBeyond.reset();
    };

    const auto begin = Clock::now();
    const auto end = begin + std::chrono::seconds(options.seconds);
    const auto firstMinute = begin + std::min(60s, std::chrono::seconds(options.seconds / 3));
    double rssAfterFirstMinute = 0.0;
    const double cpuBegin = crvl::testing::CpuSeconds();
    auto nextFault = begin + 2s;
    for (auto& [number, trainer] : trainers)
        trainer.healthySince = begin;

    while (Clock::now() < end) {
        const auto now = Clock::now();
        if (rssAfterFirstMinute == 0.0 && now >= firstMinute)
            rssAfterFirstMinute = ResidentMegabytes();
        // Faults end, and new ones start on trainers without one.
        for (auto& [number, trainer] : trainers) {
            if (trainer.fault == Fault::None || now < trainer.until)
                continue;
            closeIncident(number, trainer);
            if (trainer.fault == Fault::Noise)
                send(number, "garbage off");
            else if (trainer.fault == Fault::Silent)
                send(number, "silent off");
            else
                send(number, "plug");
            trainer.lastFault = trainer.fault;
            trainer.fault = Fault::None;
            trainer.healthySince = now;
        }
        if (now >= nextFault) {
            const int number = between(1, options.trainers);
            Trainer& trainer = trainers[number];
            if (trainer.fault == Fault::None) {
                closeAbsence(number, trainer);
                trainer.fault = static_cast<Fault>(between(1, 4));
                trainer.since = now;
                // Silent stretches both shorter and longer than the limit.
                trainer.until = now + std::chrono::seconds(between(2, 10));
                switch (trainer.fault) {
                case Fault::Noise:
                    send(number, "garbage on");
                    break;
                case Fault::HangUp:
                    send(number, "hang-up");
                    break;
                case Fault::Unplug:
                    send(number, "unplug");
                    break;
                case Fault::Silent:
                    send(number, "silent on");
                    break;
                case Fault::None:
                    break;
                }
                ++injected[trainer.fault];
            }
            nextFault = now + std::chrono::milliseconds(between(500, 3000));
        }
        // What each station shows against what its trainer can report.
        std::vector<std::size_t> idle;
        for (std::size_t i : room->Trainers()) {
            const crvl::StationSnapshot s = room->Station(i).Snapshot();
            const int number = TrainerNumber(room->Station(i).Port().stableName);
            const Trainer trainer = trainers[number];
            if (!s.sessionLog.empty())
                logsSeen.insert(s.sessionLog.string());
            const auto faultAge = now - trainer.since;
            const bool lineGone = trainer.fault == Fault::HangUp || trainer.fault == Fault::Unplug;
            const auto quietLeft = trainer.monitorAsked + kMonitorQuietTime - trainer.since;
            const auto silentGrace =
                kSilentGrace + std::max(Clock::duration::zero(),
                                        std::min<Clock::duration>(quietLeft, kMonitorQuietTime));
            if (Live(s.state) && ((lineGone && faultAge > kLineGrace) ||
                                  (trainer.fault == Fault::Silent && faultAge > silentGrace))) {
                trainers[number].liveBeyond = faultAge;
                trainers[number].liveState = s.state;
            }
            if (trainer.fault == Fault::None && !Live(s.state) &&
                now - trainer.healthySince > kBackLimit) {
                trainers[number].awayBeyond = now - trainer.healthySince;
                trainers[number].awayState = s.state;
            }
            if (s.state == crvl::StationState::Lost && lastState[i] != crvl::StationState::Lost &&
                trainer.fault == Fault::None)
                ++lostWhileHealthy;
            lastState[i] = s.state;
            // The instructor starts the monitor again on a trainer that is back.
            if (s.state == crvl::StationState::Connected && trainer.fault == Fault::None) {
                idle.push_back(i);
                trainers[number].monitorAsked = now;
            }
        }
        if (!idle.empty())
            room->MonitorAll(idle);
        std::this_thread::sleep_for(100ms);
    }
    for (auto& [number, trainer] : trainers) {
        closeIncident(number, trainer);
        closeAbsence(number, trainer);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    const double cpuUnderFaults = 100.0 * (crvl::testing::CpuSeconds() - cpuBegin) / wall;
    const double rssEnd = ResidentMegabytes();

    room->StopAll(room->Trainers());
    std::this_thread::sleep_for(3s);
    room.reset(); // ends every run's log

    bool failed = false;
    int total = 0;
    for (const auto& [fault, n] : injected) {
        std::printf("faults: %d %s\n", n, FaultName(fault));
        total += n;
    }
    std::printf("soak: %zu trainers, %.0f s, %d faults, %d losses of a healthy trainer, "
                "cpu %.2f %% of one core under faults\n",
                count, wall, total, lostWhileHealthy, cpuUnderFaults);

    if (violations.empty()) {
        std::printf("PASS states: no station shown Connected or Monitoring while its trainer "
                    "was unplugged, hung up or silent beyond the limit, and every trainer "
                    "back within %lld s of its fault's end\n",
                    static_cast<long long>(kBackLimit.count()));
    } else {
        failed = true;
        for (const auto& v : violations)
            std::printf("FAIL states: %s\n", v.c_str());
    }

    const auto files = crvl::ListSessions(options.sessions);
    std::set<std::string> onDisk;
    int badFiles = 0;
    std::size_t lines = 0;
    for (const auto& file : files) {
        onDisk.insert(file.string());
        const crvl::SessionRun run = crvl::ReadSession(file);
        lines += run.lines.size();
        if (const std::string problem = CheckRun(run); !problem.empty()) {
            ++badFiles;
            std::printf("FAIL session %s: %s\n", file.filename().c_str(), problem.c_str());
        }
    }
    int missing = 0;
    for (const auto& log : logsSeen) {
        if (!onDisk.count(log)) {
            ++missing;
            std::printf("FAIL session %s: the station logged it, the folder lacks it\n",
                        log.c_str());
        }
    }
    // A run that ends within one look (100 ms) is on disk but was never
    // seen, so the folder may hold more runs than were seen, never fewer.
    if (badFiles == 0 && missing == 0) {
        std::printf("PASS sessions: %zu runs on disk (%zu seen running), %zu lines, every file "
                    "whole, in order and ended\n",
                    files.size(), logsSeen.size(), lines);
    } else {
        failed = true;
    }

    const double growth = rssEnd - rssAfterFirstMinute;
    std::printf("%s memory: resident %.1f MB after the first minute, %.1f MB at the end, "
                "growth %.2f MB (limit %.0f MB)\n",
                growth < kGrowthLimitMb ? "PASS" : "FAIL", rssAfterFirstMinute, rssEnd, growth,
                kGrowthLimitMb);
    failed = failed || growth >= kGrowthLimitMb;
    return failed ? 1 : 0;
}
