// Any text pasted into the editor: it adds at most what the frame limit
// allows, every connection joins two frames on the canvas, and the paste is
// one step that undo and redo take back and do again exactly. An input whose
// first byte is odd is read as a list of saved-diagram lines, one byte each,
// so that most inputs hold frames; otherwise it is pasted as it is.

#include "builder/core/builder_console.h"
#include "builder/core/builder_settings.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/model/connection.h"
#include "tests/builder_editor/recording_view.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

using namespace crvl;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void checkDocument(const ScenarioEditorCore& core) {
    const auto frames = core.frames();
    require(frames.size() <= static_cast<std::size_t>(Parameters::MAX_NUM_OF_FRAMES));
    auto onCanvas = [&](const ScenarioFrame& frame) {
        for (const ScenarioFrame* f : frames) {
            if (f == &frame) {
                return true;
            }
        }
        return false;
    };
    for (const Connection* c : core.connections()) {
        require(onCanvas(c->getSource()) && onCanvas(c->getDest()));
    }
}

// Lines of saved diagrams, right and wrong.
const char* const kLines[] = {
    "#BeginSavedDiagram",
    "#FrameIconComponents",
    "#FrameIconComponent\tFrame0\t100\t20",
    "#FrameIconComponent\tFrame1\t300\t200",
    "#FrameIconComponent\tFrame2\t-5\t2147483647",
    "#FrameIconComponent\tFrame7\t40",
    "#FrameIconComponent\tFrameX\t1\t1",
    "#listOfactionItems",
    "#SetECG",
    "#S;p;VF;",
    "#MotionAction",
    "#0",
    "#End",
    "#Output1",
    "#Output2",
    "#Output3",
    "#DefibEvent",
    "#TimeEvent",
    "#CPREvent",
    "#1",
    "#30",
    "#EndFrameIconComponent",
    "#EndFrameIconComponents",
    "#Connections",
    "#Frame0\tFrame1\t2\t1",
    "#Frame1\tFrame2\t3\t1\tj",
    "#Frame1\tFrame1\t4\t1",
    "#Frame2\tFrame0\t1\t2",
    "#Frame1\tFrame9\t2\t1",
    "#EndConnections",
    "#EndSavedDiagram",
    "garbage",
};

std::string pastedText(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || data[0] % 2 == 0) {
        return {reinterpret_cast<const char*>(data), size};
    }
    std::string text;
    for (std::size_t k = 1; k < size; ++k) {
        text += kLines[data[k] % std::size(kLines)];
        text += '\n';
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        setConsoleSink([](std::string_view) {});
        return true;
    }();
    (void)quiet;
    test::RecordingView view;
    ScenarioEditorCore core(view);
    view.core = &core;
    core.newDiagram();
    const std::string text = pastedText(data, size);
    for (int round = 0; round < 2; ++round) {
        const DocumentState before = core.documentState();
        const std::size_t steps = core.history().undoCount();
        core.paste(text);
        checkDocument(core);
        if (core.history().undoCount() == steps) {
            require(core.documentState() == before);
            continue;
        }
        const DocumentState after = core.documentState();
        core.undo();
        require(core.documentState() == before);
        core.redo();
        require(core.documentState() == after);
        checkDocument(core);
    }
    return 0;
}
