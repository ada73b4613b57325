#include "config/core/monitor_logic.h"

#include <cstdio>

namespace crvl {

namespace {

constexpr double kSinus[] = {1,  0, 1,  1,  0,  1,  1, 2, 1, 2, 4,  1,  0, -1,
                             20, 8, -3, -4, -5, -2, 0, 1, 5, 0, -1, -1, 0, 0};
constexpr double kVT[] = {2, 5,  10, 12, 9, 8, 7, 3, 0,  -5, -8, -7,  -6, -4, -2, 0, 4,
                          8, 10, 13, 9,  8, 7, 2, 0, -5, -6, -8, -10, -8, -5, -3, 0};
constexpr double kVF[] = {0,  2,  5, 6, 6, 2,  -2,  -5, -1, 2, 5,  6,  2,  0,  -3, -5, -7,
                          -5, -2, 0, 1, 2, 5,  7,   8,  6,  2, -1, -5, -8, -3, 3,  7,  9,
                          10, 8,  6, 4, 0, -5, -10, -6, -2, 0, 3,  5,  3,  0,  -1, -3};
constexpr double kAsystole[] = {0, 0,  0,  -1, -1, 0, 0, 1, 1, 1, 0, 1,  0, 1, 0, 0,
                                0, -1, -1, -1, 0,  0, 0, 1, 1, 1, 0, -1, 0, 1, 1};
constexpr double kShock[] = {0, 0, 10, 40, 30, 20, -20, -15, -15, -10, -5, 0};

static_assert(std::size(kSinus) == 28);
static_assert(std::size(kVT) == 33);
static_assert(std::size(kVF) == 50);
static_assert(std::size(kAsystole) == 31);
static_assert(std::size(kShock) == 12);

constexpr LampLook Lit(LampColour c) {
    return {c, LampLight::Lit};
}
constexpr LampLook Grey(LampColour c) {
    return {c, LampLight::Off};
}

// A green "good" lamp and a red "bad" lamp of one condition.
void SetPair(LampLooks& looks, MonitorLamp good, MonitorLamp bad, bool isGood) {
    looks[good] = isGood ? Lit(LampColour::Green) : Grey(LampColour::Green);
    looks[bad] = isGood ? Grey(LampColour::Red) : Lit(LampColour::Red);
}

std::string TwoDigits(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(value));
    return text;
}

} // namespace

LampLooks LampsForRecord(const MonitorRecord& r) {
    LampLooks looks;
    SetPair(looks, kLampPadsYes, kLampPadsNo, r.electrodes == 0);
    SetPair(looks, kLampMotionNo, kLampMotionYes, r.motion == 0);
    SetPair(looks, kLampShockableYes, kLampShockableNo, r.shockable == 1);
    SetPair(looks, kLampPulseYes, kLampPulseNo, r.pulse == 1);
    SetPair(looks, kLampFailureNo, kLampFailureYes, r.failure == 0);
    const std::uint8_t battery = r.battery;
    if (battery <= 2) {
        looks[kLampBatteryOk] = battery == 2 ? Lit(LampColour::Green) : Grey(LampColour::Green);
        looks[kLampBatteryLow] = battery == 1 ? Lit(LampColour::Yellow) : Grey(LampColour::Yellow);
        looks[kLampBatteryDep] = battery == 0 ? Lit(LampColour::Red) : Grey(LampColour::Red);
    }
    return looks;
}

const char* WaveformName(Waveform waveform) {
    switch (waveform) {
    case Waveform::Sinus:
        return "Sinus";
    case Waveform::VT:
        return "VT";
    case Waveform::VF:
        return "VF";
    case Waveform::Asystole:
        return "Asystole";
    case Waveform::Shock:
        return "Shock";
    }
    return "";
}

std::span<const double> WaveformSamples(Waveform waveform) {
    switch (waveform) {
    case Waveform::Sinus:
        return kSinus;
    case Waveform::VT:
        return kVT;
    case Waveform::VF:
        return kVF;
    case Waveform::Asystole:
        return kAsystole;
    case Waveform::Shock:
        return kShock;
    }
    return kAsystole;
}

std::optional<Waveform> SelectWaveform(std::uint8_t rhythm, std::uint8_t shockable) {
    const bool isShockable = shockable != 0;
    switch (rhythm) {
    case 0:
        return isShockable ? Waveform::VF : Waveform::Sinus;
    case 1:
        return isShockable ? Waveform::VT : Waveform::Sinus;
    case 2:
        return isShockable ? Waveform::VF : Waveform::Sinus;
    case 3:
        return isShockable ? Waveform::VF : Waveform::Asystole;
    case kRhythmShock:
        return Waveform::Shock;
    default:
        return std::nullopt;
    }
}

std::string ScenarioNumberText(std::uint8_t value) {
    // Scenarios 11..13 are the custom slots C1..C3.
    constexpr int kFirstCustomScenario = 11;
    if (value >= kFirstCustomScenario && value < kFirstCustomScenario + kSlotCount)
        return std::string("C") + static_cast<char>('1' + value - kFirstCustomScenario);
    return TwoDigits(value);
}

std::string FrameNumberText(std::uint8_t value) {
    return TwoDigits(value);
}

void MonitorStepper::Select(Waveform waveform) {
    waveform_ = waveform;
    samples_ = WaveformSamples(waveform);
}

MonitorTick MonitorStepper::Tick(MonitorRecord& record, std::uint8_t& shockFlag, bool connected) {
    MonitorTick out;

    ++refreshCounter_;
    if (refreshCounter_ % kMonitorRefreshTicks == 0) {
        out.refresh = MonitorRefresh{ScenarioNumberText(record.scenario),
                                     FrameNumberText(record.frame), LampsForRecord(record)};
        if (const auto chosen = SelectWaveform(record.rhythm, record.shockable))
            Select(*chosen);
    }

    if (record.failure != 0 || record.electrodes != 0) {
        out.flatPoints = kFlatLinePoints;
    } else {
        if (sampleIndex_ >= samples_.size())
            sampleIndex_ = 0;
        out.sample = samples_[sampleIndex_];
        if (++sampleIndex_ == samples_.size()) {
            sampleIndex_ = 0;
            if (record.rhythm == kRhythmShock) {
                // The shock has been shown once; the trainer's next report
                // brings back the frame's own rhythm.
                record.rhythm = kRhythmAsystole;
                Select(Waveform::Asystole);
            }
        }
    }

    if (shockFlag == 1) {
        record.rhythm = kRhythmShock;
        sampleIndex_ = 0;
        refreshCounter_ = kMonitorRefreshTicks - 1; // refresh, and so pick the shock, next tick
        shockFlag = 0;
    }

    out.close = !connected;
    return out;
}

} // namespace crvl
