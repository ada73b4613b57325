#include "builder/model/scenario_frame.h"

#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/model/connection.h"
#include "builder/model/saved_diagram_tags.h"
#include "builder/model/scenario_element.h"

#include <algorithm>

namespace crvl {

namespace {

bool isOutput(int part) {
    return part >= output1Field && part <= output3Field;
}

int outputBit(int part) {
    return 1 << (part - output1Field);
}

} // namespace

// ---- frame editor helpers that need the frame and connection types ------

ScenarioFrame* FrameEditor::stringToFrameIconComponent(std::string_view title) const {
    for (ScenarioFrame* frame : frames()) {
        if (frame->getTitle() == title) {
            return frame;
        }
    }
    return nullptr;
}

ScenarioFrame* FrameEditor::frameAt(Point canvasPoint) const {
    // Later frames are drawn over earlier ones: the one on top is the last.
    const std::vector<ScenarioFrame*> all = frames();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if ((*it)->bounds().contains(canvasPoint)) {
            return *it;
        }
    }
    return nullptr;
}

std::vector<Connection*> FrameEditor::getAllSrcConnections(const ScenarioFrame& frame) const {
    std::vector<Connection*> found;
    for (Connection* c : connections()) {
        if (&c->getSource() == &frame) {
            found.push_back(c);
        }
    }
    return found;
}

std::vector<Connection*> FrameEditor::getAllDstConnections(const ScenarioFrame& frame) const {
    std::vector<Connection*> found;
    for (Connection* c : connections()) {
        if (&c->getDest() == &frame) {
            found.push_back(c);
        }
    }
    return found;
}

// ---- the frame ------------------------------------------------------------

ScenarioFrame::ScenarioFrame(std::string title, FrameEditor& editor, int lineHeight, int eventBoxes)
    : editor_(editor), myTitle_(std::move(title)), lineHeight_(lineHeight),
      eventBoxes_(eventBoxes == 3 || eventBoxes == 2 ? eventBoxes : Parameters::NUM_OF_EVENTBOXES) {
    rows_.emplace_back();
    addTitle();
    layout();
    // A new frame is the selected one.
    editor_.unselectFrameIcons();
    selected_ = true;
}

void ScenarioFrame::setTitle(std::string title) {
    myTitle_ = std::move(title);
    addTitle();
    changed();
}

std::string ScenarioFrame::getTitleTranslated() const {
    return seLanguage::frameName + (myTitle_.size() > 5 ? myTitle_.substr(5) : std::string());
}

void ScenarioFrame::addTitle() {
    rows_.front() = {seLanguage::frameNameText + getTitleTranslated(), std::string(TITLE_ROW_TYPE),
                     std::string(CODE_PREFIX) + "code", "attr"};
}

bool ScenarioFrame::isStartFrame() const {
    return myTitle_ == seLanguage::NAME_STARTFRAME;
}

void ScenarioFrame::setLocation(Point p) {
    location_ = p;
    changed();
    const Size canvas = editor_.canvasSize();
    editor_.repaintCanvas({0, 0, canvas.width, canvas.height});
}

void ScenarioFrame::setLineHeight(int h) {
    lineHeight_ = h;
    layout();
}

void ScenarioFrame::layout() {
    const int n = std::max<int>(1, static_cast<int>(rows_.size()));
    const int listHeight = n * (lineHeight_ + 2) + 27;
    size_ = {WIDTH, 15 + listHeight + 15};
    listBounds_ = {5, 5, 230, listHeight};
    const int boxY = 10 + listHeight;
    if (eventBoxes_ == 3) {
        outputBounds_ = {Rect{5, boxY, 75, 15}, Rect{81, boxY, 75, 15}, Rect{157, boxY, 75, 15}};
    } else {
        outputBounds_ = {Rect{5, boxY, 113, 15}, Rect{119, boxY, 113, 15}, Rect{}};
    }
    changed();
}

void ScenarioFrame::changed() {
    if (observer_ != nullptr) {
        observer_->frameChanged();
    }
}

int ScenarioFrame::rowAt(Point framePoint) const {
    if (!listBounds_.contains(framePoint)) {
        return NO_ROW;
    }
    const int row = (framePoint.y - listBounds_.y - 2) / (lineHeight_ + 2);
    return framePoint.y - listBounds_.y >= 2 && row < static_cast<int>(rows_.size()) ? row : NO_ROW;
}

int ScenarioFrame::getPartFromXY(Point framePoint) const {
    if (listBounds_.contains(framePoint)) {
        return inputField;
    }
    for (int k = 1; k <= 3; ++k) {
        if (outputBounds(k).contains(framePoint)) {
            return output1Field + k - 1;
        }
    }
    return UNDEFINED;
}

