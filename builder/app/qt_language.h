#pragma once

// Qt's own texts (the file and print dialogs, standard buttons, the names of
// shortcut keys in menus) in the builder's language, from Qt's translation
// catalogues.

#include <string>

class QCoreApplication;
class QTranslator;

namespace crvl {

// Makes language ("de") the default locale and installs Qt's catalogue for
// it, owned by app, when one is installed (English needs none): the
// catalogue, or none.
QTranslator* installQtTranslations(QCoreApplication& app, const std::string& language);

} // namespace crvl
