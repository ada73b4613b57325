#include "protocol/trainer_messages.h"

#include <algorithm>
#include <cstring>

namespace crvl {

namespace {

std::uint8_t Arg(int value) {
    return static_cast<std::uint8_t>(kArgOffset + value);
}

Bytes With(std::initializer_list<std::uint8_t> head, std::span<const std::uint8_t> tail = {}) {
    Bytes out(head);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

} // namespace

std::array<std::uint8_t, ParameterRecord::kSize> ParameterRecord::Encode() const {
    return {speakerVolume, defaultScenario, cprPause,       shockSeries,  protocolTimeout,
            cprTimer,      noShockPause,    promptInterval, padTolerance, options};
}

std::optional<ParameterRecord> ParameterRecord::Decode(std::span<const std::uint8_t> b) {
    if (b.size() < kSize)
        return std::nullopt;
    return ParameterRecord{b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9]};
}

ParameterRecord DefaultParameters() {
    ParameterRecord record;
    record.speakerVolume = 8;
    record.defaultScenario = 1;
    record.cprPause = 0;
    record.shockSeries = 1;
    record.protocolTimeout = 60;
    record.cprTimer = 120;
    record.noShockPause = 120;
    record.promptInterval = 60;
    record.padTolerance = 170;
    record.options = 0;
    return record;
}

std::array<std::uint8_t, MonitorRecord::kSize> MonitorRecord::Encode() const {
    return {scenario, frame,   electrodes, motion, shockable, pulse,
            rhythm,   battery, failure,    spare1, spare2};
}

std::optional<MonitorRecord> MonitorRecord::Decode(std::span<const std::uint8_t> b) {
    if (b.size() < kSize)
        return std::nullopt;
    return MonitorRecord{b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10]};
}

std::optional<ScenarioTable> ScenarioTable::Decode(std::span<const std::uint8_t> b) {
    if (b.size() < kSize)
        return std::nullopt;
    ScenarioTable table;
    std::copy_n(b.begin(), kSize, table.cells.begin());
    return table;
}

std::string_view SlotInfo::Name() const {
    const auto* text = reinterpret_cast<const char*>(name.data());
    const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
    return {text, static_cast<std::size_t>(end - name.begin())};
}

void SlotInfo::SetName(std::string_view text) {
    name.fill(0);
    std::memcpy(name.data(), text.data(), std::min(text.size(), kNameSize));
}

std::array<std::uint8_t, SlotInfo::kSize> SlotInfo::Encode() const {
    std::array<std::uint8_t, kSize> out{};
    std::copy(name.begin(), name.end(), out.begin());
    std::copy(table.cells.begin(), table.cells.end(), out.begin() + kNameSize);
    return out;
}

std::optional<SlotInfo> SlotInfo::Decode(std::span<const std::uint8_t> b) {
    if (b.size() < kSize)
        return std::nullopt;
    SlotInfo info;
    std::copy_n(b.begin(), kNameSize, info.name.begin());
    info.table = *ScenarioTable::Decode(b.subspan(kNameSize));
    return info;
}

Bytes MakePing() {
    return {msg::kPing, 0x00, 0x00};
}
Bytes MakeReadParameters() {
    return {msg::kRead, msg::kReadParameters};
}
Bytes MakeReadVersion() {
    return {msg::kRead, msg::kReadVersion};
}
Bytes MakeReadBattery() {
    return {msg::kRead, msg::kReadBattery};
}
Bytes MakeSetMonitorReports(bool on) {
    return {msg::kRead, msg::kSetMonitorReports, on ? kOn : kOff};
}
Bytes MakeReadSlotInfo(int slot) {
    return {msg::kRead, msg::kReadSlotInfo, Arg(slot)};
}
Bytes MakeSetAttached(bool on) {
    return {msg::kRead, msg::kSetAttached, on ? kOn : kOff};
}
Bytes MakeWriteParameters(const ParameterRecord& record) {
    return With({msg::kWriteParameters}, record.Encode());
}
Bytes MakeUploadScenario(int slot, std::string_view name, const ScenarioTable& table) {
    SlotInfo info;
    info.SetName(name);
    info.table = table;
    return With({msg::kUploadScenario, Arg(slot)}, info.Encode());
}

Bytes MakeAlive() {
    return {msg::kAlive};
}
Bytes MakeParametersReply(const ParameterRecord& record) {
    return With({msg::kParametersReply}, record.Encode());
}
Bytes MakeVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t hardware,
                  std::uint8_t extra) {
    return {msg::kVersion, major, minor, hardware, extra};
}
Bytes MakeSlotReply(int slot, const SlotInfo& info) {
    return With({msg::kSlotReply, Arg(slot)}, info.Encode());
}
Bytes MakeBattery(std::uint8_t raw) {
    return {msg::kBattery, raw};
}
Bytes MakeMonitorReport(const MonitorRecord& record) {
    return With({msg::kMonitorReport}, record.Encode());
}
Bytes MakeResult(std::uint8_t result) {
    return {msg::kResult, result};
}
Bytes MakeAttachedReport(bool on) {
    return {msg::kAttachedReport, on ? kOn : kOff};
}
Bytes MakeShockEvent() {
    return {msg::kShockEvent};
}

std::string DescribeToolMessage(std::span<const std::uint8_t> p) {
    if (p.empty())
        return "Empty";
    const auto onOff = [&](const char* name) {
        std::string text = name;
        if (p.size() >= 3)
            text += p[2] == kOn ? " on" : p[2] == kOff ? " off" : " ?";
        return text;
    };
    const auto slot = [&](const char* name, std::size_t at) {
        std::string text = name;
        if (p.size() > at)
            text += " slot " + std::to_string(static_cast<int>(p[at]) - kArgOffset);
        return text;
    };
    switch (p[0]) {
    case msg::kPing:
        return "Ping";
    case msg::kWriteParameters:
        return "WriteParameters";
    case msg::kUploadScenario:
        return slot("UploadScenario", 1);
    case msg::kRead:
        if (p.size() < 2)
            return "Unknown";
        switch (p[1]) {
        case msg::kReadParameters:
            return "ReadParameters";
        case msg::kReadVersion:
            return "ReadVersion";
        case msg::kReadBattery:
            return "ReadBattery";
        case msg::kSetMonitorReports:
            return onOff("SetMonitorReports");
        case msg::kReadSlotInfo:
            return slot("ReadSlotInfo", 2);
        case msg::kSetAttached:
            return onOff("SetAttached");
        default:
            return "Unknown";
        }
    default:
        return "Unknown";
    }
}

} // namespace crvl
