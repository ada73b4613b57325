// Arbitrary bytes as crvlupd.ini. The reader keeps at most 80 entries, each
// a name and a file name that are runs of the text without white space, in
// the order of the file, the name cut to the list's limit.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "update/core/language_ini.h"

namespace {

bool HasSpace(const std::string& s) {
    for (const char c : s)
        if (std::isspace(static_cast<unsigned char>(c)) != 0)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto entries = crvl::update::ParseLanguageIni(text).entries;
    if (entries.size() > crvl::update::kMaxLanguages)
        std::abort();
    std::size_t from = 0;
    for (const auto& entry : entries) {
        if (entry.name.empty() || entry.fileName.empty() || HasSpace(entry.name) ||
            HasSpace(entry.fileName) || entry.name.size() > crvl::update::kMaxLanguageNameLength)
            std::abort();
        // In file order: the name, later an '=', later the file name.
        const std::size_t name = text.find(entry.name, from);
        if (name == std::string::npos)
            std::abort();
        const std::size_t equals = text.find('=', name + entry.name.size());
        if (equals == std::string::npos)
            std::abort();
        const std::size_t file = text.find(entry.fileName, equals + 1);
        if (file == std::string::npos)
            std::abort();
        from = file + entry.fileName.size();
    }
    return 0;
}
