#include "config/core/monitor_logic.h"

#include <gtest/gtest.h>

#include <vector>

namespace crvl {
namespace {

constexpr LampLook kGreenLit{LampColour::Green, LampLight::Lit};
constexpr LampLook kGreenOff{LampColour::Green, LampLight::Off};
constexpr LampLook kRedLit{LampColour::Red, LampLight::Lit};
constexpr LampLook kRedOff{LampColour::Red, LampLight::Off};
constexpr LampLook kYellowLit{LampColour::Yellow, LampLight::Lit};
constexpr LampLook kYellowOff{LampColour::Yellow, LampLight::Off};

struct PairCase {
    std::uint8_t MonitorRecord::*field;
    std::uint8_t value;
    MonitorLamp green;
    MonitorLamp red;
    bool greenLit;
};

TEST(MonitorLamps, EveryPairFollowsItsByte) {
    const PairCase cases[] = {
        {&MonitorRecord::electrodes, 0, kLampPadsYes, kLampPadsNo, true},
        {&MonitorRecord::electrodes, 1, kLampPadsYes, kLampPadsNo, false},
        {&MonitorRecord::electrodes, 7, kLampPadsYes, kLampPadsNo, false},
        {&MonitorRecord::motion, 0, kLampMotionNo, kLampMotionYes, true},
        {&MonitorRecord::motion, 1, kLampMotionNo, kLampMotionYes, false},
        {&MonitorRecord::shockable, 1, kLampShockableYes, kLampShockableNo, true},
        {&MonitorRecord::shockable, 0, kLampShockableYes, kLampShockableNo, false},
        {&MonitorRecord::shockable, 2, kLampShockableYes, kLampShockableNo, false},
        {&MonitorRecord::pulse, 1, kLampPulseYes, kLampPulseNo, true},
        {&MonitorRecord::pulse, 0, kLampPulseYes, kLampPulseNo, false},
        {&MonitorRecord::pulse, 255, kLampPulseYes, kLampPulseNo, false},
        {&MonitorRecord::failure, 0, kLampFailureNo, kLampFailureYes, true},
        {&MonitorRecord::failure, 1, kLampFailureNo, kLampFailureYes, false},
    };
    for (const PairCase& c : cases) {
        MonitorRecord record;
        record.electrodes = record.motion = record.failure = 0;
        record.shockable = record.pulse = 1;
        record.*(c.field) = c.value;
        const LampLooks looks = LampsForRecord(record);
        SCOPED_TRACE(::testing::Message()
                     << "lamp " << kMonitorLampIds[c.green] << " value " << int(c.value));
        EXPECT_EQ(looks[c.green], c.greenLit ? kGreenLit : kGreenOff);
        EXPECT_EQ(looks[c.red], c.greenLit ? kRedOff : kRedLit);
    }
}

TEST(MonitorLamps, BatteryTriple) {
    MonitorRecord record;
    record.battery = 2;
    LampLooks looks = LampsForRecord(record);
    EXPECT_EQ(looks[kLampBatteryOk], kGreenLit);
    EXPECT_EQ(looks[kLampBatteryLow], kYellowOff);
    EXPECT_EQ(looks[kLampBatteryDep], kRedOff);
    record.battery = 1;
    looks = LampsForRecord(record);
    EXPECT_EQ(looks[kLampBatteryOk], kGreenOff);
    EXPECT_EQ(looks[kLampBatteryLow], kYellowLit);
    EXPECT_EQ(looks[kLampBatteryDep], kRedOff);
    record.battery = 0;
    looks = LampsForRecord(record);
    EXPECT_EQ(looks[kLampBatteryOk], kGreenOff);
    EXPECT_EQ(looks[kLampBatteryLow], kYellowOff);
    EXPECT_EQ(looks[kLampBatteryDep], kRedLit);
    record.battery = 3; // unknown: the three lamps stay as they are
    looks = LampsForRecord(record);
    EXPECT_FALSE(looks[kLampBatteryOk]);
    EXPECT_FALSE(looks[kLampBatteryLow]);
    EXPECT_FALSE(looks[kLampBatteryDep]);
}

TEST(MonitorWaveform, SelectionTable) {
    struct Row {
        std::uint8_t rhythm;
        std::optional<Waveform> shockable, notShockable;
    };
    const Row rows[] = {
        {0, Waveform::VF, Waveform::Sinus},      {1, Waveform::VT, Waveform::Sinus},
        {2, Waveform::VF, Waveform::Sinus},      {3, Waveform::VF, Waveform::Asystole},
        {255, Waveform::Shock, Waveform::Shock}, {4, std::nullopt, std::nullopt},
        {254, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.rhythm));
        EXPECT_EQ(SelectWaveform(row.rhythm, 1), row.shockable);
        EXPECT_EQ(SelectWaveform(row.rhythm, 2), row.shockable); // any non-zero byte
        EXPECT_EQ(SelectWaveform(row.rhythm, 0), row.notShockable);
    }
}

TEST(MonitorWaveform, TablesHoldEverySample) {
    const auto samples = [](Waveform w) {
        const auto s = WaveformSamples(w);
        return std::vector<double>(s.begin(), s.end());
    };
    EXPECT_EQ(samples(Waveform::Sinus),
              (std::vector<double>{1,  0, 1,  1,  0,  1,  1, 2, 1, 2, 4,  1,  0, -1,
                                   20, 8, -3, -4, -5, -2, 0, 1, 5, 0, -1, -1, 0, 0}));
    EXPECT_EQ(samples(Waveform::VT),
              (std::vector<double>{2, 5,  10, 12, 9, 8, 7, 3, 0,  -5, -8, -7,  -6, -4, -2, 0, 4,
                                   8, 10, 13, 9,  8, 7, 2, 0, -5, -6, -8, -10, -8, -5, -3, 0}));
    EXPECT_EQ(samples(Waveform::VF),
              (std::vector<double>{0,  2,  5, 6, 6, 2,  -2,  -5, -1, 2, 5,  6,  2,  0,  -3, -5, -7,
                                   -5, -2, 0, 1, 2, 5,  7,   8,  6,  2, -1, -5, -8, -3, 3,  7,  9,
                                   10, 8,  6, 4, 0, -5, -10, -6, -2, 0, 3,  5,  3,  0,  -1, -3}));
    EXPECT_EQ(samples(Waveform::Asystole),
              (std::vector<double>{0, 0,  0,  -1, -1, 0, 0, 1, 1, 1, 0, 1,  0, 1, 0, 0,
                                   0, -1, -1, -1, 0,  0, 0, 1, 1, 1, 0, -1, 0, 1, 1}));
    EXPECT_EQ(samples(Waveform::Shock),
              (std::vector<double>{0, 0, 10, 40, 30, 20, -20, -15, -15, -10, -5, 0}));
}

TEST(MonitorNumbers, ScenarioAndFrameTexts) {
    EXPECT_EQ(ScenarioNumberText(0), "00");
    EXPECT_EQ(ScenarioNumberText(10), "10");
    EXPECT_EQ(ScenarioNumberText(11), "C1");
    EXPECT_EQ(ScenarioNumberText(12), "C2");
    EXPECT_EQ(ScenarioNumberText(13), "C3");
    EXPECT_EQ(FrameNumberText(12), "12");
    EXPECT_EQ(FrameNumberText(19), "19");
}

// Runs the stepper for n ticks and collects what it appended.
struct Steps {
    std::vector<double> samples;
    int flatPoints = 0;
    std::optional<MonitorRefresh> lastRefresh;
    int refreshes = 0;
    bool closed = false;
};

Steps Step(MonitorStepper& stepper, MonitorInputs& in, int ticks) {
    Steps run;
    for (int i = 0; i < ticks; ++i) {
        const MonitorTick t = stepper.Tick(in);
        if (t.refresh) {
            run.lastRefresh = t.refresh;
            ++run.refreshes;
        }
        if (t.sample)
            run.samples.push_back(*t.sample);
        run.flatPoints += t.flatPoints;
        run.closed = run.closed || t.close;
    }
    return run;
}

MonitorInputs Inputs(std::uint8_t rhythm, std::uint8_t shockable) {
    MonitorInputs in;
    in.record.scenario = 12;
    in.record.frame = 15;
    in.record.rhythm = rhythm;
    in.record.shockable = shockable;
    in.record.battery = 2;
    return in;
}

TEST(MonitorStepperTest, RefreshesEveryTenthTick) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(1, 1);
    Steps run = Step(stepper, in, 9);
    EXPECT_EQ(run.refreshes, 0);
    EXPECT_EQ(run.samples.size(), 9u);
    run = Step(stepper, in, 1);
    ASSERT_EQ(run.refreshes, 1);
    EXPECT_EQ(run.lastRefresh->scenarioText, "C2");
    EXPECT_EQ(run.lastRefresh->frameText, "15");
    EXPECT_EQ(run.lastRefresh->lamps[kLampShockableYes], kGreenLit);
    EXPECT_EQ(Step(stepper, in, 30).refreshes, 3);
}

