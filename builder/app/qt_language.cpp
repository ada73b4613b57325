#include "builder/app/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace crvl {

QTranslator* installQtTranslations(QCoreApplication& app, const std::string& language) {
    const QLocale locale(QString::fromStdString(language));
    QLocale::setDefault(locale);
    auto* translator = new QTranslator(&app);
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        return translator;
    }
    delete translator;
    return nullptr;
}

} // namespace crvl
