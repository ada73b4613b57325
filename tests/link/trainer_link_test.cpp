// The trainer link against the simulated trainer on a pseudo-terminal.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <unistd.h>

#include "link/trainer_link.h"
#include "tests/link/link_test_util.h"
#include "tests/link/ring_test_util.h"
#include "tools/trainersim/pty.h"
#include "tools/trainersim/trainer_sim.h"

namespace crvl {
namespace {

using namespace std::chrono_literals;
using test::Notifications;
using test::PortMapping;

constexpr int kPort = 5;

// A short read time-out keeps opening (which drains a quiet line) and
// closing fast; the protocol does not depend on its length.
LinkOptions FastOptions(std::atomic<int>* beeps = nullptr) {
    LinkOptions o;
    o.serial.readTimeoutMs = 50;
    if (beeps != nullptr)
        o.closeSound = [beeps] { ++*beeps; };
    return o;
}

class TrainerLinkTest : public ::testing::Test {
protected:
    explicit TrainerLinkTest(sim::FaultSwitches faults = {}) : sim_(WithFaults(faults)) {}

    static sim::SimConfig WithFaults(const sim::FaultSwitches& faults) {
        sim::SimConfig config;
        config.faults = faults;
        return config;
    }

    void SetUp() override {
        ASSERT_EQ(sim_.Open().message(), "");
        mapping_.emplace(kPort, sim_.SlavePath());
        sim_.Start();
    }
    void TearDown() override {
        link_.Close();
        sim_.Stop();
    }

    int Open() {
        return link_.Open(kPort, [this] { notes_(); });
    }
    Bytes ReceiveOne() {
        Bytes buffer(kMaxPayload);
        buffer.resize(link_.Receive(buffer.data()));
        return buffer;
    }
    // Waits until the simulator has counted n frames.
    bool SimSaw(int n) {
        for (int i = 0; i < 300 && sim_.Protocol().FramesReceived() < n; ++i)
            std::this_thread::sleep_for(10ms);
        return sim_.Protocol().FramesReceived() >= n;
    }

