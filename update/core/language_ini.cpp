#include "update/core/language_ini.h"

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

std::vector<LanguageEntry> ParseLanguageIni(const std::string& text) {
    std::vector<LanguageEntry> entries;
    std::istringstream in(text);
    std::string line;
    while (entries.size() < kMaxLanguages && std::getline(in, line)) {
        std::size_t pos = 0;
        SkipSpaces(line, pos);
        if (pos == line.size()) {
            continue;
        }
        LanguageEntry entry;
        entry.name = Word(line, pos);
        SkipSpaces(line, pos);
        if (pos == line.size() || line[pos] != '=') {
            continue;
        }
        ++pos;
        SkipSpaces(line, pos);
        entry.fileName = Word(line, pos);
        if (entry.fileName.empty()) {
            continue;
        }
        if (entry.name.size() > kMaxLanguageNameLength) {
            entry.name.resize(kMaxLanguageNameLength);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

Result<std::vector<LanguageEntry>> ReadLanguageIni(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        return Status::Error("The ini-file could not be opened\n");
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ParseLanguageIni(text.str());
}

} // namespace crvl::update
