// What a crvlctl command prints: named values, shown as "name = value" lines
// or as one JSON object with the same names as keys.
#pragma once

#include <string>
#include <vector>

namespace crvl::cli {

struct NamedValue {
    std::string name;
    std::string value;
    bool numeric = false; // a plain or decimal number: a JSON number
};
using NamedValues = std::vector<NamedValue>;

// A value whose text decides whether it is a number ("8", "8.4").
NamedValue Value(std::string name, std::string value);

// One "name = value" line each, every line ending in a newline.
std::string FormatLines(const NamedValues& values);
// {"name":value,...} on one line, no newline.
std::string FormatJson(const NamedValues& values);
// name=value pairs separated by blanks, on one line.
std::string FormatPairs(const NamedValues& values);

} // namespace crvl::cli
