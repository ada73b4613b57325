#include "config/classroom/trainer_station.h"

#include "config/driver/trainer_session.h"
#include "config/session/session_log.h"

#include <cstdio>

namespace crvl {

namespace {

// A trainer that answers is never quiet for longer than from a ping to the
// battery reading (kBatteryTick); 25 ticks (5 s) leave room for a late
// answer and still show a silent trainer as lost within 6 s.
constexpr int kSilenceLimitTicks = 25;
static_assert(kSilenceLimitTicks > kBatteryTick);

ActionOutcome FromOutcome(Outcome outcome) {
    switch (outcome) {
    case Outcome::Done:
        return ActionOutcome::Done;
    case Outcome::Refused:
        return ActionOutcome::Refused;
    case Outcome::NotStored:
        return ActionOutcome::NotStored;
    case Outcome::NoAnswer:
        return ActionOutcome::NoAnswer;
    case Outcome::LineLost:
        return ActionOutcome::LineLost;
    case Outcome::Detached:
        return ActionOutcome::Detached;
    case Outcome::Interrupted:
        return ActionOutcome::NoAnswer;
    }
    return ActionOutcome::NoAnswer;
}

std::string VersionOf(const LinkMachine& machine) {
    if (!machine.VersionReceived())
        return {};
    const auto& v = machine.Version();
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d (HW %.2d)", v[0], v[1], v[2]);
    return text;
}

} // namespace

TrainerStation::TrainerStation(CandidatePort port, std::string name, StationConfig config,
                               std::function<void()> changed)
    : port_(std::move(port)), config_(std::move(config)), changed_(std::move(changed)),
      name_(std::move(name)) {
    thread_ = std::thread(&TrainerStation::Run, this);
}

TrainerStation::~TrainerStation() {
    quit_.store(true, std::memory_order_release);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        wake_.notify_all();
    }
    thread_.join();
}

StationSnapshot TrainerStation::Snapshot() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return snapshot_;
}

template <typename Fn> void TrainerStation::Update(Fn&& fn) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        fn(snapshot_);
    }
    changed_();
}

void TrainerStation::SetName(std::string name) {
    const std::lock_guard<std::mutex> lock(mutex_);
    name_ = std::move(name);
}

void TrainerStation::SetPresent(bool present) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!present)
        wentAway_ = true;
    present_ = present;
    wake_.notify_all();
}

void TrainerStation::Queue(Request request, bool needsIdle) {
    std::optional<ActionOutcome> refused;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const StationState state = snapshot_.state;
        if (state != StationState::Connected && state != StationState::Monitoring)
            refused = ActionOutcome::NotConnected;
        else if (needsIdle && state == StationState::Monitoring)
            refused = ActionOutcome::Busy;
        snapshot_.lastAction = request.kind;
        snapshot_.lastOutcome = refused.value_or(ActionOutcome::Running);
        if (!refused) {
            requests_.push_back(std::move(request));
            requestWaiting_.store(true, std::memory_order_release);
        }
    }
    changed_();
}

void TrainerStation::Upload(int slot, std::string scenarioName, const ScenarioTable& table) {
    Request request;
    request.kind = ActionKind::Upload;
    request.slot = slot;
    request.scenarioName = std::move(scenarioName);
    request.table = table;
    Queue(std::move(request), true);
}

void TrainerStation::WriteParameters(const ParameterRecord& record, const ParameterMask& changed) {
    Request request;
    request.kind = ActionKind::Parameters;
    request.record = record;
    request.mask = changed;
    Queue(std::move(request), true);
}

void TrainerStation::StartMonitor() {
    Request request;
    request.kind = ActionKind::Monitor;
    Queue(std::move(request), true);
}

void TrainerStation::StopMonitor() {
    bool monitoring = false;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        monitoring = snapshot_.state == StationState::Monitoring;
        snapshot_.lastAction = ActionKind::Stop;
        // Stopping is confirmed by the end of the run, not by the trainer:
        // it has nothing to refuse.
        snapshot_.lastOutcome = monitoring ? ActionOutcome::Running : ActionOutcome::NotConnected;
    }
    if (monitoring)
        stopMonitor_.store(true, std::memory_order_release);
    changed_();
}

void TrainerStation::HandOver() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        handOver_ = true;
        wake_.notify_all();
    }
    stopMonitor_.store(true, std::memory_order_release);
    requestWaiting_.store(true, std::memory_order_release);
}

void TrainerStation::TakeBack() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        handOver_ = false;
        if (snapshot_.state == StationState::HandedOver)
            snapshot_.state = StationState::Probing;
        wake_.notify_all();
    }
    changed_();
}

