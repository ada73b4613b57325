// What the classroom knows of one trainer, as the window shows it: the
// station's state, what the trainer reported, and how the last class
// action ended on it.
#pragma once

#include "protocol/trainer_messages.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace crvl {

enum class StationState : std::uint8_t {
    Probing,    // the handshake runs on a port never seen answering
    NotTrainer, // the port did not answer; left alone until it comes back
    Connected,
    Monitoring,
    Lost,       // it answered once and has gone: unplugged, hung up or silent
    HandedOver, // let go for crvlconfig's dialogs
};

enum class ActionKind : std::uint8_t { Upload, Parameters, Monitor, Stop };

enum class ActionOutcome : std::uint8_t {
    Running,
    Done,         // the trainer confirmed (its Result, or the read-back)
    Refused,      // the trainer answered with a Result other than 0
    NotStored,    // no Result; the read-back shows the old content
    NoAnswer,     // no reply within the logic's wait
    LineLost,     // the port failed half way
    Detached,     // the trainer let the program go (its own controls)
    NotConnected, // nothing was sent: the trainer was not there
    Busy,         // nothing was sent: the trainer is being monitored
};

// Which bytes of a parameter record the instructor changed.
using ParameterMask = std::array<bool, ParameterRecord::kSize>;
// record's bytes where mask is set, own's elsewhere.
ParameterRecord MergeParameters(const ParameterRecord& own, const ParameterRecord& record,
                                const ParameterMask& mask);

struct StationSnapshot {
    StationState state = StationState::Probing;
    // It answered the handshake at least once: it has a tile.
    bool trainer = false;
    std::string version; // "2.1 (HW 03)"; empty before the handshake
    std::optional<std::uint8_t> battery;
    std::array<std::optional<std::string>, kSlotCount> slotNames;
    std::optional<ParameterRecord> parameters;
    // The last monitor report of the current or last run.
    std::optional<MonitorRecord> monitor;
    std::uint32_t shocks = 0; // of the current or last run
    bool shockShown = true;   // the window has shown the last shock
    std::optional<ActionKind> lastAction;
    ActionOutcome lastOutcome = ActionOutcome::Done;
    std::filesystem::path sessionLog;
    std::string sessionError; // the log could not be written
};

// "Searching", "Not a trainer", "Connected", "Monitoring", "Lost", "In crvlconfig".
std::string_view StateText(StationState state);
// "Upload", "Parameters", "Monitor", "Stop".
std::string_view ActionText(ActionKind kind);
// "Running", "Done", "Refused", ...
std::string_view OutcomeText(ActionOutcome outcome);
bool Succeeded(ActionOutcome outcome);

} // namespace crvl
