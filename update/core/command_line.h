#pragma once

#include "base/status.h"

#include <string>
#include <vector>

namespace crvl::update {

// The port a run uses: a number 1..16 (COMn), or a device path given with
// --port PATH, which the run opens as port 1.
struct PortChoice {
    int number = 1;
    std::string device; // set for --port PATH

    // "COM4", or the path.
    std::string Label() const;
};

// What the updater's command line asks for. Every word is one option or the
// image file; options match in any letter case, the file name is kept as
// typed. The image file, when given, is the last word and makes the run
// unattended.
struct CommandLine {
    bool debug = false;
    bool help = false;      // -help, -h: the help lines in the message box
    bool printHelp = false; // --help: the help text on standard output
    PortChoice port;
    std::string automaticFile; // as typed; empty: no unattended run
};

// args are the words after the program name. A word the program does not
// know, a -p option other than -p1..-p3, a bad --port value or an image name
// that is not the last word is refused with the reason.
Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args);

// The usage line that follows a refused command line on standard error.
extern const char* const kUsageLine;
// The text of --help: options, exit codes, the unattended run.
extern const char* const kHelpText;

// The lines the message box shows for -help, in order.
extern const char* const kHelpLines[4];

} // namespace crvl::update
