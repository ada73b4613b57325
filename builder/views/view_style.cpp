#include "builder/views/view_style.h"

#include "builder/widgets/builder_fonts.h"

namespace crvl {

QFont fontFor(const FontSpec& spec) {
    QFont font(logicalFontFamily(qs(spec.family)));
    font.setPointSize(spec.pointSize);
    font.setBold(spec.bold);
    return font;
}

QFont dialogFont(int pixels, bool bold) {
    return logicalFont(QStringLiteral("Dialog"), pixels, bold);
}

} // namespace crvl
