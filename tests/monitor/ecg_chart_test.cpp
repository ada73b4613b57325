#include "config/core/ecg_chart.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

// The scenario monitor's settings.
ChartScale MonitorScale() {
    ChartScale scale;
    scale.lower = -20.0;
    scale.upper = 20.0;
    scale.decimals = 1;
    return scale;
}

TEST(ChartGeometry, MonitorSettingsPlaceThePlot) {
    const ChartScale scale = MonitorScale();
    EXPECT_EQ(ChartLabelDigits(scale.lower, scale.upper), 1);
    const ChartLayout l = MakeChartLayout(300, 160, scale);
    EXPECT_EQ(l.plot, (ChartRect{36, 10, 290, 135}));
    EXPECT_EQ(l.plotWidth, 254);
    EXPECT_EQ(l.plotHeight, 125);
    EXPECT_DOUBLE_EQ(l.verticalFactor, 125.0 / 40.0);
}

TEST(ChartGeometry, LabelDigits) {
    EXPECT_EQ(ChartLabelDigits(-10.0, 10.0), 1);
    EXPECT_EQ(ChartLabelDigits(-9.5, 250.0), 2);
    EXPECT_EQ(ChartLabelDigits(0.5, 0.9), 0);
    EXPECT_EQ(ChartLabelDigits(-0.001, 0.0), 3); // |trunc(log10 0.001)|
    EXPECT_EQ(ChartLabelDigits(0.0, 0.0), 0);    // zero counts as one digit
    // Default settings: -10..10, 3 decimals.
    EXPECT_EQ(MakeChartLayout(200, 100, ChartScale{}).plot.left, 6 * (1 + 3 + 4));
}

TEST(ChartGeometry, Labels) {
    const ChartScale scale = MonitorScale();
    const ChartLayout l = MakeChartLayout(284, 160, scale);
    const auto labels = ChartLabels(l, scale, "ECG Monitor", "mV");
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[0].text, "20.0");
    EXPECT_EQ(labels[0].x, 32);
    EXPECT_EQ(labels[0].y, 10);
    EXPECT_EQ(labels[0].align, LabelAlign::Right);
    EXPECT_EQ(labels[1].text, "-20.0");
    EXPECT_EQ(labels[1].anchor, LabelAnchor::Baseline);
    EXPECT_EQ(labels[1].y, l.plot.bottom);
    EXPECT_EQ(labels[2].text, "0");
    EXPECT_EQ(l.plotWidth, 238);
    EXPECT_EQ(labels[3].text, "59"); // 238 / 4 samples across
    EXPECT_EQ(labels[4].text, "ECG Monitor");
    EXPECT_EQ(labels[4].x, (36 + 274) / 2);
    EXPECT_EQ(labels[5].text, "mV");
    EXPECT_TRUE(labels[5].upward);
    EXPECT_EQ(labels[5].x, 18);
}

TEST(ChartGeometry, SamplesAcrossA200PixelPlot) {
    ChartScale scale = MonitorScale();
    const ChartLayout l = MakeChartLayout(246, 100, scale); // right 236, left 36
    ASSERT_EQ(l.plotWidth, 200);
    EXPECT_EQ(ChartLabels(l, scale, "", "")[3].text, "50");
}

TEST(ChartGeometry, DottedRows) {
    const ChartLayout l = MakeChartLayout(300, 160, MonitorScale());
    // mid = (10 + 135) / 2 = 72, quarter = 125 / 4 = 31
    EXPECT_EQ(ChartDottedRows(l), (std::array<int, 3>{41, 72, 103}));
}

TEST(ChartSegments, ValuesMapToRows) {
    const ChartScale scale = MonitorScale();
    const ChartLayout l = MakeChartLayout(300, 160, scale);
    EXPECT_EQ(ChartValueY(l, scale, -20.0), l.plot.bottom);
    EXPECT_EQ(ChartValueY(l, scale, 0.0), 135 - 62); // trunc(20 * 3.125)
    EXPECT_EQ(ChartValueY(l, scale, 20.0), l.plot.top);
    const ChartSegment flat = MakeChartSegment(l, scale, 0.0, 0.0);
    EXPECT_EQ(flat.x0, 290 - 6);
    EXPECT_EQ(flat.x1, 290 - 2);
    EXPECT_EQ(flat.y0, flat.y1);
    EXPECT_FALSE(flat.clipTop);
    EXPECT_FALSE(flat.clipBottom);
}

TEST(ChartSegments, OutOfRangeSegmentsAreCutAtTheFrame) {
    const ChartScale scale = MonitorScale();
    const ChartLayout l = MakeChartLayout(300, 160, scale);
    const ChartSegment up = MakeChartSegment(l, scale, 10.0, 40.0);
    EXPECT_LT(up.y1, l.plot.top);
    ASSERT_TRUE(up.clipTop);
    EXPECT_EQ(up.topStrip, (ChartRect{284, 0, 289, 11}));
    EXPECT_FALSE(up.clipBottom);
    const ChartSegment down = MakeChartSegment(l, scale, -25.0, 0.0);
    ASSERT_TRUE(down.clipBottom);
    EXPECT_EQ(down.bottomStrip, (ChartRect{284, 136, 289, 161}));
    // Absurd values stay in integer range.
    const ChartSegment wild = MakeChartSegment(l, scale, 1e300, -1e300);
    EXPECT_TRUE(wild.clipTop);
    EXPECT_TRUE(wild.clipBottom);
}

TEST(ChartGeometry, ValueTexts) {
    EXPECT_EQ(ChartValueText(20.0, 1), "20.0");
    EXPECT_EQ(ChartValueText(-20.0, 1), "-20.0");
    EXPECT_EQ(ChartValueText(-10.0, 3), "-10.000");
}

} // namespace
} // namespace crvl
