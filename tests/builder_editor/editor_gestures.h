#pragma once

// The editor's gestures as the palette and the frames' widgets pass them on,
// for tests that drive the editor without a window.

#include "builder/editor/palette.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/model/geometry.h"
#include "builder/model/scenario_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crvl::test {

inline ScenarioFrame& frameTitled(const ScenarioEditorCore& core, const std::string& title) {
    ScenarioFrame* f = core.stringToFrameIconComponent(title);
    EXPECT_NE(f, nullptr) << title;
    return *f;
}

// The create tool, then a press on the canvas.
inline ScenarioFrame& createFrame(ScenarioEditorCore& core, Point at) {
    core.selectTheObject(PaletteTool::createFramesTool);
    core.bigPanel_MouseClick(at, false);
    return *core.frames().back();
}

inline std::vector<std::string> frameTitles(const ScenarioEditorCore& core) {
    std::vector<std::string> out;
    for (const ScenarioFrame* f : core.frames()) {
        out.push_back(f->getTitle());
    }
    return out;
}

// Selects the frame as a press on its border does.
inline void pressBorder(ScenarioFrame& f) {
    f.mousePressed({1, 1}, MouseButton::Left, false);
}

// Presses list row `row` (0 is the title row).
inline void pressRow(ScenarioFrame& f, int row) {
    const Rect list = f.listBounds();
    f.mousePressed({list.x + 10, list.y + 3 + row * (f.lineHeight() + 2)}, MouseButton::Left,
                   false);
}

inline void pressOutput(ScenarioFrame& f, int box) {
    const Rect r = f.outputBounds(box);
    f.mousePressed({r.x + 3, r.y + 3}, MouseButton::Left, false);
}

} // namespace crvl::test
