#include "tests/config/fakes.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

using testing::FakeLink;
using testing::RecordingView;

ParameterRecord SampleRecord() {
    ParameterRecord record;
    record.speakerVolume = 5;
    record.defaultScenario = 11;
    record.cprPause = 1;
    record.shockSeries = 2;
    record.protocolTimeout = 90;
    record.cprTimer = 60;
    record.noShockPause = 0;
    record.promptInterval = 150;
    record.padTolerance = 120;
    record.options = 2;
    return record;
}

// The machine with a fake link and a recording view; notifications are
// counted and dispatched on Pump, as the dialog's queued calls would be.
class Machine : public ::testing::Test {
protected:
    FakeLink link;
    RecordingView view;
    int pending = 0;
    LinkMachine machine{link, view, [this] { ++pending; }};

    void Pump() {
        while (pending > 0) {
            --pending;
            machine.Dispatch();
        }
    }
    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            Pump();
            machine.Tick();
            Pump();
        }
    }
    // Answers like a healthy trainer.
    void AnswerAll(ParameterRecord record = SampleRecord()) {
        link.responder = [this, record](const Bytes& payload) {
            if (payload == MakeReadParameters()) {
                link.Deliver(MakeParametersReply(record));
            } else if (payload == MakeReadVersion()) {
                link.Deliver(MakeVersion(2, 1, 3, 0));
            } else if (payload == MakeReadBattery()) {
                link.Deliver(MakeBattery(0xD0));
            } else if (payload == MakePing()) {
                link.Deliver(MakeAlive());
            }
        };
    }
    // Search from COM1 with the trainer on COM5, until connected.
    void Connect() {
        link.goodPorts = {5};
        AnswerAll();
        machine.ConnectPressed();
        Tick(10);
        ASSERT_EQ(machine.State(), LinkState::Connected);
        link.sent.clear();
        view.events.clear();
    }
    std::vector<std::string> SentNames() const {
        std::vector<std::string> names;
        for (const Bytes& payload : link.sent) {
            names.push_back(DescribeToolMessage(payload));
        }
        return names;
    }
};

TEST_F(Machine, SearchSkipsPortsThatDoNotOpenAndConnects) {
    link.goodPorts = {5};
    AnswerAll();
    machine.ConnectPressed();
    EXPECT_EQ(view.connectionColour, LampColour::Yellow);
    Tick(5);
    EXPECT_EQ(link.opened, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(view.events[1], "status Trying COM1...");
    EXPECT_EQ(view.status, "Trying COM5...");
    EXPECT_TRUE(view.waitCursor);
    EXPECT_EQ(machine.State(), LinkState::RequestParameters);
    Tick(5);
    EXPECT_EQ(machine.State(), LinkState::Connected);
    EXPECT_EQ(view.status, "SW-Ver: 2.1\r\nHW-Ver: 03");
    EXPECT_EQ(view.shown, SampleRecord());
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_EQ(view.connectText, "Disconnect");
    EXPECT_TRUE(view.customScenarios);
    EXPECT_TRUE(view.loadDefaults);
    EXPECT_FALSE(view.update);
    EXPECT_FALSE(view.waitCursor);
}

TEST_F(Machine, FramesOfTheFirstSecondsAndThePingCycle) {
    link.goodPorts = {1};
    AnswerAll();
    machine.ConnectPressed();
    Tick(6); // open, ReadParameters, reply, ReadVersion, two ticks of waiting
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"ReadParameters", "ReadVersion",
                                                     "SetAttached on", "ReadBattery"}));
    link.sent.clear();
    Tick();
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"SetAttached on", "Ping"}));
    for (int cycle = 0; cycle < 2; ++cycle) {
        link.sent.clear();
        Tick(17);
        EXPECT_TRUE(link.sent.empty());
        Tick();
        EXPECT_EQ(SentNames(), (std::vector<std::string>{"ReadBattery"}));
        Tick();
        Tick();
        EXPECT_EQ(SentNames(), (std::vector<std::string>{"ReadBattery", "SetAttached on", "Ping"}));
    }
    EXPECT_EQ(view.batteryText, "8.3 V");
    EXPECT_EQ(view.batteryColour, LampColour::Green);
}

