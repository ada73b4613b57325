#include "scenario/scenario_file.h"
#include "base/utf8_files.h"

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
    std::size_t line = 1;
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
            line += c == '\n' ? 1 : 0;
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
                scan.overflowLine = line;
                break;
            }
            if (scan.cellsStored % ScenarioTable::kColumns == 0)
                scan.rowLines[scan.cellsStored / ScenarioTable::kColumns] = line;
            scan.table.cells[scan.cellsStored++] = static_cast<std::uint8_t>(pending * 16 + nibble);
            pending = kNoNibble;
        }
        ++i;
    }
    scan.endLine = line;
    return scan;
}

int FirstWrongRow(const ScenarioTable& table) {
    for (std::size_t row = 1; row < ScenarioTable::kRows; ++row) {
        if (table.At(row, 0) != row)
            return static_cast<int>(row);
    }
    return -1;
}

bool RowNumbersValid(const ScenarioTable& table) {
    return FirstWrongRow(table) < 0;
}

std::string Latin1FromUtf8(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::uint32_t code = lead & (0x7Fu >> length);
        bool valid = length > 1 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        // A broken sequence costs its lead byte only, as a decoder resyncs.
        out += valid && code <= 0xFF ? static_cast<char>(code) : '?';
        i += valid ? length : 1;
    }
    return out;
}

std::string Utf8FromLatin1(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string ScenarioSlotName(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.find('.', 1);
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    std::string latin1 = Latin1FromUtf8(name);
    if (latin1.size() > SlotInfo::kNameSize)
        latin1.resize(SlotInfo::kNameSize);
    return latin1;
}

ScenarioFile ParseScenarioFile(std::string_view path, std::span<const std::uint8_t> contents) {
    ScenarioFile file;
    file.name = ScenarioSlotName(path);
    const TableScan scan =
        ScanScenarioTable(contents.first(std::min(contents.size(), kScenarioFileReadLimit)));
    file.table = scan.table;
    file.status = ScenarioFileStatus::Ok;
    if (scan.tooManyCells) {
        file.status = ScenarioFileStatus::FormatError;
        file.errorLine = scan.overflowLine;
    } else if (const int row = FirstWrongRow(scan.table); row >= 0) {
        file.status = ScenarioFileStatus::FormatError;
        // A row the file never reached breaks where the table ended.
        const std::size_t rowLine = scan.rowLines[static_cast<std::size_t>(row)];
        file.errorLine = rowLine != 0 ? rowLine : scan.endLine;
    }
    return file;
}

ScenarioFile LoadScenarioFile(const std::string& path) {
    ScenarioFile file;
    file.name = ScenarioSlotName(path);
    std::unique_ptr<std::FILE, FileCloser> f(OpenFile(PathFromUtf8(path), "rb"));
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
