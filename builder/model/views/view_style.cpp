#include "view_style.h"

#include <QFontDatabase>

namespace crvl {

QFont fontFor(const FontSpec& spec) {
    QFont font = spec.family == "Dialog" ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                                         : QFont(qs(spec.family));
    font.setPointSize(spec.pointSize);
    font.setBold(spec.bold);
    return font;
}

} // namespace crvl
