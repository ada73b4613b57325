// Reading the state table out of a scenario file (.scn) for upload into one
// of the trainer's custom slots.
//
// The scenario builder writes the table as 280 two-digit hexadecimal cells
// between "#" comment lines. The reader is deliberately forgiving about
// layout (blanks and line ends anywhere, even between the two digits of a
// cell) and strict about content: any other character outside a comment ends
// the table, more than 280 cells is an error, and every row must start with
// its own number.
#pragma once

#include "trainer_messages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

// Only this much of a scenario file is looked at.
inline constexpr std::size_t kScenarioFileReadLimit = 15000;

// Result of scanning file contents for table cells. The table is zero-filled
// before the scan, so cells the file did not supply read as 0.
struct TableScan {
    ScenarioTable table;
    std::size_t cellsStored = 0; // 0..280
    bool tooManyCells = false;   // a 281st cell appeared before the end of the table
};

TableScan ScanScenarioTable(std::span<const std::uint8_t> data);

// True when cell 0 of rows 1..19 holds the row's own number (row 0 is not
// checked: a zero-filled table cannot tell it apart).
bool RowNumbersValid(const ScenarioTable& table);

// The slot name for a file path: the file name without its directory, cut at
// the first dot that is not its first character, at most 20 bytes.
std::string ScenarioSlotName(std::string_view path);

enum class ScenarioFileStatus {
    Ok,
    CannotOpen,  // the file vanished or is not readable
    ReadFailed,  // an I/O error while reading
    FormatError, // too many cells or a wrong row number
};

struct ScenarioFile {
    ScenarioFileStatus status = ScenarioFileStatus::CannotOpen;
    std::string name; // slot name, see ScenarioSlotName
    ScenarioTable table;
};

// Parses already read file contents; only the first 15000 bytes count.
ScenarioFile ParseScenarioFile(std::string_view path, std::span<const std::uint8_t> contents);

// Opens and reads at most 15000 bytes of the file, then parses them.
ScenarioFile LoadScenarioFile(const std::string& path);

} // namespace crvl
