#include "config/cli/named_values.h"

#include <cctype>
#include <cstdio>

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

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
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
    std::string text = "{";
    for (const NamedValue& v : values) {
        if (text.size() > 1)
            text += ",";
        text += JsonString(v.name) + ":" + (v.numeric ? v.value : JsonString(v.value));
    }
    return text + "}";
}

std::string FormatPairs(const NamedValues& values) {
    std::string text;
    for (const NamedValue& v : values)
        text += (text.empty() ? "" : " ") + v.name + "=" + v.value;
    return text;
}

} // namespace crvl::cli
