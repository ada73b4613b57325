#include "update/core/command_line.h"

#include "serial/port_names.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace crvl::update {

const char* const kUsageLine =
    "Usage: crvlupd [-debug] [-p1 | -p2 | -p3 | --port COMn | --port PATH] [IMAGE.hex]\n";

const char* const kHelpText =
    "Usage: crvlupd [-debug] [-p1 | -p2 | -p3 | --port COMn | --port PATH] [IMAGE.hex]\n"
    "\n"
    "Without IMAGE.hex the updater's window opens: pick the language version and\n"
    "the port, then press Start. With IMAGE.hex the upload runs unattended,\n"
    "without a window (no display is needed), and reports on standard error.\n"
    "\n"
    "  -p1           COM1 (the default)\n"
    "  -p2           COM3\n"
    "  -p3           COM4\n"
    "  --port COMn   port n, 1..16 (any case; the device CRVL_COMn names, or the\n"
    "                built-in map)\n"
    "  --port PATH   this device, for example /dev/ttyUSB0\n"
    "  -debug        show every step of the exchange\n"
    "  -help, -h     list the options in the window's message box\n"
    "  --help        this text\n"
    "  IMAGE.hex     the image to upload, the last word; a relative name is\n"
    "                taken from the folder the run was started in\n"
    "\n"
    "Options are also accepted with '/' (/p2, /debug). One unattended run at a\n"
    "time uses a port; runs on different ports may go side by side.\n"
    "\n"
    "Exit codes: 0 the upload succeeded; 1 it failed, another crvlupd uses the\n"
    "port, it was stopped (SIGTERM, SIGINT, SIGHUP; the port is closed and\n"
    "standard error says where the trainer was left), or the window was\n"
    "closed; 2 the command line was refused (nothing was sent).\n";

const char* const kHelpLines[4] = {
    "Available commandline options:\r\n",
    "-p1, -p2, -p3 default: -p1\r\n",
    "Append filename at end to invoke automatic download\r\n",
    "-p1 = COM1, -p2 = COM3, -p3 = COM4; --port COMn or --port PATH for any port\r\n",
};

std::string PortChoice::Label() const {
    return device.empty() ? "COM" + std::to_string(number) : device;
}

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsOneOf(const std::string& word, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return word == name; });
}

// "/p" and digits: a port option in the Windows spelling, never an image.
bool IsSlashPortOption(const std::string& word) {
    return word.size() > 2 && word.compare(0, 2, "/p") == 0 &&
           std::all_of(word.begin() + 2, word.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

Result<PortChoice> ParsePortValue(const std::string& value) {
    if (value.empty()) {
        return Status::Error("--port needs COMn or a device path");
    }
    PortChoice choice;
    if (value.size() > 3 && Lower(value.substr(0, 3)) == "com") {
        int number = 0;
        const char* end = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(value.data() + 3, end, number);
        if (ec == std::errc() && ptr == end) {
            if (number < kFirstPortNumber || number > kLastPortNumber) {
                return Status::Error("port " + value + " is not one of COM1..COM16");
            }
            choice.number = number;
            return choice;
        }
    }
    choice.device = value;
    return choice;
}

// The -p options as the original had them: -p3 wins over -p2 wherever they
// stand, and -p1 is the default.
int ShortPortNumber(bool p2, bool p3) {
    constexpr int kP2Port = 3;
    constexpr int kP3Port = 4;
    return p3 ? kP3Port : p2 ? kP2Port : kFirstPortNumber;
}

} // namespace

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    bool p2 = false;
    bool p3 = false;
    bool shortPort = false;
    std::optional<PortChoice> longPort;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const std::string lowered = Lower(word);
        if (IsOneOf(lowered, {"-debug", "/debug"})) {
            result.debug = true;
        } else if (IsOneOf(lowered, {"-p1", "/p1", "-p2", "/p2", "-p3", "/p3"})) {
            shortPort = true;
            p2 = p2 || lowered[2] == '2';
            p3 = p3 || lowered[2] == '3';
        } else if (IsOneOf(lowered, {"-help", "/help", "-h", "/h"})) {
            result.help = true;
        } else if (lowered == "--help") {
            result.printHelp = true;
        } else if (lowered == "--port" || lowered.rfind("--port=", 0) == 0) {
            std::string value;
            if (lowered == "--port") {
                if (i + 1 == args.size()) {
                    return Status::Error("--port needs COMn or a device path");
                }
                value = args[++i];
            } else {
                value = word.substr(word.find('=') + 1);
            }
            Result<PortChoice> port = ParsePortValue(value);
            if (!port.ok()) {
                return port.status();
            }
            longPort = port.value();
        } else if (word.empty()) {
            return Status::Error("an empty word where the image file or an option belongs");
        } else if (word[0] == '-' || IsSlashPortOption(lowered)) {
            return Status::Error("unknown option '" + word + "'");
        } else if (i + 1 != args.size()) {
            return Status::Error("the image file must be the last word, not '" + word + "'");
        } else {
            result.automaticFile = word;
        }
    }
    if (longPort && shortPort) {
        return Status::Error("give the port once: --port or one of -p1, -p2, -p3");
    }
    result.port = longPort ? *longPort : PortChoice{ShortPortNumber(p2, p3), {}};
    return result;
}

} // namespace crvl::update
