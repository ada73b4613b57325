#include "builder/io/state_table.h"

#include <cstdio>

namespace crvl {

namespace {

// Characters first..first+1 (0-based) of a code, when the code is long enough.
std::optional<std::string> codeField(const std::string& code, std::size_t first) {
    if (code.size() < first + 2) {
        return std::nullopt;
    }
    return code.substr(first, 2);
}

// The code of a list row: the text after its first colon ("1,1:ECG 02 01 00").
std::string rowCode(const std::string& entry) {
    const auto colon = entry.find(':');
    return colon == std::string::npos ? entry : entry.substr(colon + 1);
}

} // namespace

std::optional<int> frameNumberFromTitle(const std::string& title) {
    static const std::string prefix = "Frame";
    if (title.size() <= prefix.size() || title.compare(0, prefix.size(), prefix) != 0 ||
        title.size() > prefix.size() + 9) {
        return std::nullopt;
    }
    int number = 0;
    for (std::size_t i = prefix.size(); i < title.size(); ++i) {
        if (title[i] < '0' || title[i] > '9') {
            return std::nullopt;
        }
        number = number * 10 + (title[i] - '0');
    }
    return number;
}

std::string hexCell(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
    return text;
}

StateTable::StateTable() {
    for (int row = 0; row < kStateTableRows; ++row) {
        cells_[row].fill(kCellNotSet);
        cells_[row][CELL_FRAME] = hexCell(row);
    }
}

FrameProcedure StateTable::writeProcedure(const FrameSnapshot& frame, int row) {
    FrameProcedure proc;
    proc.procName = frame.title;
    cells_[row][CELL_FRAME] = hexCell(row);

    for (std::size_t k = 0; k < 3; ++k) {
        const auto& text = frame.outputs[k].text;
        if (text && !text->empty()) {
            static const char* const returnValues[] = {"O1", "O2", "O3"};
            proc.returnValue[k] = returnValues[k];
        }
        proc.resultState[k] = frame.destinations[k];
    }

    const std::size_t entries = frame.actionCodes.size();
    if (entries == 0 || entries != frame.listRows) {
        proc.actionStatements = "#Internal code generation error 1 n = " + std::to_string(entries) +
                                " n2 = " + std::to_string(frame.listRows);
    } else {
        for (std::size_t i = 1; i < entries; ++i) {
            const std::string code = rowCode(frame.actionCodes[i]);
            proc.actionStatements += "\t\t" + code + " \n";
            applyAction(row, code);
        }
    }

    for (std::size_t k = 0; k < 3; ++k) {
        const bool connectedEvent = !proc.returnValue[k].empty() && !proc.resultState[k].empty() &&
                                    proc.resultState[k] != " ";
        proc.expectStatements[k] = connectedEvent ? frame.outputs[k].code : "0";
    }
    for (std::size_t k = 0; k < 3; ++k) {
        if (proc.expectStatements[k].size() > 5) {
            applyEvent(row, proc.expectStatements[k], proc.resultState[k]);
        }
    }
    return proc;
}

void StateTable::applyAction(int row, const std::string& code) {
    auto set = [&](int cell, std::size_t first) {
        if (auto field = codeField(code, first)) {
            cells_[row][cell] = *field;
        }
    };
    const std::string kind = code.substr(0, 3);
    if (kind == "ECG") {
        set(CELL_ECG_RHYTHM, 4);
        set(CELL_ECG_SHOCKABLE, 7);
        set(CELL_ECG_PULSE, 10);
    } else if (kind == "MOT") {
        set(CELL_MOTION, 4);
    } else if (kind == "ELE") {
        set(CELL_ELECTRODES, 4);
    } else if (kind == "BAT") {
        set(CELL_BATTERY, 4);
    } else if (kind == "FAI") {
        set(CELL_FAILURE, 4);
    }
}

void StateTable::applyEvent(int row, const std::string& code, const std::string& destination) {
    const std::string kind = code.substr(0, 3);
    int valueCell = -1;
    if (kind == "SHK") {
        valueCell = CELL_SHOCKS;
    } else if (kind == "CPR") {
        valueCell = CELL_CPR;
    } else if (kind == "TIM") {
        valueCell = CELL_TIME;
    } else {
        return;
    }
    if (auto field = codeField(code, 4)) {
        cells_[row][valueCell] = *field;
    }
    if (auto next = frameNumberFromTitle(destination)) {
        cells_[row][valueCell + 1] = hexCell(*next);
    }
}

std::string StateTable::finalCode() const {
    std::string code = "  ";
    for (const auto& row : cells_) {
        for (const auto& cell : row) {
            code += cell;
            code += "   ";
        }
        code += "\n  ";
    }
    return code;
}

} // namespace crvl
