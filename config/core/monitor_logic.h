// What the scenario monitor shows for the trainer's monitor record: the
// number texts, the lamps and the ECG curve. Kept free of any window so that
// a test can step it tick by tick.
#pragma once

#include "config/core/config_view.h"
#include "protocol/trainer_messages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace crvl {

// Rhythm code the monitor itself writes while it shows a delivered shock.
inline constexpr std::uint8_t kRhythmShock = 255;
inline constexpr std::uint8_t kRhythmAsystole = 3;

// One cell of the lamp strip: its colour row and its column.
struct LampLook {
    LampColour colour = LampColour::Red;
    LampLight light = LampLight::Dark;
    bool operator==(const LampLook&) const = default;
};

// The thirteen lamps, in the order of their control ids.
enum MonitorLamp : std::size_t {
    kLampPadsYes,
    kLampPadsNo,
    kLampMotionNo,
    kLampMotionYes,
    kLampShockableYes,
    kLampShockableNo,
    kLampPulseYes,
    kLampPulseNo,
    kLampFailureNo,
    kLampFailureYes,
    kLampBatteryOk,
    kLampBatteryLow,
    kLampBatteryDep,
    kMonitorLampCount
};

inline constexpr std::array<int, kMonitorLampCount> kMonitorLampIds = {
    1035, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052};

// One entry per lamp; an empty entry leaves that lamp as it is.
using LampLooks = std::array<std::optional<LampLook>, kMonitorLampCount>;

LampLooks LampsForRecord(const MonitorRecord& record);

enum class Waveform { Sinus, VT, VF, Asystole, Shock };

// The curve's name, as screen readers announce the chart.
const char* WaveformName(Waveform waveform);

// Samples in mV, one per 25 ms tick.
std::span<const double> WaveformSamples(Waveform waveform);

// The curve for a rhythm code and shockable byte; empty for an unknown rhythm.
std::optional<Waveform> SelectWaveform(std::uint8_t rhythm, std::uint8_t shockable);

// "00".."10", and "C1".."C3" for the custom slots 11..13.
std::string ScenarioNumberText(std::uint8_t value);
// "00".."19": frames are always shown as numbers.
std::string FrameNumberText(std::uint8_t value);

// What the monitor reads each tick, bundled for callers that keep it together.
struct MonitorInputs {
    std::uint8_t connected = 1;
    std::uint8_t shockFlag = 0;
    MonitorRecord record;
};

struct MonitorRefresh {
    std::string scenarioText;
    std::string frameText;
    LampLooks lamps;
};

inline constexpr int kFlatLinePoints = 50;
inline constexpr int kMonitorTickMs = 25;
inline constexpr int kMonitorRefreshTicks = 10;

struct MonitorTick {
    std::optional<MonitorRefresh> refresh; // every tenth tick
    int flatPoints = 0;                    // zeros to append (failure or loose pads)
    std::optional<double> sample;          // otherwise the next curve sample
    bool close = false;                    // the connection has gone
};

// One 25 ms step of the monitor.
class MonitorStepper {
public:
    // record is the last monitor report, written by the link's dispatcher;
    // the monitor rewrites its rhythm code while it shows a shock. shockFlag
    // is 1 after a ShockEvent and is cleared here.
    MonitorTick Tick(MonitorRecord& record, std::uint8_t& shockFlag, bool connected);
    MonitorTick Tick(MonitorInputs& in) { return Tick(in.record, in.shockFlag, in.connected != 0); }

    Waveform CurrentWaveform() const { return waveform_; }

private:
    void Select(Waveform waveform);

    Waveform waveform_ = Waveform::Asystole;
    std::span<const double> samples_ = WaveformSamples(Waveform::Asystole);
    std::uint32_t sampleIndex_ = 0;
    std::uint16_t refreshCounter_ = 0;
};

} // namespace crvl
