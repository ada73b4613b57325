// The simulated trainer's protocol side, driven step by step with its own
// clock through an in-memory transport.

#include <gtest/gtest.h>

#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {
namespace {

using namespace std::chrono_literals;

class FakeTransport : public ISimTransport {
public:
    void Write(std::span<const std::uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
    }
    void HangUp() override { ++hangUps; }

    // The messages in what was written, decoded as the tool would.
    std::vector<Bytes> Messages() {
        ReceiveRing ring;
        std::vector<Bytes> out;
        std::uint8_t buffer[kMaxPayload];
        for (const std::uint8_t b : written)
            if (ring.Feed(b) == ReceiveRing::FeedResult::Committed)
                out.emplace_back(buffer, buffer + ring.Take(buffer));
        return out;
    }

    std::vector<std::uint8_t> written;
    int hangUps = 0;
};

Bytes Frame(const Bytes& payload) {
    Bytes out(MaxEncodedSize(payload.size()));
    out.resize(EncodeFrame(payload, out.data()));
    return out;
}

class TrainerProtocolTest : public ::testing::Test {
protected:
    TrainerProtocolTest()
        : protocol(model, transport, [this](const std::string& l) { log.push_back(l); }) {}

    void Receive(const Bytes& payload, SimTime at) {
        protocol.OnBytes(Frame(payload), at);
        protocol.Tick(at);
    }

    SimTime t0{};
    TrainerModel model;
    FakeTransport transport;
    std::vector<std::string> log;
    TrainerProtocol protocol;
};

TEST_F(TrainerProtocolTest, AnswersTheBasicRequests) {
    Receive(MakePing(), t0);
    Receive(MakeReadParameters(), t0);
    Receive(MakeReadVersion(), t0);
    Receive(MakeReadBattery(), t0);
    EXPECT_EQ(transport.Messages(),
              (std::vector<Bytes>{MakeAlive(), MakeParametersReply(model.parameters),
                                  MakeVersion(2, 1, 3, 0), MakeBattery(0xB4)}));
    EXPECT_EQ(protocol.FramesReceived(), 4);
}

TEST_F(TrainerProtocolTest, SetAttachedChangesStateWithoutAnswer) {
    Receive(MakeSetAttached(true), t0);
    EXPECT_TRUE(model.attached);
    Receive(MakeSetAttached(false), t0);
    EXPECT_FALSE(model.attached);
    EXPECT_TRUE(transport.written.empty());
}

TEST_F(TrainerProtocolTest, LogsEveryFrameOneLineEach) {
    Receive(MakeReadParameters(), t0);
    Receive(MakeSetAttached(true), t0);
    Receive(Bytes{0x7A, 0x01}, t0);                            // unknown: logged, not answered
    protocol.OnBytes(Bytes{0x02, 0x41, 0x03, 0x42, 0x0D}, t0); // bad checksum
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], "rx ReadParameters [65 05]");
    EXPECT_EQ(log[1], "rx SetAttached on [65 08 21]");
    EXPECT_EQ(log[2], "rx Unknown [7A 01]");
    EXPECT_EQ(log[3], "rx bad frame, discarded");
    EXPECT_EQ(protocol.FramesDiscarded(), 1);
}

TEST_F(TrainerProtocolTest, FramesSplitAcrossReadsAreJoined) {
    const Bytes frame = Frame(MakeReadParameters());
    for (const std::uint8_t b : frame)
        protocol.OnBytes(std::span(&b, 1), t0);
    protocol.Tick(t0);
    EXPECT_EQ(transport.Messages().size(), 1u);
}

TEST_F(TrainerProtocolTest, SilentAnswersNothing) {
    protocol.Faults().silent = true;
    Receive(MakeReadParameters(), t0);
    Receive(MakePing(), t0);
    EXPECT_TRUE(transport.written.empty());
    EXPECT_EQ(protocol.FramesReceived(), 2);
}

