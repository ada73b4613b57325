#include "protocol/frame_codec.h"

namespace crvl {

namespace {

std::uint8_t* PutEscaped(std::uint8_t byte, std::uint8_t* out) {
    if (byte < frame::kFirstPlainByte) {
        *out++ = frame::kDle;
        *out++ = static_cast<std::uint8_t>(byte + frame::kEscapeOffset);
    } else {
        *out++ = byte;
    }
    return out;
}

} // namespace

std::size_t EncodeFrame(std::span<const std::uint8_t> payload, std::uint8_t* out) {
    std::uint8_t* p = out;
    std::uint8_t checksum = 0;
    *p++ = frame::kStx;
    for (const std::uint8_t byte : payload) {
        p = PutEscaped(byte, p);
        checksum ^= byte;
    }
    *p++ = frame::kEtx;
    p = PutEscaped(checksum, p);
    *p++ = frame::kCr;
    return static_cast<std::size_t>(p - out);
}

} // namespace crvl