TEST_F(Machine, SilentPortGetsThreeRequestsThenTheNextPortIsTried) {
    link.goodPorts = {1, 2};
    machine.ConnectPressed();
    Tick(1 + 3 * 3);
    EXPECT_EQ(SentNames(),
              (std::vector<std::string>{"ReadParameters", "ReadParameters", "ReadParameters"}));
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(machine.State(), LinkState::Search);
    Tick();
    EXPECT_EQ(link.opened.back(), 2);
}

TEST_F(Machine, NotFoundRetryStartsAgainAtCom1) {
    view.answers = {Answer::Retry};
    machine.ConnectPressed();
    Tick(17);
    EXPECT_TRUE(view.Saw("ask Corvel Not Found"));
    EXPECT_EQ(view.connectionColour, LampColour::Red);
    EXPECT_EQ(view.status, "");
    EXPECT_EQ(machine.State(), LinkState::Search);
    link.opened.clear();
    Tick();
    EXPECT_EQ(link.opened, std::vector<int>{1});
}

// A port this user may not open adds what to do about it to the question,
// once; a retry that finds no such port asks without it.
TEST_F(Machine, NotFoundNamesAPortTheUserMayNotUse) {
    link.forbiddenPorts = {{5, "You may not use /dev/ttyUSB0."}, {6, "second"}};
    view.answers = {Answer::Retry, Answer::Ignore};
    machine.ConnectPressed();
    Tick(17);
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0],
              std::string(text::kNotFound) + "\n\nYou may not use /dev/ttyUSB0.");
    link.forbiddenPorts.clear();
    Tick(17);
    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.questions[1], text::kNotFound);
}

TEST_F(Machine, NotFoundIgnoreLeavesTheToolIdle) {
    view.answers = {Answer::Ignore};
    machine.ConnectPressed();
    Tick(17);
    EXPECT_EQ(machine.State(), LinkState::Idle);
    EXPECT_EQ(view.status, "");
    EXPECT_FALSE(view.waitCursor);
    EXPECT_FALSE(view.ended);
    Tick(3);
    EXPECT_EQ(link.opened.size(), 16u);
}

TEST_F(Machine, NotFoundAbortRunsTheExitProcedure) {
    view.answers = {Answer::Abort};
    machine.ConnectPressed();
    Tick(17);
    EXPECT_FALSE(view.ended);
    Tick(kExitWaitTicks);
    EXPECT_TRUE(view.ended);
    EXPECT_TRUE(link.sent.empty()); // SetAttached off is refused on a closed link
}

TEST_F(Machine, MissingAliveShowsTheDisconnectedViewUntilTheTrainerAnswersAgain) {
    Connect();
    Tick(); // first evaluation right after connecting
    link.responder = nullptr;
    Tick(20); // still sees the answer to the last ping
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    Tick(20);
    EXPECT_EQ(view.connectionColour, LampColour::Yellow);
    EXPECT_FALSE(view.customScenarios);
    EXPECT_FALSE(view.loadDefaults);
    EXPECT_EQ(view.batteryLight, LampLight::Off);
    EXPECT_EQ(view.connectText, "Disconnect");
    EXPECT_EQ(machine.State(), LinkState::Connected);
    AnswerAll();
    Tick(20); // the ping of this cycle is answered again
    Tick(20);
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_TRUE(view.customScenarios);
}

TEST_F(Machine, ReadFailureTurnsTheLampBlueUntilTheUserConnectsAgain) {
    Connect();
    Tick();
    link.FailRead();
    Pump();
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    Tick(40);
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    EXPECT_FALSE(view.customScenarios);
    EXPECT_EQ(view.batteryLight, LampLight::Off);
    machine.ConnectPressed(); // Disconnect
    Tick(kDisconnectWaitTicks);
    EXPECT_EQ(view.connectionColour, LampColour::Red);
}

