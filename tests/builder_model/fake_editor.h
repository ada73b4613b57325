#pragma once

// An in-memory editor for frames and connections: it keeps the document and
// records every beep, console line, message box and request.

#include "builder/model/connection.h"
#include "builder/model/frame_editor.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace crvl::test {

class FakeEditor : public FrameEditor {
public:
    struct Message {
        std::string title, text;
        MessageKind kind;
    };

    std::vector<std::unique_ptr<ScenarioFrame>> frameList;
    std::vector<std::unique_ptr<Connection>> connectionList;
    DrawState state = DrawState::SELECTING;
    Size canvas{800, 1810};
    int beeps = 0;
    int undoResets = 0;
    int changes = 0;
    int deleteToolPresses = 0;
    int fits = 0;
    std::vector<std::string> console;
    std::vector<Message> messages;
    std::vector<std::string> requests;
    std::vector<Rect> repaints;
    // Answer of the "Connect to frame" dialog: the chosen frame, or none.
    std::function<ScenarioFrame*()> chooseTarget = [] { return nullptr; };

    ScenarioFrame& addFrame(const std::string& title, Point at, int boxes = 2) {
        frameList.push_back(std::make_unique<ScenarioFrame>(
            title, *this, ScenarioFrame::DEFAULT_LINE_HEIGHT, boxes));
        frameList.back()->setLocation(at);
        return *frameList.back();
    }

    std::vector<ScenarioFrame*> frames() const override {
        std::vector<ScenarioFrame*> v;
        for (const auto& f : frameList) {
            v.push_back(f.get());
        }
        return v;
    }
    Size canvasSize() const override { return canvas; }
    DrawState drawState() const override { return state; }
    std::vector<Connection*> connections() const override {
        std::vector<Connection*> v;
        for (const auto& c : connectionList) {
            v.push_back(c.get());
        }
        return v;
    }
    void addConnection(std::unique_ptr<Connection> c) override {
        connectionList.push_back(std::move(c));
    }
    void removeAllConnections(ScenarioFrame& frame) override {
        std::erase_if(connectionList, [&](const auto& c) {
            return &c->getSource() == &frame || &c->getDest() == &frame;
        });
    }
    void unselectFrameIcons() override {
        for (const auto& f : frameList) {
            f->unselect();
        }
        for (const auto& c : connectionList) {
            c->unselect();
        }
    }
    void repaintAll() override {
        for (const auto& f : frameList) {
            f->updateConnections();
        }
    }
    void repaintCanvas(Rect r) override { repaints.push_back(r); }
    void resizePanelToFit() override { ++fits; }
    void startRefreshConnectionsTimer() override {}
    bool getPrinting() const override { return false; }
    FontSpec getPrintingFont() const override { return {}; }
    void sendTheBeep() override { ++beeps; }
    void consoleLine(std::string_view line) override { console.emplace_back(line); }
    void messageBox(const std::string& title, const std::string& text, MessageKind kind) override {
        messages.push_back({title, text, kind});
    }
    void resetUndo() override { ++undoResets; }
    void fileChanged() override { ++changes; }
    void frameRequest(ScenarioFrame& frame, const std::string& command) override {
        requests.push_back(frame.getTitle() + ":" + command + ":" +
                           std::to_string(frame.getPendingComponent()));
    }
    void deleteTool_actionPerformed() override { ++deleteToolPresses; }
    void showStateTransition(ScenarioFrame& source) override {
        if (ScenarioFrame* target = chooseTarget()) {
            source.setStateTransition(*target);
        }
    }
};

} // namespace crvl::test
