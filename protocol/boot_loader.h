#pragma once

// What the trainer's boot loader and flash loader say and expect on the
// line: crvlupd talks to them, trainersim plays them. The updater starts
// the line at the boot-strap speed, sends the two preloaders and echoes the
// flash loader byte by byte; the flash loader then runs the line at the
// programming speed, reports the flash chip, erases it and answers each
// record of the image with one reply byte.

#include <cstddef>
#include <cstdint>

namespace crvl::boot {

inline constexpr int kBootStrapBaud = 19200;
inline constexpr int kProgrammingBaud = 56000;

// The byte that asks the microcontroller for boot-strap mode (after a break
// on a real line, after a quiet line on the simulator's).
inline constexpr std::uint8_t kBootStrapRequest = 0x00;

// The microcontroller's identification bytes after the boot-strap request.
inline constexpr std::uint8_t kIdentityA5 = 0xA5;
inline constexpr std::uint8_t kIdentityC5 = 0xC5;
inline constexpr std::uint8_t kIdentityD5 = 0xD5;

// Sizes of the microcontroller programs sent during boot-strap.
inline constexpr std::size_t kPreloaderOneSize = 32;
inline constexpr std::size_t kPreloaderTwoSize = 78;
inline constexpr std::size_t kFlashLoaderSize = 2048;

// Flash manufacturer and device codes, sent high byte first after
// kUpAndRunning. The first flash loader serves the Intel chip only; the
// second the other makers' chips.
inline constexpr std::uint16_t kManufacturerIntel = 0x0089;
inline constexpr std::uint16_t kManufacturerAmd = 0x0001;
inline constexpr std::uint16_t kManufacturerSt = 0x0020;
inline constexpr std::uint16_t kManufacturerMacronix = 0x00C2;
inline constexpr std::uint16_t kDeviceIntel = 0x889C;
inline constexpr std::uint16_t kDeviceSecondPassA = 0x22D6;
inline constexpr std::uint16_t kDeviceSecondPassB = 0x22EC;

// Reply bytes of the flash loader.
namespace reply {
inline constexpr std::uint8_t kUpAndRunning = 'R';
inline constexpr std::uint8_t kPageErased = 'P';
inline constexpr std::uint8_t kEraseFailed = 'e';
inline constexpr std::uint8_t kEraseComplete = 'Z';
// A record taken without being burnt (an address or end record).
inline constexpr std::uint8_t kRecordOk = 's';
inline constexpr std::uint8_t kBurned = 'b';
// Asks for the same record again.
inline constexpr std::uint8_t kChecksumError = 'F';
inline constexpr std::uint8_t kUploadComplete = 'S';
inline constexpr std::uint8_t kBurnFailed = '1';
// A record that does not begin with ':'.
inline constexpr std::uint8_t kOddRecord = 'o';
inline constexpr std::uint8_t kRamOk = 'A';
inline constexpr std::uint8_t kRamFailed = 'a';
} // namespace reply

// An image record on the wire: ':', byte count, address (2), type, data,
// checksum. The byte count is the second byte; the bytes after ':' add up
// to 0 modulo 256.
inline constexpr std::uint8_t kRecordStart = ':';
inline constexpr std::size_t kRecordOverhead = 6;
inline constexpr std::size_t kRecordCountIndex = 1;
inline constexpr std::size_t kRecordTypeIndex = 4;
inline constexpr std::uint8_t kRecordTypeData = 0x00;
inline constexpr std::uint8_t kRecordTypeEnd = 0x01;
// Address records: a segment base (value times 16) or the upper 16 bits of
// a linear address for the data records that follow.
inline constexpr std::uint8_t kRecordTypeSegmentAddress = 0x02;
inline constexpr std::uint8_t kRecordTypeLinearAddress = 0x04;
// Start addresses (03, 05) are taken and not used; higher types are unknown.
inline constexpr std::uint8_t kRecordTypeLast = 0x05;

// The flash chips the two flash loaders serve hold 8 Mbit; an image whose
// data spans more cannot be written.
inline constexpr std::uint32_t kFlashSize = 0x100000;

} // namespace crvl::boot
