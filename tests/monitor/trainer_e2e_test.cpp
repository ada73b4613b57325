// Custom scenario upload and the scenario monitor end to end: the real link
// on a pseudo-terminal, the simulated trainer on the other side, the
// connection logic stepped by the test instead of a 200 ms timer.
#include "config/app/debrief_dlg.h"
#include "config/app/monitor_dlg.h"
#include "config/app/upload_dlg.h"
#include "tests/config/fakes.h"
#include "tests/monitor/scenario_text.h"
#include "tools/trainersim/trainer_sim.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace crvl {
namespace {

using namespace std::chrono_literals;
using testing::RecordingView;

const std::string kUpdated =
    "message Corvel Updated: The new configuration was successfully\ntransferred to the Corvel.";
const std::string kFailed = "message Update Failed: Configuration update failed !";
const std::string kFormat = "message crvlconfig: Format error in scenario file";

class TrainerE2E : public ::testing::Test {
protected:
    void StartTrainer(sim::FaultSwitches faults = {}) {
        sim::SimConfig config;
        config.faults = faults;
        trainer_ = std::make_unique<sim::TrainerSim>(config);
        ASSERT_EQ(trainer_->Open().message(), "");
        ::setenv("CRVL_COM1", trainer_->SlavePath().c_str(), 1);
        trainer_->Start();
        machine_ = std::make_unique<LinkMachine>(link_, view_, [this] { ++pending_; });
    }

    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir_ / "sessions", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        link_.Close();
        if (trainer_)
            trainer_->Stop();
        ::unsetenv("CRVL_COM1");
        std::filesystem::remove_all(dir_);
    }

    // Runs what the reader thread announced, for a little while.
    void Pump(std::chrono::milliseconds time) {
        const auto end = std::chrono::steady_clock::now() + time;
        do {
            Drain();
            std::this_thread::sleep_for(2ms);
        } while (std::chrono::steady_clock::now() < end);
    }

    void Drain() {
        while (pending_ > 0) {
            --pending_;
            machine_->Dispatch();
        }
    }

    // One timer period: returns soon after the trainer's answer, at the
    // latest after the 200 ms the program's timer leaves it, so a loaded
    // machine does not make the handshake miss its replies.
    void AwaitTick() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTickMs);
        while (pending_ == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(2ms);
        Pump(5ms);
    }

    // Ticks until done() or the limit; false at the limit.
    bool TickUntil(const std::function<bool()>& done, int limit = 60) {
        for (int i = 0; i < limit; ++i) {
            if (done())
                return true;
            AwaitTick();
            machine_->Tick();
        }
        return done();
    }

    // Ticks the program with the monitor open until the monitor closes by
    // itself; false when it is still open at the limit.
    bool StepUntilClosed(CMonitorDlg& dialog, MonitorHost& host) {
        for (int i = 0; i < 60 && dialog.isVisible(); ++i) {
            AwaitTick();
            machine_->Tick();
            host.SetConnected(view_.monitorConnected);
            dialog.Step();
        }
        return !dialog.isVisible();
    }

    void Connect() {
        machine_->ConnectPressed();
        ASSERT_TRUE(TickUntil(
            [this] { return machine_->State() == LinkState::Connected && view_.customScenarios; }));
    }

    // The scenario monitor, opened after the trainer's quiet time.
    void RunMonitor() {
        machine_->RunMonitor();
        for (int i = 0; i < kMonitorWaitTicks; ++i)
            machine_->Tick();
    }

    // The value f returns on the trainer's own thread.
    template <typename F> auto OnTrainer(F f) {
        std::promise<decltype(f())> result;
        auto future = result.get_future();
        trainer_->Post([&] { result.set_value(f()); });
        return future.get();
    }

    std::string WriteFile(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(dir_);
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // Custom Scenarios, then the upload dialog with slot index and file.
    UploadOutcome Upload(int slotIndex, const std::string& path) {
        UploadOutcome outcome = UploadOutcome::Cancelled;
        UploadHooks hooks;
        hooks.chooseFile = [path](QWidget*) { return QString::fromStdString(path); };
        hooks.runDialog = [this, slotIndex](CUploadDlg& dialog) {
            for (const char* id : {"1000", "1001", "1002"})
                names_.push_back(dialog.findChild<QLineEdit*>(id)->text().toStdString());
            dialog.SetSlotIndex(slotIndex);
            dialog.SelectNew();
            return dialog.result();
        };
        view_.onUpload = [&] { outcome = RunScenarioUpload(nullptr, *machine_, view_, hooks); };
        machine_->StartSlotRead();
        EXPECT_TRUE(TickUntil([this] { return view_.Saw("upload dialog"); }));
        // The Result is reported four ticks after the send.
        TickUntil([this] { return machine_->State() == LinkState::Connected; });
        Pump(50ms);
        return outcome;
    }

    std::filesystem::path dir_ =
        std::filesystem::temp_directory_path() / ("crvl_e2e_" + std::to_string(::getpid()));
    std::unique_ptr<sim::TrainerSim> trainer_;
    TrainerLink link_;
    RecordingView view_;
    std::atomic<int> pending_{0};
    std::unique_ptr<LinkMachine> machine_;
    std::vector<std::string> names_;
};

