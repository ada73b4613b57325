#pragma once

// Fonts and colours the scenario's widgets share.

#include "builder/model/frame_editor.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <string>

namespace crvl {

// The font of a FontSpec: its logical family (builder_fonts.h) at its size in points, the
// frames' and connections' font.
QFont fontFor(const FontSpec& spec);

// The dialogs' "Dialog" font at a size in pixels, as their sizes were laid
// out for.
QFont dialogFont(int pixels, bool bold);

inline QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

inline const QColor kSelectedBlue{0, 0, 255};
inline const QColor kUnreachedPink{228, 148, 152};
inline const QColor kElementDialogBackground{192, 192, 220};
inline const QColor kButtonGrey{192, 192, 192};

// The background every dialog of the builder shares.
inline void fillDialogBackground(QWidget* dialog) {
    dialog->setAutoFillBackground(true);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, kElementDialogBackground);
    dialog->setPalette(palette);
}

} // namespace crvl
