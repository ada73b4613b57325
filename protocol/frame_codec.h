#pragma once

// The byte frame every trainer message travels in, both directions:
//   STX (0x02), escaped payload, ETX (0x03), escaped XOR checksum, CR (0x0D).
// A byte below 0x20 travels as DLE (0x10) followed by the byte plus 0x40.
// docs/serial-frame.md describes it in full.

#include <cstddef>
#include <cstdint>
#include <span>

namespace crvl {

namespace frame {
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kEscapeOffset = 0x40;
inline constexpr std::uint8_t kFirstPlainByte = 0x20;
} // namespace frame

// Largest encoded frame for a payload of n bytes.
constexpr std::size_t MaxEncodedSize(std::size_t payloadLength) {
    return 2 * payloadLength + 5;
}

// Encodes payload into out as one frame and returns the encoded length.
// out must hold MaxEncodedSize(payload.size()) bytes.
std::size_t EncodeFrame(std::span<const std::uint8_t> payload, std::uint8_t* out);

} // namespace crvl
