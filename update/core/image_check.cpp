#include "update/core/image_check.h"
#include "base/utf8_files.h"

#include "update/core/hex_image.h"
#include "update/core/text_format.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace crvl::update {
namespace {

// The shortest record: ':', byte count, address (4 digits), type, checksum.
constexpr std::size_t kShortestRecordLine = 11;
constexpr std::size_t kDigitsPerByte = 2;
constexpr unsigned kSegmentShift = 4;
constexpr unsigned kLinearShift = 16;

struct Line {
    int number;
    std::string text;
};

// Where the data lie, as the address records place them.
struct Extent {
    std::uint32_t base = 0;
    std::optional<std::uint64_t> low;
    std::uint64_t high = 0; // one past the last data byte
};

Status Refuse(const std::string& path, const std::string& reason) {
    return Status::Error(path + ": " + reason + "; nothing was sent.\r\n");
}

Status RefuseLine(const std::string& path, int line, const std::string& reason) {
    return Refuse(path, Format("line %d %s", line, reason.c_str()));
}

// Why the line is not one record of the shape the loader takes, or nothing.
std::optional<std::string> ShapeFault(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.empty()) {
        return "is empty";
    }
    if (text[0] != boot::kRecordStart) {
        return "does not begin with ':'";
    }
    if (text.size() > kMaxLineRead) {
        return Format("is longer than %d characters, more than the loader takes as one record",
                      static_cast<int>(kMaxLineRead));
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (std::isxdigit(static_cast<unsigned char>(text[i])) == 0) {
            return Format("holds '%c', which is not a hexadecimal digit", text[i]);
        }
    }
    if ((text.size() - 1) % kDigitsPerByte != 0) {
        return std::string("has an odd number of digits");
    }
    if (text.size() < kShortestRecordLine) {
        return std::string("is too short for a record");
    }
    bytes.resize(1 + (text.size() - 1) / kDigitsPerByte);
    const std::size_t length = BuildRecord(text.c_str(), text.size() + 1, bytes.data());
    bytes.resize(length);
    const std::size_t count = bytes[boot::kRecordCountIndex];
    if (bytes.size() != boot::kRecordOverhead + count) {
        return Format("says %d data bytes but holds %d", static_cast<int>(count),
                      static_cast<int>(bytes.size()) - static_cast<int>(boot::kRecordOverhead));
    }
    unsigned sum = 0;
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i) {
        sum += bytes[i];
    }
    const unsigned needed = (0x100U - (sum & 0xFFU)) & 0xFFU;
    if (bytes.back() != needed) {
        return Format("has the checksum %02X where %02X adds up", bytes.back(), needed);
    }
    if (bytes[boot::kRecordTypeIndex] > boot::kRecordTypeLast) {
        return Format("has the unknown record type %02X", bytes[boot::kRecordTypeIndex]);
    }
    return std::nullopt;
}

void Place(const std::vector<std::uint8_t>& record, Extent& extent) {
    constexpr std::size_t kAddressHigh = 2;
    constexpr std::size_t kAddressLow = 3;
    constexpr std::size_t kDataStart = 5;
    const std::uint8_t type = record[boot::kRecordTypeIndex];
    const std::size_t count = record[boot::kRecordCountIndex];
    const auto value = [&] {
        return static_cast<std::uint32_t>(record[kDataStart] << 8 | record[kDataStart + 1]);
    };
    constexpr std::size_t kAddressRecordCount = 2;
    if (type == boot::kRecordTypeSegmentAddress && count == kAddressRecordCount) {
        extent.base = value() << kSegmentShift;
    } else if (type == boot::kRecordTypeLinearAddress && count == kAddressRecordCount) {
        extent.base = value() << kLinearShift;
    } else if (type == boot::kRecordTypeData && count > 0) {
        const std::uint64_t start =
            extent.base +
            static_cast<std::uint32_t>(record[kAddressHigh] << 8 | record[kAddressLow]);
        extent.low = extent.low ? std::min(*extent.low, start) : start;
        extent.high = std::max(extent.high, start + count);
    }
}

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    std::istringstream in(content);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back({number, text});
    }
    return lines;
}

} // namespace

Result<ImageSummary> CheckImage(const std::string& path, std::uint32_t flashSize) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        return Refuse(path, "is a folder, not an image file");
    }
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file) {
        return Status::Error(Format("%s %s.\r\n", kCannotFind, path.c_str()));
    }
    std::ostringstream content;
    content << file.rdbuf();
    ImageSummary summary;
    summary.bytes = content.str().size();
    const std::vector<Line> lines = SplitLines(content.str());
    if (lines.empty()) {
        return Refuse(path, "is empty");
    }

    Extent extent;
    bool data = false;
    std::optional<int> end;
    std::vector<std::uint8_t> record;
    for (const Line& line : lines) {
        if (end) {
            return RefuseLine(path, line.number, Format("follows the end record of line %d", *end));
        }
        if (const auto fault = ShapeFault(line.text, record)) {
            return RefuseLine(path, line.number, *fault);
        }
        Place(record, extent);
        data = data || record[boot::kRecordTypeIndex] == boot::kRecordTypeData;
        if (record[boot::kRecordTypeIndex] == boot::kRecordTypeEnd) {
            end = line.number;
        }
    }
    if (!data) {
        return Refuse(path, "holds no data record");
    }
    if (!end) {
        return Refuse(path, "has no end record (:00000001FF)");
    }
    if (extent.low && extent.high - *extent.low > flashSize) {
        return Refuse(path, Format("spans %llu bytes of flash, more than the %u bytes the flash "
                                   "holds",
                                   static_cast<unsigned long long>(extent.high - *extent.low),
                                   static_cast<unsigned>(flashSize)));
    }
    summary.records = static_cast<int>(lines.size());
    return summary;
}

} // namespace crvl::update
