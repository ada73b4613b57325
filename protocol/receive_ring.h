#pragma once

// The receive ring: the frame decoder stores each incoming payload in a fixed
// 2048-byte circular buffer as a 16-bit little-endian length word (payload
// length + 2) followed by the payload. One thread (the reader) feeds bytes,
// one other thread (the consumer) takes complete messages out. There are no
// locks: the writer publishes committedEnd with release order after the
// message bytes and its length word are written; the consumer publishes
// readPos with release order after it has copied a message out.
//
// Overrun is prevented, not detected: a frame that would overwrite a message
// the consumer has not taken yet is discarded, so the consumer never sees a
// message that was overwritten. docs/serial-frame.md has the details.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "protocol/trainer_messages.h"

namespace crvl {

class ReceiveRing {
public:
    static constexpr std::size_t kSize = 2048;

    enum class FeedResult : std::uint8_t {
        None,      // byte taken (or ignored); no frame finished
        Committed, // a frame finished and its message is in the ring
        Discarded, // a frame was abandoned (bad checksum, bad escape, stray
                   // control byte, too long, or no room)
    };

    // Writer side: runs the decoder on one received byte. Allocates nothing.
    FeedResult Feed(std::uint8_t byte);

    // Consumer side: copies the next message's payload into buffer (which
    // holds kMaxPayload bytes) and returns its length; 0 when no message is
    // waiting. A committed empty payload is consumed and also gives 0.
    std::size_t Take(std::uint8_t* buffer);

    // Consumer side: true when a committed message is waiting.
    bool HasMessage() const;

    // Frames discarded because the consumer had not made room (for
    // diagnostics; written by the writer only).
    std::uint32_t OverrunDrops() const { return overrunDrops_.load(std::memory_order_relaxed); }

    // Positions, for tests and logs.
    std::uint16_t CommittedEnd() const { return committedEnd_.load(std::memory_order_acquire); }
    std::uint16_t ReadPos() const { return readPos_.load(std::memory_order_acquire); }

    // Drops every message and any frame in progress, so that nothing
    // received earlier is handed out. Only when no other thread uses the
    // ring (the link calls it before its reader starts).
    void Clear() { ResetAt(CommittedEnd()); }

    // Test hook: places an empty ring at position start (both ends), so that
    // wrapping can be exercised without feeding 2 KiB first. Only when no
    // other thread uses the ring.
    void ResetAt(std::uint16_t start);

private:
    void BeginFrame();
    void StoreByte(std::uint8_t byte);
    FeedResult Commit();
    FeedResult Discard(bool forRoom = false);
    void DataByte(std::uint8_t byte);
    std::size_t FreeForFrame() const;

    static constexpr std::uint16_t Wrap(std::size_t pos) {
        return static_cast<std::uint16_t>(pos % kSize);
    }

    std::uint8_t buffer_[kSize] = {};

    // Writer state.
    std::atomic<std::uint16_t> committedEnd_{0};
    std::uint16_t writePos_ = 0;
    std::uint16_t count_ = 0;
    std::uint8_t computedChecksum_ = 0;
    std::uint8_t receivedChecksum_ = 0;
    bool escapePending_ = false;
    bool inPayload_ = false;
    bool inFrame_ = false;
    std::atomic<std::uint32_t> overrunDrops_{0};

    // Consumer state.
    std::atomic<std::uint16_t> readPos_{0};
};

} // namespace crvl
