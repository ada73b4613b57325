// The classroom: a station for every candidate port the system lists, kept
// for as long as the program runs (a trainer that goes keeps its tile and
// comes back to it), and the class's actions over a choice of trainers.
// Every call may come from any thread; changed(index) is called on a
// station's worker or the port watch's thread and must be handed over to
// the window's thread.
#pragma once

#include "config/classroom/trainer_station.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace crvl {

struct ClassroomConfig {
    StationConfig station;
    std::function<std::vector<CandidatePort>()> listPorts = ListCandidatePorts;
    // The instructor's name for the trainer on a port (kept by the window
    // in the user's settings); the port's name when none was given.
    std::function<std::string(const std::string& stableName)> nameFor;
};

// How one class action ended on each chosen trainer.
struct ActionSummary {
    int done = 0;
    int failed = 0;
    int running = 0;
    // "<name>: <outcome>", one per trainer, in tile order.
    std::vector<std::string> lines;
};

class Classroom {
public:
    using Changed = std::function<void(std::size_t station)>;

    Classroom(ClassroomConfig config, Changed changed);
    // Stops the watch, then leaves every trainer (stations end in parallel).
    ~Classroom();
    Classroom(const Classroom&) = delete;
    Classroom& operator=(const Classroom&) = delete;

    // Lists the ports and starts watching them for changes.
    void Start();
    // Lists the ports now: a new one gets a station, the others learn
    // whether they are still there.
    void Refresh();

    std::size_t Count() const;
    TrainerStation& Station(std::size_t index) const;
    std::string Name(std::size_t index) const;
    void Rename(std::size_t index, std::string name);
    // The stations that answered as trainers at least once: the tiles.
    std::vector<std::size_t> Trainers() const;

    // The class's actions, on the chosen stations side by side.
    void UploadToAll(const std::vector<std::size_t>& chosen, int slot,
                     const std::string& scenarioName, const ScenarioTable& table);
    void ParametersToAll(const std::vector<std::size_t>& chosen, const ParameterRecord& record,
                         const ParameterMask& changed);
    void MonitorAll(const std::vector<std::size_t>& chosen);
    void StopAll(const std::vector<std::size_t>& chosen);

    // How the last action of kind went on the chosen stations.
    ActionSummary Summary(const std::vector<std::size_t>& chosen, ActionKind kind) const;

private:
    ClassroomConfig config_;
    Changed changed_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TrainerStation>> stations_;
    std::vector<std::string> names_;
    std::mutex refreshMutex_;
    std::unique_ptr<PortWatch> watch_;
};

} // namespace crvl
