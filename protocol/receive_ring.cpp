#include "protocol/receive_ring.h"

#include <algorithm>

#include "protocol/frame_codec.h"

namespace crvl {

namespace {
constexpr std::size_t kLengthWordSize = 2;
} // namespace

// Room left for the frame being received: every byte from committedEnd up to
// (not including) the byte before readPos. One byte always stays free so that
// committedEnd == readPos means "nothing unread".
std::size_t ReceiveRing::FreeForFrame() const {
    const std::size_t read = readPos_.load(std::memory_order_acquire);
    const std::size_t end = committedEnd_.load(std::memory_order_relaxed);
    const std::size_t unread = (end + kSize - read) % kSize;
    return kSize - 1 - unread;
}

void ReceiveRing::BeginFrame() {
    writePos_ = Wrap(committedEnd_.load(std::memory_order_relaxed) + kLengthWordSize);
    count_ = 0;
    computedChecksum_ = 0;
    receivedChecksum_ = 0;
    escapePending_ = false;
    inPayload_ = true;
    inFrame_ = true;
}

void ReceiveRing::StoreByte(std::uint8_t byte) {
    buffer_[writePos_] = byte;
    writePos_ = Wrap(writePos_ + 1u);
    ++count_;
    computedChecksum_ ^= byte;
}

ReceiveRing::FeedResult ReceiveRing::Commit() {
    if (kLengthWordSize + count_ > FreeForFrame())
        return Discard(true); // only an empty payload can get here without room
    const std::uint16_t end = committedEnd_.load(std::memory_order_relaxed);
    const std::uint16_t length = static_cast<std::uint16_t>(count_ + kLengthWordSize);
    buffer_[end] = static_cast<std::uint8_t>(length & 0xFF);
    buffer_[Wrap(end + 1u)] = static_cast<std::uint8_t>(length >> 8);
    inFrame_ = false;
    // The payload and the length word are in place before the consumer can
    // see the new end.
    committedEnd_.store(writePos_, std::memory_order_release);
    return FeedResult::Committed;
}

ReceiveRing::FeedResult ReceiveRing::Discard(bool forRoom) {
    inFrame_ = false;
    writePos_ = committedEnd_.load(std::memory_order_relaxed);
    if (forRoom)
        overrunDrops_.fetch_add(1, std::memory_order_relaxed);
    return FeedResult::Discarded;
}

ReceiveRing::FeedResult ReceiveRing::Feed(std::uint8_t byte) {
    if (byte == frame::kStx) {
        // A frame in progress is abandoned without a commit.
        BeginFrame();
        return FeedResult::None;
    }
    if (!inFrame_)
        return FeedResult::None;
    if (byte == frame::kEtx) {
        inPayload_ = false;
        return FeedResult::None;
    }
    if (byte == frame::kCr) {
        // A CR before any ETX compares against a received checksum of 0.
        return computedChecksum_ == receivedChecksum_ ? Commit() : Discard();
    }
    if (byte == frame::kDle) {
        escapePending_ = true;
        return FeedResult::None;
    }
    if (escapePending_) {
        const int value = byte - frame::kEscapeOffset;
        if (value < 0 || value >= frame::kFirstPlainByte)
            return Discard();
        byte = static_cast<std::uint8_t>(value);
    } else if (byte < frame::kFirstPlainByte) {
        return Discard(); // stray control byte
    }
    escapePending_ = false;
    if (!inPayload_) {
        receivedChecksum_ = byte; // a later data byte replaces an earlier one
        return FeedResult::None;
    }
    // A payload longer than a receive buffer is dropped, and so is one that
    // would reach into messages the consumer has not taken yet.
    if (count_ >= kMaxPayload)
        return Discard();
    if (kLengthWordSize + count_ + 1u > FreeForFrame())
        return Discard(true);
    StoreByte(byte);
    return FeedResult::None;
}

bool ReceiveRing::HasMessage() const {
    return readPos_.load(std::memory_order_relaxed) !=
           committedEnd_.load(std::memory_order_acquire);
}

std::size_t ReceiveRing::Take(std::uint8_t* buffer) {
    const std::uint16_t read = readPos_.load(std::memory_order_relaxed);
    if (read == committedEnd_.load(std::memory_order_acquire))
        return 0;
    const std::size_t length = static_cast<std::size_t>(buffer_[read]) |
                               (static_cast<std::size_t>(buffer_[Wrap(read + 1u)]) << 8);
    // The writer never commits more than kMaxPayload bytes, so the length
    // word is always sound; the clamp keeps a corrupted ring from writing
    // past the caller's buffer all the same.
    const std::size_t payload =
        length >= kLengthWordSize ? std::min(length - kLengthWordSize, kMaxPayload) : 0;
    const std::size_t start = Wrap(read + kLengthWordSize);
    const std::size_t first = std::min(payload, kSize - start);
    std::copy_n(buffer_ + start, first, buffer);
    std::copy_n(buffer_, payload - first, buffer + first);
    // The bytes are copied out before the writer may reuse them.
    readPos_.store(Wrap(read + kLengthWordSize + payload), std::memory_order_release);
    return payload;
}

void ReceiveRing::ResetAt(std::uint16_t start) {
    start = Wrap(start);
    committedEnd_.store(start, std::memory_order_relaxed);
    readPos_.store(start, std::memory_order_relaxed);
    writePos_ = start;
    inFrame_ = false;
    escapePending_ = false;
}

} // namespace crvl
