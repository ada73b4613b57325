#pragma once

// The trainer's boot-strap loader and flash loader, as the updater meets
// them. A pseudo-terminal carries no break, so boot-strap mode begins with a
// 0x00 byte after a quiet line; the simulator then answers with its
// identification byte, takes the two preloaders, echoes the 2048-byte flash
// loader, waits for the program to switch to 56000 baud and plays the flash
// loader: identification, erase, one reply per record, the RAM test.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/boot_loader.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {

enum class FlashMaker { Intel, Amd, St, Macronix, Unknown };

struct BootloaderOptions {
    // How long the line must be quiet before a 0x00 byte counts as the
    // boot-strap request.
    std::chrono::milliseconds quietLine{300};
    // The flash chip: anything but Intel sends the updater to its second pass.
    FlashMaker maker = FlashMaker::Intel;
    std::optional<std::uint16_t> deviceCode; // overrides the maker's device code
    bool baudPacing = false;                 // take as long as the real line would
    // The speed the flash loader waits for before it answers.
    int programmingBaud = boot::kProgrammingBaud;

    // Faults.
    bool silent = false;                         // no identification byte
    std::uint8_t identity = boot::kIdentityA5;   // identification byte
    int echoMismatchAt = -1;                     // flash loader byte (0..2047) echoed wrong
    std::optional<std::uint8_t> eraseReply;      // sent instead of 'Z' ('e': erase failed)
    int checksumErrorAt = 0;                     // record n (1-based) answered 'F' once
    int recordReplyAt = 0;                       // record n (1-based) answered with recordReply
    std::uint8_t recordReply = 0;                // '1', 'o' or an unknown byte
    int hangUpAt = 0;                            // hang up when record n (1-based) arrives
    std::uint8_t ramReply = boot::reply::kRamOk; // 'a': RAM test failed
};

// How the simulator reaches the line.
struct BootLine {
    std::function<void(std::span<const std::uint8_t>)> write;
    std::function<int()> baudRate;     // what the program set, 0 when unknown
    std::function<bool()> twoStopBits; // likewise
    std::function<void()> hangUp;
};

class BootloaderSim : public IByteInterceptor {
public:
    enum class Stage { Idle, Preloaders, FlashLoader, WaitProgrammingSpeed, Records };

    BootloaderSim(BootloaderOptions options, BootLine line, LogSink log = {});

    // Takes the bytes of the boot loader exchange; leaves protocol traffic
    // to the trainer protocol (returns false).
    bool OnByte(std::uint8_t byte, SimTime now) override;
    // Sends the flash loader's first replies once the program runs at 56000.
    void Tick(SimTime now);

    BootloaderOptions& Options() { return options_; }

    // What arrived, for comparison with the image file (thread-safe copies).
    Stage CurrentStage() const;
    std::vector<std::vector<std::uint8_t>> Records() const;       // accepted records
    std::vector<std::vector<std::uint8_t>> Transmissions() const; // every record sent
    std::vector<std::vector<std::uint8_t>> Loaders() const; // per pass: preloaders + flash loader
    int BootRequests() const;

    static std::uint16_t ManufacturerCode(FlashMaker maker);
    static std::uint16_t DeviceCode(FlashMaker maker);

private:
    void Send(std::span<const std::uint8_t> bytes);
    void Send(std::uint8_t byte) { Send(std::span<const std::uint8_t>(&byte, 1)); }
    void Arrived(SimTime now);
    void RecordComplete();
    std::chrono::nanoseconds ByteTime() const;
    void Log(const std::string& line) const;

    BootloaderOptions options_;
    BootLine line_;
    LogSink log_;

    mutable std::mutex mutex_; // guards what tests read from other threads
    Stage stage_ = Stage::Idle;
    SimTime lastByte_{};
    bool seenByte_ = false;
    std::vector<std::uint8_t> loader_;
    std::vector<std::uint8_t> record_;
    std::vector<std::vector<std::uint8_t>> records_;
    std::vector<std::vector<std::uint8_t>> transmissions_;
    std::vector<std::vector<std::uint8_t>> loaders_;
    int bootRequests_ = 0;
    int checksumErrorsSent_ = 0;
    std::optional<SimTime> speedSeenAt_;
    bool awaitingSecondPass_ = false; // the first pass found no Intel flash

    // Pacing: when each direction of the line is free again.
    SimTime inFreeAt_{};
    SimTime outFreeAt_{};
};

} // namespace crvl::sim