TEST_F(Machine, TrainerLostDuringTheHandshakeShowsTheDisconnectedView) {
    link.goodPorts = {3};
    AnswerAll();
    auto answer = link.responder;
    link.responder = [&](const Bytes& payload) {
        answer(payload);
        if (payload == MakeReadVersion()) {
            link.FailRead(); // gone after its second answer
        }
    };
    machine.ConnectPressed();
    Tick(8);
    EXPECT_EQ(machine.State(), LinkState::Idle);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(view.connectionColour, LampColour::Blue);
    EXPECT_EQ(view.connectText, "Connect");
    EXPECT_EQ(view.status, std::string(text::kLostInHandshake));
    EXPECT_FALSE(view.waitCursor);
    EXPECT_FALSE(view.Saw("show parameters"));
    EXPECT_FALSE(view.customScenarios || view.loadDefaults || view.update);
    // One press searches again.
    link.responder = answer;
    link.opened.clear();
    machine.ConnectPressed();
    Tick(8);
    EXPECT_EQ(link.opened, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(machine.State(), LinkState::Connected);
    EXPECT_EQ(view.connectionColour, LampColour::Green);
}

TEST_F(Machine, ShortMessagesAreIgnored) {
    link.goodPorts = {1};
    machine.ConnectPressed();
    Tick(2);
    ASSERT_EQ(machine.State(), LinkState::AwaitParameters);
    link.Deliver({msg::kParametersReply, 1, 2, 3});
    Pump();
    EXPECT_FALSE(machine.Connected());
    link.Deliver(MakeParametersReply(SampleRecord()));
    Tick(2);
    ASSERT_EQ(machine.State(), LinkState::AwaitVersion);
    link.Deliver({msg::kVersion, 9, 9});
    Pump();
    EXPECT_FALSE(machine.VersionReceived());
    Tick(2);
    ASSERT_EQ(machine.State(), LinkState::Connected);
    EXPECT_EQ(view.status, "Trying COM1..."); // no version: the status stays
    link.Deliver({msg::kBattery});
    link.Deliver({msg::kMonitorReport, 1, 2});
    link.Deliver({msg::kAttachedReport});
    Pump();
    EXPECT_EQ(machine.BatteryRaw(), 0);
    EXPECT_EQ(machine.Monitor(), MonitorRecord{});
    EXPECT_EQ(view.connectionColour, LampColour::Green);
}

TEST_F(Machine, ChangesCountOnlyWhileConnected) {
    machine.MarkChanged();
    EXPECT_FALSE(machine.Changed());
    EXPECT_FALSE(view.update);
    Connect();
    machine.MarkChanged();
    EXPECT_TRUE(machine.Changed());
    EXPECT_TRUE(view.update);
}

TEST_F(Machine, WriteSendsTheCollectedRecordAndReportsSuccess) {
    Connect();
    link.responder = [this](const Bytes& payload) {
        if (payload[0] == msg::kWriteParameters) {
            link.Deliver(MakeResult(0));
        }
    };
    machine.CollectAndWrite(); // nothing changed: nothing written
    EXPECT_EQ(machine.State(), LinkState::Connected);
    view.toCollect = SampleRecord();
    machine.MarkChanged();
    machine.CollectAndWrite();
    EXPECT_FALSE(machine.Changed());
    EXPECT_EQ(machine.Result(), 0xFF);
    Tick();
    ASSERT_EQ(link.sent.size(), 1u);
    Bytes expected = {0x67, 5, 11, 1, 2, 90, 60, 0, 150, 120, 2};
    EXPECT_EQ(link.sent[0], expected);
    Tick();
    EXPECT_FALSE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
    Tick();
    EXPECT_TRUE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
    EXPECT_FALSE(view.update);
    EXPECT_EQ(machine.State(), LinkState::Connected);
    EXPECT_FALSE(view.ended);
}

TEST_F(Machine, RefusedWriteReportsFailureAndKeepsTheChangePending) {
    Connect();
    link.responder = [this](const Bytes& payload) {
        if (payload[0] == msg::kWriteParameters) {
            link.Deliver(MakeResult(3));
        }
    };
    view.toCollect = SampleRecord();
    machine.MarkChanged();
    machine.CollectAndWrite();
    Tick(3);
    EXPECT_TRUE(view.Saw("message Update Failed: Configuration update failed !"));
    EXPECT_EQ(machine.Result(), 3);
    // Update sends the change again; Exit asks about it.
    EXPECT_TRUE(view.update);
    EXPECT_TRUE(machine.Changed());
    link.sent.clear();
    machine.CollectAndWrite();
    Tick();
    EXPECT_EQ(link.sent, std::vector<Bytes>{MakeWriteParameters(SampleRecord())});
    Tick(2);
    view.answers = {Answer::Cancel};
    machine.Exit();
    EXPECT_EQ(view.questions, std::vector<std::string>{std::string(text::kExitQuestion)});
}

// No Result in time: the record the trainer holds tells whether it stored
// the write; a Result that comes during the read-back is taken instead.
TEST_F(Machine, MissingResultIsAnsweredByReadingTheRecordBack) {
    Connect();
    struct Case {
        bool stores;
        bool lateResult;
        const char* message;
    };
    const std::string updated = "message Corvel Updated: " + std::string(text::kUpdated);
    const std::string failed = "message Update Failed: Configuration update failed !";
    for (const Case c : {Case{true, false, updated.c_str()}, Case{false, false, failed.c_str()},
                         Case{false, true, updated.c_str()}}) {
        ParameterRecord held = DefaultParameters();
        link.responder = [&](const Bytes& payload) {
            if (payload[0] == msg::kWriteParameters && c.stores) {
                held = *ParameterRecord::Decode({payload.data() + 1, ParameterRecord::kSize});
            } else if (payload == MakeReadParameters()) {
                if (c.lateResult) {
                    link.Deliver(MakeResult(0));
                }
                link.Deliver(MakeParametersReply(held));
            }
        };
        view.events.clear();
        link.sent.clear();
        view.toCollect = SampleRecord();
        machine.MarkChanged();
        machine.CollectAndWrite();
        Tick(3);
        EXPECT_EQ(SentNames().back(), "ReadParameters");
        EXPECT_FALSE(view.Saw(updated) || view.Saw(failed));
        Tick(c.message == failed ? kReadBackTicks : 1);
        EXPECT_TRUE(view.Saw(c.message)) << c.stores << c.lateResult;
        EXPECT_EQ(machine.StoredByReadBack(), c.stores);
        EXPECT_EQ(machine.Changed(), c.message == failed);
        EXPECT_EQ(machine.State(), LinkState::Connected);
    }
}

TEST_F(Machine, LoadDefaultsWritesAtOnce) {
    Connect();
    view.toCollect = DefaultParameters();
    machine.LoadDefaults();
    EXPECT_EQ(view.shown, DefaultParameters());
    Tick();
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakeWriteParameters(DefaultParameters()));
}

