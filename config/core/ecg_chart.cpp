#include "config/core/ecg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace crvl {

namespace {

int LimitDigits(double limit) {
    const double magnitude = std::fabs(limit);
    if (!(magnitude > 0.0) || !std::isfinite(magnitude))
        return 0;
    return static_cast<int>(std::fabs(std::trunc(std::log10(magnitude))));
}

} // namespace

int ChartLabelDigits(double lower, double upper) {
    return std::max(LimitDigits(lower), LimitDigits(upper));
}

ChartLayout MakeChartLayout(int clientWidth, int clientHeight, const ChartScale& scale) {
    ChartLayout l;
    l.client = {0, 0, clientWidth, clientHeight};
    l.plot = {20, 10, clientWidth - 10, clientHeight - 25};
    l.plotHeight = clientHeight - 35;
    const double range = scale.upper - scale.lower;
    l.verticalFactor = range != 0.0 ? l.plotHeight / range : 0.0;
    // The value labels decide where the plot starts.
    const int digits = ChartLabelDigits(scale.lower, scale.upper);
    l.plot.left = l.client.left + 6 * (digits + scale.decimals + 4);
    l.plotWidth = l.plot.right - l.plot.left;
    return l;
}

int ChartValueY(const ChartLayout& layout, const ChartScale& scale, double value) {
    double height = (value - scale.lower) * layout.verticalFactor;
    const double limit = 4.0 * (layout.plotHeight + 1);
    if (std::isnan(height))
        height = 0.0;
    height = std::clamp(height, -limit, limit);
    return layout.plot.bottom - static_cast<int>(std::trunc(height));
}

std::string ChartValueText(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 20), value);
    return text;
}

std::vector<ChartLabel> ChartLabels(const ChartLayout& l, const ChartScale& scale,
                                    const std::string& xUnits, const std::string& yUnits) {
    const ChartRect& p = l.plot;
    const int samplesAcross = scale.shiftPixels > 0 ? l.plotWidth / scale.shiftPixels : 0;
    return {
        {ChartValueText(scale.upper, scale.decimals), p.left - 4, p.top, LabelAlign::Right,
         LabelAnchor::Top, false},
        {ChartValueText(scale.lower, scale.decimals), p.left - 4, p.bottom, LabelAlign::Right,
         LabelAnchor::Baseline, false},
        {"0", p.left, p.bottom + 4, LabelAlign::Left, LabelAnchor::Top, false},
        {std::to_string(samplesAcross), p.right, p.bottom + 4, LabelAlign::Right, LabelAnchor::Top,
         false},
        {xUnits, (p.left + p.right) / 2, p.bottom + 4, LabelAlign::Centre, LabelAnchor::Top, false},
        {yUnits, (l.client.left + p.left) / 2, (p.top + p.bottom) / 2, LabelAlign::Centre,
         LabelAnchor::Baseline, true},
    };
}

std::array<int, 3> ChartDottedRows(const ChartLayout& l) {
    const int mid = (l.plot.top + l.plot.bottom) / 2;
    const int quarter = l.plotHeight / 4;
    return {mid - quarter, mid, mid + quarter};
}

ChartSegment MakeChartSegment(const ChartLayout& l, const ChartScale& scale, double previous,
                              double current) {
    const int plotShift = scale.shiftPixels + scale.shiftPixels / 2;
    const int halfShift = scale.shiftPixels / 2;
    ChartSegment s;
    s.x0 = l.plot.right - plotShift;
    s.y0 = ChartValueY(l, scale, previous);
    s.x1 = l.plot.right - halfShift;
    s.y1 = ChartValueY(l, scale, current);
    if (l.plot.top >= s.y0 || l.plot.top >= s.y1) {
        s.clipTop = true;
        s.topStrip = {s.x0, l.client.top, s.x1 + 1, l.plot.top + 1};
    }
    if (s.y0 >= l.plot.bottom || s.y1 >= l.plot.bottom) {
        s.clipBottom = true;
        s.bottomStrip = {s.x0, l.plot.bottom + 1, s.x1 + 1, l.client.bottom + 1};
    }
    return s;
}

} // namespace crvl
