#pragma once

// The state table of a scenario: one row per frame number, 14 cells of two
// upper-case hexadecimal digits each. The trainer runs the scenario from this
// table; the scenario file carries it as text (see docs/scenario-file.md).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

inline constexpr int kStateTableRows = 20;
inline constexpr int kStateTableCells = 14;

// Cell numbers of a row.
enum StateTableCell : int {
    CELL_FRAME = 0,
    CELL_ELECTRODES = 1,
    CELL_MOTION = 2,
    CELL_ECG_SHOCKABLE = 3,
    CELL_ECG_PULSE = 4,
    CELL_ECG_RHYTHM = 5,
    CELL_BATTERY = 6,
    CELL_FAILURE = 7,
    CELL_SHOCKS = 8,
    CELL_SHOCKS_NEXT = 9,
    CELL_CPR = 10,
    CELL_CPR_NEXT = 11,
    CELL_TIME = 12,
    CELL_TIME_NEXT = 13,
};

inline constexpr const char* kCellNotSet = "FF";

// What the table needs to know of one output box of a frame.
struct OutputSnapshot {
    std::optional<std::string> text; // display text; none when the box is empty
    std::string code;                // event code, e.g. "SHK 01"
};

// What the table needs to know of one frame. The action list and its parallel
// code list both include the title row, as in the frame itself.
struct FrameSnapshot {
    std::string title;                    // "Frame" + number
    std::size_t listRows = 0;             // rows of the action list, title row included
    std::vector<std::string> actionCodes; // "1,1:" + code per row, title row included
    std::array<OutputSnapshot, 3> outputs;
    // Title of the destination of the first connection that starts at
    // output k (part k + 2); empty for none.
    std::array<std::string, 3> destinations;
};

// The per-frame values the template may show for the last frame processed.
struct FrameProcedure {
    std::string procName;
    std::array<std::string, 3> returnValue;
    std::array<std::string, 3> resultState;
    std::array<std::string, 3> expectStatements;
    std::string actionStatements;
};

// The number in a frame title ("Frame12" -> 12); none when the title is not
// "Frame" followed by decimal digits.
std::optional<int> frameNumberFromTitle(const std::string& title);

// Two upper-case hexadecimal digits ("00" .. "FF"; larger values give more digits).
std::string hexCell(int value);

class StateTable {
public:
    // Cell 0 of row r is r, every other cell "FF".
    StateTable();

    const std::string& cell(int row, int cell) const { return cells_[row][cell]; }
    void setCell(int row, int cell, std::string value) { cells_[row][cell] = std::move(value); }

    // Fills the row of one frame from its actions and connected events. The
    // frame's number must lie inside the table (checked by the caller).
    FrameProcedure writeProcedure(const FrameSnapshot& frame, int row);

    // The table as the scenario file carries it: two blanks, then per row
    // each cell followed by three blanks, a line feed and two blanks.
    std::string finalCode() const;

private:
    void applyAction(int row, const std::string& code);
    void applyEvent(int row, const std::string& code, const std::string& destination);

    std::array<std::array<std::string, kStateTableCells>, kStateTableRows> cells_;
};

} // namespace crvl
