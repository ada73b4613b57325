#include "progress.h"

#include <algorithm>

namespace crvl::update {

void ProgressModel::Reset(long long fileSize) {
    total_ = fileSize < 0
                 ? kTotalWhenSizeUnknown
                 : static_cast<int>(std::min<long long>(fileSize / kBytesPerStep, 1LL << 30));
    position_ = 0;
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
    const long long value = std::min(position_, total_);
    if (total_ <= kMaxBarValue) {
        return static_cast<int>(value);
    }
    return static_cast<int>(value * kMaxBarValue / total_);
}

} // namespace crvl::update