bool TrainerStation::WaitUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_for(lock, timeout,
                          [&] { return quit_.load(std::memory_order_acquire) || done(); });
}

void TrainerStation::Finish(ActionKind kind, ActionOutcome outcome) {
    Update([&](StationSnapshot& s) {
        s.lastAction = kind;
        s.lastOutcome = outcome;
    });
}

void TrainerStation::Run() {
    while (!quit_.load(std::memory_order_acquire)) {
        bool trainer = false;
        bool free = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            trainer = snapshot_.trainer;
            free = snapshot_.state == StationState::HandedOver;
            if (handOver_ || (!present_ && !free)) {
                // Waits for the dialog to give the trainer back, or for the
                // port to be listed again.
                if (handOver_ && !free) {
                    lock.unlock();
                    Update([](StationSnapshot& s) { s.state = StationState::HandedOver; });
                    lock.lock();
                }
                if (!present_ && trainer && snapshot_.state != StationState::Lost && !handOver_) {
                    lock.unlock();
                    Update([](StationSnapshot& s) { s.state = StationState::Lost; });
                    lock.lock();
                }
                wake_.wait(lock, [this] {
                    return quit_.load(std::memory_order_acquire) || (!handOver_ && present_);
                });
                continue;
            }
            if (snapshot_.state == StationState::NotTrainer) {
                wentAway_ = false;
                wake_.wait(lock, [this] {
                    return quit_.load(std::memory_order_acquire) || (wentAway_ && present_);
                });
                if (quit_.load(std::memory_order_acquire))
                    break;
                lock.unlock();
                Update([](StationSnapshot& s) { s.state = StationState::Probing; });
                continue;
            }
        }
        if (!trainer)
            Update([](StationSnapshot& s) { s.state = StationState::Probing; });

        LinkOptions options = config_.link;
        options.devicePath = port_.devicePath;
        TrainerLink link(options);
        TrainerSession session(link, [this] {
            return quit_.load(std::memory_order_acquire) ||
                   (monitorRunning_ && stopMonitor_.load(std::memory_order_acquire));
        });
        const Search found = session.Connect(1, 1);
        if (found == Search::Connected) {
            ReadTrainer(session);
            Hold(session);
            continue;
        }
        if (found == Search::Interrupted)
            break;
        if (trainer) {
            // A trainer that went is tried again until it is back.
            Update([](StationSnapshot& s) { s.state = StationState::Lost; });
            WaitUntil([this] { return handOver_; }, config_.retryInterval);
        } else {
            Update([](StationSnapshot& s) { s.state = StationState::NotTrainer; });
        }
    }
}

void TrainerStation::ReadTrainer(TrainerSession& session) {
    const LinkMachine& machine = session.Machine();
    Update([&](StationSnapshot& s) {
        s.trainer = true;
        s.state = StationState::Connected;
        s.version = VersionOf(machine);
        s.parameters = machine.Parameters();
    });
    if (session.AwaitBattery() == Outcome::Done) {
        Update([&](StationSnapshot& s) { s.battery = machine.BatteryRaw(); });
    }
    if (session.ReadSlots() == Outcome::Done) {
        Update([&](StationSnapshot& s) {
            for (int slot = 1; slot <= kSlotCount; ++slot) {
                s.slotNames[static_cast<std::size_t>(slot - 1)] =
                    std::string(machine.Slot(slot).Name());
            }
        });
    }
}

void TrainerStation::Hold(TrainerSession& session) {
    const LinkMachine& machine = session.Machine();
    std::uint8_t battery = machine.BatteryRaw();
    while (!quit_.load(std::memory_order_acquire)) {
        const bool connected = session.Hold(
            [this] { return requestWaiting_.load(std::memory_order_acquire); }, kSilenceLimitTicks);
        if (machine.BatteryReceived() && machine.BatteryRaw() != battery) {
            battery = machine.BatteryRaw();
            Update([&](StationSnapshot& s) { s.battery = battery; });
        }
        if (!connected)
            break;
        std::optional<Request> request;
        bool handOver = false;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            handOver = handOver_;
            if (!handOver && !requests_.empty()) {
                request = std::move(requests_.front());
                requests_.pop_front();
            }
            requestWaiting_.store(handOver || !requests_.empty(), std::memory_order_release);
        }
        if (handOver) {
            session.Disconnect();
            Update([](StationSnapshot& s) { s.state = StationState::HandedOver; });
            return;
        }
        if (request)
            Execute(session, *request);
    }
    if (quit_.load(std::memory_order_acquire)) {
        session.Leave();
        return;
    }
    // The pending actions cannot reach the trainer any more.
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!requests_.empty()) {
            snapshot_.lastAction = requests_.back().kind;
            snapshot_.lastOutcome = ActionOutcome::LineLost;
        }
        requests_.clear();
        requestWaiting_.store(handOver_, std::memory_order_release);
    }
    Update([](StationSnapshot& s) { s.state = StationState::Lost; });
}

