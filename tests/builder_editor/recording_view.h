#pragma once

// An editor window without a display: it records what the editor asks of it
// and answers element dialogs with a scripted command.

#include "builder/core/se_language.h"
#include "builder/editor/scenario_editor_core.h"
#include "builder/model/scenario_element.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace crvl::test {

class RecordingView : public EditorView {
public:
    int beeps = 0;
    int paletteChanges = 0;
    int frameRepaints = 0;
    std::vector<std::string> messages;
    std::vector<std::string> dialogs; // element types opened
    std::vector<Size> canvasSizes;
    std::string scenarioName;
    std::vector<std::string> statuses;
    std::vector<std::unique_ptr<ScenarioFrame>> removed;
    // How the next element dialog answers: a command, after adjusting the element.
    std::string answer = seLanguage::READ_OK_ACTION;
    std::function<void(ScenarioElement&)> edit;
    ScenarioEditorCore* core = nullptr;

    void beep() override { ++beeps; }
    void messageBox(const std::string& title, const std::string& text, MessageKind) override {
        messages.push_back(title + ": " + text);
    }
    void showMessageLater(const std::string& title, const std::string& text,
                          MessageKind kind) override {
        messageBox(title, text, kind);
    }
    void paletteChanged() override { ++paletteChanges; }
    void frameAdded(ScenarioFrame&) override {}
    void frameRemoved(std::unique_ptr<ScenarioFrame> frame) override {
        removed.push_back(std::move(frame));
    }
    void repaintFrames() override { ++frameRepaints; }
    void repaintCanvas(Rect) override {}
    void canvasResized(Size size) override { canvasSizes.push_back(size); }
    void scenarioNameChanged(const std::string& name) override { scenarioName = name; }
    void showStatus(const std::string& text) override { statuses.push_back(text); }
    void runElementDialog(std::string_view type) override {
        dialogs.emplace_back(type);
        auto element = getScenarioElement(type, "").value();
        if (edit) {
            edit(*element);
        }
        core->onElementDialogReport(answer, *element);
    }
    void runStateTransition(ScenarioFrame&) override {}
};

} // namespace crvl::test
