#pragma once

#include "base/status.h"

#include <string>
#include <vector>

namespace crvl::update {

constexpr const char* kIniFileName = "crvlupd.ini";
constexpr std::size_t kMaxLanguages = 80;
// Longer display names are cut to fit the list.
constexpr std::size_t kMaxLanguageNameLength = 63;

// One entry of crvlupd.ini: the language's display name and its image file.
struct LanguageEntry {
    std::string name;
    std::string fileName;
};

// What crvlupd.ini gave: its entries in file order, and a message (with its
// line end) for each line that could not be read.
struct LanguageIni {
    std::vector<LanguageEntry> entries;
    std::vector<std::string> unreadable;
};

// Reads "name = file" entries in file order: the name must be followed by
// white space before the '='; white space after it is optional; blank lines
// are skipped. A line that does not fit the pattern gives no entry and is
// named in `unreadable`, and so are the lines past the 80th entry.
LanguageIni ParseLanguageIni(const std::string& text);

// Reads the file; fails when it cannot be opened, with the message box's
// line for it.
Result<LanguageIni> ReadLanguageIni(const std::string& path);

} // namespace crvl::update