void TrainerStation::Execute(TrainerSession& session, const Request& request) {
    switch (request.kind) {
    case ActionKind::Upload: {
        const Outcome outcome = session.Upload(request.slot, request.scenarioName, request.table);
        Finish(request.kind, FromOutcome(outcome));
        // What the slots hold now, whatever the answer was.
        if (session.ReadSlots() == Outcome::Done) {
            Update([&](StationSnapshot& s) {
                for (int slot = 1; slot <= kSlotCount; ++slot) {
                    s.slotNames[static_cast<std::size_t>(slot - 1)] =
                        std::string(session.Machine().Slot(slot).Name());
                }
            });
        }
        break;
    }
    case ActionKind::Parameters: {
        const ParameterRecord merged =
            MergeParameters(session.Machine().Parameters(), request.record, request.mask);
        const Outcome outcome = session.Write(merged);
        Finish(request.kind, FromOutcome(outcome));
        Update([&](StationSnapshot& s) { s.parameters = session.Machine().Parameters(); });
        break;
    }
    case ActionKind::Monitor:
        Monitor(session);
        break;
    case ActionKind::Stop:
        break;
    }
}

void TrainerStation::Monitor(TrainerSession& session) {
    stopMonitor_.store(false, std::memory_order_release);
    std::string name;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        name = name_;
    }
    Update([](StationSnapshot& s) {
        s.state = StationState::Monitoring;
        s.monitor.reset();
        s.shocks = 0;
        s.sessionLog.clear();
        s.sessionError.clear();
    });

    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> start;
    const auto elapsed = [&] {
        return start ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *start)
                     : std::chrono::milliseconds(0);
    };
    SessionWriter log(elapsed);
    if (!config_.sessionsFolder.empty()) {
        const Status opened =
            log.Open(config_.sessionsFolder, std::chrono::system_clock::now(), name);
        Update([&](StationSnapshot& s) {
            s.sessionLog = log.Path();
            s.sessionError = opened.ok() ? std::string() : opened.message();
        });
    }

    // The session's stop flag is its interruption: Stop ends the run as the
    // monitor dialog's close does (reports off, attached again).
    const LinkMachine& machine = session.Machine();
    std::uint32_t seen = machine.MonitorReports();
    const auto step = [&] {
        if (!start)
            start = Clock::now();
        // From here on Stop ends the run as the monitor dialog's close does
        // (reports off, attached again); earlier it would cut the trainer's
        // quiet time short.
        monitorRunning_ = true;
        const bool report = machine.MonitorReports() != seen;
        const bool shock = session.TakeShock();
        if (report) {
            seen = machine.MonitorReports();
            log.Report(machine.Monitor());
        }
        if (shock)
            log.Shock();
        if (report || shock) {
            Update([&](StationSnapshot& s) {
                s.monitor = machine.Monitor();
                // The first report confirms that the trainer monitors.
                if (s.lastAction == ActionKind::Monitor && s.lastOutcome == ActionOutcome::Running)
                    s.lastOutcome = ActionOutcome::Done;
                if (shock) {
                    ++s.shocks;
                    s.shockShown = false;
                }
            });
        }
    };
    const Outcome outcome = session.Monitor(std::nullopt, step, kSilenceLimitTicks);
    monitorRunning_ = false;
    const bool lost = outcome == Outcome::NoAnswer || outcome == Outcome::LineLost;
    if (lost)
        log.Lost();
    else if (outcome == Outcome::Detached)
        log.Detached();
    const bool written = log.End() || config_.sessionsFolder.empty();
    const bool stopped = stopMonitor_.exchange(false, std::memory_order_acq_rel);
    Update([&](StationSnapshot& s) {
        // A trainer that went is Lost at once, never Connected in between.
        s.state = lost ? StationState::Lost : StationState::Connected;
        if (!written && s.sessionError.empty())
            s.sessionError = log.Error();
        // Monitor's own result: the run ended by Stop is done; a run that
        // ended by itself says why.
        if (stopped) {
            s.lastAction = ActionKind::Stop;
            s.lastOutcome = ActionOutcome::Done;
        } else {
            s.lastAction = ActionKind::Monitor;
            s.lastOutcome = FromOutcome(outcome);
        }
    });
}

} // namespace crvl