TEST_F(TrainerE2E, UploadsIntoSlotTwo) {
    StartTrainer();
    Connect();
    const std::string text = test::ScenarioText(0x3C);
    const std::string path = WriteFile("case.old.scn", text);
    // Every event of that table leads beyond the table: asked, and uploaded.
    view_.answers.push_back(Answer::Yes);
    EXPECT_EQ(Upload(1, path), UploadOutcome::Sent);
    EXPECT_TRUE(view_.Saw("ask crvlconfig"));
    EXPECT_EQ(names_, (std::vector<std::string>{"Custom 1", "Custom 2", "Custom 3"}));
    EXPECT_TRUE(view_.Saw(kUpdated));
    EXPECT_TRUE(view_.customScenarios);

    const SlotInfo stored = OnTrainer([this] { return trainer_->Model().slots[1]; });
    EXPECT_EQ(stored.Name(), "case");
    const ScenarioFile expected = ParseScenarioFile(path, test::Bytes(text));
    EXPECT_EQ(stored.table, expected.table);
    EXPECT_EQ(OnTrainer([this] { return trainer_->Model().slots[0].Name(); }), "Custom 1");
}

TEST_F(TrainerE2E, WrongSlotReplyShowsDownloadErrorAndFailedUploadIsReported) {
    sim::FaultSwitches faults;
    faults.wrongSlot = 1;
    faults.uploadResult = 1;
    StartTrainer(faults);
    Connect();
    EXPECT_EQ(Upload(2, WriteFile("third.scn", test::ScenarioText())), UploadOutcome::Sent);
    EXPECT_EQ(names_, (std::vector<std::string>{"Download Error", "Custom 2", "Custom 3"}));
    EXPECT_TRUE(view_.Saw(kFailed));
    EXPECT_FALSE(view_.Saw(kUpdated));
    EXPECT_EQ(OnTrainer([this] { return trainer_->Model().slots[2].Name(); }), "Custom 3");
}

TEST_F(TrainerE2E, BadFileSendsNothing) {
    StartTrainer();
    Connect();
    std::string text = test::ScenarioText();
    text.replace(text.find("\r\n  01   "), 9, "\r\n  02   ");
    const int framesBefore = OnTrainer([this] { return trainer_->Protocol().FramesReceived(); });
    EXPECT_EQ(Upload(0, WriteFile("bad.scn", text)), UploadOutcome::FormatError);
    EXPECT_TRUE(view_.Saw(kFormat));
    EXPECT_TRUE(view_.customScenarios);
    EXPECT_EQ(Upload(0, (dir_ / "gone.scn").string()), UploadOutcome::FileError);
    EXPECT_TRUE(view_.customScenarios);
    const int framesAfter = OnTrainer([this] { return trainer_->Protocol().FramesReceived(); });
    // Only the slot reads and pings went out, no upload.
    EXPECT_EQ(OnTrainer([this] { return trainer_->Model().slots[0].Name(); }), "Custom 1");
    EXPECT_GT(framesAfter, framesBefore);
}

