#include "builder/core/builder_language.h"

#include "base/utf8_files.h"

#include "builder/core/builder_services.h"

#include <filesystem>
#include <system_error>

namespace crvl {

namespace {

constexpr std::string_view kEnglish = "en";

// location: a plain path or a "file:" location.
bool isFile(const std::string& location) {
    std::error_code ec;
    return std::filesystem::is_regular_file(PathFromUtf8(pathFromFileLocation(location)), ec);
}

// Two or three lower-case letters, as language folders are named.
bool isLanguageCode(std::string_view name) {
    if (name.size() < 2 || name.size() > 3) {
        return false;
    }
    for (char c : name) {
        if (c < 'a' || c > 'z') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string languageOfLocale(std::string_view locale) {
    const std::size_t end = locale.find_first_of("_.@");
    std::string language(locale.substr(0, end));
    if (language == "C" || language == "POSIX") {
        return {};
    }
    for (char& c : language) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return isLanguageCode(language) ? language : std::string();
}

std::string languageFromEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value != nullptr && *value != '\0') {
            return languageOfLocale(value);
        }
    }
    return {};
}

std::string languageFileFor(const std::string& base, const std::string& language) {
    if (isLanguageCode(language) && language != kEnglish) {
        const std::string translated = "inits/seTranslator." + language + ".ini";
        if (isFile(base + translated)) {
            return translated;
        }
    }
    return "inits/seTranslator.ini";
}

std::string shippedLanguage(const std::string& base, const std::string& wanted) {
    return languageFileFor(base, wanted) == languageFileFor(base, std::string(kEnglish))
               ? std::string(kEnglish)
               : wanted;
}

std::string helpPageFor(const std::string& base, const std::string& language,
                        const std::string& englishPage) {
    if (isLanguageCode(language) && language != kEnglish) {
        const std::filesystem::path page = PathFromUtf8(englishPage);
        const std::string translated =
            GenericUtf8FromPath(page.parent_path() / PathFromUtf8(language) / page.filename());
        if (isFile(base + translated)) {
            return translated;
        }
    }
    return englishPage;
}

std::string englishHelpPath(const std::string& path) {
    // The language folder is the one right inside "help/"; pictures may lie
    // deeper ("help/de/images/...").
    std::filesystem::path english;
    bool afterHelp = false;
    bool dropped = false;
    for (const std::filesystem::path& part : PathFromUtf8(path)) {
        if (afterHelp && !dropped && isLanguageCode(Utf8FromPath(part))) {
            dropped = true;
        } else {
            english /= part;
        }
        afterHelp = part == "help";
    }
    return dropped ? GenericUtf8FromPath(english) : std::string();
}

} // namespace crvl
