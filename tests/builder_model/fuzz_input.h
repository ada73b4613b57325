#pragma once

// A fuzzer's input read as a stream of small choices; past its end every
// choice is 0.

#include <cstddef>
#include <cstdint>

namespace crvl::test {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    int next(int range) { return empty() ? 0 : data_[pos_++] % range; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace crvl::test
