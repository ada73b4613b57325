// The frame decoder and the receive ring, one case per kind of input.

#include <gtest/gtest.h>

#include "tests/link/ring_test_util.h"

namespace crvl {
namespace {

using test::Feed;
using test::Frame;
using test::Take;
using Result = ReceiveRing::FeedResult;
using V = std::vector<std::uint8_t>;

class ReceiveRingTest : public ::testing::Test {
protected:
    ReceiveRing ring;
};

TEST_F(ReceiveRingTest, DecodesTheDocumentedExamples) {
    EXPECT_EQ(Feed(ring, {0x02, 0x65, 0x10, 0x45, 0x03, 0x60, 0x0D}), 1);
    EXPECT_EQ(Feed(ring, {0x02, 0x2A, 0x10, 0x40, 0x10, 0x40, 0x03, 0x2A, 0x0D}), 1);
    EXPECT_EQ(Take(ring), (V{0x65, 0x05}));
    EXPECT_EQ(Take(ring), (V{0x2A, 0x00, 0x00}));
    EXPECT_EQ(Take(ring), V{});
}

TEST_F(ReceiveRingTest, StoresLengthWordBeforePayload) {
    Feed(ring, Frame({0x41, 0x42, 0x43}));
    EXPECT_EQ(ring.CommittedEnd(), 5);
    EXPECT_TRUE(ring.HasMessage());
    Take(ring);
    EXPECT_EQ(ring.ReadPos(), 5);
    EXPECT_FALSE(ring.HasMessage());
}

TEST_F(ReceiveRingTest, StxInsideFrameRestartsWithoutCommit) {
    V bytes = {0x02, 0x41, 0x42};
    const V whole = Frame({0x61});
    bytes.insert(bytes.end(), whole.begin(), whole.end());
    EXPECT_EQ(Feed(ring, bytes), 1);
    EXPECT_EQ(Take(ring), V{0x61});
    EXPECT_EQ(Take(ring), V{});
}

TEST_F(ReceiveRingTest, EscapeOutsideRangeDiscards) {
    // DLE 0x60 would give 0x20, which is never escaped.
    const V bytes = {0x02, 0x41, 0x10, 0x60, 0x03, 0x61, 0x0D};
    Result last = Result::None;
    bool discarded = false;
    for (auto b : bytes) {
        last = ring.Feed(b);
        discarded |= last == Result::Discarded;
    }
    EXPECT_TRUE(discarded);
    EXPECT_EQ(last, Result::None); // the rest is ignored until the next STX
    EXPECT_FALSE(ring.HasMessage());
}

TEST_F(ReceiveRingTest, EscapeBelowRangeDiscards) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x10, 0x3F, 0x03, 0x41, 0x0D}), 0);
    EXPECT_FALSE(ring.HasMessage());
}

TEST_F(ReceiveRingTest, StrayControlByteDiscards) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x07, 0x03, 0x41, 0x0D}), 0);
    EXPECT_FALSE(ring.HasMessage());
}

TEST_F(ReceiveRingTest, BadChecksumDiscards) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x03, 0x42, 0x0D}), 0);
    EXPECT_FALSE(ring.HasMessage());
}

TEST_F(ReceiveRingTest, MissingChecksumAcceptedOnlyWhenXorIsZero) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x03, 0x0D}), 0);
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x41, 0x03, 0x0D}), 1);
    EXPECT_EQ(Take(ring), (V{0x41, 0x41}));
}

TEST_F(ReceiveRingTest, CrBeforeEtxComparesAgainstZero) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x0D}), 0);
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x41, 0x0D}), 1);
    EXPECT_EQ(Take(ring), (V{0x41, 0x41}));
}

TEST_F(ReceiveRingTest, LaterChecksumByteReplacesEarlier) {
    EXPECT_EQ(Feed(ring, {0x02, 0x41, 0x03, 0x30, 0x41, 0x0D}), 1);
    EXPECT_EQ(Take(ring), V{0x41});
}

TEST_F(ReceiveRingTest, BytesOutsideFrameAreIgnored) {
    V bytes = {0x41, 0x0D, 0x03, 0x10, 0xFF, 0x00};
    const V whole = Frame({0x6A, 0x10});
    bytes.insert(bytes.end(), whole.begin(), whole.end());
    EXPECT_EQ(Feed(ring, bytes), 1);
    EXPECT_EQ(Take(ring), (V{0x6A, 0x10}));
}

