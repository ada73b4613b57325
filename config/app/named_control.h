// How the configuration dialog's controls are found by tests and assistive
// tools: the control id as the object name, an accessible name on one line.
#pragma once

#include <QString>
#include <QWidget>

#include <string_view>

namespace crvl {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Accessible names read labels without their line breaks.
inline QString OneLine(const QString& text) {
    return text.simplified();
}

template <typename Widget> Widget* Named(Widget* widget, int id, const QString& accessibleName) {
    widget->setObjectName(QString::number(id));
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace crvl
