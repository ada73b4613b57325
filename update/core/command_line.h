#pragma once

#include <string>
#include <vector>

namespace crvl::update {

// What the updater's command line asks for. Options are found anywhere in
// the text as substrings, in any letter case; the last word, unless it begins
// with '-' or '/', is the image file to upload unattended. The file name keeps
// its letter case, so "FW.hex" is found on a case-sensitive file system.
struct CommandLine {
    bool debug = false;
    bool help = false;
    int portIndex = 0;         // entry of the port list: 0 = COM1 (-p1), 2 (-p2), 3 (-p3)
    std::string automaticFile; // empty: no automatic run
};

// args are the words after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The lines the message box shows for -help, in order.
extern const char* const kHelpLines[3];

} // namespace crvl::update
