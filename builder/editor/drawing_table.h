#pragma once

// The state table the generator would write for the open drawing, made in
// memory without saving or renumbering anything, and what the checks need
// to know of the drawing beyond the table. Check Scenario and Try Scenario
// work on this.

#include "protocol/trainer_messages.h"
#include "scenario/scenario_check.h"

#include <vector>

namespace crvl {

class FrameEditor;
class ScenarioFrame;

struct DrawingTable {
    ScenarioTable table;
    scenario::Drawing drawing;
    // The drawn frame that row r stands for (saving would renumber the
    // frames in this order, without gaps); frames beyond the table's 20 rows
    // follow at the end.
    std::vector<ScenarioFrame*> frameOfRow;

    bool operator==(const DrawingTable&) const = default;
};

DrawingTable tableOfDrawing(const FrameEditor& editor);

} // namespace crvl
