#pragma once

// The in-memory editor of the model tests, able to load: it also clears the
// diagram, adds loaded frames and counts frames for the status line.

#include "builder/io/tcl_code_loader.h"
#include "tests/builder_model/fake_editor.h"

#include <string>
#include <vector>

namespace crvl::test {

class FakeDocument : public FakeEditor, public DiagramHost {
public:
    void deleteCurrentDiagram() override {
        connectionList.clear();
        frameList.clear();
        ++clears;
    }
    ScenarioFrame& addLoadedFrame(const std::string& title, Point location) override {
        return addFrame(title, location);
    }
    void setNindex() override { nIndex = frameList.empty() ? 0 : int(frameList.size()) - 1; }
    void showLoadSaveStatus(int count) override { status.push_back(std::to_string(count) + "..."); }

    Connection& connect(ScenarioFrame& from, int box, ScenarioFrame& to, bool jump = false) {
        connectionList.push_back(std::make_unique<Connection>(from, to, box + 1, inputField, jump));
        return *connectionList.back();
    }

    int clears = 0;
    int nIndex = -1;
    std::vector<std::string> status;
};

} // namespace crvl::test
