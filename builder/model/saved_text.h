#pragma once

// Pieces for reading saved scenario text (element attributes, connection
// lines).

#include "base/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace crvl {

// A decimal whole number with an optional sign, nothing else around it; a
// failure naming the text when it is not one or does not fit an int.
Result<int> parseDecimal(std::string_view text);

// The pieces of text between any of the delimiter characters; empty pieces
// are dropped ("S;;VF" at ";" gives "S", "VF").
std::vector<std::string> splitTokens(std::string_view text, std::string_view delimiters);

} // namespace crvl
