// Scenario file text as the builder writes it, for tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace crvl::test {

// Comment lines, then 20 rows of 14 cells: cell 0 the row number, then the
// given filler; CR LF line ends as on the trainer's home platform.
inline std::string ScenarioText(std::uint8_t filler = 0xFF, const std::string& trailer = "") {
    std::string text = "# Scenario file\r\n# Comment: test\r\n  ";
    char cell[8];
    for (int row = 0; row < 20; ++row) {
        for (int column = 0; column < 14; ++column) {
            std::snprintf(cell, sizeof cell, "%02X   ", column == 0 ? row : filler);
            text += cell;
        }
        text += "\r\n  ";
    }
    text += "\r\n#BeginSavedDiagram\r\n#EndSavedDiagram\r\n" + trailer;
    return text;
}

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace crvl::test
