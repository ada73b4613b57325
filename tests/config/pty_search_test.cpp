// The connection logic over a real link and the simulated trainer on a
// pseudo-terminal: the search across ports and a line that hangs up.
#include "tests/config/fakes.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

namespace crvl {
namespace {

using namespace std::chrono_literals;
using testing::RecordingView;

class PtySearch : public ::testing::Test {
protected:
    const std::string dir = "/tmp/crvl-config-test-" + std::to_string(::getpid());
    std::unique_ptr<sim::TrainerSim> sim;
    std::unique_ptr<TrainerLink> link;
    RecordingView view;
    std::atomic<int> notes{0};
    std::unique_ptr<LinkMachine> machine;

    void SetUp() override {
        ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
        for (int port = 1; port <= kLastPort; ++port) {
            const std::string path = dir + "/missing" + std::to_string(port);
            ::setenv(("CRVL_COM" + std::to_string(port)).c_str(), path.c_str(), 1);
        }
        sim::SimConfig config;
        config.linkPath = dir + "/trainer";
        config.model.version = {2, 1, 3, 0};
        sim = std::make_unique<sim::TrainerSim>(config);
        ASSERT_EQ(sim->Open().message(), "");
        sim->Start();
        ::setenv("CRVL_COM5", config.linkPath.c_str(), 1);

        LinkOptions options;
        options.serial.readTimeoutMs = 100; // a quicker drain and close
        link = std::make_unique<TrainerLink>(options);
        machine = std::make_unique<LinkMachine>(*link, view, [this] { ++notes; });
    }
    void TearDown() override {
        link->Close();
        sim->Stop();
        std::system(("rm -rf " + dir).c_str());
    }

    void Pump() {
        while (notes.load() > 0) {
            --notes;
            machine->Dispatch();
        }
    }
    // Lets answers arrive for a while, dispatching them as they come.
    void Settle(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end) {
            Pump();
            std::this_thread::sleep_for(2ms);
        }
        Pump();
    }
    void Tick(std::chrono::milliseconds settle = 40ms) {
        Pump();
        machine->Tick();
        Settle(settle);
    }
    // Waits (up to a second, for slow sanitizer builds) until a request of
    // the handshake has its answer, so the ticks never outrun the trainer.
    void AwaitAnswer() {
        for (int i = 0; i < 100; ++i) {
            const LinkState state = machine->State();
            if ((state == LinkState::AwaitParameters && !machine->Connected()) ||
                (state == LinkState::AwaitVersion && !machine->VersionReceived())) {
                Settle(10ms);
            } else {
                return;
            }
        }
    }
    void TickUntil(LinkState state, int limit) {
        for (int i = 0; i < limit && machine->State() != state; ++i) {
            Tick();
            AwaitAnswer();
        }
    }
};

TEST_F(PtySearch, FindsTheTrainerOnCom5) {
    machine->ConnectPressed();
    TickUntil(LinkState::Connected, 30);
    ASSERT_EQ(machine->State(), LinkState::Connected);
    std::vector<std::string> tried;
    for (const std::string& event : view.events) {
        if (event.rfind("status Trying", 0) == 0) {
            tried.push_back(event.substr(7));
        }
    }
    EXPECT_EQ(tried, (std::vector<std::string>{"Trying COM1...", "Trying COM2...", "Trying COM3...",
                                               "Trying COM4...", "Trying COM5..."}));
    EXPECT_EQ(view.status, "SW-Ver: 2.1\r\nHW-Ver: 03");
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_FALSE(view.update);
    EXPECT_EQ(view.shown, sim::TrainerModel{}.parameters);
}

TEST_F(PtySearch, HangUpTurnsTheLampBlueUntilTheUserConnectsAgain) {
    machine->ConnectPressed();
    TickUntil(LinkState::Connected, 30);
    ASSERT_EQ(machine->State(), LinkState::Connected);
    Tick(); // the first ping
    sim->RequestHangUp();
    for (int i = 0; i < 200 && view.connectionColour != LampColour::Blue; ++i) {
        Settle(10ms);
    }
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    for (int i = 0; i < 40; ++i) {
        Tick(1ms);
    }
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    EXPECT_FALSE(view.customScenarios);
    EXPECT_EQ(machine->State(), LinkState::Connected); // nothing reconnects by itself
}

} // namespace
} // namespace crvl
