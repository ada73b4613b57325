#pragma once

// Which language the builder speaks: the user's locale, or the language=
// argument, when a language file for it ships; English otherwise. The same
// choice picks the help pages, with the English page for one not translated.

#include <string>
#include <string_view>

namespace crvl {

// The language of a locale name: "de_DE.UTF-8" and "de" give "de"; "C",
// "POSIX" and the empty name give the empty text.
std::string languageOfLocale(std::string_view locale);

// The user's language from the values of LC_ALL, LC_MESSAGES and LANG, the
// first one set deciding (any may be null).
std::string languageFromEnvironment(const char* lcAll, const char* lcMessages, const char* lang);

// base: a directory or a "file:" location, ending with "/".

// The language file for language under base: "inits/seTranslator.<lang>.ini"
// when base holds it, else the English "inits/seTranslator.ini".
std::string languageFileFor(const std::string& base, const std::string& language);

// The language the builder speaks for a wanted one: the wanted one when its
// file ships, else "en".
std::string shippedLanguage(const std::string& base, const std::string& wanted);

// A help page under base in the language: "help/<lang>/Se.html" for the
// English page "help/Se.html" when base holds it, else the English page.
std::string helpPageFor(const std::string& base, const std::string& language,
                        const std::string& englishPage);

// The English counterpart of a file in a language folder of the help
// ("/x/help/de/y.html" gives "/x/help/y.html", "/x/help/de/images/p.png"
// gives "/x/help/images/p.png"); the empty text for a path in no language
// folder.
std::string englishHelpPath(const std::string& path);

} // namespace crvl
