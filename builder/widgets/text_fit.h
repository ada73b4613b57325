#pragma once

// Whether a control shows the whole of its text: the room the style gives
// the text (a label's contents, a button's label area, the part of a radio
// or check box beside its indicator) against the text's bounding box in the
// control's font. The dialogs grow a control whose translated text is too
// long, and the tests check every dialog with the same measure.

#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class QWidget;

namespace crvl {

struct TextRoom {
    QString text;
    QRect room;   // where the control draws its text, in its own coordinates
    QSize needed; // the text's bounding box (a wrapped label: at room's width)
    bool fits() const { return needed.width() <= room.width() && needed.height() <= room.height(); }
};

// The measure of a label, push button, radio or check box with a plain
// text; none for other widgets, empty texts and rich-text labels.
std::optional<TextRoom> textRoom(const QWidget& control);

// Lets a control show its whole text: when it is too narrow, it grows to
// the right as far as its parent allows (less margin), then moves left as
// far as it still needs. A wrapped label grows downwards instead, up to
// maxHeight. The control keeps its place and size when its text fits.
void growToShowText(QWidget& control, int margin = 4, int maxHeight = 0);

} // namespace crvl
