// Geometry of the scrolling strip chart: where the plot sits in the client
// area, how wide the value labels are, where each label goes and how a value
// maps to a pixel row. The chart widget draws with these; tests check them
// without a display.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace crvl {

// Edges in client pixels; right and bottom belong to the rectangle.
struct ChartRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ChartRect&) const = default;
};

struct ChartScale {
    double lower = -10.0;
    double upper = 10.0;
    int decimals = 3;
    int shiftPixels = 4;
};

struct ChartLayout {
    ChartRect client;
    ChartRect plot;
    int plotWidth = 0;
    int plotHeight = 0;
    double verticalFactor = 0.0; // pixels per unit
};

// Integer digits the value labels need beyond the first one: the larger of
// |trunc(log10|limit|)| for both limits (a zero limit counts as one digit).
int ChartLabelDigits(double lower, double upper);

ChartLayout MakeChartLayout(int clientWidth, int clientHeight, const ChartScale& scale);

// Row of a value: the bottom edge minus the truncated height above the lower
// limit. Values far outside the range are clamped to a few plot heights so
// that the arithmetic stays in range; drawing clips them anyway.
int ChartValueY(const ChartLayout& layout, const ChartScale& scale, double value);

std::string ChartValueText(double value, int decimals);

enum class LabelAlign { Left, Centre, Right };
enum class LabelAnchor { Top, Baseline };

struct ChartLabel {
    std::string text;
    int x = 0;
    int y = 0;
    LabelAlign align = LabelAlign::Left;
    LabelAnchor anchor = LabelAnchor::Top;
    bool upward = false; // rotated a quarter turn, reading bottom to top
};

std::vector<ChartLabel> ChartLabels(const ChartLayout& layout, const ChartScale& scale,
                                    const std::string& xUnits, const std::string& yUnits);

// Rows of the dotted lines: a quarter up, the middle, a quarter down.
std::array<int, 3> ChartDottedRows(const ChartLayout& layout);
inline constexpr int kChartDotStep = 4;

// The line segment drawn for one appended value at the right edge, and the
// strips cleared above or below the plot so the segment stops at the frame.
struct ChartSegment {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool clipTop = false;
    ChartRect topStrip; // [left, right) x [top, bottom)
    bool clipBottom = false;
    ChartRect bottomStrip;
};

ChartSegment MakeChartSegment(const ChartLayout& layout, const ChartScale& scale, double previous,
                              double current);

} // namespace crvl
