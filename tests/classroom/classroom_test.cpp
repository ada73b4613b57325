// The classroom against several simulated trainers on pseudo-terminals,
// each behind a link in a folder as the system lists its serial devices:
// discovery, a port that is no trainer, hot-plug, lost and back, and each
// class action with a trainer that refuses, one that never answers and one
// that hangs up half way.
#include "config/classroom/classroom.h"
#include "config/session/session_read.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <thread>

#include <unistd.h>

namespace crvl {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class ClassroomTest : public ::testing::Test {
protected:
    const fs::path dir = fs::temp_directory_path() / ("crvl-class-" + std::to_string(::getpid()));
    const fs::path ports = dir / "ports";
    const fs::path sessions = dir / "sessions";
    std::map<std::string, std::unique_ptr<sim::TrainerSim>> sims;
    std::unique_ptr<Classroom> room;

    void SetUp() override {
        fs::create_directories(ports);
        ::setenv("CRVL_PORT_DIR", ports.c_str(), 1);
    }
    void TearDown() override {
        room.reset();
        for (auto& [name, sim] : sims)
            sim->Stop();
        fs::remove_all(dir);
    }

    // A simulator runs on its own thread: what it holds is set before it
    // starts, and changed or read afterwards only through OnSim.
    sim::TrainerSim& Plug(const std::string& name, sim::SimConfig config = {}) {
        // The one that was there goes first: it takes its link with it.
        if (auto old = sims.find(name); old != sims.end()) {
            old->second->Stop();
            sims.erase(old);
        }
        config.linkPath = (ports / name).string();
        auto trainer = std::make_unique<sim::TrainerSim>(config);
        EXPECT_EQ(trainer->Open().message(), "");
        trainer->Start();
        return *(sims[name] = std::move(trainer));
    }
    // As an adapter pulled out: its device goes and the line hangs up.
    void Unplug(const std::string& name) {
        fs::remove(ports / name);
        sims.at(name)->RequestHangUp();
    }

    void Open() {
        ClassroomConfig config;
        config.station.sessionsFolder = sessions;
        config.station.retryInterval = 300ms;
        config.nameFor = [](const std::string& port) { return "Group " + port; };
        room = std::make_unique<Classroom>(config, [](std::size_t) {});
        room->Start();
    }