TEST_F(Machine, ExitWithoutChangesLeavesAfterSetAttachedOff) {
    Connect();
    machine.Exit();
    EXPECT_EQ(SentNames(), std::vector<std::string>{"SetAttached off"});
    Tick(kExitWaitTicks);
    EXPECT_EQ(view.events, (std::vector<std::string>{"end"}));
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(Machine, ExitQuestionCancelStaysAndNoLeaves) {
    Connect();
    machine.MarkChanged();
    view.answers = {Answer::Cancel, Answer::No};
    machine.Exit();
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(link.sent.empty());
    machine.Exit();
    Tick(kExitWaitTicks);
    EXPECT_TRUE(view.ended);
}

TEST_F(Machine, ExitQuestionYesLeavesOnlyAfterASuccessfulWrite) {
    Connect();
    std::uint8_t result = 1;
    link.responder = [this, &result](const Bytes& payload) {
        if (payload[0] == msg::kWriteParameters) {
            link.Deliver(MakeResult(result));
        } else if (payload == MakePing()) {
            link.Deliver(MakeAlive());
        }
    };
    machine.MarkChanged();
    view.answers = {Answer::Yes};
    machine.Exit();
    EXPECT_TRUE(machine.ExitAfterWrite());
    Tick(3);
    EXPECT_TRUE(view.Saw("message Update Failed: Configuration update failed !"));
    EXPECT_FALSE(view.ended);
    // A later successful write does not end the program by surprise.
    result = 0;
    machine.MarkChanged();
    machine.CollectAndWrite();
    Tick(3);
    EXPECT_FALSE(view.ended);
    // Yes again, and this time the write succeeds.
    machine.MarkChanged();
    view.answers = {Answer::Yes};
    machine.Exit();
    Tick(3 + kExitWaitTicks);
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(SentNames().back(), "SetAttached off");
}

TEST_F(Machine, DisconnectByUser) {
    Connect();
    machine.MarkChanged();
    machine.ConnectPressed();
    EXPECT_EQ(machine.State(), LinkState::Idle);
    EXPECT_EQ(SentNames(), std::vector<std::string>{"SetAttached off"});
    Tick(kDisconnectWaitTicks);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(view.connectText, "Connect");
    EXPECT_EQ(view.connectionColour, LampColour::Red);
    EXPECT_EQ(view.batteryLight, LampLight::Off);
    EXPECT_EQ(view.batteryText, "0.0 V");
    EXPECT_FALSE(view.update || view.customScenarios || view.loadDefaults);
    EXPECT_FALSE(machine.Changed());
}

// A quiet time returns at once and holds the pings; what follows it comes
// on the last of its ticks, never earlier.
class QuietTime : public Machine {
protected:
    void ExpectWait(int ticks, const std::function<void()>& start,
                    const std::function<bool()>& over) {
        Connect();
        start();
        EXPECT_EQ(SentNames(), std::vector<std::string>{"SetAttached off"});
        EXPECT_TRUE(machine.Waiting());
        Tick(ticks - 1);
        EXPECT_FALSE(over());
        EXPECT_EQ(link.sent.size(), 1u);
        machine.ConnectPressed(); // ignored until the wait is over
        Tick();
        EXPECT_TRUE(over());
        EXPECT_FALSE(machine.Waiting());
    }
};

TEST_F(QuietTime, DisconnectClosesTheLineAfterItsTicks) {
    ExpectWait(
        kDisconnectWaitTicks, [this] { machine.ConnectPressed(); },
        [this] { return !link.IsOpen() && view.connectText == "Connect"; });
    EXPECT_EQ(machine.State(), LinkState::Idle);
}

TEST_F(QuietTime, ExitEndsTheProgramAfterItsTicks) {
    ExpectWait(
        kExitWaitTicks, [this] { machine.Exit(); },
        [this] { return !link.IsOpen() && view.ended; });
}

TEST_F(QuietTime, MonitorReportsGoOnAfterItsTicks) {
    ExpectWait(
        kMonitorWaitTicks, [this] { machine.RunMonitor(); },
        [this] { return view.Saw("monitor dialog"); });
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"SetAttached off", "SetMonitorReports on",
                                                     "SetMonitorReports off", "SetAttached on"}));
}

