#pragma once

// The builder's dialogs were laid out for the logical fonts "Dialog",
// "SansSerif", "Serif", "Monospaced" and "DialogInput" (and "Helvetica" on
// the printed page), whose faces on the original platform were Arial, Times
// New Roman and Courier New, at sizes in pixels. These functions map each
// logical name to the first installed family of a list that starts with the
// metric-compatible Liberation fonts (Debian fonts-liberation2), so texts
// take the widths the dialogs' sizes were made for:
//
//   sans-serif  Liberation Sans, Arimo, Arial, Helvetica, Nimbus Sans
//   serif       Liberation Serif, Tinos, Times New Roman, Nimbus Roman
//   monospaced  Liberation Mono, Cousine, Courier New, Nimbus Mono PS
//
// When none of a list is installed, the system's general (or fixed) font
// stands in. Any other name is taken as a family name as it is.

#include <QFont>
#include <QString>
#include <QStringList>

namespace crvl {

// The candidates for a logical font name, in the order they are tried;
// empty for a name that is no logical font.
QStringList logicalFontCandidates(const QString& logicalName);

// The family that stands for a logical font name on this machine.
QString logicalFontFamily(const QString& logicalName);

// A logical font at a size in pixels.
QFont logicalFont(const QString& logicalName, int pixels, bool bold = false);

// Makes "Dialog" plain 12 the font of every control of the application that
// names none of its own. The builder's main calls it before it builds a
// window.
void installBuilderFonts();

} // namespace crvl
