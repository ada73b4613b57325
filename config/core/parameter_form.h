// Mapping between the trainer's 10-byte parameter record and what the
// parameter controls of the configuration dialog show. Plain C++ so that the
// dialog stays a thin layer and the mapping can be tested without a display.
#pragma once

#include "protocol/trainer_messages.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace crvl {

// Time codes: up-down positions 0..8 and their texts ("" .. "Inf").
inline constexpr int kTimePositionInf = 8;
std::string_view TimeText(int position);
// Exact match against the time texts; "Inf" gives 0, anything else 255.
std::uint8_t TextToSeconds(std::string_view text);
int SecondsToPosition(std::uint8_t seconds);

// Default scenario: positions 11..13 are the custom slots "C1".."C3".
std::string ScenarioText(int position);
std::uint8_t ScenarioFromText(std::string_view text);

// Pad attachment tolerance <-> trackbar position 0..15.
inline constexpr int kTrackbarMax = 15;
int ToleranceToPosition(std::uint8_t tolerance);
std::uint8_t PositionToTolerance(int position);

// One up-down control with its read-only buddy edit.
struct UpDownField {
    int position = 1;
    std::string text;
    bool enabled = true;
};

// Everything the parameter controls show.
struct ParameterForm {
    UpDownField volume;          // edit 1000, up-down 1028
    UpDownField scenario;        // edit 1001, up-down 1029
    UpDownField shockSeries;     // edit 1002, up-down 1030
    UpDownField protocolTimeout; // edit 1003, up-down 1031
    UpDownField cprTimer;        // edit 1004, up-down 1032
    UpDownField promptInterval;  // edit 1005, up-down 1033
    UpDownField timerPause;      // edit 1006, up-down 1034
    bool promptIntervalEditEnabled = true;
    bool timerPauseEditEnabled = true;
    bool longCprPause = false; // "Long" (else "Short")
    bool nsaTimer = false;     // "Timer" (else "Monitor")
    int trackbar = 0;
    bool ledTicked = false;
    bool volumeTicked = false;
    bool remoteTicked = false;
};

// Record -> controls.
ParameterForm ShowParameters(const ParameterRecord& record);
// Controls -> record, reading the texts as the dialog shows them.
ParameterRecord CollectParameters(const ParameterForm& form);

// The up-down ranges of the dialog.
struct UpDownRange {
    int low;
    int high;
};
inline constexpr UpDownRange kVolumeRange{1, 8};
inline constexpr UpDownRange kScenarioRange{1, 13};
inline constexpr UpDownRange kShockSeriesRange{1, 4};
inline constexpr UpDownRange kProtocolTimeoutRange{1, 8};
inline constexpr UpDownRange kCprTimerRange{1, 6};
inline constexpr UpDownRange kPromptIntervalRange{1, 8};
inline constexpr UpDownRange kTimerPauseRange{1, 6};

// Position proposed when the user switches the no-shock action to Timer.
inline constexpr int kTimerPauseProposal = 4;

} // namespace crvl
