#pragma once

#include <cstdint>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"

namespace crvl::test {

inline std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> out(MaxEncodedSize(payload.size()));
    out.resize(EncodeFrame(payload, out.data()));
    return out;
}

// Feeds the bytes and counts the frames committed.
inline int Feed(ReceiveRing& ring, const std::vector<std::uint8_t>& bytes) {
    int committed = 0;
    for (const std::uint8_t b : bytes)
        committed += ring.Feed(b) == ReceiveRing::FeedResult::Committed ? 1 : 0;
    return committed;
}

// The next message, or an empty vector when none is waiting.
inline std::vector<std::uint8_t> Take(ReceiveRing& ring) {
    std::vector<std::uint8_t> buffer(kMaxPayload);
    buffer.resize(ring.Take(buffer.data()));
    return buffer;
}

} // namespace crvl::test
