#include <gtest/gtest.h>

#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/trainer_messages.h"

namespace crvl {
namespace {

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> out(MaxEncodedSize(payload.size()));
    out.resize(EncodeFrame(payload, out.data()));
    return out;
}

TEST(FrameEncoder, ReadParametersTravelsAsDocumented) {
    EXPECT_EQ(Encode(MakeReadParameters()),
              (std::vector<std::uint8_t>{0x02, 0x65, 0x10, 0x45, 0x03, 0x60, 0x0D}));
}

TEST(FrameEncoder, PingTravelsAsDocumented) {
    EXPECT_EQ(Encode(MakePing()),
              (std::vector<std::uint8_t>{0x02, 0x2A, 0x10, 0x40, 0x10, 0x40, 0x03, 0x2A, 0x0D}));
}

TEST(FrameEncoder, EscapesEveryControlByteAndTheChecksum) {
    // 0x67 followed by ten 0x10: each 0x10 travels as 10 50; the checksum
    // is 0x67 (ten 0x10 cancel out).
    std::vector<std::uint8_t> payload(11, 0x10);
    payload[0] = 0x67;
    std::vector<std::uint8_t> expected = {0x02, 0x67};
    for (int i = 0; i < 10; ++i) {
        expected.push_back(0x10);
        expected.push_back(0x50);
    }
    expected.insert(expected.end(), {0x03, 0x67, 0x0D});
    EXPECT_EQ(Encode(payload), expected);

    // A checksum below 0x20 is escaped too.
    EXPECT_EQ(Encode({0x41, 0x43}),
              (std::vector<std::uint8_t>{0x02, 0x41, 0x43, 0x03, 0x10, 0x42, 0x0D}));
}

TEST(FrameEncoder, LongestPayloadStaysWithinTheBound) {
    const std::vector<std::uint8_t> payload(kMaxPayload, 0x00);
    const auto frame = Encode(payload);
    EXPECT_EQ(frame.size(), MaxEncodedSize(kMaxPayload));
    EXPECT_EQ(frame.size(), 2053u);
}

TEST(TrainerMessages, ToolMessagesHaveTheirPayloads) {
    EXPECT_EQ(MakeReadVersion(), (Bytes{0x65, 0x02}));
    EXPECT_EQ(MakeReadBattery(), (Bytes{0x65, 0x03}));
    EXPECT_EQ(MakeSetMonitorReports(true), (Bytes{0x65, 0x04, 0x21}));
    EXPECT_EQ(MakeReadSlotInfo(3), (Bytes{0x65, 0x07, 0x23}));
    EXPECT_EQ(MakeSetAttached(false), (Bytes{0x65, 0x08, 0x20}));

    ParameterRecord p;
    p.speakerVolume = 8;
    p.options = 5;
    const Bytes write = MakeWriteParameters(p);
    ASSERT_EQ(write.size(), 11u);
    EXPECT_EQ(write[0], 0x67);
    EXPECT_EQ(write[1], 8);
    EXPECT_EQ(write[10], 5);

    ScenarioTable table;
    table.At(19, 13) = 0xAB;
    const Bytes upload = MakeUploadScenario(2, "a name longer than twenty characters", table);
    ASSERT_EQ(upload.size(), 302u);
    EXPECT_EQ(upload[0], 0x69);
    EXPECT_EQ(upload[1], 0x22);
    EXPECT_EQ(std::string(upload.begin() + 2, upload.begin() + 22), "a name longer than t");
    EXPECT_EQ(upload[301], 0xAB);
}

TEST(TrainerMessages, RecordsRoundTripAndRefuseShortInput) {
    ParameterRecord p;
    p.speakerVolume = 1;
    p.defaultScenario = 12;
    p.padTolerance = 200;
    const auto bytes = p.Encode();
    EXPECT_EQ(ParameterRecord::Decode(bytes), p);
    EXPECT_FALSE(ParameterRecord::Decode(std::span(bytes).first(9)).has_value());

    MonitorRecord m;
    m.frame = 7;
    m.spare2 = 0x99;
    const auto mb = m.Encode();
    EXPECT_EQ(mb[1], 7);
    EXPECT_EQ(MonitorRecord::Decode(mb), m);
    EXPECT_FALSE(MonitorRecord::Decode(std::span(mb).first(10)).has_value());

    SlotInfo s;
    s.SetName("exactly twenty chars");
    EXPECT_EQ(s.Name(), "exactly twenty chars"); // not zero-terminated
    s.table.At(1, 0) = 1;
    const auto sb = s.Encode();
    EXPECT_EQ(sb[20 + 14], 1);
    EXPECT_EQ(SlotInfo::Decode(sb), s);
    EXPECT_FALSE(SlotInfo::Decode(std::span(sb).first(299)).has_value());
}

TEST(TrainerMessages, DescribesWhatTheToolSends) {
    EXPECT_EQ(DescribeToolMessage(MakePing()), "Ping");
    EXPECT_EQ(DescribeToolMessage(MakeReadParameters()), "ReadParameters");
    EXPECT_EQ(DescribeToolMessage(MakeSetAttached(true)), "SetAttached on");
    EXPECT_EQ(DescribeToolMessage(MakeReadSlotInfo(2)), "ReadSlotInfo slot 2");
    EXPECT_EQ(DescribeToolMessage(MakeUploadScenario(1, "x", {})), "UploadScenario slot 1");
    EXPECT_EQ(DescribeToolMessage(Bytes{0x65}), "Unknown");
    EXPECT_EQ(DescribeToolMessage(Bytes{0x7F}), "Unknown");
}

} // namespace
} // namespace crvl