TEST(MonitorStepperTest, StartsWithAsystoleThenFollowsTheRhythm) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(1, 1);
    const Steps first = Step(stepper, in, 9);
    const auto asystole = WaveformSamples(Waveform::Asystole);
    EXPECT_EQ(first.samples, std::vector<double>(asystole.begin(), asystole.begin() + 9));
    Step(stepper, in, 1);
    EXPECT_EQ(stepper.CurrentWaveform(), Waveform::VT);
    // The index runs on across the switch: the tenth sample went out of the
    // new table at index 9.
    const Steps next = Step(stepper, in, 2);
    const auto vt = WaveformSamples(Waveform::VT);
    EXPECT_EQ(next.samples, (std::vector<double>{vt[10], vt[11]}));
}

TEST(MonitorStepperTest, VtWithoutShockableShowsSinus) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(1, 0);
    Step(stepper, in, 10);
    EXPECT_EQ(stepper.CurrentWaveform(), Waveform::Sinus);
}

TEST(MonitorStepperTest, LoosePadsOrFailureFlattenTheCurve) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(2, 1);
    in.record.electrodes = 1;
    Steps run = Step(stepper, in, 10);
    EXPECT_TRUE(run.samples.empty());
    EXPECT_EQ(run.flatPoints, 10 * kFlatLinePoints);
    EXPECT_EQ(run.lastRefresh->lamps[kLampPadsNo], kRedLit);
    in.record.electrodes = 0;
    in.record.failure = 1;
    run = Step(stepper, in, 3);
    EXPECT_EQ(run.flatPoints, 3 * kFlatLinePoints);
    in.record.failure = 0;
    EXPECT_EQ(Step(stepper, in, 1).samples.size(), 1u);
}

