// Any text pasted into the editor: it adds at most what the frame limit
// allows, every connection joins two frames on the canvas, and the paste is
// one step that undo and redo take back and do again exactly.

#include "builder_console.h"
#include "connection.h"
#include "parameters.h"
#include "recording_view.h"
#include "scenario_editor_core.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    const std::string text(reinterpret_cast<const char*>(data), size);
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
