#pragma once

// The messages of the trainer protocol and the records they carry. Every
// message travels as the payload of one frame (frame_codec.h); its first
// byte is the message code. Small numeric arguments travel as the number
// plus 0x20 so that they never need escaping.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

using Bytes = std::vector<std::uint8_t>;

// Longest payload a frame may carry, and the size of a receive buffer.
inline constexpr std::size_t kMaxPayload = 1024;

// Offset added to small arguments (off/on, slot numbers).
inline constexpr std::uint8_t kArgOffset = 0x20;
inline constexpr std::uint8_t kOff = kArgOffset + 0;
inline constexpr std::uint8_t kOn = kArgOffset + 1;
inline constexpr int kSlotCount = 3;

namespace msg {

// Sent by the tool.
inline constexpr std::uint8_t kPing = 0x2A;            // '*', 0x00, 0x00
inline constexpr std::uint8_t kRead = 0x65;            // 'e', sub-code [, argument]
inline constexpr std::uint8_t kWriteParameters = 0x67; // 'g', ParameterRecord
inline constexpr std::uint8_t kUploadScenario = 0x69;  // 'i', slot, name, ScenarioTable

// Sub-codes after kRead.
inline constexpr std::uint8_t kReadVersion = 0x02;
inline constexpr std::uint8_t kReadBattery = 0x03;
inline constexpr std::uint8_t kSetMonitorReports = 0x04;
inline constexpr std::uint8_t kReadParameters = 0x05;
inline constexpr std::uint8_t kReadSlotInfo = 0x07;
inline constexpr std::uint8_t kSetAttached = 0x08;

// Sent by the trainer.
inline constexpr std::uint8_t kAlive = 0x2A;           // '*', any further bytes
inline constexpr std::uint8_t kParametersReply = 0x67; // 'g', ParameterRecord
inline constexpr std::uint8_t kVersion = 0x68;         // 'h', 4 bytes
inline constexpr std::uint8_t kSlotReply = 0x69;       // 'i', slot, SlotInfo
inline constexpr std::uint8_t kBattery = 0x6A;         // 'j', 1 byte
inline constexpr std::uint8_t kMonitorReport = 0x6B;   // 'k', MonitorRecord
inline constexpr std::uint8_t kResult = 0x6C;          // 'l', 1 byte, 0 = success
inline constexpr std::uint8_t kAttachedReport = 0x6E;  // 'n', off/on
inline constexpr std::uint8_t kShockEvent = 0x56;      // 'V'

// The byte a Result carries.
inline constexpr std::uint8_t kResultSuccess = 0;

} // namespace msg

// The trainer's protocol parameters, one unsigned byte each.
struct ParameterRecord {
    static constexpr std::size_t kSize = 10;

    std::uint8_t speakerVolume = 0;   // 1..8
    std::uint8_t defaultScenario = 0; // 1..10, 11..13 for custom slots C1..C3
    std::uint8_t cprPause = 0;        // 0 short, 1 long
    std::uint8_t shockSeries = 0;     // 1..4
    std::uint8_t protocolTimeout = 0; // seconds 30..210 in steps of 30, 0 unlimited
    std::uint8_t cprTimer = 0;        // same scale
    std::uint8_t noShockPause = 0;    // same scale, 0 = monitoring
    std::uint8_t promptInterval = 0;  // same scale
    std::uint8_t padTolerance = 0;    // 50..200 in steps of 10
    std::uint8_t options = 0;         // option bits below

    static constexpr std::uint8_t kOptionLampIndicationOff = 0x01;
    static constexpr std::uint8_t kOptionBlueButtonVolumeOff = 0x02;
    static constexpr std::uint8_t kOptionRemoteResponseOff = 0x04;

    std::array<std::uint8_t, kSize> Encode() const;
    // nullopt when fewer than kSize bytes are given.
    static std::optional<ParameterRecord> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const ParameterRecord&) const = default;
};

