#include "config/app/ecg_plot.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace crvl {
namespace {

const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);

class EcgPlotTest : public ::testing::Test {
protected:
    // A chart with the scenario monitor's settings whose client area is
    // clientWidth x clientHeight.
    void Make(int clientWidth, int clientHeight) {
        const int edge = 2 * plot_.frameWidth();
        plot_.Create(QRect(0, 0, clientWidth + edge, clientHeight + edge), nullptr, 1054);
        plot_.SetRange(-20.0, 20.0, 1);
        plot_.SetYUnits("mV");
        plot_.SetXUnits("ECG Monitor");
        plot_.SetBackgroundColor(QColor(0, 0, 0));
        plot_.SetGridColor(QColor(255, 255, 255));
        plot_.SetPlotColor(QColor(0, 255, 0));
    }

    // Rows of the plot area that hold curve pixels in column x.
    std::vector<int> CurveRows(const QImage& image, int x) {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == kGreen)
                rows.push_back(y);
        return rows;
    }

    CEcgPlot plot_;
};

TEST_F(EcgPlotTest, MonitorSettingsLayOutThePlot) {
    Make(246, 160);
    const ChartLayout& l = plot_.Layout();
    EXPECT_EQ(l.plot.left, 36);
    EXPECT_EQ(l.plotWidth, 200);
    const QImage grid = plot_.GridImage();
    ASSERT_EQ(grid.size(), QSize(246, 160));
    // The frame runs along the plot's top edge; the dots every 4 pixels on
    // the middle row.
    EXPECT_EQ(grid.pixel(100, l.plot.top), kWhite);
    const int mid = (l.plot.top + l.plot.bottom) / 2;
    EXPECT_EQ(grid.pixel(l.plot.left + 8, mid), kWhite);
    EXPECT_NE(grid.pixel(l.plot.left + 9, mid), kWhite);
    // Some label ink left of the plot, next to the top and bottom limits.
    auto inkIn = [&](QRect r) {
        int ink = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ink += grid.pixel(x, y) != qRgb(0, 0, 0);
        return ink;
    };
    EXPECT_GT(inkIn(QRect(6, l.plot.top, 26, 12)), 5);
    EXPECT_GT(inkIn(QRect(0, l.plot.bottom - 12, 32, 12)), 5);
}

TEST_F(EcgPlotTest, FiftyZerosDrawAFlatLineAtZero) {
    Make(246, 160);
    for (int i = 0; i < 50; ++i)
        plot_.AppendPoint(0.0);
    const ChartLayout& l = plot_.Layout();
    const int zeroRow = l.plot.bottom - static_cast<int>(20.0 * l.verticalFactor);
    const QImage image = plot_.ComposedImage();
    for (int x = l.plot.left + 1; x < l.plot.right - 2; ++x) {
        ASSERT_EQ(CurveRows(image, x), std::vector<int>{zeroRow}) << "column " << x;
    }
}

TEST_F(EcgPlotTest, ValuesOutsideTheRangeStopAtTheFrame) {
    Make(246, 160);
    plot_.AppendPoint(0.0);
    plot_.AppendPoint(40.0);
    const ChartLayout& l = plot_.Layout();
    const QImage curve = plot_.CurveImage();
    int below = 0;
    for (int y = 0; y <= l.plot.top; ++y)
        for (int x = 0; x < curve.width(); ++x)
            EXPECT_NE(curve.pixel(x, y), kGreen) << x << "," << y;
    for (int x = l.plot.right - 6; x <= l.plot.right - 2; ++x)
        below += curve.pixel(x, l.plot.top + 1) == kGreen;
    EXPECT_GT(below, 0); // the segment reaches up to the frame
    // The frame itself stays white in the composed picture.
    EXPECT_EQ(plot_.ComposedImage().pixel(l.plot.right - 3, l.plot.top), kWhite);

    plot_.AppendPoint(-40.0);
    const QImage after = plot_.CurveImage();
    for (int y = l.plot.bottom + 1; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            EXPECT_NE(after.pixel(x, y), kGreen) << x << "," << y;
}

TEST_F(EcgPlotTest, SettersClearTheCurve) {
    Make(246, 160);
    EXPECT_EQ(plot_.AppendPoint(5.0), 0.0);
    EXPECT_EQ(plot_.AppendPoint(6.0), 5.0);
    plot_.SetYUnits("mV");
    const QImage curve = plot_.CurveImage();
    for (int y = 0; y < curve.height(); ++y)
        for (int x = 0; x < curve.width(); ++x)
            ASSERT_EQ(curve.pixel(x, y), qRgb(0, 0, 0));
}

} // namespace
} // namespace crvl