    sim::TrainerSim sim_;
    std::optional<PortMapping> mapping_;
    std::atomic<int> beeps_{0};
    Notifications notes_;
    TrainerLink link_{FastOptions(&beeps_)};
};

TEST_F(TrainerLinkTest, ExchangesReadParameters) {
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(link_.IsOpen());
    ASSERT_EQ(link_.Send(MakeReadParameters()), 1);
    ASSERT_TRUE(notes_.WaitFor(1));
    EXPECT_EQ(ReceiveOne(), MakeParametersReply(sim::TrainerModel{}.parameters));
    EXPECT_EQ(ReceiveOne(), Bytes{}); // nothing more waiting
}

TEST_F(TrainerLinkTest, AnswersVersionBatteryAndPing) {
    ASSERT_EQ(Open(), 1);
    link_.Send(MakeReadVersion());
    link_.Send(MakeReadBattery());
    link_.Send(MakePing());
    link_.Send(MakeSetAttached(true)); // no answer
    ASSERT_TRUE(notes_.WaitFor(3));
    EXPECT_EQ(ReceiveOne(), MakeVersion(2, 1, 3, 0));
    EXPECT_EQ(ReceiveOne(), MakeBattery(0xB4));
    EXPECT_EQ(ReceiveOne(), MakeAlive());
    ASSERT_TRUE(SimSaw(4));
    sim_.Stop(); // the model is read from this thread now
    EXPECT_TRUE(sim_.Model().attached);
}

TEST_F(TrainerLinkTest, OpenOnOpenLinkReturnsOneAndKeepsPort) {
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(link_.Open(9, {}), 1);
    EXPECT_EQ(link_.PortNumber(), kPort);
    // Still the same link: the exchange works and notifies the first callback.
    link_.Send(MakePing());
    EXPECT_TRUE(notes_.WaitFor(1));
}

TEST_F(TrainerLinkTest, SendRefusesEmptyAndOverlongPayloads) {
    EXPECT_EQ(link_.Send(MakePing()), 0); // not open yet
    ASSERT_EQ(Open(), 1);
    Bytes longest(kMaxPayload, 0x7E);
    Bytes overlong(kMaxPayload + 1, 0x7E);
    EXPECT_EQ(link_.Send(longest.data(), 0), 0);
    EXPECT_EQ(link_.Send(overlong), 0);
    EXPECT_EQ(link_.Send(longest), 1);
    link_.Send(MakePing());
    ASSERT_TRUE(notes_.WaitFor(1));
    // The simulator saw the 1024-byte frame and the ping, nothing else.
    EXPECT_EQ(sim_.Protocol().FramesReceived(), 2);
    EXPECT_EQ(sim_.Protocol().FramesDiscarded(), 0);
}

TEST_F(TrainerLinkTest, HangUpEndsReaderWithOneNotification) {
    ASSERT_EQ(Open(), 1);
    sim_.RequestHangUp();
    ASSERT_TRUE(notes_.WaitFor(1));
    for (int i = 0; i < 200 && !link_.ReaderEnded(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(link_.ReaderEnded());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(notes_.Count(), 1);

    EXPECT_TRUE(link_.IsOpen()); // open but dead
    EXPECT_EQ(link_.Send(MakePing()), 0);
    EXPECT_EQ(ReceiveOne(), Bytes{});
    EXPECT_EQ(link_.Open(kPort, {}), 1); // still counts as open
    EXPECT_EQ(beeps_.load(), 0);
    EXPECT_EQ(link_.Close(), 1);
    EXPECT_EQ(beeps_.load(), 1);
    EXPECT_FALSE(link_.IsOpen());
    EXPECT_EQ(link_.Close(), 0);
    EXPECT_EQ(beeps_.load(), 1);
}

TEST_F(TrainerLinkTest, SendsRacingAHangUpNeverTouchAFreedPort) {
    ASSERT_EQ(Open(), 1);
    // The reader thread deletes its port after the hang-up while this
    // thread keeps sending; every send either writes to the live port or is
    // refused (the sanitizer builds check the memory).
    sim_.RequestHangUp();
    const auto end = std::chrono::steady_clock::now() + 3s;
    bool refused = false;
    while (!refused && std::chrono::steady_clock::now() < end)
        refused = link_.Send(MakePing()) == 0;
    EXPECT_TRUE(refused);
    ASSERT_TRUE(notes_.WaitFor(1));
    EXPECT_EQ(link_.Close(), 1);
}

// Answers that come in while Close runs, or after it, belong to the
// connection that ended. The notification still on its way takes its
// message; the reopened link hands out only what the far end sent after the
// reopening.
TEST(TrainerLinkReopen, HandsOutOnlyWhatCameAfterTheReopening) {
    sim::PseudoTerminal far;
    const Status opened = far.Open();
    ASSERT_TRUE(opened.ok()) << opened.message();
    PortMapping mapping(6, far.SlavePath());
    const auto answer = [](std::uint8_t tag) { return test::Frame({msg::kAlive, tag}); };
    const auto write = [&far](const Bytes& frame) {
        ASSERT_EQ(::write(far.MasterFd(), frame.data(), frame.size()),
                  static_cast<ssize_t>(frame.size()));
    };
    const auto receive = [](TrainerLink& link) {
        Bytes buffer(kMaxPayload);
        buffer.resize(link.Receive(buffer.data()));
        return buffer;
    };

    TrainerLink link(FastOptions());
    Notifications before;
    ASSERT_EQ(link.Open(6, [&] { before(); }), 1);
    std::atomic<bool> closed{false};
    std::thread stream([&] {
        while (!closed.load()) {
            write(answer(1));
            std::this_thread::sleep_for(2ms);
        }
    });
    ASSERT_TRUE(before.WaitFor(2));
    EXPECT_EQ(link.Close(), 1);
    closed.store(true);
    stream.join();
    write(answer(2)); // into the terminal of the closed link

    EXPECT_EQ(receive(link), Bytes({msg::kAlive, 1}));
    ASSERT_TRUE(link.Ring().HasMessage()); // and more were left unread

    Notifications after;
    ASSERT_EQ(link.Open(6, [&] { after(); }), 1);
    EXPECT_EQ(receive(link), Bytes{});
    write(answer(3));
    write(answer(4));
    ASSERT_TRUE(after.WaitFor(2));
    EXPECT_EQ(receive(link), Bytes({msg::kAlive, 3}));
    EXPECT_EQ(receive(link), Bytes({msg::kAlive, 4}));
    EXPECT_EQ(receive(link), Bytes{});
    EXPECT_EQ(after.Count(), 2);
}

TEST(TrainerLinkFailure, MissingDeviceFailsAtOnce) {
    PortMapping mapping(7, "/nonexistent/crvl-trainer");
    Notifications notes;
    TrainerLink link; // the real 1000 ms read time-out: opening must not read
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Open(7, [&] { notes(); }), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Send(MakePing()), 0);
    EXPECT_EQ(link.Close(), 0);
    EXPECT_EQ(notes.Count(), 0);
}

TEST(TrainerLinkFailure, PortNumbersOutsideTheMapFail) {
    TrainerLink link;
    EXPECT_EQ(link.Open(0, {}), 0);
    EXPECT_EQ(link.Open(17, {}), 0);
    EXPECT_FALSE(link.IsOpen());
}

class TrainerLinkFaultTest : public TrainerLinkTest {
protected:
    static sim::FaultSwitches Faults() {
        sim::FaultSwitches f;
        f.garbage = true;
        f.replyDelay = 100ms;
        return f;
    }
    TrainerLinkFaultTest() : TrainerLinkTest(Faults()) {}
};

TEST_F(TrainerLinkFaultTest, GarbageBetweenFramesAndLateAnswersStillArrive) {
    ASSERT_EQ(Open(), 1);
    link_.Send(MakeReadParameters());
    link_.Send(MakePing());
    ASSERT_TRUE(notes_.WaitFor(2));
    EXPECT_EQ(ReceiveOne(), MakeParametersReply(sim::TrainerModel{}.parameters));
    EXPECT_EQ(ReceiveOne(), MakeAlive());
}

class TrainerLinkBadChecksumTest : public TrainerLinkTest {
protected:
    static sim::FaultSwitches Faults() {
        sim::FaultSwitches f;
        f.badChecksum = true;
        return f;
    }
    TrainerLinkBadChecksumTest() : TrainerLinkTest(Faults()) {}
};

TEST_F(TrainerLinkBadChecksumTest, AnswersWithBadChecksumAreDroppedSilently) {
    ASSERT_EQ(Open(), 1);
    link_.Send(MakeReadParameters());
    ASSERT_TRUE(SimSaw(1));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(notes_.Count(), 0);
    EXPECT_FALSE(link_.Ring().HasMessage());
}

} // namespace
} // namespace crvl
