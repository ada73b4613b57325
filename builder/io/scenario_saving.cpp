#include "builder/io/scenario_saving.h"

#include "builder/io/tcl_code_loader.h"
#include "builder/model/connection.h"
#include "builder/model/frame_editor.h"
#include "builder/model/saved_diagram_tags.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace crvl {

namespace {

// A title without a number (which the editor never makes) sorts last.
int numberOf(const ScenarioFrame* frame) {
    return frameNumberFromTitle(frame->getTitle()).value_or(INT_MAX);
}

template <class Frame> void sortByNumber(std::vector<Frame*>& frames) {
    std::stable_sort(frames.begin(), frames.end(),
                     [](const Frame* a, const Frame* b) { return numberOf(a) < numberOf(b); });
}

} // namespace

std::string diagramText(std::vector<const ScenarioFrame*> frames,
                        const std::vector<Connection*>& connections) {
    sortByNumber(frames);
    using namespace saved_diagram;
    std::string text = std::string(kDiagram) + "\n" + std::string(kFrames) + "\n";
    for (const ScenarioFrame* frame : frames) {
        text += frame->toString();
    }
    text += std::string(kFramesEnd) + "\n" + std::string(kConnections) + "\n";
    for (const Connection* connection : connections) {
        text += connection->toString();
    }
    text += std::string(kConnectionsEnd) + "\n" + std::string(kDiagramEnd) + "\n";
    return text;
}

std::string createStringFromDiagram(FrameEditor& editor, DiagramHost& host) {
    std::vector<ScenarioFrame*> frames = editor.frames();
    sortByNumber(frames);
    for (std::size_t k = 0; k < frames.size(); ++k) {
        frames[k]->setTitle("Frame" + std::to_string(k));
    }
    host.setNindex();
    std::string text = diagramText(std::vector<const ScenarioFrame*>(frames.begin(), frames.end()),
                                   editor.connections());
    editor.resetUndo();
    return text;
}

FrameSnapshot snapshotOf(const ScenarioFrame& frame) {
    FrameSnapshot snapshot;
    snapshot.title = frame.getTitle();
    snapshot.listRows = frame.rows().size();
    snapshot.actionCodes = frame.getActionCodes();
    for (int k = 1; k <= 3; ++k) {
        const auto index = static_cast<std::size_t>(k - 1);
        snapshot.outputs[index] = {frame.output(k).text, frame.output(k).code};
        const auto connections = frame.loadConnections(k + 1);
        if (!connections.empty()) {
            snapshot.destinations[index] = connections.front()->getDest().getTitle();
        }
    }
    return snapshot;
}

GenerationResult saveDiagram(FrameEditor& editor, DiagramHost& host, TclControl& hostIO,
                             const std::string& fileName, const std::string& directory,
                             const std::string& comment, GeneratorHooks hooks) {
    GeneratorInput input;
    input.diagram = createStringFromDiagram(editor, host);
    for (const ScenarioFrame* frame : editor.frames()) {
        input.frames.push_back(snapshotOf(*frame));
    }
    input.fileName = fileName;
    input.directory = directory;
    input.comment = comment;
    if (!hooks.showStatus) {
        hooks.showStatus = [&host](int step) { host.showLoadSaveStatus(step); };
    }
    GenerationResult result = TCLCodeGenerator(hostIO, std::move(input), std::move(hooks)).run();
    if (!result.ok()) {
        editor.sendTheBeep();
        editor.consoleLine("Code generation error: " + result.message());
    }
    return result;
}

} // namespace crvl
