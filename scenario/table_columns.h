#pragma once

// The columns of a state table row and the codes their cells hold. A row
// belongs to the frame whose number is the row's index; docs/scenario-file.md
// describes how the builder writes the table, docs/scenario-play.md how the
// trainer plays it.

#include "protocol/trainer_messages.h"

#include <cstddef>
#include <cstdint>

namespace crvl::scenario {

namespace cell {
inline constexpr std::size_t kFrame = 0;
inline constexpr std::size_t kElectrodes = 1; // 0 attached, 1 loose
inline constexpr std::size_t kMotion = 2;     // 0 none, 1 motion
inline constexpr std::size_t kShockable = 3;  // 0 no, 1 shockable
inline constexpr std::size_t kPulse = 4;      // 0 no, 1 pulse
inline constexpr std::size_t kRhythm = 5;     // rhythm::k...
inline constexpr std::size_t kBattery = 6;    // 2 OK, 1 low, 0 replace now
inline constexpr std::size_t kFailure = 7;    // 0 none, 1 failure
inline constexpr std::size_t kShockCount = 8; // shocks that lead on
inline constexpr std::size_t kShockNext = 9;
inline constexpr std::size_t kCpr = 10; // kCprStarted, kCprStopped or seconds
inline constexpr std::size_t kCprNext = 11;
inline constexpr std::size_t kTime = 12; // seconds in the frame
inline constexpr std::size_t kTimeNext = 13;

// A cell that sets nothing (actions) or names no event (events).
inline constexpr std::uint8_t kUnset = 0xFF;
inline constexpr std::uint8_t kCprStarted = 0x01;
inline constexpr std::uint8_t kCprStopped = 0x02;
} // namespace cell

namespace rhythm {
inline constexpr std::uint8_t kSinus = 0;
inline constexpr std::uint8_t kVt = 1;
inline constexpr std::uint8_t kVf = 2;
inline constexpr std::uint8_t kAsystole = 3;
} // namespace rhythm

// True when a next-frame cell names a row of the table.
inline constexpr bool IsFrame(std::uint8_t value) {
    return value < ScenarioTable::kRows;
}

// A table with every cell unset except the row numbers (what the builder
// writes for rows no frame fills).
ScenarioTable EmptyTable();

// True when any of cells 1..13 of the row is set.
bool RowInUse(const ScenarioTable& table, std::size_t row);

} // namespace crvl::scenario