TEST_F(QuietTime, LeavingUnderTheMonitorSwitchesReportsOffAndLeavesTheTrainerDetached) {
    Connect();
    view.onMonitor = [this] {
        link.sent.clear();
        machine.Leave();
    };
    machine.RunMonitor();
    Tick(kMonitorWaitTicks + kExitWaitTicks);
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"SetAttached off", "SetMonitorReports off"}));
    EXPECT_TRUE(view.ended);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(Machine, AttachedReportSwitchesTheView) {
    Connect();
    link.Deliver(MakeAttachedReport(false));
    Pump();
    EXPECT_EQ(view.connectionColour, LampColour::Yellow);
    link.Deliver(MakeAttachedReport(true));
    Pump();
    EXPECT_EQ(view.connectionColour, LampColour::Green);
    EXPECT_EQ(SentNames().back(), "SetAttached on");
}

TEST_F(Machine, BatteryThresholds) {
    const struct {
        std::uint8_t raw;
        const char* text;
        LampColour colour;
    } cases[] = {{201, "8.0 V", LampColour::Green},
                 {200, "8.0 V", LampColour::Yellow},
                 {176, "7.0 V", LampColour::Yellow},
                 {175, "7.0 V", LampColour::Red},
                 {0, "0.0 V", LampColour::Red}};
    Connect();
    for (const auto& c : cases) {
        link.Deliver(MakeBattery(c.raw));
        Pump();
        machine.ShowBattery();
        EXPECT_EQ(view.batteryText, c.text) << int(c.raw);
        EXPECT_EQ(view.batteryColour, c.colour) << int(c.raw);
        EXPECT_EQ(view.batteryLight, LampLight::Lit);
    }
}

class SlotRead : public Machine {
protected:
    void AnswerSlots(int wrongFor = 0) {
        link.responder = [this, wrongFor](const Bytes& payload) {
            if (payload[0] == msg::kRead && payload[1] == msg::kReadSlotInfo) {
                const int slot = payload[2] - kArgOffset;
                SlotInfo info;
                info.SetName("Slot " + std::to_string(slot));
                info.table.At(1, 0) = 1;
                link.Deliver(MakeSlotReply(slot == wrongFor ? slot + 1 : slot, info));
            }
        };
    }
};

