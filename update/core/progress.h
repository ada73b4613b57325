#pragma once

namespace crvl::update {

// The upload's progress: total T from the image size, position moved by the
// run. The bar's range is 16-bit, so totals above 65535 are scaled down to
// it instead of wrapping.
class ProgressModel {
public:
    static constexpr int kMaxBarValue = 65535;
    static constexpr int kTotalWhenSizeUnknown = 150000;
    static constexpr int kBytesPerStep = 60;

    // T = file size / 60, or 150000 when the size is unknown (negative).
    void Reset(long long fileSize);

    void StepLarge() {
        position_ += total_ / 16;
        done_ = false;
    }
    void StepRecord() {
        ++position_;
        done_ = false;
    }

    int Total() const { return total_; }
    int Position() const { return position_; }
    // Shows the bar at its end; the position itself stays.
    void MarkDone() { done_ = true; }

    // What the bar shows: its maximum and current value, both in 0..65535.
    int BarMaximum() const;
    int BarValue() const;

private:
    int total_ = 0;
    int position_ = 0;
    bool done_ = false;
};

} // namespace crvl::update
