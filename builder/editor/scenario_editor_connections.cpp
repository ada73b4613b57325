#include "builder/editor/scenario_editor_core.h"

// The scenario editor's connections: adding, hitting, drawing and removing
// them, and the "Connect to frame" hand-off.

#include "builder/core/se_language.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <exception>

namespace crvl {

void ScenarioEditorCore::addConnection(std::unique_ptr<Connection> connection) {
    theConnections_.push_back(std::move(connection));
    recordStep(seLanguage::stepCreateConnection);
}

void ScenarioEditorCore::removeAllConnections(ScenarioFrame& frame) {
    std::erase_if(theConnections_, [&](const std::unique_ptr<Connection>& c) {
        if (&c->getSource() != &frame && &c->getDest() != &frame) {
            return false;
        }
        c->EraseLine(*this);
        return true;
    });
}

void ScenarioEditorCore::removeSelectedConnection() {
    const auto it = std::find_if(theConnections_.begin(), theConnections_.end(),
                                 [](const auto& c) { return c->isSelected(); });
    if (it != theConnections_.end()) {
        (*it)->EraseLine(*this);
        theConnections_.erase(it);
    }
}

Connection* ScenarioEditorCore::checkIfHitOnLine(int x, int y) {
    for (const auto& connection : theConnections_) {
        if (connection->inside(x, y)) {
            connection->select();
            drawAllConnections();
            return connection.get();
        }
    }
    return nullptr;
}

void ScenarioEditorCore::drawAllConnections() {
    try {
        for (const auto& connection : theConnections_) {
            connection->DrawLine(*this);
        }
    } catch (const std::exception& error) {
        consoleLine(std::string("Error in drawAllConnections: ") + error.what());
    }
}

std::string ScenarioEditorCore::connectionsText() const {
    std::string text;
    for (const auto& connection : theConnections_) {
        text += connection->toString();
    }
    return text;
}

void ScenarioEditorCore::showStateTransition(ScenarioFrame& source) {
    view_.runStateTransition(source);
}

} // namespace crvl