TEST_F(SlotRead, ReadsThreeSlotsThenRunsTheUploadDialog) {
    Connect();
    AnswerSlots();
    machine.StartSlotRead();
    EXPECT_TRUE(view.waitCursor);
    EXPECT_FALSE(view.customScenarios);
    EXPECT_EQ(machine.State(), LinkState::AwaitSlot1);
    Tick(3);
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"ReadSlotInfo slot 1", "ReadSlotInfo slot 2",
                                                     "ReadSlotInfo slot 3"}));
    EXPECT_TRUE(view.Saw("upload dialog"));
    EXPECT_EQ(machine.State(), LinkState::Connected);
    EXPECT_EQ(machine.Slot(3).Name(), "Slot 3");
    EXPECT_EQ(machine.Slot(1).table.At(1, 0), 1);
}

TEST_F(SlotRead, ReplyForTheWrongSlotNamesItDownloadError) {
    Connect();
    AnswerSlots(1);
    machine.StartSlotRead();
    Tick(3);
    EXPECT_EQ(machine.Slot(1).Name(), "Download Error");
    EXPECT_EQ(machine.Slot(2).Name(), "Slot 2");
    EXPECT_TRUE(view.Saw("upload dialog"));
}

TEST_F(SlotRead, LostReplyTimesOutBackToConnected) {
    Connect();
    machine.StartSlotRead();
    Tick(kSlotReplyTicks - 1);
    EXPECT_EQ(machine.State(), LinkState::AwaitSlot1);
    Tick();
    EXPECT_EQ(machine.State(), LinkState::Connected);
    EXPECT_FALSE(view.waitCursor);
    EXPECT_TRUE(view.customScenarios);
    EXPECT_TRUE(view.Saw("message Custom Scenarios: " + std::string(text::kSlotTimeout)));
    EXPECT_FALSE(view.Saw("upload dialog"));
    AnswerAll();
    link.sent.clear();
    Tick();
    EXPECT_EQ(SentNames(), (std::vector<std::string>{"SetAttached on", "Ping"}));
}

TEST_F(SlotRead, UploadReportsTheResultFourTicksAfterTheSend) {
    Connect();
    AnswerSlots();
    ScenarioTable table;
    view.onUpload = [&] { machine.Upload(2, "case", table); };
    auto slots = link.responder;
    link.responder = [this, slots](const Bytes& payload) {
        if (payload[0] == msg::kUploadScenario) {
            link.Deliver(MakeResult(0));
        } else {
            slots(payload);
        }
    };
    machine.StartSlotRead();
    Tick(3);
    EXPECT_EQ(machine.State(), LinkState::UploadSent);
    EXPECT_EQ(link.sent.back().size(), 302u);
    Tick(4);
    EXPECT_FALSE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
    Tick();
    EXPECT_TRUE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
}

TEST_F(SlotRead, UploadWithoutResultReadsTheSlotBack) {
    Connect();
    SlotInfo held;
    link.responder = [&](const Bytes& payload) {
        if (payload[0] == msg::kUploadScenario) {
            held = *SlotInfo::Decode({payload.data() + 2, SlotInfo::kSize});
        } else if (payload[0] == msg::kRead && payload[1] == msg::kReadSlotInfo) {
            link.Deliver(MakeSlotReply(payload[2] - kArgOffset, held));
        }
    };
    ScenarioTable table;
    table.At(1, 0) = 4;
    machine.Upload(2, "case", table);
    Tick(5);
    EXPECT_EQ(SentNames().back(), "ReadSlotInfo slot 2");
    Tick();
    EXPECT_TRUE(view.Saw("message Corvel Updated: " + std::string(text::kUpdated)));
    EXPECT_TRUE(machine.StoredByReadBack());
    EXPECT_FALSE(machine.Changed()); // an upload is no parameter change
}

TEST_F(Machine, MonitorOnlyWhenConnected) {
    machine.RunMonitor();
    EXPECT_FALSE(view.Saw("monitor dialog"));
    Connect();
    Tick();
    link.sent.clear();
    view.onMonitor = [this] {
        EXPECT_TRUE(machine.MonitorOpen());
        Tick(20); // pings go on, without SetAttached
        link.Deliver(MakeShockEvent());
        Pump();
    };
    machine.RunMonitor();
    Tick(kMonitorWaitTicks);
    EXPECT_EQ(SentNames(),
              (std::vector<std::string>{"SetAttached off", "SetMonitorReports on", "ReadBattery",
                                        "Ping", "SetMonitorReports off", "SetAttached on"}));
    EXPECT_FALSE(machine.MonitorOpen());
    EXPECT_TRUE(machine.TakeShock());
    EXPECT_FALSE(machine.TakeShock());
}

} // namespace
} // namespace crvl
