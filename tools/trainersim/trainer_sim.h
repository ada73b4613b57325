#pragma once

// The simulated trainer on a pseudo-terminal: the protocol, the terminal and
// the loop that joins them. Run it on its own thread (Start/Stop) or drive it
// with Step from a test.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/status.h"
#include "tools/trainersim/bootloader_sim.h"
#include "tools/trainersim/pty.h"
#include "tools/trainersim/sim_scenario.h"
#include "tools/trainersim/trainer_model.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {

struct SimConfig {
    std::string linkPath; // symbolic link to the terminal; empty for none
    FaultSwitches faults;
    // The boot loader crvlupd talks to.
    BootloaderOptions bootloader;
    TrainerModel model = {};  // what the trainer holds at start
    std::string scenarioFile; // preloaded into custom slot scenarioSlot
    int scenarioSlot = 1;
};

class TrainerSim : private ISimTransport {
public:
    explicit TrainerSim(SimConfig config, LogSink log = {});
    ~TrainerSim() override;

    // Creates the terminal (and the link).
    Status Open();
    const std::string& SlavePath() const { return pty_.SlavePath(); }

    // One round: waits up to pollMs for bytes, handles them, sends what is
    // due. Only on the simulator's thread.
    void Step(int pollMs);

    // Runs Step on a thread of its own until Stop.
    void Start();
    void Stop();

    // Runs fn on the simulator's thread at its next step (thread-safe).
    void Post(std::function<void()> fn);
    // Closes the terminal from any thread (at the next step).
    void RequestHangUp() { hangUpRequest_.store(true, std::memory_order_release); }

    // The cable pulled: hangs up and removes the link, as udev removes an
    // adapter's link. Plug brings a new terminal (and link) back; what the
    // trainer holds stays. Only on the simulator's thread.
    void Unplug();
    Status Plug();
    bool Plugged() const { return pty_.IsOpen(); }

    TrainerModel& Model() { return model_; }
    TrainerProtocol& Protocol() { return protocol_; }
    ScenarioPlayer& Player() { return player_; }
    const PseudoTerminal& Terminal() const { return pty_; }
    bool HungUp() const { return hungUp_.load(std::memory_order_acquire); }

private:
    void Write(std::span<const std::uint8_t> bytes) override;
    void HangUp() override;
    void RunPosted();

    SimConfig config_;
    TrainerModel model_;
    PseudoTerminal pty_;
    TrainerProtocol protocol_;
    ScenarioPlayer player_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hangUpRequest_{false};
    std::atomic<bool> hungUp_{false};
    std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_;
};

} // namespace crvl::sim