Point ScenarioFrame::getPartPosition(int part) const {
    if (part == inputField) {
        return {listBounds_.x + listBounds_.width / 2, listBounds_.y};
    }
    if (isOutput(part)) {
        const Rect box = outputBounds(part - 1);
        return {box.x + box.width / 2, box.y + box.height};
    }
    editor_.consoleLine("Illegal component part specified for: " + myTitle_);
    editor_.sendTheBeep();
    return {-1, -1};
}

std::vector<std::string> ScenarioFrame::getActions() const {
    std::vector<std::string> v;
    for (const ActionRow& r : rows_) {
        v.push_back(r.text);
    }
    return v;
}

std::vector<std::string> ScenarioFrame::getActionTypes() const {
    std::vector<std::string> v;
    for (const ActionRow& r : rows_) {
        v.push_back(r.type);
    }
    return v;
}

std::vector<std::string> ScenarioFrame::getActionCodes() const {
    std::vector<std::string> v;
    for (const ActionRow& r : rows_) {
        v.push_back(r.code);
    }
    return v;
}

std::vector<std::string> ScenarioFrame::getActionAttributes() const {
    std::vector<std::string> v;
    for (const ActionRow& r : rows_) {
        v.push_back(r.attributes);
    }
    return v;
}

void ScenarioFrame::onRequestFinished(const ScenarioElement* element, int part) {
    if (element == nullptr) {
        return;
    }
    if (part == inputField) {
        ActionRow row{element->getIdentification(), std::string(element->className()),
                      std::string(CODE_PREFIX) + element->getAssociatedCode(),
                      element->getAttributes()};
        if (row.text.empty()) {
            return;
        }
        auto same = std::find_if(rows_.begin() + 1, rows_.end(), [&](const ActionRow& r) {
            return stripPackagePrefix(r.type) == row.type;
        });
        if (same != rows_.end()) {
            *same = std::move(row);
        } else {
            rows_.push_back(std::move(row));
        }
        layout();
        return;
    }
    if (!isOutput(part)) {
        return;
    }
    const std::string code = element->getAssociatedCode();
    const std::string kind = code.substr(0, 3);
    for (int k = 1; k <= 3; ++k) {
        const std::string& other = output(k).code;
        if (k != part - 1 && !other.empty() && other.compare(0, 3, kind) == 0) {
            editor_.messageBox("Scenario Builder", seLanguage::twoOfSameEventText,
                               MessageKind::Exclamation);
            return;
        }
    }
    setOutput(part - 1, *element, std::string(element->className()), element->getAttributes());
}

void ScenarioFrame::appendActionRow(const ScenarioElement& element, const std::string& type,
                                    const std::string& attributes) {
    rows_.push_back({element.getIdentification(), type,
                     std::string(CODE_PREFIX) + element.getAssociatedCode(), attributes});
    layout();
}

void ScenarioFrame::setOutput(int k, const ScenarioElement& element, const std::string& type,
                              const std::string& attributes) {
    OutputBox& box = outputs_.at(static_cast<std::size_t>(k - 1));
    box.type = type;
    box.text = element.getIdentification();
    box.code = element.getAssociatedCode();
    box.attributes = attributes;
    changed();
}

void ScenarioFrame::select() {
    selected_ = true;
    changed();
}

void ScenarioFrame::unselect() {
    selected_ = false;
    selectedItem_ = UNDEFINED;
    changed();
}

// ---- connections ----------------------------------------------------------

std::vector<Connection*> ScenarioFrame::loadConnections(int part) const {
    std::vector<Connection*> found;
    for (Connection* c : editor_.getAllSrcConnections(*this)) {
        if (c->startArea() == part) {
            found.push_back(c);
        }
    }
    return found;
}

bool ScenarioFrame::outputConnected(int part) const {
    return !loadConnections(part).empty();
}

int ScenarioFrame::checkOutputsConnected() {
    outputsConnected_ = 0;
    for (Connection* c : editor_.getAllSrcConnections(*this)) {
        if (isOutput(c->startArea())) {
            outputsConnected_ |= outputBit(c->startArea());
        }
    }
    return outputsConnected_;
}

bool ScenarioFrame::checkFrameConnected() {
    if (isStartFrame()) {
        return true;
    }
    connectionChecked_ = true;
    bool result = true;
    for (Connection* c : editor_.getAllDstConnections(*this)) {
        ScenarioFrame& source = c->getSource();
        if (!source.connectionChecked_) {
            if (source.checkFrameConnected()) {
                result = true;
                break;
            }
        } else if (&source == this) {
            result = false;
        }
    }
    connectionChecked_ = false;
    return result;
}

