#pragma once

// A connection joins an output box of one frame to the input of the frame
// that follows. It shows as an arrow (line), as a boxed label with the
// destination's name under the output box (jump), or as the loop picture
// when a frame leads back to itself (loop). This class keeps the geometry,
// the hit test and the saved line; the canvas paints it from these values.

#include "base/status.h"
#include "builder/model/geometry.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace crvl {

class FrameEditor;
class ScenarioFrame;

enum class ConnectionForm { Line, Jump, Loop };

// The arrow between two canvas points: the full line, then the two strokes
// of the head (10 pixels at 25 degrees) with its tip at two thirds of the way.
using Segment = std::pair<Point, Point>;
std::array<Segment, 3> arrowFigure(Point from, Point to);
// The smallest rectangle holding the arrow, with a pixel to spare.
Rect arrowBounds(Point from, Point to);

class Connection {
public:
    // Square of the hit tolerance of 5 pixels, also the bounding margin.
    static constexpr int DELTA_HIT2 = 25;
    static constexpr int ARROW_STROKE = 10;
    static constexpr double ARROW_ANGLE = 0.4363323129985824;
    static constexpr const char* LOOP_IMAGE = "picts/loop.gif";

    // The jump flag is ignored when source and destination are one frame.
    Connection(ScenarioFrame& source, ScenarioFrame& dest, int startArea, int endArea, bool jump);

    // Rebuilds a connection from its saved line; the frames are looked up by
    // exact title among the editor's frames. A failure for a line with fewer
    // than four fields, a part number that is not a number or not a part of
    // its side, or a title that names no frame.
    static Result<std::unique_ptr<Connection>> fromString(const FrameEditor& editor,
                                                          std::string_view line);

    ConnectionForm form() const;
    ScenarioFrame& getSource() const { return *sourceComponent_; }
    ScenarioFrame& getDest() const { return *destComponent_; }
    int startArea() const { return StartArea_; }
    int endArea() const { return EndArea_; }

    void select() { selected_ = true; }
    void unselect() { selected_ = false; }
    bool isSelected() const { return selected_; }

    // Anchors in canvas coordinates, computed afresh from the frames.
    Point startPoint() const;
    Point endPoint() const;

    // ---- drawing bookkeeping
    // Remembers the geometry of this drawing and asks the editor to show it.
    void DrawLine(FrameEditor& editor);
    // Asks the editor to repaint what the last drawing covered.
    void EraseLine(FrameEditor& editor) const;
    // Records the current anchors as the drawn geometry.
    void noteDrawn();
    std::optional<Point> savedStartPt() const { return savedstartPt_; }
    std::optional<Point> savedEndPt() const { return savedendPt_; }
    // Jump label size of the last drawing (text width, line height + 5).
    void setLabelSize(int width, int height);
    // Loop picture size; -1 while unknown (picture missing or not loaded).
    void setLoopImageSize(int width, int height);
    Size loopImageSize() const { return {loopWidth_, loopHeight_}; }
    // Text of the jump label: the destination's translated title.
    std::string labelText() const;
    // Frame of the jump label, and the loop picture's place, at the last
    // drawing.
    Rect jumpLabelFrame() const;
    Rect loopImageRect() const;
    // Canvas area the last drawing covered; empty if never drawn.
    Rect drawnRegion() const;

    // Whether a canvas point hits the connection.
    bool inside(int x, int y) const;

    // The saved line: "#src<TAB>dst<TAB>start<TAB>end[<TAB>j]\n".
    std::string toString() const;

private:
    ScenarioFrame* sourceComponent_;
    ScenarioFrame* destComponent_;
    int StartArea_;
    int EndArea_;
    bool selected_ = false;
    bool stateLabel_;
    std::optional<Point> savedstartPt_;
    std::optional<Point> savedendPt_;
    int widthStateLabel_ = 0;
    int heightStateLabel_ = 0;
    int loopWidth_ = -1;
    int loopHeight_ = -1;
};

} // namespace crvl
