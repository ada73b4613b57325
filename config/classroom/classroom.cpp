#include "config/classroom/classroom.h"

#include <algorithm>

namespace crvl {

Classroom::Classroom(ClassroomConfig config, Changed changed)
    : config_(std::move(config)), changed_(std::move(changed)) {}

Classroom::~Classroom() {
    watch_.reset();
    // Each station leaves its trainer on its own thread; asking them all
    // first lets them do so side by side.
    std::vector<std::unique_ptr<TrainerStation>> stations;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stations.swap(stations_);
    }
    std::vector<std::thread> leaving;
    for (auto& station : stations)
        leaving.emplace_back([s = std::move(station)]() mutable { s.reset(); });
    for (std::thread& t : leaving)
        t.join();
}

void Classroom::Start() {
    Refresh();
    watch_ = std::make_unique<PortWatch>([this] { Refresh(); });
}

void Classroom::Refresh() {
    const std::lock_guard<std::mutex> refreshing(refreshMutex_);
    const std::vector<CandidatePort> ports = config_.listPorts();
    std::vector<std::size_t> added;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& station : stations_) {
            const bool present = std::any_of(ports.begin(), ports.end(), [&](const auto& p) {
                return p.stableName == station->Port().stableName;
            });
            station->SetPresent(present);
        }
        for (const CandidatePort& port : ports) {
            const bool known = std::any_of(stations_.begin(), stations_.end(), [&](const auto& s) {
                return s->Port().stableName == port.stableName;
            });
            if (known)
                continue;
            const std::size_t index = stations_.size();
            std::string name = config_.nameFor ? config_.nameFor(port.stableName) : std::string();
            if (name.empty())
                name = port.stableName;
            names_.push_back(name);
            stations_.push_back(std::make_unique<TrainerStation>(
                port, std::move(name), config_.station, [this, index] { changed_(index); }));
            added.push_back(index);
        }
    }
    for (const std::size_t index : added)
        changed_(index);
}

std::size_t Classroom::Count() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return stations_.size();
}

TrainerStation& Classroom::Station(std::size_t index) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return *stations_.at(index);
}

std::string Classroom::Name(std::size_t index) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return names_.at(index);
}

void Classroom::Rename(std::size_t index, std::string name) {
    TrainerStation* station = nullptr;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        names_.at(index) = name;
        station = stations_.at(index).get();
    }
    station->SetName(std::move(name));
    changed_(index);
}

std::vector<std::size_t> Classroom::Trainers() const {
    std::vector<std::size_t> trainers;
    const std::size_t count = Count();
    for (std::size_t i = 0; i < count; ++i) {
        if (Station(i).Snapshot().trainer)
            trainers.push_back(i);
    }
    return trainers;
}

void Classroom::UploadToAll(const std::vector<std::size_t>& chosen, int slot,
                            const std::string& scenarioName, const ScenarioTable& table) {
    for (const std::size_t i : chosen)
        Station(i).Upload(slot, scenarioName, table);
}

void Classroom::ParametersToAll(const std::vector<std::size_t>& chosen,
                                const ParameterRecord& record, const ParameterMask& changed) {
    for (const std::size_t i : chosen)
        Station(i).WriteParameters(record, changed);
}

void Classroom::MonitorAll(const std::vector<std::size_t>& chosen) {
    for (const std::size_t i : chosen)
        Station(i).StartMonitor();
}

void Classroom::StopAll(const std::vector<std::size_t>& chosen) {
    for (const std::size_t i : chosen)
        Station(i).StopMonitor();
}

ActionSummary Classroom::Summary(const std::vector<std::size_t>& chosen, ActionKind kind) const {
    ActionSummary summary;
    for (const std::size_t i : chosen) {
        const StationSnapshot s = Station(i).Snapshot();
        if (s.lastAction != kind)
            continue;
        if (s.lastOutcome == ActionOutcome::Running)
            ++summary.running;
        else if (Succeeded(s.lastOutcome))
            ++summary.done;
        else
            ++summary.failed;
        summary.lines.push_back(Name(i) + ": " + std::string(OutcomeText(s.lastOutcome)));
    }
    return summary;
}

} // namespace crvl
