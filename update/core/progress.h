#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace crvl::update {

// The upload's progress. The bar counts the image's records, one step for
// each record the loader accepts, after two larger steps for the trainer's
// identification and its flash device, each a sixteenth of the records. So
// it is full exactly when the last record has been accepted. The bar's range
// is 16-bit, so totals above 65535 are scaled down to it.
class ProgressModel {
public:
    static constexpr int kMaxBarValue = 65535;

    // records: how many the image holds; nothing when it cannot be read.
    void Reset(std::optional<int> records);

    // Identification or device code recognised. A second pass repeats them
    // without moving the bar past what they stand for.
    void StepLarge();
    // One more record accepted.
    void StepRecord();
    // Shows the bar at its end; the position itself stays.
    void MarkDone() { done_ = true; }

    int Total() const { return total_; }
    int Position() const { return position_; }

    // What the bar shows: its maximum and current value, both in 0..65535.
    int BarMaximum() const;
    int BarValue() const;
    // The bar's value in whole per cent.
    int Percent() const;

private:
    int large_ = 0; // one large step
    int total_ = 0;
    int position_ = 0;
    bool done_ = false;
};

// The unattended run's progress for standard error: a line when the
// percentage has changed, at most one a second.
class ProgressLog {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // The line to print now ("Upload progress: 42 %\n"), or nothing.
    std::optional<std::string> Update(int percent, TimePoint now);
    // At the end of a run: the line with the figure where the run stopped,
    // however soon after the last one, unless that figure was the last line.
    std::optional<std::string> Last(int percent);

private:
    std::optional<TimePoint> lastLine_;
    int lastPercent_ = -1;
};

} // namespace crvl::update
