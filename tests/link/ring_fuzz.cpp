// Arbitrary bytes through the decoder into the ring, messages taken out now
// and then. Every message handed out must be one that a straightforward
// reference decoder completed, in the same order, whole: the ring may drop
// frames for lack of room but never hands out a torn or overwritten one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"

namespace {

// The frame rules written out plainly, with unbounded storage.
class ReferenceDecoder {
public:
    // Returns true with the payload in out when a frame completes.
    bool Feed(std::uint8_t b, std::vector<std::uint8_t>& out) {
        using namespace crvl::frame;
        if (b == kStx) {
            payload_.clear();
            inFrame_ = inPayload_ = true;
            escape_ = false;
            sum_ = received_ = 0;
            return false;
        }
        if (!inFrame_)
            return false;
        if (b == kEtx) {
            inPayload_ = false;
            return false;
        }
        if (b == kCr) {
            inFrame_ = false;
            if (sum_ != received_ || payload_.size() > crvl::kMaxPayload)
                return false;
            out = payload_;
            return true;
        }
        if (b == kDle) {
            escape_ = true;
            return false;
        }
        if (escape_) {
            if (b < 0x40 || b > 0x5F) {
                inFrame_ = false;
                return false;
            }
            b = static_cast<std::uint8_t>(b - 0x40);
        } else if (b < 0x20) {
            inFrame_ = false;
            return false;
        }
        escape_ = false;
        if (inPayload_) {
            payload_.push_back(b);
            sum_ ^= b;
            if (payload_.size() > crvl::kMaxPayload)
                inFrame_ = false;
        } else {
            received_ = b;
        }
        return false;
    }

private:
    std::vector<std::uint8_t> payload_;
    bool inFrame_ = false, inPayload_ = false, escape_ = false;
    std::uint8_t sum_ = 0, received_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte sets where the ring starts and how often the consumer
    // takes messages out.
    const unsigned takeEvery = 1u + (data[0] & 0x3F);
    auto ring = std::make_unique<crvl::ReceiveRing>();
    ring->ResetAt(static_cast<std::uint16_t>(data[0] * 8u));
    ReferenceDecoder reference;
    std::deque<std::vector<std::uint8_t>> expected;
    std::vector<std::uint8_t> payload;
    std::uint8_t buffer[crvl::kMaxPayload];

    const auto takeAll = [&] {
        while (ring->HasMessage()) {
            const std::size_t n = ring->Take(buffer);
            // Skip the frames the ring dropped for lack of room.
            while (!expected.empty() && (expected.front().size() != n ||
                                         !std::equal(buffer, buffer + n, expected.front().begin())))
                expected.pop_front();
            if (expected.empty())
                std::abort(); // handed out something never committed
            expected.pop_front();
        }
    };

    for (std::size_t i = 1; i < size; ++i) {
        const auto result = ring->Feed(data[i]);
        const bool done = reference.Feed(data[i], payload);
        if ((result == crvl::ReceiveRing::FeedResult::Committed) && !done)
            std::abort(); // the ring committed what the rules reject
        if (done)
            expected.push_back(payload);
        if (i % takeEvery == 0)
            takeAll();
    }
    takeAll();
    return 0;
}
