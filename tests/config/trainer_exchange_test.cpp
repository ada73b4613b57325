// The connection logic against the simulated trainer's protocol, in-process:
// what the trainer receives, and how the tool takes the trainer's answers
// and failures.
#include "tests/config/fakes.h"
#include "tests/config/sim_link.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

using testing::RecordingView;
using testing::SimLink;

class Exchange : public ::testing::Test {
protected:
    SimLink link;
    RecordingView view;
    int pending = 0;
    LinkMachine machine{link, view, [this] { ++pending; }};

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            link.Advance(std::chrono::milliseconds(kTickMs));
            Pump();
            machine.Tick();
            Pump();
        }
    }
    void Pump() {
        while (pending > 0) {
            --pending;
            machine.Dispatch();
        }
    }
    void Connect() {
        machine.ConnectPressed();
        Tick(6);
        ASSERT_EQ(machine.State(), LinkState::Connected);
    }
    sim::FaultSwitches& Faults() { return link.Protocol().Faults(); }
};

TEST_F(Exchange, FramesTheTrainerReceivesInTheFirstTenSeconds) {
    link.goodPorts = {5};
    link.model.version = {2, 1, 3, 0};
    machine.ConnectPressed();
    Tick(50);
    EXPECT_EQ(link.opened, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(link.Received(),
              (std::vector<std::string>{"ReadParameters", "ReadVersion", "SetAttached on",
                                        "ReadBattery", "SetAttached on", "Ping", "ReadBattery",
                                        "SetAttached on", "Ping", "ReadBattery"}));
    EXPECT_EQ(view.status, "SW-Ver: 2.1\r\nHW-Ver: 03");
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_EQ(view.shown, sim::TrainerModel{}.parameters);
}

TEST_F(Exchange, WriteStoresTheRecordInTheTrainer) {
    Connect();
    view.toCollect = DefaultParameters();
    view.toCollect.speakerVolume = 3;
    view.toCollect.options = 7;
    machine.MarkChanged();
    machine.CollectAndWrite();
    Tick(3);
    EXPECT_EQ(link.model.parameters, view.toCollect);
    EXPECT_TRUE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
}

TEST_F(Exchange, MissingResultIsSettledByReadingTheRecordBack) {
    Connect();
    const ParameterRecord before = link.model.parameters;
    view.toCollect = before;
    view.toCollect.shockSeries = 4;
    // Refused, then not answered and not stored, then not answered but
    // stored: the read-back tells the last two apart.
    struct Case {
        int writeResult;
        bool noResult;
        int ticks;
        bool stored;
    };
    for (const Case c : {Case{2, false, 3, false}, Case{2, true, 4 + kReadBackTicks, false},
                         Case{0, true, 5, true}}) {
        Faults().writeResult = c.writeResult;
        Faults().noResult = c.noResult;
        view.events.clear();
        machine.MarkChanged();
        machine.CollectAndWrite();
        Tick(c.ticks);
        EXPECT_TRUE(view.Saw(c.stored ? "message Corvel Updated: " + std::string(text::kUpdated)
                                      : "message Update Failed: Configuration update failed !"))
            << c.writeResult << c.noResult;
        EXPECT_EQ(link.model.parameters.shockSeries,
                  c.stored ? view.toCollect.shockSeries : before.shockSeries);
    }
}

TEST_F(Exchange, TrainerThatNeverAnswersParametersIsPassedOver) {
    link.goodPorts = {1, 2};
    Faults().noParametersReply = true;
    view.answers = {Answer::Ignore};
    machine.ConnectPressed();
    Tick(1 + 9 + 1 + 9 + 15);
    EXPECT_EQ(link.Received(), std::vector<std::string>(6, "ReadParameters"));
    EXPECT_TRUE(view.Saw("ask Corvel Not Found"));
    EXPECT_EQ(machine.State(), LinkState::Idle);
}

TEST_F(Exchange, MissingVersionConnectsAnyway) {
    Faults().noVersion = true;
    Connect();
    EXPECT_EQ(view.status, "Trying COM1...");
    EXPECT_EQ(view.connectionColour, LampColour::Green);
}

TEST_F(Exchange, HangUpWhileMonitoringIsNeverShownGreen) {
    Connect();
    Tick(); // the first ping is answered
    std::vector<std::string> afterFailure;
    view.onMonitor = [&] {
        // The next ping is answered, then the line drops: an Alive comes in
        // just before the failure.
        Faults().hangUpAfter = link.Protocol().FramesReceived() + 2;
        Tick(20);
        ASSERT_TRUE(machine.Alive());
        EXPECT_EQ(view.connectionColour, LampColour::Blue);
        const std::size_t failedAt = view.events.size();
        Tick(41);
        afterFailure.assign(view.events.begin() + static_cast<long>(failedAt), view.events.end());
    };
    machine.RunMonitor();
    Tick(kMonitorWaitTicks);
    for (const std::string& event : afterFailure) {
        EXPECT_NE(event, "lamp green");
    }
    EXPECT_FALSE(afterFailure.empty());
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    EXPECT_FALSE(view.monitorConnected); // the monitor closes
    EXPECT_FALSE(view.customScenarios);
}

TEST_F(Exchange, AttachedReportsSwitchTheView) {
    Faults().attachedReport = 0;
    Connect(); // the first SetAttached on is answered with the report "off"
    EXPECT_EQ(view.connectionColour, LampColour::Yellow);
    EXPECT_EQ(view.batteryLight, LampLight::Off);
    Faults().attachedReport = 1;
    machine.Disconnect();
    Tick(kDisconnectWaitTicks);
    Connect(); // "on": the connected view, and no endless exchange
    Tick(20);
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_LT(link.Protocol().FramesReceived(), 30);
}

TEST(ParameterSwitches, ParseRecordVersionAndBattery) {
    sim::SimOptions options;
    const Status parsed = sim::ParseArguments(
        {"--parameters", "05 0b 01 02 5a 3c 00 96 78 02", "--version", "3.14.7", "--battery", "190",
         "--write-result", "1", "--no-version", "--attached-report", "off"},
        options);
    ASSERT_TRUE(parsed.ok()) << parsed.message();
    EXPECT_EQ(options.config.model.parameters.defaultScenario, 11);
    EXPECT_EQ(options.config.model.parameters.padTolerance, 120);
    EXPECT_EQ(options.config.model.version[1], 14);
    EXPECT_EQ(options.config.model.batteryRaw, 190);
    EXPECT_EQ(options.config.faults.writeResult, 1);
    EXPECT_TRUE(options.config.faults.noVersion);
    EXPECT_EQ(options.config.faults.attachedReport, 0);
    for (const auto& bad : std::vector<std::vector<std::string>>{{"--parameters", "05 0b"},
                                                                 {"--version", "2.1"},
                                                                 {"--version", "2.1.3.4"},
                                                                 {"--battery", "256"},
                                                                 {"--attached-report", "maybe"}}) {
        sim::SimOptions o;
        EXPECT_FALSE(sim::ParseArguments(bad, o).ok()) << bad[0] << " " << bad[1];
    }
    EXPECT_NE(sim::HelpText().find("--no-parameters"), std::string::npos);
}

} // namespace
} // namespace crvl