bool ScenarioFrame::updateConnections() {
    const int oldOutputs = outputsConnected_;
    const bool oldConnected = frameConnected_;
    checkOutputsConnected();
    frameConnected_ = editor_.getAllDstConnections(*this).empty() ? false : checkFrameConnected();
    return oldOutputs != outputsConnected_ || oldConnected != frameConnected_;
}

bool ScenarioFrame::outputHalfDefined(int k) const {
    const bool connected = (outputsConnected_ & (1 << (k - 1))) != 0;
    return connected != output(k).text.has_value();
}

void ScenarioFrame::setStateTransition(ScenarioFrame& destination) {
    if (!isOutput(lineStartPart_)) {
        return;
    }
    auto connection =
        std::make_unique<Connection>(*this, destination, lineStartPart_, inputField, true);
    Connection& added = *connection;
    editor_.addConnection(std::move(connection));
    editor_.resetUndo();
    added.DrawLine(editor_);
    editor_.repaintAll();
}

void ScenarioFrame::connectTo(ScenarioFrame* target, int targetPart) {
    const int a = lineStartPart_;
    const bool inToOut = a == inputField && isOutput(targetPart);
    const bool outToIn = isOutput(a) && targetPart == inputField;
    if (target == nullptr || (!inToOut && !outToIn)) {
        editor_.consoleLine("Attempt to connect in-in or out-out");
        editor_.sendTheBeep();
        return;
    }
    ScenarioFrame& source = outToIn ? *this : *target;
    ScenarioFrame& dest = outToIn ? *target : *this;
    const int sourcePart = outToIn ? a : targetPart;
    if (source.outputConnected(sourcePart)) {
        editor_.consoleLine("Attempt to multiply connect an output to different inputs");
        editor_.sendTheBeep();
        return;
    }
    auto connection = std::make_unique<Connection>(source, dest, sourcePart, inputField, false);
    Connection& added = *connection;
    editor_.addConnection(std::move(connection));
    added.DrawLine(editor_);
    editor_.repaintAll();
    editor_.resetUndo();
}

// ---- editing --------------------------------------------------------------

bool ScenarioFrame::deleteFrame() {
    if (isStartFrame()) {
        editor_.consoleLine("Attempt to delete start frame!");
        editor_.sendTheBeep();
        return false;
    }
    editor_.removeAllConnections(*this);
    return true;
}

DeleteResult ScenarioFrame::deleteTheSelectedFrameItem() {
    editor_.fileChanged();
    if (selectedItem_ == frameArea) {
        return deleteFrame() ? DeleteResult::Frame : DeleteResult::Nothing;
    }
    bool deleted = false;
    if (selectedItem_ == inputField) {
        if (selectedRow_ > 0 && selectedRow_ < static_cast<int>(rows_.size())) {
            rows_.erase(rows_.begin() + selectedRow_);
            selectedRow_ = NO_ROW;
            layout();
            deleted = true;
        }
    } else if (isOutput(selectedItem_)) {
        OutputBox& box = outputs_.at(static_cast<std::size_t>(selectedItem_ - output1Field));
        if (box.text && !box.text->empty()) {
            box.text.reset();
            box.code.clear();
            changed();
            deleted = true;
        }
    }
    if (!deleted && selectedItem_ != inputField && selected_) {
        return deleteFrame() ? DeleteResult::Frame : DeleteResult::Nothing;
    }
    return deleted ? DeleteResult::Item : DeleteResult::Nothing;
}

