#include "builder/core/se_language.h"

#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/language_file.h"

#include <unordered_map>

namespace crvl {

namespace {

struct TextEntry {
    const char* key;
    std::string* text;
    const char* defaultText;
};

const std::vector<TextEntry>& entries() {
#define CRVL_SE_LANGUAGE_ENTRY(key, text) TextEntry{#key, &seLanguage::key, text},
    static const std::vector<TextEntry> table = {CRVL_SE_LANGUAGE_TEXTS(CRVL_SE_LANGUAGE_ENTRY)};
#undef CRVL_SE_LANGUAGE_ENTRY
    return table;
}

const TextEntry* findEntry(std::string_view key) {
    static const std::unordered_map<std::string_view, const TextEntry*> index = [] {
        std::unordered_map<std::string_view, const TextEntry*> byKey;
        for (const TextEntry& e : entries()) {
            byKey.emplace(e.key, &e);
        }
        return byKey;
    }();
    const auto it = index.find(key);
    return it == index.end() ? nullptr : it->second;
}

} // namespace

std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < values.size()) {
                out += *(values.begin() + index);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

const std::vector<std::string>& seLanguage::keys() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const TextEntry& e : entries()) {
            out.emplace_back(e.key);
        }
        return out;
    }();
    return names;
}

const std::string* seLanguage::text(std::string_view key) {
    const TextEntry* e = findEntry(key);
    return e ? e->text : nullptr;
}

const char* seLanguage::defaultText(std::string_view key) {
    const TextEntry* e = findEntry(key);
    return e ? e->defaultText : nullptr;
}

void seLanguage::restoreDefaults() {
    for (const TextEntry& e : entries()) {
        *e.text = e.defaultText;
    }
    lastECGAttributes.clear();
    Parameters::ENCODING = "Cp1252";
    language_ = "en";
    translatorName_ = TRANSLATOR_NAME;
}

void seLanguage::chooseLanguage(const std::string& base, const std::string& wanted) {
    language_ = shippedLanguage(base, wanted);
    translatorName_ = languageFileFor(base, language_);
}

void seLanguage::setTheParameter(std::string_view key, const std::string& value) {
    if (const TextEntry* e = findEntry(key)) {
        *e->text = value;
    }
}

namespace {

constexpr std::string_view kOpenFailed = "seLanguage.seTranslator: IOException on open input file ";

// The scheme of a location such as "http://host/", or empty for "file:"
// locations, plain paths and Windows drive letters.
std::string_view foreignScheme(std::string_view location) {
    const std::size_t colon = location.find(':');
    if (colon == std::string_view::npos || colon < 2) {
        return {};
    }
    const std::string_view scheme = location.substr(0, colon);
    for (char c : scheme) {
        const bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!schemeChar) {
            return {};
        }
    }
    return scheme == "file" ? std::string_view() : scheme;
}

std::string trimmed(std::string text) {
    const std::size_t end = text.find_last_not_of(" \t");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

} // namespace

void seLanguage::translateText(const std::string& base) {
    const std::string location = base + translatorName_;
    consoleLine(location);
    if (const std::string_view scheme = foreignScheme(location); !scheme.empty()) {
        consoleLine("seLanguage.seTranslator: Cannot open url; unknown protocol: " +
                    std::string(scheme));
        return;
    }
    const std::string path = pathFromFileLocation(location);
    const Result<std::string> bytes = readFileBytes(path);
    if (!bytes.ok()) {
        consoleLine(std::string(kOpenFailed) + path);
        return;
    }
    translateBytes(bytes.value());
}

void seLanguage::translateBytes(std::string_view bytes) {
    // A word runs to the line end, so trailing blanks would be part of the name.
    std::string name = trimmed(readEncodingName(bytes, Parameters::ENCODING));
    consoleLine("Encoding = " + name);
    std::optional<TextEncoding> encoding = encodingFromName(name);
    if (!encoding) {
        // A name we cannot decode with: read the file as Windows-1252 and keep
        // that for every other file too.
        consoleLine(std::string(kOpenFailed) + "(unsupported encoding \"" + name +
                    "\", keeping Cp1252)");
        name = "Cp1252";
        encoding = TextEncoding::Cp1252;
    }
    Parameters::ENCODING = name;
    for (const auto& [key, value] : readTextLines(bytes, *encoding)) {
        setTheParameter(key, value);
    }
}

} // namespace crvl
