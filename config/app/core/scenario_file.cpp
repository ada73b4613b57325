#include "scenario_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace crvl {

namespace {

constexpr int kNoNibble = -1;

// The value of a hexadecimal digit, or kNoNibble.
int HexNibble(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return kNoNibble;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

TableScan ScanScenarioTable(std::span<const std::uint8_t> data) {
    TableScan scan;
    int pending = kNoNibble;
    std::size_t i = 0;
    while (i < data.size()) {
        const std::uint8_t c = data[i];
        if (c == '#') {
            // The comment runs up to the line feed, which is then skipped as
            // white space by the next round.
            while (i < data.size() && data[i] != '\n')
                ++i;
            continue;
        }
        if (c == ' ' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        const int nibble = HexNibble(c);
        if (nibble == kNoNibble)
            break; // anything else ends the table; what was stored stays
        if (pending == kNoNibble) {
            pending = nibble;
        } else {
            if (scan.cellsStored == ScenarioTable::kSize) {
                scan.tooManyCells = true;
                break;
            }
            scan.table.cells[scan.cellsStored++] = static_cast<std::uint8_t>(pending * 16 + nibble);
            pending = kNoNibble;
        }
        ++i;
    }
    return scan;
}

bool RowNumbersValid(const ScenarioTable& table) {
    for (std::size_t row = 1; row < ScenarioTable::kRows; ++row) {
        if (table.At(row, 0) != row)
            return false;
    }
    return true;
}

std::string ScenarioSlotName(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.find('.', 1);
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    if (name.size() > SlotInfo::kNameSize)
        name = name.substr(0, SlotInfo::kNameSize);
    return std::string(name);
}

ScenarioFile ParseScenarioFile(std::string_view path, std::span<const std::uint8_t> contents) {
    ScenarioFile file;
    file.name = ScenarioSlotName(path);
    const TableScan scan =
        ScanScenarioTable(contents.first(std::min(contents.size(), kScenarioFileReadLimit)));
    file.table = scan.table;
    file.status = (scan.tooManyCells || !RowNumbersValid(scan.table))
                      ? ScenarioFileStatus::FormatError
                      : ScenarioFileStatus::Ok;
    return file;
}

ScenarioFile LoadScenarioFile(const std::string& path) {
    ScenarioFile file;
    file.name = ScenarioSlotName(path);
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        file.status = ScenarioFileStatus::CannotOpen;
        return file;
    }
    std::vector<std::uint8_t> buffer(kScenarioFileReadLimit);
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f.get());
    if (n < buffer.size() && std::ferror(f.get())) {
        file.status = ScenarioFileStatus::ReadFailed;
        return file;
    }
    f.reset();
    return ParseScenarioFile(path, std::span<const std::uint8_t>(buffer.data(), n));
}

} // namespace crvl
