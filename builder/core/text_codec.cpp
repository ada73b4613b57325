#include "builder/core/text_codec.h"

#include "builder/core/builder_settings.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace crvl {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves
// unassigned map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

std::string normalised(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c != ' ' && c != '\t') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

// What cp1252Byte answers for a code point that Windows-1252 cannot hold.
constexpr int kNoByte = -1;

int cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    const auto it = std::find(kCp1252High.begin(), kCp1252High.end(), cp);
    if (it == kCp1252High.end()) {
        return kNoByte;
    }
    return 0x80 + static_cast<int>(it - kCp1252High.begin());
}

} // namespace

std::optional<TextEncoding> encodingFromName(std::string_view name) {
    const std::string n = normalised(name);
    if (n == "cp1252" || n == "windows-1252") {
        return TextEncoding::Cp1252;
    }
    if (n == "utf-8" || n == "utf8") {
        return TextEncoding::Utf8;
    }
    if (n == "iso-8859-1" || n == "iso8859_1" || n == "iso8859-1" || n == "latin1") {
        return TextEncoding::Latin1;
    }
    return std::nullopt;
}

TextEncoding currentEncoding() {
    return encodingFromName(Parameters::ENCODING).value_or(TextEncoding::Cp1252);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = kReplacement;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t nextCodePoint(std::string_view utf8, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned char lead = byte(pos);
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > utf8.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char c = byte(pos + i);
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

std::string decodeText(std::string_view bytes, TextEncoding encoding) {
    std::string out;
    out.reserve(bytes.size());
    if (encoding == TextEncoding::Utf8) {
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            appendUtf8(out, nextCodePoint(bytes, pos));
        }
        return out;
    }
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (encoding == TextEncoding::Cp1252 && b >= 0x80 && b < 0xA0) {
            appendUtf8(out, kCp1252High[b - 0x80]);
        } else {
            appendUtf8(out, b);
        }
    }
    return out;
}

namespace {

// The byte of a code point in a single-byte encoding; kNoByte when it has none.
int singleByte(char32_t cp, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp1252) {
        return cp1252Byte(cp);
    }
    return cp <= 0xFF ? static_cast<int>(cp) : kNoByte;
}

} // namespace

std::string encodeText(std::string_view utf8, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8) {
        // Re-encoding repairs malformed input the same way decoding would.
        return decodeText(utf8, TextEncoding::Utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const int b = singleByte(nextCodePoint(utf8, pos), encoding);
        out += b == kNoByte ? '?' : static_cast<char>(b);
    }
    return out;
}

std::string unencodableCharacters(std::string_view utf8, TextEncoding encoding) {
    std::u32string seen;
    std::string out;
    if (encoding == TextEncoding::Utf8) {
        return out;
    }
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, pos);
        if (singleByte(cp, encoding) == kNoByte && seen.find(cp) == std::u32string::npos) {
            seen += cp;
            appendUtf8(out, cp);
        }
    }
    return out;
}

std::string encodingDisplayName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp1252:
        return "Windows-1252";
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Latin1:
        return "ISO-8859-1 (Latin-1)";
    }
    return {};
}

} // namespace crvl
