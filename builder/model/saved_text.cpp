#include "builder/model/saved_text.h"

#include <charconv>

namespace crvl {

Result<int> parseDecimal(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            digits = {};
        }
    }
    int value = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || ec != std::errc() || ptr != end) {
        return Status::Error("Not a whole number: \"" + std::string(text) + "\"");
    }
    return value;
}

std::vector<std::string> splitTokens(std::string_view text, std::string_view delimiters) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(delimiters, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            tokens.emplace_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return tokens;
}

} // namespace crvl
