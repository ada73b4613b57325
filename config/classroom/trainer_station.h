// One trainer of the classroom: a worker thread that holds the trainer on
// its port through the configuration tool's connection logic (a
// TrainerSession), keeps it connected, finds it again when it comes back,
// and runs the class's actions on it one at a time. The window reads what
// the station knows as a snapshot; changed() is called on the worker's
// thread whenever the snapshot may differ.
#pragma once

#include "config/classroom/station_state.h"
#include "link/trainer_link.h"
#include "protocol/trainer_messages.h"
#include "serial/port_discovery.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace crvl {

class TrainerSession;

struct StationConfig {
    // Where monitored runs are logged; empty logs nothing.
    std::filesystem::path sessionsFolder;
    // Nobody waits at this port's own dialog: the link drains and closes
    // quickly, as crvlctl's does.
    LinkOptions link = LinkOptions::ForCommandLine();
    // How often a lost trainer's port is tried again.
    std::chrono::milliseconds retryInterval{1000};
};

class TrainerStation {
public:
    TrainerStation(CandidatePort port, std::string name, StationConfig config,
                   std::function<void()> changed);
    // Leaves the trainer as crvlconfig's exit does and joins the worker.
    ~TrainerStation();
    TrainerStation(const TrainerStation&) = delete;
    TrainerStation& operator=(const TrainerStation&) = delete;

    StationSnapshot Snapshot() const;
    const CandidatePort& Port() const { return port_; }

    // The instructor's name for the trainer; the next session log takes it.
    void SetName(std::string name);
    // The system lists the port (true) or no longer does. A port that was
    // no trainer is tried again once it went and came back.
    void SetPresent(bool present);

    // The class's actions, queued; each ends with a result in the snapshot.
    // A trainer that is not connected (or monitoring, for an upload or a
    // write) gets NotConnected or Busy at once.
    void Upload(int slot, std::string scenarioName, const ScenarioTable& table);
    // Bytes whose mask entry is false keep the trainer's own value.
    void WriteParameters(const ParameterRecord& record, const ParameterMask& changed);
    void StartMonitor();
    void StopMonitor();

    // Lets the trainer go (monitor off, detached, port closed) so that
    // another program may take it; the snapshot shows HandedOver once it is
    // free. TakeBack connects again.
    void HandOver();
    void TakeBack();

private:
    struct Request {
        ActionKind kind = ActionKind::Upload;
        int slot = 1;
        std::string scenarioName;
        ScenarioTable table{};
        ParameterRecord record;
        ParameterMask mask{};
    };

    void Run();
    void Hold(TrainerSession& session);
    void Execute(TrainerSession& session, const Request& request);
    void Monitor(TrainerSession& session);
    void ReadTrainer(TrainerSession& session);
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    void Queue(Request request, bool needsIdle);
    void Finish(ActionKind kind, ActionOutcome outcome);
    template <typename Fn> void Update(Fn&& fn);

    const CandidatePort port_;
    const StationConfig config_;
    const std::function<void()> changed_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    StationSnapshot snapshot_;
    std::string name_;
    std::deque<Request> requests_;
    bool present_ = true;
    bool wentAway_ = false;
    bool handOver_ = false;
    // Read by the session between its steps.
    std::atomic<bool> quit_{false};
    std::atomic<bool> stopMonitor_{false};
    std::atomic<bool> requestWaiting_{false};
    // Only the worker's thread: the monitor's reports have begun.
    bool monitorRunning_ = false;
    std::thread thread_;
};

} // namespace crvl