TEST_F(TrainerE2E, TableErrorsAreAskedAboutAndNoSendsNothing) {
    StartTrainer();
    Connect();
    // Frame 0: VF, one shock leads to row 5, which no frame uses.
    std::string text = test::ScenarioText();
    text.replace(text.find("  00   ") + 7, 45, "FF   FF   01   00   02   FF   FF   01   05   ");
    const std::string path = WriteFile("unused.scn", text);
    view_.answers.push_back(Answer::No);
    EXPECT_EQ(Upload(0, path), UploadOutcome::NotConfirmed);
    ASSERT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(view_.questions[0], "The scenario file's table has errors:\n"
                                  "Frame0: the shock event leads to row 5, which no frame uses.\n\n"
                                  "Upload it anyway?");
    EXPECT_EQ(OnTrainer([this] { return trainer_->Model().slots[0].Name(); }), "Custom 1");
    EXPECT_TRUE(view_.customScenarios);
    // A clean file is not asked about.
    EXPECT_EQ(Upload(0, WriteFile("clean.scn", test::ScenarioText())), UploadOutcome::Sent);
    EXPECT_EQ(view_.questions.size(), 1u);
    EXPECT_EQ(OnTrainer([this] { return trainer_->Model().slots[0].Name(); }), "clean");
}

TEST_F(TrainerE2E, MonitorShowsReportsAndClosesWhenTheTrainerFallsSilent) {
    StartTrainer();
    Connect();
    bool closedByItself = false;
    view_.onMonitor = [&] {
        CMonitorDlg dialog(machine_->Monitor(), [this] { return machine_->TakeShock(); });
        dialog.StepTimer()->stop();
        dialog.show();
        // Reports flow: the built-in scenario 1 in VF.
        for (int i = 0; i < 40; ++i) {
            Pump(5ms);
            dialog.Step();
            if (i % 8 == 0)
                machine_->Tick();
        }
        EXPECT_EQ(dialog.ScenarioText(), "01");
        EXPECT_EQ(dialog.FrameText(), "00");
        EXPECT_EQ(dialog.CurrentWaveform(), Waveform::VF);
        // A shock on the trainer: ShockEvent, then frame 1 (sinus).
        trainer_->Post([this] { trainer_->Player().Shock(); });
        for (int i = 0; i < 20 && dialog.CurrentWaveform() != Waveform::Shock; ++i) {
            Pump(5ms);
            dialog.Step();
        }
        EXPECT_EQ(dialog.CurrentWaveform(), Waveform::Shock);

        trainer_->Post([this] { trainer_->Protocol().Faults().silent = true; });
        for (int i = 0; i < 60 && dialog.isVisible(); ++i) {
            Pump(5ms);
            machine_->Tick();
            dialog.SetConnected(view_.monitorConnected);
            dialog.Step();
        }
        closedByItself = !dialog.isVisible();
    };
    view_.monitorConnected = true;
    RunMonitor();
    EXPECT_TRUE(closedByItself);
}

