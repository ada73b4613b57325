#include "config/core/parameter_form.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

TEST(TimeCodes, TextsAndSecondsRoundTrip) {
    EXPECT_EQ(TimeText(0), "");
    EXPECT_EQ(TimeText(1), "0.5");
    EXPECT_EQ(TimeText(7), "3.5");
    EXPECT_EQ(TimeText(8), "Inf");
    EXPECT_EQ(TimeText(9), "");
    for (int position = 1; position <= 7; ++position) {
        const std::uint8_t seconds = TextToSeconds(TimeText(position));
        EXPECT_EQ(seconds, 30 * position);
        EXPECT_EQ(SecondsToPosition(seconds), position);
    }
    EXPECT_EQ(TextToSeconds("Inf"), 0);
    EXPECT_EQ(SecondsToPosition(0), 8);
}

TEST(TimeCodes, UnknownTextsAreWrittenAs255) {
    EXPECT_EQ(TextToSeconds(""), 255);
    EXPECT_EQ(TextToSeconds("2"), 255);
    EXPECT_EQ(TextToSeconds("1.0 "), 255);
    EXPECT_EQ(TextToSeconds("inf"), 255);
}

TEST(TimeCodes, OddSecondsFallIntoTheirBand) {
    EXPECT_EQ(SecondsToPosition(1), 1);
    EXPECT_EQ(SecondsToPosition(59), 1);
    EXPECT_EQ(SecondsToPosition(89), 2);
    EXPECT_EQ(SecondsToPosition(119), 3);
    EXPECT_EQ(SecondsToPosition(209), 6);
    EXPECT_EQ(SecondsToPosition(255), 7);
}

TEST(DefaultScenario, CustomSlotsShowAsC1ToC3) {
    EXPECT_EQ(ScenarioText(10), "10");
    EXPECT_EQ(ScenarioText(11), "C1");
    EXPECT_EQ(ScenarioText(13), "C3");
    EXPECT_EQ(ScenarioFromText("C2"), 12);
    EXPECT_EQ(ScenarioFromText("7"), 7);
    EXPECT_EQ(ScenarioFromText("c1"), 0);
}

TEST(PadTolerance, TrackbarMapping) {
    EXPECT_EQ(ToleranceToPosition(170), 3);
    EXPECT_EQ(ToleranceToPosition(200), 0);
    EXPECT_EQ(ToleranceToPosition(50), 15);
    // Values off the 10-step grid truncate toward zero.
    EXPECT_EQ(ToleranceToPosition(175), 3);
    EXPECT_EQ(ToleranceToPosition(45), 15);
    EXPECT_EQ(PositionToTolerance(15), 50);
    EXPECT_EQ(PositionToTolerance(0), 200);
}

TEST(ShowParameters, MonitorActionAndUnlimitedTimeout) {
    ParameterRecord record = DefaultParameters();
    record.noShockPause = 0;
    record.protocolTimeout = 0;
    const ParameterForm form = ShowParameters(record);
    EXPECT_FALSE(form.nsaTimer);
    EXPECT_FALSE(form.timerPauseEditEnabled);
    EXPECT_FALSE(form.timerPause.enabled);
    EXPECT_TRUE(form.promptIntervalEditEnabled);
    EXPECT_EQ(form.timerPause.text, "0.5");
    EXPECT_EQ(form.timerPause.position, 1);
    EXPECT_EQ(form.protocolTimeout.text, "Inf");
    EXPECT_EQ(form.protocolTimeout.position, 8);
}

TEST(ShowParameters, DefaultsInEveryControl) {
    const ParameterForm form = ShowParameters(DefaultParameters());
    EXPECT_EQ(form.volume.text, "8");
    EXPECT_EQ(form.scenario.text, "1");
    EXPECT_EQ(form.shockSeries.text, "1");
    EXPECT_EQ(form.protocolTimeout.text, "1.0");
    EXPECT_EQ(form.cprTimer.text, "2.0");
    EXPECT_EQ(form.timerPause.text, "2.0");
    EXPECT_EQ(form.promptInterval.text, "1.0");
    EXPECT_TRUE(form.nsaTimer);
    EXPECT_TRUE(form.timerPauseEditEnabled);
    EXPECT_FALSE(form.promptIntervalEditEnabled);
    EXPECT_FALSE(form.longCprPause);
    EXPECT_EQ(form.trackbar, 3);
    EXPECT_TRUE(form.ledTicked && form.volumeTicked && form.remoteTicked);
}

TEST(CollectParameters, RoundTripOfATrainerRecord) {
    ParameterRecord record;
    record.speakerVolume = 3;
    record.defaultScenario = 12;
    record.cprPause = 1;
    record.shockSeries = 4;
    record.protocolTimeout = 0;
    record.cprTimer = 180;
    record.noShockPause = 210;
    record.promptInterval = 30;
    record.padTolerance = 90;
    record.options = 0x05;
    const ParameterForm form = ShowParameters(record);
    EXPECT_EQ(form.scenario.text, "C2");
    EXPECT_EQ(form.timerPause.text, "3.5");
    EXPECT_FALSE(form.ledTicked);
    EXPECT_TRUE(form.volumeTicked);
    EXPECT_FALSE(form.remoteTicked);
    EXPECT_EQ(CollectParameters(form), record);
}

TEST(CollectParameters, ControlsToBytes) {
    ParameterForm form = ShowParameters(DefaultParameters());
    form.ledTicked = form.volumeTicked = form.remoteTicked = false;
    form.trackbar = 15;
    form.nsaTimer = false;
    form.cprTimer.text.clear();
    const auto bytes = CollectParameters(form).Encode();
    const std::array<std::uint8_t, 10> expected = {8, 1, 0, 1, 60, 255, 0, 60, 50, 7};
    EXPECT_EQ(bytes, expected);
}

} // namespace
} // namespace crvl
