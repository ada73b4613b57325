#include "builder/editor/drawing_table.h"

#include "builder/io/scenario_saving.h"
#include "builder/io/state_table.h"
#include "builder/model/frame_editor.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <map>
#include <string>

namespace crvl {

namespace {

scenario::Event eventOfCode(const std::string& code) {
    const std::string kind = code.substr(0, 3);
    if (kind == "SHK")
        return scenario::Event::Shock;
    if (kind == "CPR")
        return scenario::Event::Cpr;
    if (kind == "TIM")
        return scenario::Event::Time;
    return scenario::Event::None;
}

std::uint8_t cellByte(const std::string& text) {
    try {
        return static_cast<std::uint8_t>(std::clamp(std::stoi(text, nullptr, 16), 0, 255));
    } catch (const std::exception&) {
        return 0xFF;
    }
}

} // namespace

DrawingTable tableOfDrawing(const FrameEditor& editor) {
    // The order saving gives the frames: by the number in their titles.
    std::vector<ScenarioFrame*> frames = editor.frames();
    std::stable_sort(frames.begin(), frames.end(), [](ScenarioFrame* a, ScenarioFrame* b) {
        return frameNumberFromTitle(a->getTitle()).value_or(0) <
               frameNumberFromTitle(b->getTitle()).value_or(0);
    });
    std::map<std::string, std::string> renumbered;
    for (std::size_t row = 0; row < frames.size(); ++row)
        renumbered[frames[row]->getTitle()] = "Frame" + std::to_string(row);

    DrawingTable result;
    result.frameOfRow = frames;
    StateTable table;
    for (std::size_t row = 0; row < frames.size(); ++row) {
        const ScenarioFrame& frame = *frames[row];
        scenario::DrawnFrame drawn;
        drawn.row = static_cast<int>(row);
        drawn.name = frame.getTitleTranslated();
        for (int k = 1; k <= 3; ++k) {
            const OutputBox& box = frame.output(k);
            scenario::DrawnOutput& out = drawn.outputs[static_cast<std::size_t>(k - 1)];
            if (box.text && !box.text->empty())
                out.event = eventOfCode(box.code);
            out.connected = !frame.loadConnections(k + 1).empty();
        }
        result.drawing.frames.push_back(drawn);
        if (row >= static_cast<std::size_t>(kStateTableRows))
            continue;
        FrameSnapshot snapshot = snapshotOf(frame);
        snapshot.title = renumbered[snapshot.title];
        for (std::string& destination : snapshot.destinations)
            if (!destination.empty())
                destination = renumbered[destination];
        table.writeProcedure(snapshot, static_cast<int>(row));
    }
    for (int row = 0; row < kStateTableRows; ++row)
        for (int column = 0; column < kStateTableCells; ++column)
            result.table.At(static_cast<std::size_t>(row), static_cast<std::size_t>(column)) =
                cellByte(table.cell(row, column));
    return result;
}

} // namespace crvl