// The whole text of the only session log in folder, or empty.
std::string OnlyLog(const std::filesystem::path& folder) {
    const auto files = ListSessions(folder);
    if (files.size() != 1)
        return {};
    std::ifstream in(files[0], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(TrainerE2E, MonitoredRunIsKeptLineByLineAndBecomesADebrief) {
    StartTrainer();
    Connect();
    const auto sessions = dir_ / "sessions";
    std::chrono::milliseconds now{0};
    std::filesystem::path debriefed;
    MonitorHooks hooks;
    hooks.showDebrief = [&](QWidget*, const std::filesystem::path& log) { debriefed = log; };
    std::unique_ptr<MonitorHost> host;

    std::string beforeHangUp;
    hooks.runDialog = [&](CMonitorDlg& dialog) {
        dialog.StepTimer()->stop();
        dialog.show();
        // Steps the monitor until the log holds lines lines (header included).
        auto awaitLines = [&](std::size_t lines) {
            for (int i = 0; i < 3000 && LineCount(OnlyLog(sessions)) < lines; ++i) {
                Pump(3ms);
                dialog.Step();
            }
            return LineCount(OnlyLog(sessions));
        };
        auto onTrainer = [this](std::function<void(sim::ScenarioPlayer&)> step) {
            trainer_->Post([this, step] { step(trainer_->Player()); });
        };
        EXPECT_EQ(awaitLines(2), 2u);
        now = 1000ms; // play 1 restarts frame 00: nothing changes, nothing is written
        onTrainer([](sim::ScenarioPlayer& p) { p.Start(1, sim::BuiltInScenario()); });
        Pump(600ms);
        now = 2000ms; // cpr start, wait 60: asystole
        onTrainer([](sim::ScenarioPlayer& p) {
            p.CprStart();
            p.Advance(60s);
        });
        EXPECT_EQ(awaitLines(3), 3u);
        now = 3000ms; // wait 30: back to VF
        onTrainer([](sim::ScenarioPlayer& p) { p.Advance(30s); });
        EXPECT_EQ(awaitLines(4), 4u);
        now = 4000ms; // shock: ShockEvent, then sinus with a pulse
        onTrainer([](sim::ScenarioPlayer& p) { p.Shock(); });
        EXPECT_EQ(awaitLines(6), 6u);
        now = 5000ms; // play 2
        onTrainer([](sim::ScenarioPlayer& p) { p.Start(2, sim::BuiltInScenario()); });
        EXPECT_EQ(awaitLines(7), 7u);
        Pump(300ms);
        beforeHangUp = OnlyLog(sessions);

        now = 6000ms; // the line goes: the monitor closes by itself
        trainer_->RequestHangUp();
        EXPECT_TRUE(StepUntilClosed(dialog, *host));
    };
    host = std::make_unique<MonitorHost>(hooks);
    host->SetSessionFolder(sessions);
    host->SetSessionClock([&] { return now; });
    view_.onMonitor = [&] { host->Run(nullptr, *machine_); };
    RunMonitor();

    const std::string expected =
        "time_s,event,scenario,frame,rhythm,shockable,pulse,pads,motion,failure,battery\r\n"
        "0.000,start,01,00,VF,yes,no,yes,no,no,ok\r\n"
        "2.000,frame,01,02,Asystole,no,no,yes,no,no,ok\r\n"
        "3.000,frame,01,00,VF,yes,no,yes,no,no,ok\r\n"
        "4.000,shock,01,00,VF,yes,no,yes,no,no,ok\r\n"
        "4.000,frame,01,01,Sinus,no,yes,yes,no,no,ok\r\n"
        "5.000,frame,02,00,VF,yes,no,yes,no,no,ok\r\n";
    EXPECT_EQ(beforeHangUp, expected);
    // The hang-up keeps every earlier line and adds lost, then end.
    EXPECT_EQ(OnlyLog(sessions), expected + "6.000,lost,02,00,VF,yes,no,yes,no,no,ok\r\n"
                                            "6.000,end,02,00,VF,yes,no,yes,no,no,ok\r\n");

    ASSERT_FALSE(debriefed.empty());
    CDebriefDlg debrief(debriefed);
    const std::vector<QStringList> frames = {{"1", "01", "00", "0.0 s", "2.0 s"},
                                             {"2", "01", "02", "2.0 s", "1.0 s"},
                                             {"3", "01", "00", "3.0 s", "1.0 s"},
                                             {"4", "01", "01", "4.0 s", "1.0 s"},
                                             {"5", "02", "00", "5.0 s", "1.0 s"}};
    EXPECT_EQ(debrief.Text().frames, frames);
    EXPECT_EQ(debrief.Text().shocks, (std::vector<QStringList>{{"1", "4.0 s", "01", "00"}}));
    const QString summary = debrief.SummaryText();
    EXPECT_TRUE(summary.contains("Length: 6.0 s")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Time to first shock: 4.0 s")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Shocks: 1")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("The trainer was lost")) << summary.toStdString();
}

TEST_F(TrainerE2E, ATrainerThatLetsGoEndsTheRunAsDetachedNotLost) {
    StartTrainer();
    Connect();
    const auto sessions = dir_ / "sessions";
    std::filesystem::path debriefed;
    MonitorHooks hooks;
    hooks.showDebrief = [&](QWidget*, const std::filesystem::path& log) { debriefed = log; };
    std::unique_ptr<MonitorHost> host;
    hooks.runDialog = [&](CMonitorDlg& dialog) {
        dialog.StepTimer()->stop();
        dialog.show();
        for (int i = 0; i < 3000 && LineCount(OnlyLog(sessions)) < 2; ++i) {
            Pump(3ms);
            dialog.Step();
        }
        // The trainer's own remote control detaches the tool.
        trainer_->Post([this] { trainer_->Protocol().Reply(MakeAttachedReport(false)); });
        EXPECT_TRUE(StepUntilClosed(dialog, *host));
    };
    host = std::make_unique<MonitorHost>(hooks);
    host->SetSessionFolder(sessions);
    host->SetSessionClock([] { return 0ms; });
    view_.onMonitor = [&] { host->Run(nullptr, *machine_); };
    RunMonitor();

    EXPECT_EQ(OnlyLog(sessions),
              "time_s,event,scenario,frame,rhythm,shockable,pulse,pads,motion,failure,battery\r\n"
              "0.000,start,01,00,VF,yes,no,yes,no,no,ok\r\n"
              "0.000,detached,01,00,VF,yes,no,yes,no,no,ok\r\n"
              "0.000,end,01,00,VF,yes,no,yes,no,no,ok\r\n");
    ASSERT_FALSE(debriefed.empty());
    const QString summary = CDebriefDlg(debriefed).SummaryText();
    EXPECT_TRUE(summary.contains("The trainer detached the tool")) << summary.toStdString();
    EXPECT_FALSE(summary.contains("lost")) << summary.toStdString();
}

TEST_F(TrainerE2E, ReadOnlySessionFolderKeepsTheMonitorRunningWithANotice) {
    StartTrainer();
    Connect();
    const auto sessions = dir_ / "sessions";
    std::filesystem::create_directories(sessions);
    std::filesystem::permissions(sessions, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
    if (::access(sessions.c_str(), W_OK) == 0) {
        // A user who may write anywhere is stopped by a file in its place.
        std::filesystem::remove(sessions);
        std::ofstream(sessions) << "not a folder";
    }
    bool debriefed = false;
    QString notice;
    MonitorHooks hooks;
    hooks.showDebrief = [&](QWidget*, const std::filesystem::path&) { debriefed = true; };
    hooks.runDialog = [&](CMonitorDlg& dialog) {
        notice = dialog.NoticeText();
        dialog.StepTimer()->stop();
        dialog.show();
        for (int i = 0; i < 400 && dialog.ScenarioText() != "01"; ++i) {
            Pump(5ms);
            dialog.Step();
        }
        EXPECT_EQ(dialog.ScenarioText(), "01");
        EXPECT_EQ(dialog.CurrentWaveform(), Waveform::VF);
        dialog.reject();
    };
    MonitorHost host(hooks);
    host.SetSessionFolder(sessions);
    view_.onMonitor = [&] { host.Run(nullptr, *machine_); };
    RunMonitor();
    EXPECT_TRUE(notice.startsWith("This session is not being recorded: ")) << notice.toStdString();
    EXPECT_TRUE(notice.contains(QString::fromStdString(sessions.string()))) << notice.toStdString();
    EXPECT_FALSE(debriefed);
    EXPECT_TRUE(machine_->Connected());
}

} // namespace
} // namespace crvl