    std::size_t IndexOf(const std::string& port) const {
        for (std::size_t i = 0; i < room->Count(); ++i) {
            if (room->Station(i).Port().stableName == port)
                return i;
        }
        return SIZE_MAX;
    }
    StationSnapshot Of(const std::string& port) const {
        return room->Station(IndexOf(port)).Snapshot();
    }
    // Runs fn on the simulator's thread and gives its result.
    template <class Fn> auto OnSim(const std::string& name, Fn fn) {
        using Result = decltype(fn(*sims.at(name)));
        auto promise = std::make_shared<std::promise<Result>>();
        auto future = promise->get_future();
        sim::TrainerSim* trainer = sims.at(name).get();
        trainer->Post([=] { promise->set_value(fn(*trainer)); });
        if (future.wait_for(5s) != std::future_status::ready) {
            ADD_FAILURE() << name << " did not run the posted work";
            return Result{};
        }
        return future.get();
    }
    // Polls until done() or the limit; the time it took.
    static Clock::duration WaitFor(const std::function<bool()>& done, Clock::duration limit) {
        const auto start = Clock::now();
        while (!done() && Clock::now() - start < limit)
            std::this_thread::sleep_for(20ms);
        return Clock::now() - start;
    }
    bool Reaches(const std::string& port, StationState state, Clock::duration limit) {
        WaitFor([&] { return IndexOf(port) != SIZE_MAX && Of(port).state == state; }, limit);
        return IndexOf(port) != SIZE_MAX && Of(port).state == state;
    }
    void AwaitIdle(const std::vector<std::size_t>& chosen, ActionKind kind) {
        WaitFor([&] { return room->Summary(chosen, kind).running == 0; }, 20s);
    }
};

TEST_F(ClassroomTest, FindsTheTrainersAndLeavesAPortAloneThatIsNone) {
    Plug("usb-Corvel_Trainer_A-if00");
    sim::SimConfig older;
    older.model.version = {3, 4, 5, 0};
    Plug("usb-Corvel_Trainer_B-if00", older);
    sim::SimConfig mute;
    mute.faults.silent = true;
    Plug("usb-Other_Device-if00", mute);
    const auto framesHeard = [](sim::TrainerSim& sim) { return sim.Protocol().FramesReceived(); };
    const auto start = Clock::now();
    Open();
    ASSERT_TRUE(Reaches("usb-Corvel_Trainer_A-if00", StationState::Connected, 3s));
    ASSERT_TRUE(Reaches("usb-Corvel_Trainer_B-if00", StationState::Connected, 3s));
    EXPECT_LT(Clock::now() - start, 3s);
    ASSERT_TRUE(Reaches("usb-Other_Device-if00", StationState::NotTrainer, 5s));

    const StationSnapshot b = Of("usb-Corvel_Trainer_B-if00");
    EXPECT_EQ(b.version, "3.4 (HW 05)");
    EXPECT_EQ(b.battery, sim::TrainerModel{}.batteryRaw);
    WaitFor([&] { return Of("usb-Corvel_Trainer_B-if00").slotNames[2].has_value(); }, 3s);
    EXPECT_EQ(Of("usb-Corvel_Trainer_B-if00").slotNames[2],
              std::string(sim::TrainerModel{}.slots[2].Name()));
    EXPECT_EQ(room->Name(IndexOf("usb-Corvel_Trainer_B-if00")), "Group usb-Corvel_Trainer_B-if00");
    EXPECT_EQ(room->Trainers().size(), 2u);

    // Left alone: the silent port hears nothing more while it stays.
    const int heard = OnSim("usb-Other_Device-if00", framesHeard);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(OnSim("usb-Other_Device-if00", framesHeard), heard);
    EXPECT_EQ(Of("usb-Other_Device-if00").state, StationState::NotTrainer);
}

TEST_F(ClassroomTest, APluggedTrainerGetsItsTileAndAnUnpluggedOneIsLostAndComesBack) {
    Plug("usb-Corvel_Trainer_A-if00");
    Open();
    ASSERT_TRUE(Reaches("usb-Corvel_Trainer_A-if00", StationState::Connected, 3s));

    Plug("usb-Corvel_Trainer_C-if00");
    EXPECT_TRUE(Reaches("usb-Corvel_Trainer_C-if00", StationState::Connected, 3s));

    Unplug("usb-Corvel_Trainer_A-if00");
    EXPECT_TRUE(Reaches("usb-Corvel_Trainer_A-if00", StationState::Lost, 6s));
    EXPECT_TRUE(Of("usb-Corvel_Trainer_A-if00").trainer); // keeps its tile

    Plug("usb-Corvel_Trainer_A-if00");
    EXPECT_TRUE(Reaches("usb-Corvel_Trainer_A-if00", StationState::Connected, 3s));

    // Silent on a line that stays: lost by its missing answers, back when
    // it answers again.
    const auto silent = [](bool on) {
        return [on](sim::TrainerSim& sim) { return sim.Protocol().Faults().silent = on; };
    };
    OnSim("usb-Corvel_Trainer_C-if00", silent(true));
    EXPECT_TRUE(Reaches("usb-Corvel_Trainer_C-if00", StationState::Lost, 6s));
    OnSim("usb-Corvel_Trainer_C-if00", silent(false));
    EXPECT_TRUE(Reaches("usb-Corvel_Trainer_C-if00", StationState::Connected, 4s));
    EXPECT_EQ(room->Trainers().size(), 2u);
}

TEST_F(ClassroomTest, ClassActionsReportEachTrainersOwnAnswer) {
    sim::SimConfig good;
    good.model.parameters.speakerVolume = 3;
    Plug("a-good", good);
    sim::SimConfig refusing;
    refusing.model.parameters.speakerVolume = 6;
    Plug("b-refuses", refusing);
    Plug("c-mute");
    Plug("d-hangs-up");
    const auto parameters = [](sim::TrainerSim& sim) { return sim.Model().parameters; };
    const auto slot2 = [](sim::TrainerSim& sim) {
        return std::string(sim.Model().slots[1].Name());
    };
    Open();
    for (const char* port : {"a-good", "b-refuses", "c-mute", "d-hangs-up"})
        ASSERT_TRUE(Reaches(port, StationState::Connected, 3s)) << port;
    WaitFor([&] { return Of("d-hangs-up").slotNames[2].has_value(); }, 3s);
    const std::vector<std::size_t> all = room->Trainers();
    auto* refuses = sims.at("b-refuses").get();
    auto* mute = sims.at("c-mute").get();
    auto* hangs = sims.at("d-hangs-up").get();

    // Parameters: only the CPR pause was changed; each keeps its volume.
    refuses->Post([=] { refuses->Protocol().Faults().writeResult = 1; });
    ParameterRecord record = DefaultParameters();
    record.cprPause = 1;
    ParameterMask mask{};
    mask[2] = true;
    room->ParametersToAll({IndexOf("a-good")}, record, mask);
    room->ParametersToAll({IndexOf("b-refuses")}, record, mask);
    AwaitIdle(all, ActionKind::Parameters);
    EXPECT_EQ(Of("a-good").lastOutcome, ActionOutcome::Done);
    const ParameterRecord written = OnSim("a-good", parameters);
    EXPECT_EQ(written.speakerVolume, 3);
    EXPECT_EQ(written.cprPause, 1);
    EXPECT_EQ(Of("b-refuses").lastOutcome, ActionOutcome::Refused);

    // Upload: one refuses, one falls silent, one hangs up on the upload.
    ScenarioTable table;
    for (std::size_t row = 0; row < ScenarioTable::kRows; ++row) {
        for (std::size_t col = 0; col < ScenarioTable::kColumns; ++col)
            table.At(row, col) = col == 0 ? static_cast<std::uint8_t>(row) : 0xFF;
    }
    refuses->Post([=] { refuses->Protocol().Faults().uploadResult = 1; });
    mute->Post([=] { mute->Protocol().Faults().silent = true; });
    // It hangs up on the upload's frame before answering it: with its Result
    // on the line first, the upload would rightly count as done.
    hangs->Post([=] {
        hangs->Protocol().Faults().noResult = true;
        hangs->Protocol().Faults().hangUpAfter = hangs->Protocol().FramesReceived() + 1;
    });
    std::this_thread::sleep_for(100ms);
    room->UploadToAll(all, 2, "Class VF", table);
    AwaitIdle(all, ActionKind::Upload);
    const ActionSummary summary = room->Summary(all, ActionKind::Upload);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.failed, 3);
    EXPECT_EQ(Of("a-good").lastOutcome, ActionOutcome::Done);
    EXPECT_EQ(Of("a-good").slotNames[1], "Class VF");
    EXPECT_EQ(OnSim("a-good", slot2), "Class VF");
    EXPECT_EQ(Of("b-refuses").lastOutcome, ActionOutcome::Refused);
    EXPECT_NE(Of("c-mute").lastOutcome, ActionOutcome::Done);
    EXPECT_NE(Of("c-mute").lastOutcome, ActionOutcome::Running);
    EXPECT_EQ(Of("d-hangs-up").lastOutcome, ActionOutcome::LineLost);
    EXPECT_TRUE(Reaches("d-hangs-up", StationState::Lost, 6s));
    EXPECT_NE(OnSim("b-refuses", slot2), "Class VF");
    EXPECT_EQ(summary.lines.front(), "Group a-good: done");
}

