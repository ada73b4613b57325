#include "update/core/language_ini.h"
#include "base/utf8_files.h"

#include "update/core/text_format.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace crvl::update {
namespace {

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void SkipSpaces(const std::string& line, std::size_t& pos) {
    while (pos < line.size() && IsSpace(line[pos])) {
        ++pos;
    }
}

std::string Word(const std::string& line, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < line.size() && !IsSpace(line[pos])) {
        ++pos;
    }
    return line.substr(start, pos - start);
}

} // namespace

LanguageIni ParseLanguageIni(const std::string& text) {
    LanguageIni ini;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::size_t pos = 0;
        SkipSpaces(line, pos);
        if (pos == line.size()) {
            continue;
        }
        if (ini.entries.size() == kMaxLanguages) {
            ini.unreadable.push_back(Format("%s, line %d and the lines after it were left out: "
                                            "the list takes %d languages.\r\n",
                                            kIniFileName, number, static_cast<int>(kMaxLanguages)));
            break;
        }
        LanguageEntry entry;
        entry.name = Word(line, pos);
        SkipSpaces(line, pos);
        if (pos < line.size() && line[pos] == '=') {
            ++pos;
            SkipSpaces(line, pos);
            entry.fileName = Word(line, pos);
        }
        if (entry.fileName.empty()) {
            ini.unreadable.push_back(Format("%s, line %d cannot be read (it should be "
                                            "\"Language = file.hex\"): %s\r\n",
                                            kIniFileName, number, line.c_str()));
            continue;
        }
        if (entry.name.size() > kMaxLanguageNameLength) {
            entry.name.resize(kMaxLanguageNameLength);
        }
        ini.entries.push_back(std::move(entry));
    }
    return ini;
}

Result<LanguageIni> ReadLanguageIni(const std::string& path) {
    std::ifstream file(PathFromUtf8(path));
    if (!file) {
        return Status::Error("The ini-file could not be opened\n");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseLanguageIni(text.str());
}

} // namespace crvl::update