TEST(MonitorStepperTest, ShockPlaysOnceThenAsystole) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(0, 0);
    Step(stepper, in, 20);
    ASSERT_EQ(stepper.CurrentWaveform(), Waveform::Sinus);
    in.shockFlag = 1;
    Steps run = Step(stepper, in, 1);
    EXPECT_EQ(in.shockFlag, 0);
    EXPECT_EQ(in.record.rhythm, kRhythmShock);
    // Next tick refreshes and picks the shock, from its first sample.
    run = Step(stepper, in, 12);
    EXPECT_EQ(run.refreshes, 2); // both see the shock code
    EXPECT_EQ(run.lastRefresh->lamps[kLampShockableYes], kGreenOff);
    const auto shock = WaveformSamples(Waveform::Shock);
    EXPECT_EQ(run.samples, std::vector<double>(shock.begin(), shock.end()));
    EXPECT_EQ(in.record.rhythm, kRhythmAsystole);
    EXPECT_EQ(stepper.CurrentWaveform(), Waveform::Asystole);
    run = Step(stepper, in, 3);
    const auto asystole = WaveformSamples(Waveform::Asystole);
    EXPECT_EQ(run.samples, std::vector<double>(asystole.begin(), asystole.begin() + 3));
}

TEST(MonitorStepperTest, ClosesWhenTheConnectionGoes) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(0, 0);
    EXPECT_FALSE(Step(stepper, in, 5).closed);
    in.connected = 0;
    EXPECT_TRUE(stepper.Tick(in).close);
}

TEST(MonitorStepperTest, UnknownValuesKeepWhatWasShown) {
    MonitorStepper stepper;
    MonitorInputs in = Inputs(2, 1);
    Step(stepper, in, 10);
    ASSERT_EQ(stepper.CurrentWaveform(), Waveform::VF);
    in.record.rhythm = 9;
    in.record.battery = 5;
    const Steps run = Step(stepper, in, 10);
    EXPECT_EQ(stepper.CurrentWaveform(), Waveform::VF);
    EXPECT_FALSE(run.lastRefresh->lamps[kLampBatteryOk]);
}

} // namespace
} // namespace crvl