// The record a trainer holds when it leaves the factory ("Load Defaults").
ParameterRecord DefaultParameters();

// What the trainer reports about a running scenario.
struct MonitorRecord {
    static constexpr std::size_t kSize = 11;

    std::uint8_t scenario = 0;
    std::uint8_t frame = 0;
    std::uint8_t electrodes = 0; // 0 attached
    std::uint8_t motion = 0;     // non-zero: motion artefact
    std::uint8_t shockable = 0;  // 1 shockable rhythm
    std::uint8_t pulse = 0;      // 1 pulse present
    std::uint8_t rhythm = 0;     // ECG rhythm code
    std::uint8_t battery = 0;    // 2 OK, 1 low, 0 depleted
    std::uint8_t failure = 0;    // non-zero: failure
    std::uint8_t spare1 = 0;     // received, not used
    std::uint8_t spare2 = 0;

    std::array<std::uint8_t, kSize> Encode() const;
    static std::optional<MonitorRecord> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const MonitorRecord&) const = default;
};

// A scenario's state table: 20 rows of 14 cells; cell 0 of row r holds r.
struct ScenarioTable {
    static constexpr std::size_t kRows = 20;
    static constexpr std::size_t kColumns = 14;
    static constexpr std::size_t kSize = kRows * kColumns; // 280

    std::array<std::uint8_t, kSize> cells{};

    std::uint8_t& At(std::size_t row, std::size_t column) { return cells[row * kColumns + column]; }
    std::uint8_t At(std::size_t row, std::size_t column) const {
        return cells[row * kColumns + column];
    }

    static std::optional<ScenarioTable> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const ScenarioTable&) const = default;
};

// A custom scenario slot: its name (zero-padded, not necessarily
// zero-terminated at full length) and its table.
struct SlotInfo {
    static constexpr std::size_t kNameSize = 20;
    static constexpr std::size_t kSize = kNameSize + ScenarioTable::kSize; // 300

    std::array<std::uint8_t, kNameSize> name{};
    ScenarioTable table;

    // The name up to its first zero byte (at most 20 characters).
    std::string_view Name() const;
    // Stores text, cut at 20 bytes, zero-padded.
    void SetName(std::string_view text);

    std::array<std::uint8_t, kSize> Encode() const;
    static std::optional<SlotInfo> Decode(std::span<const std::uint8_t> bytes);

    bool operator==(const SlotInfo&) const = default;
};

// Version reply: software major, minor, hardware version, one kept byte.
inline constexpr std::size_t kVersionSize = 4;

// Builders of the messages the tool sends (payloads, before framing).
Bytes MakePing();
Bytes MakeReadParameters();
Bytes MakeReadVersion();
Bytes MakeReadBattery();
Bytes MakeSetMonitorReports(bool on);
Bytes MakeReadSlotInfo(int slot);
Bytes MakeSetAttached(bool on);
Bytes MakeWriteParameters(const ParameterRecord& record);
// name is cut or zero-padded to 20 bytes.
Bytes MakeUploadScenario(int slot, std::string_view name, const ScenarioTable& table);

// Builders of the messages the trainer sends (used by the simulated trainer
// and by tests).
Bytes MakeAlive();
Bytes MakeParametersReply(const ParameterRecord& record);
Bytes MakeVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t hardware,
                  std::uint8_t extra = 0);
Bytes MakeSlotReply(int slot, const SlotInfo& info);
Bytes MakeBattery(std::uint8_t raw);
Bytes MakeMonitorReport(const MonitorRecord& record);
Bytes MakeResult(std::uint8_t result);
Bytes MakeAttachedReport(bool on);
Bytes MakeShockEvent();

// A short human-readable name of a payload as the trainer sees it
// ("ReadParameters", "SetAttached on", "UploadScenario slot 2", ...), used
// in logs. Unknown payloads give "Unknown".
std::string DescribeToolMessage(std::span<const std::uint8_t> payload);

} // namespace crvl
