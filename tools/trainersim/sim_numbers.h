#pragma once

#include <charconv>
#include <string>

namespace crvl::sim {

// A whole decimal number in [low, high]; value is left alone otherwise.
inline bool ParseNumber(const std::string& text, int low, int high, int& value) {
    int parsed = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

} // namespace crvl::sim
