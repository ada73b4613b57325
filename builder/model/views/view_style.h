#pragma once

// Fonts and colours the scenario's widgets share.

#include "frame_editor.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <string>

namespace crvl {

// "Dialog" is the toolkit's default sans-serif face.
QFont fontFor(const FontSpec& spec);

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
