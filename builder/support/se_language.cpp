#include "se_language.h"

#include "parameters.h"

#include <algorithm>

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
    const auto& table = entries();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [key](const TextEntry& e) { return key == e.key; });
    return it == table.end() ? nullptr : &*it;
}

} // namespace

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
}

void seLanguage::setTheParameter(std::string_view key, const std::string& value) {
    if (const TextEntry* e = findEntry(key)) {
        *e->text = value;
    }
}

void seLanguage::translateText(const std::string& base) {
    (void)base;
}

void seLanguage::translateBytes(std::string_view bytes) {
    (void)bytes;
}

} // namespace crvl
