#include "tests/update/temp_files.h"

#include "update/core/hex_image.h"

#include <cstdio>
#include <vector>

namespace crvl::update::test {

namespace {

std::string RecordLine(unsigned address, unsigned type, const std::vector<unsigned>& data) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    char text[8];
    std::snprintf(text, sizeof text, ":%02X", static_cast<unsigned>(data.size()));
    std::string line = text;
    std::snprintf(text, sizeof text, "%04X%02X", address & 0xFFFF, type);
    line += text;
    for (const unsigned byte : data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        line += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

} // namespace

std::string MakeHexImage(int dataRecords, const char* lineEnd) {
    std::string image = RecordLine(0, 0x04, {0x00, 0x01}) + lineEnd;
    for (int r = 0; r < dataRecords; ++r) {
        std::vector<unsigned> data(16);
        for (unsigned i = 0; i < 16; ++i)
            data[i] = (static_cast<unsigned>(r) * 16 + i * 7) & 0xFF;
        const unsigned address = static_cast<unsigned>(r) * 16;
        if (address != 0 && (address & 0xFFFF) == 0)
            image += RecordLine(0, 0x04, {0x00, 0x01 + (address >> 16)}) + lineEnd;
        image += RecordLine(address & 0xFFFF, 0x00, data) + lineEnd;
    }
    return image + ":00000001FF" + lineEnd;
}

std::vector<std::vector<std::uint8_t>> ImageRecords(const std::string& path) {
    HexImage image;
    image.Open(path);
    std::vector<std::vector<std::uint8_t>> records;
    std::uint8_t buffer[kMaxRecordSize];
    while (const std::size_t n = image.NextRecord(buffer))
        records.emplace_back(buffer, buffer + n);
    return records;
}

} // namespace crvl::update::test
