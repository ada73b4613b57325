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

#include "protocol/trainer_messages.h"

#include <array>
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
    // Lines (from 1) of the first cell of each row, of the 281st cell, and
    // of the place where the scan stopped; 0 where there was none.
    std::array<std::size_t, ScenarioTable::kRows> rowLines{};
    std::size_t overflowLine = 0;
    std::size_t endLine = 0;
};

TableScan ScanScenarioTable(std::span<const std::uint8_t> data);

// True when cell 0 of rows 1..19 holds the row's own number (row 0 is not
// checked: a zero-filled table cannot tell it apart).
bool RowNumbersValid(const ScenarioTable& table);
// The first of rows 1..19 whose cell 0 is not its number; -1 when all are.
int FirstWrongRow(const ScenarioTable& table);

// A UTF-8 text as the trainer's single-byte (Latin-1) characters; a
// character outside Latin-1, or a broken sequence, becomes '?'.
std::string Latin1FromUtf8(std::string_view text);
// The trainer's single-byte text as UTF-8.
std::string Utf8FromLatin1(std::string_view text);

// The slot name for a file path (UTF-8): the file name without its
// directory, cut at the first dot that is not its first character, in
// Latin-1, at most 20 characters.
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
    // With FormatError: the line (from 1) that broke the table.
    std::size_t errorLine = 0;
};

// Parses already read file contents; only the first 15000 bytes count.
ScenarioFile ParseScenarioFile(std::string_view path, std::span<const std::uint8_t> contents);

// Opens and reads at most 15000 bytes of the file, then parses them.
ScenarioFile LoadScenarioFile(const std::string& path);

} // namespace crvl
