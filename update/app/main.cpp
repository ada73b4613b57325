#include "base/utf8_files.h"
#include "update/app/own_console.h"
#include "update/app/upd_app.h"
#include "update/cli/program_dir.h"
#include "update/cli/signal_stop.h"
#include "update/cli/unattended_run.h"
#include "update/core/command_line.h"
#include "update/core/serial_boot_port.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Lines of the port layer ("Waiting for overlapped input", system errors),
// shown with -debug.
crvl::SerialDebugSink DebugSink(bool debug) {
    if (!debug) {
        return {};
    }
    return [](std::string_view line) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        std::fprintf(stderr, "crvlupd: %s\n", text.c_str());
    };
}

} // namespace

int main(int argc, char** argv) {
    using namespace crvl::update;
    // UTF-8 on every system: image names such as "Jürgen's image.hex" stay whole.
    const std::vector<std::string> args = crvl::Utf8Arguments(argc, argv);
    const crvl::Result<CommandLine> parsed = ParseCommandLine(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "crvlupd: %s\n%s", parsed.message().c_str(), kUsageLine);
        return 2;
    }
    const CommandLine& commandLine = parsed.value();
    if (commandLine.printHelp) {
        std::fputs(kHelpText, stdout);
        return 0;
    }
    if (!commandLine.automaticFile.empty()) {
        // Unattended: no window, so no display is needed.
        SerialBootPortFactory ports(DebugSink(commandLine.debug));
        UnattendedRun run(commandLine, ProgramDirectory(argv[0]), ports, stderr);
        const SignalStop stopOnSignals(run);
        return run.Run();
    }
    ReleaseOwnConsole();
    // The window's port list then shows the device as COM1.
    MapPortDevice(commandLine.port);
    CUpdApp app(argc, argv);
    return app.Run(commandLine);
}
