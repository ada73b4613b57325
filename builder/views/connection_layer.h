#pragma once

// Painting of the connections. The ConnectionLayer lies over the canvas,
// above the frames, lets every mouse event through to what is below, and
// paints all connections of the editor and the rubber band of a connection
// drag. The model's "draw" and "erase" become repaints of its regions
// (FrameEditor::repaintCanvas), so connections survive every exposure.

#include "builder/model/connection.h"
#include "builder/model/frame_editor.h"

#include <QPixmap>
#include <QWidget>

class QPainter;

namespace crvl {

// The loop picture under the builder's base directory, or, when the file
// cannot be read, a small U-turn arrow drawn here.
QPixmap loadLoopPicture();

// Paints one connection in its current geometry and records that geometry
// (saved points, label or picture size) for the hit test.
void paintConnection(QPainter& painter, Connection& connection, const FrameEditor& editor,
                     const QPixmap& loopPicture);
// Paints the arrow between two canvas points.
void paintArrow(QPainter& painter, Point from, Point to);

class ConnectionLayer : public QWidget {
    Q_OBJECT
public:
    ConnectionLayer(const FrameEditor& editor, QWidget* canvas);

    void setLoopPicture(const QPixmap& picture) { loopPicture_ = picture; }
    const QPixmap& loopPicture() const { return loopPicture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const FrameEditor& editor_;
    QPixmap loopPicture_;
};

} // namespace crvl