TEST_F(ClassroomTest, MonitorAllLogsEachRunUnderItsTrainersName) {
    Plug("usb-A");
    Plug("usb-B");
    Open();
    ASSERT_TRUE(Reaches("usb-A", StationState::Connected, 3s));
    ASSERT_TRUE(Reaches("usb-B", StationState::Connected, 3s));
    room->Rename(IndexOf("usb-B"), "Team: 2/B");
    const std::vector<std::size_t> all = room->Trainers();
    room->MonitorAll(all);
    WaitFor([&] { return room->Summary(all, ActionKind::Monitor).done == 2; }, 8s);
    EXPECT_EQ(Of("usb-A").state, StationState::Monitoring);
    ASSERT_TRUE(Of("usb-A").monitor.has_value());
    // Uploads wait until the run ends.
    room->UploadToAll(all, 1, "X", ScenarioTable{});
    EXPECT_EQ(
        room->Summary(all, ActionKind::Upload).lines,
        (std::vector<std::string>{"Group usb-A: busy monitoring", "Team: 2/B: busy monitoring"}));

    room->StopAll(all);
    ASSERT_TRUE(Reaches("usb-A", StationState::Connected, 5s));
    ASSERT_TRUE(Reaches("usb-B", StationState::Connected, 5s));
    EXPECT_EQ(room->Summary(all, ActionKind::Stop).done, 2);
    const fs::path log = Of("usb-B").sessionLog;
    EXPECT_EQ(log.filename().string().rfind("Team- 2-B_", 0), 0u) << log;
    const SessionRun run = ReadSession(log);
    ASSERT_TRUE(run.Complete()) << run.problem;
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines.front().event, SessionEvent::Start);
    EXPECT_EQ(run.lines.back().event, SessionEvent::End);
    EXPECT_FALSE(OnSim("usb-A", [](sim::TrainerSim& sim) { return sim.Model().monitorReports; }));
}

