#include "config/core/parameter_form.h"

#include <charconv>
#include <cstdlib>

namespace crvl {
namespace {

constexpr std::array<std::string_view, 9> kTimeTexts = {"",    "0.5", "1.0", "1.5", "2.0",
                                                        "2.5", "3.0", "3.5", "Inf"};
constexpr std::array<std::string_view, 3> kCustomSlotTexts = {"C1", "C2", "C3"};
constexpr int kFirstCustomSlot = 11;
// The time fields step in half minutes; the trainer counts seconds.
constexpr int kSecondsPerTimeStep = 30;
// A time no text names, so that a bad text is never taken for a real time.
constexpr std::uint8_t kUnknownTimeSeconds = 255;
// Pad tolerance: the trackbar's positions 0..kTrackbarMax stand for 200
// down to 50 in steps of 10.
constexpr int kToleranceStep = 10;
constexpr int kHighestTolerance = 200;
constexpr int kLowestTolerance = 50;

int DecimalValue(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

UpDownField NumberField(int position) {
    return UpDownField{position, std::to_string(position), true};
}

UpDownField TimeField(int position) {
    return UpDownField{position, std::string(TimeText(position)), true};
}

} // namespace

std::string_view TimeText(int position) {
    if (position < 0 || position >= static_cast<int>(kTimeTexts.size())) {
        return {};
    }
    return kTimeTexts[static_cast<std::size_t>(position)];
}

std::uint8_t TextToSeconds(std::string_view text) {
    if (text == "Inf") {
        return 0;
    }
    for (int position = 1; position < kTimePositionInf; ++position) {
        if (text == kTimeTexts[static_cast<std::size_t>(position)]) {
            return static_cast<std::uint8_t>(kSecondsPerTimeStep * position);
        }
    }
    return kUnknownTimeSeconds;
}

int SecondsToPosition(std::uint8_t seconds) {
    if (seconds == 0) {
        return kTimePositionInf;
    }
    // Below the first full minute shows the shortest time, above the
    // longest the longest ("Inf" stays for 0).
    constexpr int kShortestPosition = 1;
    constexpr int kLongestPosition = kTimePositionInf - 1;
    if (seconds < (kShortestPosition + 1) * kSecondsPerTimeStep) {
        return kShortestPosition;
    }
    if (seconds >= kLongestPosition * kSecondsPerTimeStep) {
        return kLongestPosition;
    }
    return seconds / kSecondsPerTimeStep;
}

std::string ScenarioText(int position) {
    if (position >= kFirstCustomSlot &&
        position < kFirstCustomSlot + static_cast<int>(kCustomSlotTexts.size())) {
        return std::string(kCustomSlotTexts[static_cast<std::size_t>(position - kFirstCustomSlot)]);
    }
    return std::to_string(position);
}

std::uint8_t ScenarioFromText(std::string_view text) {
    for (std::size_t i = 0; i < kCustomSlotTexts.size(); ++i) {
        if (text == kCustomSlotTexts[i]) {
            return static_cast<std::uint8_t>(kFirstCustomSlot + static_cast<int>(i));
        }
    }
    return static_cast<std::uint8_t>(DecimalValue(text));
}

int ToleranceToPosition(std::uint8_t tolerance) {
    // Integer division truncates toward zero, as the trainer's own mapping does.
    return std::abs((static_cast<int>(tolerance) - kLowestTolerance) / kToleranceStep -
                    kTrackbarMax);
}

std::uint8_t PositionToTolerance(int position) {
    return static_cast<std::uint8_t>(kHighestTolerance - kToleranceStep * position);
}

ParameterForm ShowParameters(const ParameterRecord& record) {
    ParameterForm form;
    form.volume = NumberField(record.speakerVolume);
    form.scenario = NumberField(record.defaultScenario);
    form.scenario.text = ScenarioText(record.defaultScenario);
    form.shockSeries = NumberField(record.shockSeries);
    form.protocolTimeout = TimeField(SecondsToPosition(record.protocolTimeout));
    form.cprTimer = TimeField(SecondsToPosition(record.cprTimer));
    form.promptInterval = TimeField(SecondsToPosition(record.promptInterval));
    int pausePosition = SecondsToPosition(record.noShockPause);
    if (pausePosition == kTimePositionInf) {
        pausePosition = 1;
    }
    form.timerPause = TimeField(pausePosition);

    form.nsaTimer = record.noShockPause != 0;
    form.timerPauseEditEnabled = form.nsaTimer;
    form.timerPause.enabled = form.nsaTimer;
    form.promptIntervalEditEnabled = !form.nsaTimer;

    form.longCprPause = record.cprPause != 0;
    form.ledTicked = (record.options & ParameterRecord::kOptionLampIndicationOff) == 0;
    form.volumeTicked = (record.options & ParameterRecord::kOptionBlueButtonVolumeOff) == 0;
    form.remoteTicked = (record.options & ParameterRecord::kOptionRemoteResponseOff) == 0;
    form.trackbar = ToleranceToPosition(record.padTolerance);
    return form;
}

ParameterRecord CollectParameters(const ParameterForm& form) {
    ParameterRecord record;
    record.speakerVolume = static_cast<std::uint8_t>(DecimalValue(form.volume.text));
    record.defaultScenario = ScenarioFromText(form.scenario.text);
    record.cprPause = form.longCprPause ? 1 : 0;
    record.shockSeries = static_cast<std::uint8_t>(DecimalValue(form.shockSeries.text));
    record.protocolTimeout = TextToSeconds(form.protocolTimeout.text);
    record.cprTimer = TextToSeconds(form.cprTimer.text);
    record.promptInterval = TextToSeconds(form.promptInterval.text);
    record.padTolerance = PositionToTolerance(form.trackbar);
    record.noShockPause = form.nsaTimer ? TextToSeconds(form.timerPause.text) : 0;
    std::uint8_t options = 0;
    if (!form.ledTicked) {
        options |= ParameterRecord::kOptionLampIndicationOff;
    }
    if (!form.volumeTicked) {
        options |= ParameterRecord::kOptionBlueButtonVolumeOff;
    }
    if (!form.remoteTicked) {
        options |= ParameterRecord::kOptionRemoteResponseOff;
    }
    record.options = options;
    return record;
}

} // namespace crvl
