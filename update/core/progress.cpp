#include "update/core/progress.h"

#include <algorithm>

namespace crvl::update {

namespace {
constexpr int kLargeStepDivisor = 16;
constexpr int kMaxRecords = 1 << 28;
} // namespace

void ProgressModel::Reset(std::optional<int> records) {
    const int n = std::clamp(records.value_or(0), 0, kMaxRecords);
    large_ = n / kLargeStepDivisor;
    total_ = 2 * large_ + n;
    position_ = 0;
    done_ = false;
}

void ProgressModel::StepLarge() {
    position_ = std::min(position_ + large_, 2 * large_);
    done_ = false;
}

void ProgressModel::StepRecord() {
    position_ = std::min(position_ + 1, total_);
    done_ = false;
}

int ProgressModel::BarMaximum() const {
    // An empty range would turn the bar into a busy indicator.
    return std::clamp(total_, 1, kMaxBarValue);
}

int ProgressModel::BarValue() const {
    if (done_) {
        return BarMaximum();
    }
    if (total_ <= kMaxBarValue) {
        return position_;
    }
    return static_cast<int>(static_cast<long long>(position_) * kMaxBarValue / total_);
}

int ProgressModel::Percent() const {
    return static_cast<int>(static_cast<long long>(BarValue()) * 100 / BarMaximum());
}

std::optional<std::string> ProgressLog::Update(int percent, TimePoint now) {
    if (percent == lastPercent_ || (lastLine_ && now - *lastLine_ < std::chrono::seconds(1))) {
        return std::nullopt;
    }
    lastLine_ = now;
    return Last(percent);
}

std::optional<std::string> ProgressLog::Last(int percent) {
    if (percent == lastPercent_) {
        return std::nullopt;
    }
    lastPercent_ = percent;
    return "Upload progress: " + std::to_string(percent) + " %\n";
}

} // namespace crvl::update