TEST_F(TrainerProtocolTest, BadChecksumAnswersAreRejectedByTheDecoder) {
    protocol.Faults().badChecksum = true;
    Receive(MakeReadParameters(), t0);
    Receive(MakeReadBattery(), t0); // 6A B4: checksum DE
    ASSERT_FALSE(transport.written.empty());
    EXPECT_TRUE(transport.Messages().empty());
    // Only the checksum byte differs from a sound frame.
    const Bytes sound = Frame(MakeBattery(0xB4));
    const Bytes bad(transport.written.end() - static_cast<long>(sound.size()),
                    transport.written.end());
    EXPECT_EQ(bad, (Bytes{0x02, 0x6A, 0xB4, 0x03, 0xDF, 0x0D}));
}

TEST_F(TrainerProtocolTest, GarbageComesBeforeEachAnswerAndIsIgnored) {
    protocol.Faults().garbage = true;
    Receive(MakePing(), t0);
    Receive(MakeReadBattery(), t0);
    EXPECT_EQ(transport.Messages(), (std::vector<Bytes>{MakeAlive(), MakeBattery(0xB4)}));
    EXPECT_TRUE(
        std::equal(std::begin(kGarbageBytes), std::end(kGarbageBytes), transport.written.begin()));
}

TEST_F(TrainerProtocolTest, DelayedAnswersWaitForTheirTime) {
    protocol.Faults().replyDelay = 300ms;
    Receive(MakePing(), t0);
    protocol.Tick(t0 + 299ms);
    EXPECT_TRUE(transport.written.empty());
    EXPECT_EQ(protocol.NextDue(), t0 + 300ms);
    protocol.Tick(t0 + 300ms);
    EXPECT_EQ(transport.Messages(), std::vector<Bytes>{MakeAlive()});
    EXPECT_EQ(protocol.NextDue(), SimTime::max());
}

TEST_F(TrainerProtocolTest, HangsUpAfterNFramesOnceAnswered) {
    protocol.Faults().hangUpAfter = 2;
    protocol.Faults().replyDelay = 100ms;
    Receive(MakePing(), t0);
    Receive(MakePing(), t0);
    EXPECT_EQ(transport.hangUps, 0); // the second answer is still due
    protocol.Tick(t0 + 100ms);
    EXPECT_EQ(transport.Messages().size(), 2u);
    EXPECT_EQ(transport.hangUps, 1);
    EXPECT_TRUE(protocol.HungUp());
    // Nothing more goes out, and the hang-up happens once.
    Receive(MakePing(), t0 + 200ms);
    protocol.Tick(t0 + 400ms);
    EXPECT_EQ(transport.Messages().size(), 2u);
    EXPECT_EQ(transport.hangUps, 1);
}

class TakeZeros : public IByteInterceptor {
public:
    bool OnByte(std::uint8_t byte, SimTime) override {
        if (byte != 0x00)
            return false;
        ++zeros;
        return true;
    }
    int zeros = 0;
};

TEST_F(TrainerProtocolTest, InterceptorSeesBytesBeforeTheDecoder) {
    TakeZeros interceptor;
    protocol.SetInterceptor(&interceptor);
    Receive(MakeReadParameters(), t0);
    protocol.OnBytes(Bytes{0x00, 0x00}, t0 + 1s);
    EXPECT_EQ(interceptor.zeros, 2);
    EXPECT_EQ(protocol.LastByteTime(), t0 + 1s);
    EXPECT_EQ(transport.Messages().size(), 1u);
}

TEST_F(TrainerProtocolTest, FeaturesAddHandlersAndTickers) {
    int ticks = 0;
    protocol.AddTicker([&](SimTime) { ++ticks; });
    protocol.SetReadHandler(msg::kReadSlotInfo, [this](std::span<const std::uint8_t> p) {
        protocol.Reply(MakeSlotReply(p[2] - kArgOffset, model.slots[0]));
    });
    Receive(MakeReadSlotInfo(1), t0);
    EXPECT_EQ(ticks, 1);
    const auto messages = transport.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].size(), 302u);
    EXPECT_EQ(SlotInfo::Decode(std::span(messages[0]).subspan(2))->Name(), "Custom 1");
}

} // namespace
} // namespace crvl::sim