TEST_F(ReceiveRingTest, CommittedEmptyPayloadReadsAsNothing) {
    EXPECT_EQ(Feed(ring, {0x02, 0x03, 0x0D}), 1);
    EXPECT_TRUE(ring.HasMessage());
    EXPECT_EQ(Take(ring), V{});
    // It was consumed: the next message comes out next.
    Feed(ring, Frame({0x56}));
    EXPECT_EQ(Take(ring), V{0x56});
}

TEST_F(ReceiveRingTest, MessageWrapsAcrossTheEnd) {
    ring.ResetAt(2040);
    V payload;
    for (int i = 0; i < 20; ++i)
        payload.push_back(static_cast<std::uint8_t>(0x30 + i));
    EXPECT_EQ(Feed(ring, Frame(payload)), 1);
    EXPECT_EQ(ring.CommittedEnd(), (2040 + 22) % 2048);
    EXPECT_EQ(Take(ring), payload);
}

TEST_F(ReceiveRingTest, LengthWordSplitAcrossTheEnd) {
    ring.ResetAt(2047); // low byte at 2047, high byte at 0
    const V payload = {0x67, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(Feed(ring, Frame(payload)), 1);
    EXPECT_EQ(ring.CommittedEnd(), 12);
    EXPECT_EQ(Take(ring), payload);
    EXPECT_EQ(ring.ReadPos(), 12);
}

TEST_F(ReceiveRingTest, LongestPayloadAccepted) {
    V payload(kMaxPayload, 0x10);
    payload[0] = 0x42;
    EXPECT_EQ(Feed(ring, Frame(payload)), 1);
    EXPECT_EQ(Take(ring), payload);
}

TEST_F(ReceiveRingTest, OverlongFrameDroppedNotCopied) {
    V payload(kMaxPayload + 1, 0x41);
    EXPECT_EQ(Feed(ring, Frame(payload)), 0);
    EXPECT_FALSE(ring.HasMessage());
    // Far longer than the ring: still nothing stored, nothing overwritten.
    Feed(ring, Frame({0x61}));
    EXPECT_EQ(Feed(ring, Frame(V(5000, 0x42))), 0);
    EXPECT_EQ(Take(ring), V{0x61});
    EXPECT_EQ(Take(ring), V{});
}

TEST_F(ReceiveRingTest, FullRingDropsNewFramesAndKeepsUnreadOnes) {
    // Two 1000-byte messages fill most of the ring; a third does not fit
    // while both are unread and is dropped, never overwriting them.
    const V a(1000, 0x61), b(1000, 0x62), c(1000, 0x63);
    EXPECT_EQ(Feed(ring, Frame(a)), 1);
    EXPECT_EQ(Feed(ring, Frame(b)), 1);
    EXPECT_EQ(Feed(ring, Frame(c)), 0);
    EXPECT_EQ(ring.OverrunDrops(), 1u);
    EXPECT_EQ(Take(ring), a);
    // With a taken there is room again.
    EXPECT_EQ(Feed(ring, Frame(c)), 1);
    EXPECT_EQ(Take(ring), b);
    EXPECT_EQ(Take(ring), c);
    EXPECT_EQ(Take(ring), V{});
}

TEST_F(ReceiveRingTest, EmptyFramesCannotOverrunEither) {
    // 1023 empty frames of two bytes each fill 2046 bytes; the ring keeps
    // one byte free, so the next ones are dropped.
    int committed = 0;
    for (int i = 0; i < 1100; ++i)
        committed += Feed(ring, {0x02, 0x03, 0x0D});
    EXPECT_EQ(committed, 1023);
    EXPECT_GT(ring.OverrunDrops(), 0u);
}

TEST_F(ReceiveRingTest, ManyMessagesThroughTheRingInOrder) {
    for (int round = 0; round < 500; ++round) {
        V payload(static_cast<std::size_t>(1 + round % 300), static_cast<std::uint8_t>(round));
        payload[0] = 0x6B;
        ASSERT_EQ(Feed(ring, Frame(payload)), 1) << round;
        ASSERT_EQ(Take(ring), payload) << round;
    }
}

} // namespace
} // namespace crvl