void ScenarioFrame::mousePressed(Point framePoint, MouseButton button, bool alt) {
    editor_.unselectFrameIcons();
    selected_ = true;
    const DrawState state = editor_.drawState();
    const int part = getPartFromXY(framePoint);
    const std::string* request = nullptr;
    startLocation_.reset();
    if (part == UNDEFINED) {
        selectedItem_ = frameArea;
        selectedRow_ = NO_ROW;
        startLocation_ = framePoint;
    } else if (part == inputField) {
        selectedItem_ = inputField;
        selectedRow_ = rowAt(framePoint);
        if (state == DrawState::CONNECTING) {
            editor_.fileChanged();
            lineStartPart_ = inputField;
            lineStartPoint_ = lineEndPoint_ = getPartPosition(inputField);
        } else if (state == DrawState::EDITING) {
            editor_.fileChanged();
            pendingModComponent_ = inputField;
            request = &seLanguage::READ_ACTION_ACTION;
        }
    } else {
        selectedItem_ = part;
        selectedRow_ = NO_ROW;
        if (state == DrawState::CONNECTING) {
            if (button == MouseButton::Right && !alt && eventBoxes_ == 3 && part == output3Field) {
                if (outputConnected(output3Field)) {
                    editor_.consoleLine("Output already connected - ignoring!");
                    editor_.sendTheBeep();
                } else {
                    auto loop =
                        std::make_unique<Connection>(*this, *this, output3Field, inputField, false);
                    Connection& added = *loop;
                    editor_.fileChanged();
                    editor_.addConnection(std::move(loop));
                    editor_.resetUndo();
                    added.DrawLine(editor_);
                    editor_.repaintAll();
                }
            } else {
                editor_.fileChanged();
                lineStartPart_ = part;
                lineStartPoint_ = lineEndPoint_ = getPartPosition(part);
            }
        } else if (state == DrawState::EDITING) {
            editor_.fileChanged();
            pendingModComponent_ = part;
            request = &seLanguage::READ_EVENT_ACTION;
        }
    }
    changed();
    if (request != nullptr) {
        editor_.frameRequest(*this, *request);
    }
    if (alt && button == MouseButton::Left) {
        // The delete tool may take this frame off the canvas: nothing after.
        editor_.deleteTool_actionPerformed();
    }
}

void ScenarioFrame::repaintRubberBand() {
    editor_.repaintCanvas(arrowBounds(lineStartPoint_ + location_, lineEndPoint_ + location_));
}

void ScenarioFrame::mouseDragged(Point framePoint) {
    if (selectedItem_ == inputField || selectedItem_ == UNDEFINED) {
        return; // the list reports no drags
    }
    const DrawState state = editor_.drawState();
    if (state == DrawState::SELECTING) {
        if (!startLocation_) {
            startLocation_ = framePoint;
            return;
        }
        const Size canvas = editor_.canvasSize();
        const Point wanted = location_ + framePoint - *startLocation_;
        const Point clamped{std::clamp(wanted.x, 0, std::max(0, canvas.width - size_.width / 2)),
                            std::clamp(wanted.y, 0, std::max(0, canvas.height - size_.height / 2))};
        setLocation(clamped);
        editor_.fileChanged();
    } else if (state == DrawState::CONNECTING && isOutput(lineStartPart_)) {
        if (rubberBandShown_) {
            repaintRubberBand();
        }
        lineEndPoint_ = framePoint;
        rubberBandShown_ = true;
        repaintRubberBand();
    }
}

std::optional<std::pair<Point, Point>> ScenarioFrame::rubberBand() const {
    if (!rubberBandShown_) {
        return std::nullopt;
    }
    return std::pair{lineStartPoint_ + location_, lineEndPoint_ + location_};
}

void ScenarioFrame::mouseReleased(Point framePoint) {
    startLocation_.reset();
    if (!connectionDragActive()) {
        editor_.resizePanelToFit();
        editor_.repaintAll();
        editor_.frameMoved(*this);
        return;
    }
    editor_.fileChanged();
    if (rubberBandShown_) {
        rubberBandShown_ = false;
        repaintRubberBand();
    }
    const Point canvasPoint = framePoint + location_;
    if (ScenarioFrame* target = editor_.frameAt(canvasPoint)) {
        connectTo(target, target->getPartFromXY(canvasPoint - target->location()));
    } else if (isOutput(lineStartPart_)) {
        if (!outputConnected(lineStartPart_)) {
            editor_.showStateTransition(*this);
        } else {
            editor_.consoleLine("Attempt to multiply connect an output to different inputs");
            editor_.sendTheBeep();
        }
    }
    lineStartPart_ = UNDEFINED;
}

void ScenarioFrame::keyPressed(int keyCode) {
    if (keyCode == KEY_DELETE) {
        editor_.deleteTool_actionPerformed();
    }
}

std::string ScenarioFrame::toString() const {
    using namespace saved_diagram;
    std::string text = std::string(kFrameHeader) + myTitle_ + "\t" + std::to_string(location_.x) +
                       "\t" + std::to_string(location_.y) + "\n";
    text += std::string(kActionList) + "\n";
    for (std::size_t i = 1; i < rows_.size(); ++i) {
        text += "#" + rows_[i].type + "\n#" + rows_[i].attributes + "\n";
    }
    text += std::string(kActionListEnd) + "\n";
    for (int k = 1; k <= 3; ++k) {
        const OutputBox& box = output(k);
        if (box.text) {
            text += std::string(kOutput) + std::to_string(k) + "\n#" + box.type + "\n#" +
                    box.attributes + "\n";
        }
    }
    // The outputs close with a bare "#End" too, which readers pass over.
    text += "#End\n" + std::string(kFrameEnd) + "\n";
    return text;
}

} // namespace crvl
