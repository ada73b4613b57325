#pragma once

// A frame of the scenario: one state of the trainer's state machine. It
// holds its title, its place on the canvas, the list of actions (row 0 is
// the title row) and up to three output boxes, each with one event. It does
// the frame's layout arithmetic, the connection rules, the reachability
// colouring, deletion, the mouse and key gestures in the editor's draw
// states and its saved text block. The widget that shows it (views/) only
// paints what this class says and forwards input here.

#include "builder/model/frame_editor.h"
#include "builder/model/geometry.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

class Connection;
class ScenarioElement;

// Parts of a frame. A connection ends at the input (the action list) and
// starts at an output box.
inline constexpr int UNDEFINED = -1;
// A row number for no row of the action list: outside the list, or nothing
// selected.
inline constexpr int NO_ROW = -1;
inline constexpr int frameArea = 0; // the frame's own area around its parts
inline constexpr int inputField = 1;
inline constexpr int output1Field = 2;
inline constexpr int output2Field = 3;
inline constexpr int output3Field = 4;

// Bits of outputsConnected.
inline constexpr int out1 = 1;
inline constexpr int out2 = 2;
inline constexpr int out3 = 4;

// The list-row prefix of an element's code: rows it occupies, its row.
inline constexpr std::string_view CODE_PREFIX = "1,1:";
inline constexpr std::string_view TITLE_ROW_TYPE = "title";

// Pink of unreached frames and half-defined outputs.
inline constexpr int UNREACHED_RGB[3] = {228, 148, 152};

struct ActionRow {
    std::string text;
    std::string type;
    std::string code; // CODE_PREFIX + element code
    std::string attributes;
};

struct OutputBox {
    std::optional<std::string> text; // no value: the box is empty
    std::string code;
    std::string type;
    std::string attributes;
};

enum class MouseButton { Left, Middle, Right };

enum class DeleteResult {
    Nothing,
    Item,  // a list row or an output's event
    Frame, // the frame refused nothing: the caller takes it off the canvas
};

// Told when the frame's size, place or look changed.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void frameChanged() = 0;
};

class ScenarioFrame {
public:
    static constexpr int WIDTH = 240;
    static constexpr int DEFAULT_LINE_HEIGHT = 13;
    static constexpr int KEY_DELETE = 127;

    // An empty frame: the title row and empty output boxes; it becomes the
    // selected frame. lineHeight is the list font's line height; eventBoxes
    // 2 or 3 (otherwise Parameters::NUM_OF_EVENTBOXES).
    ScenarioFrame(std::string title, FrameEditor& editor, int lineHeight = DEFAULT_LINE_HEIGHT,
                  int eventBoxes = -1);
    ScenarioFrame(const ScenarioFrame&) = delete;
    ScenarioFrame& operator=(const ScenarioFrame&) = delete;

    void setObserver(FrameObserver* observer) { observer_ = observer; }

    // ---- title
    const std::string& getTitle() const { return myTitle_; }
    void setTitle(std::string title);
    // The language's frame word followed by the title's number.
    std::string getTitleTranslated() const;
    // Writes the title row again (after a change of title or language).
    void addTitle();
    bool isStartFrame() const;

    // ---- place and layout
    Point location() const { return location_; }
    void setLocation(Point p);
    Size size() const { return size_; }
    Rect bounds() const { return {location_.x, location_.y, size_.width, size_.height}; }
    int lineHeight() const { return lineHeight_; }
    void setLineHeight(int h);
    int eventBoxes() const { return eventBoxes_; }
    Rect listBounds() const { return listBounds_; }
    // Box k = 1..3; the third box is empty with two boxes configured.
    Rect outputBounds(int k) const { return outputBounds_.at(static_cast<std::size_t>(k - 1)); }
    // Row under a frame point inside the list, or NO_ROW.
    int rowAt(Point framePoint) const;
    // The part under a frame point: inputField, output1..3Field or UNDEFINED.
    int getPartFromXY(Point framePoint) const;
    // Anchor of a part in frame coordinates; (-1, -1), a beep and a
    // console line for any other part number.
    Point getPartPosition(int part) const;

    // ---- contents
    const std::vector<ActionRow>& rows() const { return rows_; }
    std::vector<std::string> getActions() const;
    std::vector<std::string> getActionTypes() const;
    std::vector<std::string> getActionCodes() const;
    std::vector<std::string> getActionAttributes() const;
    const OutputBox& output(int k) const { return outputs_.at(static_cast<std::size_t>(k - 1)); }
    // Stores an element whose dialog ended with OK in the list or a box.
    void onRequestFinished(const ScenarioElement* element, int part);
    // Fills a list row or a box from saved text (the element already made).
    void appendActionRow(const ScenarioElement& element, const std::string& type,
                         const std::string& attributes);
    void setOutput(int k, const ScenarioElement& element, const std::string& type,
                   const std::string& attributes);

    int selectedRow() const { return selectedRow_; }
    void setSelectedRow(int row) { selectedRow_ = row; }

    // ---- selection
    bool isSelected() const { return selected_; }
    void select();
    void unselect();
    // frameArea, inputField, output1..3Field or UNDEFINED.
    int selectedItem() const { return selectedItem_; }
    int getPendingComponent() const { return pendingModComponent_; }

    // ---- connections
    // Connections from this frame's part, in list order; empty if none.
    std::vector<Connection*> loadConnections(int part) const;
    int checkOutputsConnected();
    int getOutputsConnected() const { return outputsConnected_; }
    bool checkFrameConnected();
    // Recomputes outputsConnected and frameConnected; true if either changed.
    bool updateConnections();
    bool frameConnected() const { return frameConnected_; }
    // White list background: reached, or the start frame.
    bool isReached() const { return frameConnected_ || isStartFrame(); }
    // An event without a connection, or a connection without an event.
    bool outputHalfDefined(int k) const;
    // Jump connection from the output where the current drag began.
    void setStateTransition(ScenarioFrame& destination);

    // ---- editing
    DeleteResult deleteTheSelectedFrameItem();
    void mousePressed(Point framePoint, MouseButton button, bool alt);
    void mouseDragged(Point framePoint);
    void mouseReleased(Point framePoint);
    void keyPressed(int keyCode);
    bool connectionDragActive() const { return lineStartPart_ != UNDEFINED; }
    // The rubber band in canvas coordinates, while one shows.
    std::optional<std::pair<Point, Point>> rubberBand() const;

    // The frame's text block of the saved diagram.
    std::string toString() const;

private:
    void layout();
    void changed();
    void connectTo(ScenarioFrame* target, int targetPart);
    bool outputConnected(int part) const;
    bool deleteFrame();
    void repaintRubberBand();

    FrameEditor& editor_;
    FrameObserver* observer_ = nullptr;
    std::string myTitle_;
    Point location_;
    Size size_;
    int lineHeight_;
    int eventBoxes_;
    Rect listBounds_;
    std::array<Rect, 3> outputBounds_{};
    std::vector<ActionRow> rows_;
    std::array<OutputBox, 3> outputs_{};
    int selectedRow_ = NO_ROW;

    bool selected_ = false;
    int selectedItem_ = UNDEFINED;
    int pendingModComponent_ = UNDEFINED;

    int lineStartPart_ = UNDEFINED;
    Point lineStartPoint_;
    Point lineEndPoint_;
    bool rubberBandShown_ = false;
    std::optional<Point> startLocation_;

    bool frameConnected_ = false;
    int outputsConnected_ = 0;
    bool connectionChecked_ = false;
};

} // namespace crvl