// While monitored, a trainer unplugged, hung up or fallen silent is Lost
// within 6 s, never Connected on the way, and its log ends with the loss.
TEST_F(ClassroomTest, AMonitoredTrainerThatGoesIsLostAtOnceAndItsLogSaysSo) {
    const std::vector<std::string> gone = {"unplugged", "hangs-up", "silent"};
    for (const std::string& port : gone)
        Plug(port);
    Open();
    for (const std::string& port : gone)
        ASSERT_TRUE(Reaches(port, StationState::Connected, 3s)) << port;
    const std::vector<std::size_t> all = room->Trainers();
    room->MonitorAll(all);
    WaitFor([&] { return room->Summary(all, ActionKind::Monitor).done == 3; }, 8s);
    ASSERT_EQ(room->Summary(all, ActionKind::Monitor).done, 3);

    std::map<std::string, std::vector<StationState>> states;
    for (const std::string& port : gone)
        states[port].push_back(Of(port).state);
    Unplug("unplugged");
    sims.at("hangs-up")->RequestHangUp();
    OnSim("silent", [](sim::TrainerSim& sim) { return sim.Protocol().Faults().silent = true; });
    const Clock::duration took = WaitFor(
        [&] {
            bool allLost = true;
            for (const std::string& port : gone) {
                const StationState now = Of(port).state;
                if (states[port].back() != now)
                    states[port].push_back(now);
                allLost = allLost && now == StationState::Lost;
            }
            return allLost;
        },
        10s);
    EXPECT_LT(took, 6s);
    for (const std::string& port : gone) {
        EXPECT_EQ(states[port],
                  (std::vector<StationState>{StationState::Monitoring, StationState::Lost}))
            << port;
        const SessionRun run = ReadSession(Of(port).sessionLog);
        ASSERT_TRUE(run.Complete()) << port << ": " << run.problem;
        ASSERT_GE(run.lines.size(), 3u) << port;
        EXPECT_EQ(run.lines[run.lines.size() - 2].event, SessionEvent::Lost) << port;
        EXPECT_EQ(run.lines.back().event, SessionEvent::End) << port;
    }
}

} // namespace
} // namespace crvl
