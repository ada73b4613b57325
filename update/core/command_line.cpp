#include "update/core/command_line.h"

#include <algorithm>
#include <cctype>

namespace crvl::update {

const char* const kHelpLines[3] = {
    "Available commandline options:\r\n",
    "-p1, -p2, -p3 default: -p1\r\n",
    "Append filename at end to invoke automatic download\r\n",
};

namespace {

bool ContainsAny(const std::string& text, std::initializer_list<const char*> options) {
    return std::any_of(options.begin(), options.end(),
                       [&](const char* option) { return text.find(option) != std::string::npos; });
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A word beginning with '-' is an option. One beginning with '/' is an option
// only when it is one of ours: on POSIX systems an absolute path begins with
// '/' too.
bool IsFileWord(const std::string& word) {
    if (word.empty() || word[0] == '-') {
        return false;
    }
    if (word[0] != '/') {
        return true;
    }
    const std::string lowered = Lower(word);
    static const char* const kSlashOptions[] = {"/debug", "/p1", "/p2", "/p3", "/help", "/h"};
    return std::none_of(std::begin(kSlashOptions), std::end(kSlashOptions),
                        [&](const char* option) { return lowered == option; });
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    std::string text;
    for (const std::string& arg : args) {
        if (!text.empty()) {
            text += ' ';
        }
        text += arg;
    }
    if (text.empty()) {
        return result;
    }
    // The last word: characters after the last space.
    const std::size_t space = text.rfind(' ');
    const std::string last = space == std::string::npos ? text : text.substr(space + 1);
    std::string optionText = text;
    if (IsFileWord(last)) {
        result.automaticFile = last;
        // The file name is not searched for options, so "fw-debug.hex" or
        // "/home/h/fw.hex" does not switch anything on.
        optionText.resize(space == std::string::npos ? 0 : space);
    }

    // Options match in any letter case; the file name keeps its own.
    optionText = Lower(optionText);
    result.debug = ContainsAny(optionText, {"-debug", "/debug"});
    if (ContainsAny(optionText, {"-p2", "/p2"})) {
        result.portIndex = 2;
    }
    if (ContainsAny(optionText, {"-p3", "/p3"})) {
        result.portIndex = 3;
    }
    result.help = ContainsAny(optionText, {"-help", "/help", "-h", "/h"});
    return result;
}

} // namespace crvl::update
