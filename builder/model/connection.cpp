#include "builder/model/connection.h"

#include "builder/model/frame_editor.h"
#include "builder/model/saved_text.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace crvl {

namespace {

Point truncated(double x, double y) {
    return {static_cast<int>(x), static_cast<int>(y)};
}

bool between(int v, int a, int b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
}

} // namespace

std::array<Segment, 3> arrowFigure(Point from, Point to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double tipX = from.x + dx * 2.0 / 3.0;
    const double tipY = from.y + dy * 2.0 / 3.0;
    const double angle = std::atan2(dy, dx);
    const Point tip = truncated(tipX, tipY);
    const double a1 = angle - Connection::ARROW_ANGLE;
    const double a2 = angle + Connection::ARROW_ANGLE;
    const Point p1 = truncated(tipX - Connection::ARROW_STROKE * std::cos(a1),
                               tipY - Connection::ARROW_STROKE * std::sin(a1));
    const Point p2 = truncated(tipX - Connection::ARROW_STROKE * std::cos(a2),
                               tipY - Connection::ARROW_STROKE * std::sin(a2));
    return {Segment{from, to}, Segment{tip, p1}, Segment{tip, p2}};
}

Rect arrowBounds(Point from, Point to) {
    int minX = from.x, maxX = from.x, minY = from.y, maxY = from.y;
    for (const Segment& s : arrowFigure(from, to)) {
        for (Point p : {s.first, s.second}) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    return {minX - 1, minY - 1, maxX - minX + 3, maxY - minY + 3};
}

Connection::Connection(ScenarioFrame& source, ScenarioFrame& dest, int startArea, int endArea,
                       bool jump)
    : sourceComponent_(&source), destComponent_(&dest), StartArea_(startArea), EndArea_(endArea),
      stateLabel_(jump && &source != &dest) {}

Result<std::unique_ptr<Connection>> Connection::fromString(const FrameEditor& editor,
                                                           std::string_view line) {
    const std::vector<std::string> tokens = splitTokens(line, "#\t\r\n");
    if (tokens.size() < 4) {
        return Status::Error("Connection line has too few fields: \"" + std::string(line) + "\"");
    }
    const Result<int> start = parseDecimal(tokens[2]);
    if (!start.ok()) {
        return start.status();
    }
    const Result<int> end = parseDecimal(tokens[3]);
    if (!end.ok()) {
        return end.status();
    }
    if (start.value() < output1Field || start.value() > output3Field || end.value() != inputField) {
        return Status::Error("Connection line names no output and input: \"" + std::string(line) +
                             "\"");
    }
    ScenarioFrame* source = editor.stringToFrameIconComponent(tokens[0]);
    ScenarioFrame* dest = editor.stringToFrameIconComponent(tokens[1]);
    for (auto [frame, title] : {std::pair{source, &tokens[0]}, std::pair{dest, &tokens[1]}}) {
        if (frame == nullptr) {
            return Status::Error("Connection names a frame that is not in the diagram: " + *title);
        }
    }
    const bool jump = tokens.size() > 4 && tokens[4] == "j";
    return std::make_unique<Connection>(*source, *dest, start.value(), end.value(), jump);
}

ConnectionForm Connection::form() const {
    if (sourceComponent_ == destComponent_) {
        return ConnectionForm::Loop;
    }
    return stateLabel_ ? ConnectionForm::Jump : ConnectionForm::Line;
}

Point Connection::startPoint() const {
    return sourceComponent_->getPartPosition(StartArea_) + sourceComponent_->location();
}

Point Connection::endPoint() const {
    return destComponent_->getPartPosition(EndArea_) + destComponent_->location();
}

void Connection::noteDrawn() {
    savedstartPt_ = startPoint();
    savedendPt_ = endPoint();
}

void Connection::DrawLine(FrameEditor& editor) {
    EraseLine(editor);
    noteDrawn();
    editor.repaintCanvas(drawnRegion());
}

void Connection::EraseLine(FrameEditor& editor) const {
    const Rect region = drawnRegion();
    if (region.width > 0 && region.height > 0) {
        editor.repaintCanvas(region);
    }
}

void Connection::setLabelSize(int width, int height) {
    widthStateLabel_ = width;
    heightStateLabel_ = height;
}

void Connection::setLoopImageSize(int width, int height) {
    loopWidth_ = width;
    loopHeight_ = height;
}

std::string Connection::labelText() const {
    return destComponent_->getTitleTranslated();
}

Rect Connection::jumpLabelFrame() const {
    const Point s = savedstartPt_.value_or(Point{});
    return {s.x - widthStateLabel_ / 2 - 1, s.y + 1, widthStateLabel_ + 2, heightStateLabel_ + 2};
}

Rect Connection::loopImageRect() const {
    const Point s = savedstartPt_.value_or(Point{});
    return {s.x - loopWidth_ / 2, s.y, loopWidth_, loopHeight_};
}

Rect Connection::drawnRegion() const {
    if (!savedstartPt_ || !savedendPt_) {
        return {};
    }
    switch (form()) {
    case ConnectionForm::Jump: {
        const Rect r = jumpLabelFrame();
        // The text may reach a little past the frame of the label.
        return {r.x - 2, r.y - 2, r.width + 6, r.height + 6};
    }
    case ConnectionForm::Loop:
        if (loopWidth_ < 0 || loopHeight_ < 0) {
            return {};
        }
        return loopImageRect();
    case ConnectionForm::Line:
        break;
    }
    return arrowBounds(*savedstartPt_, *savedendPt_);
}

bool Connection::inside(int x, int y) const {
    switch (form()) {
    case ConnectionForm::Jump: {
        if (!savedstartPt_) {
            return false;
        }
        const Point s = *savedstartPt_;
        return x >= s.x - widthStateLabel_ / 2 && x <= s.x + widthStateLabel_ / 2 && y >= s.y &&
               y <= s.y + heightStateLabel_;
    }
    case ConnectionForm::Loop: {
        if (!savedstartPt_ || loopWidth_ < 0 || loopHeight_ < 0) {
            return false;
        }
        const Point s = *savedstartPt_;
        return x >= s.x - loopWidth_ / 2 && x <= s.x + loopWidth_ / 2 && y >= s.y &&
               y <= s.y + loopHeight_;
    }
    case ConnectionForm::Line:
        break;
    }
    const Point s = startPoint();
    const Point e = endPoint();
    constexpr int margin = DELTA_HIT2;
    if ((x + margin < s.x && x + margin < e.x) || (x - margin > s.x && x - margin > e.x) ||
        (y + margin < s.y && y + margin < e.y) || (y - margin > s.y && y - margin > e.y)) {
        return false;
    }
    const double dx = e.x - s.x;
    const double dy = e.y - s.y;
    if (dx * dx > DELTA_HIT2) {
        const int lineY = static_cast<int>(s.y + (dy / dx) * (x - s.x));
        return (lineY - y) * (lineY - y) <= DELTA_HIT2;
    }
    return (s.x - x) * (s.x - x) < DELTA_HIT2 && between(y, s.y, e.y);
}

std::string Connection::toString() const {
    std::string line = "#" + sourceComponent_->getTitle() + "\t" + destComponent_->getTitle() +
                       "\t" + std::to_string(StartArea_) + "\t" + std::to_string(EndArea_);
    if (form() == ConnectionForm::Jump) {
        line += "\tj";
    }
    return line + "\n";
}

} // namespace crvl
