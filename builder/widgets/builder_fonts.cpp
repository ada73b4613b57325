#include "builder/widgets/builder_fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace crvl {

namespace {

enum class Face { Sans, Serif, Mono, None };

Face faceOf(const QString& name) {
    for (const char* sans : {"Dialog", "SansSerif", "Helvetica", "Arial"}) {
        if (name.compare(QLatin1String(sans), Qt::CaseInsensitive) == 0) {
            return Face::Sans;
        }
    }
    for (const char* serif : {"Serif", "TimesRoman", "Times New Roman"}) {
        if (name.compare(QLatin1String(serif), Qt::CaseInsensitive) == 0) {
            return Face::Serif;
        }
    }
    for (const char* mono : {"Monospaced", "DialogInput", "Courier", "Courier New"}) {
        if (name.compare(QLatin1String(mono), Qt::CaseInsensitive) == 0) {
            return Face::Mono;
        }
    }
    return Face::None;
}

} // namespace

QStringList logicalFontCandidates(const QString& logicalName) {
    switch (faceOf(logicalName)) {
    case Face::Sans:
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                QStringLiteral("Helvetica"), QStringLiteral("Nimbus Sans")};
    case Face::Serif:
        return {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                QStringLiteral("Times New Roman"), QStringLiteral("Nimbus Roman")};
    case Face::Mono:
        return {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                QStringLiteral("Courier New"), QStringLiteral("Nimbus Mono PS")};
    case Face::None:
        break;
    }
    return {};
}

QString logicalFontFamily(const QString& logicalName) {
    const Face face = faceOf(logicalName);
    if (face == Face::None) {
        return logicalName;
    }
    const QStringList installed = QFontDatabase::families();
    for (const QString& candidate : logicalFontCandidates(logicalName)) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            return candidate;
        }
    }
    return QFontDatabase::systemFont(face == Face::Mono ? QFontDatabase::FixedFont
                                                        : QFontDatabase::GeneralFont)
        .family();
}

QFont logicalFont(const QString& logicalName, int pixels, bool bold) {
    QFont font(logicalFontFamily(logicalName));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void installBuilderFonts() {
    QApplication::setFont(logicalFont(QStringLiteral("Dialog"), 12));
}

} // namespace crvl
