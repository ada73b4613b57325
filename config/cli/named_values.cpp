#include "config/cli/named_values.h"

#include <nlohmann/json.hpp>

#include <cctype>

namespace crvl::cli {

namespace {

bool IsNumber(const std::string& text) {
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digit = true;
        } else if (c == '.' && digit && !point) {
            point = true;
            digit = false; // a digit must follow the point
        } else {
            return false;
        }
    }
    return digit && (text.size() == 1 || text[0] != '0' || text[1] == '.');
}

} // namespace

NamedValue Value(std::string name, std::string value) {
    const bool numeric = IsNumber(value);
    return {std::move(name), std::move(value), numeric};
}

std::string FormatLines(const NamedValues& values) {
    std::string text;
    for (const NamedValue& v : values)
        text += v.name + " = " + v.value + "\n";
    return text;
}

std::string FormatJson(const NamedValues& values) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const NamedValue& v : values) {
        // IsNumber admitted only plain decimal numbers, which parse.
        object[v.name] =
            v.numeric ? nlohmann::ordered_json::parse(v.value) : nlohmann::ordered_json(v.value);
    }
    // A device path need not be UTF-8; its odd bytes become U+FFFD rather
    // than failing the line.
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string FormatPairs(const NamedValues& values) {
    std::string text;
    for (const NamedValue& v : values)
        text += (text.empty() ? "" : " ") + v.name + "=" + v.value;
    return text;
}

} // namespace crvl::cli
