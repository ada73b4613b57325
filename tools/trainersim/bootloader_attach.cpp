#include "bootloader_attach.h"

#include <charconv>
#include <functional>

namespace crvl::sim {

namespace {

struct BootSwitch {
    const char* name;
    const char* argument; // empty for a plain switch
    const char* help;
    std::function<bool(BootloaderOptions&, const std::string&)> apply;
};

bool ParseNumber(const std::string& text, int base, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && ptr == end && value >= 0;
}

// A byte given as a character ('o') or as two hexadecimal digits (6F).
bool ParseByte(const std::string& text, std::uint8_t& byte) {
    int value = 0;
    if (text.size() == 1) {
        byte = static_cast<std::uint8_t>(text[0]);
        return true;
    }
    if (!ParseNumber(text, 16, value) || value > 0xFF)
        return false;
    byte = static_cast<std::uint8_t>(value);
    return true;
}

bool ParseRecord(const std::string& text, int& record) {
    return ParseNumber(text, 10, record) && record > 0;
}

const std::vector<BootSwitch>& BootSwitches() {
    static const std::vector<BootSwitch> table = {
        {"--flash", "MAKER",
         "flash chip: intel (default), amd, st, macronix or unknown; all but intel "
         "make the updater use its second loader",
         [](BootloaderOptions& o, const std::string& v) {
             static const std::pair<const char*, FlashMaker> makers[] = {
                 {"intel", FlashMaker::Intel},
                 {"amd", FlashMaker::Amd},
                 {"st", FlashMaker::St},
                 {"macronix", FlashMaker::Macronix},
                 {"unknown", FlashMaker::Unknown}};
             for (const auto& [name, maker] : makers) {
                 if (v == name) {
                     o.maker = maker;
                     return true;
                 }
             }
             return false;
         }},
        {"--device", "HEX", "report this flash device code instead of the chip's own",
         [](BootloaderOptions& o, const std::string& v) {
             int value = 0;
             if (!ParseNumber(v, 16, value) || value > 0xFFFF)
                 return false;
             o.deviceCode = static_cast<std::uint16_t>(value);
             return true;
         }},
        {"--baud-pacing", "",
         "take as long as the real line would: every byte costs its time at the "
         "terminal's current speed (8N1 at 19200, 8N2 at 56000)",
         [](BootloaderOptions& o, const std::string&) {
             o.baudPacing = true;
             return true;
         }},
        {"--boot-silent", "", "do not answer the boot-strap request",
         [](BootloaderOptions& o, const std::string&) {
             o.silent = true;
             return true;
         }},
        {"--boot-id", "BYTE", "identification byte (default A5)",
         [](BootloaderOptions& o, const std::string& v) { return ParseByte(v, o.identity); }},
        {"--echo-mismatch", "N", "echo byte N (0..2047) of the flash loader wrongly",
         [](BootloaderOptions& o, const std::string& v) {
             return ParseNumber(v, 10, o.echoMismatchAt) && o.echoMismatchAt < 2048;
         }},
        {"--erase-reply", "BYTE", "send BYTE instead of 'Z' after the erase (e: erase failed)",
         [](BootloaderOptions& o, const std::string& v) {
             std::uint8_t byte = 0;
             if (!ParseByte(v, byte))
                 return false;
             o.eraseReply = byte;
             return true;
         }},
        {"--checksum-error", "N", "answer record N (from 1) with 'F' once",
         [](BootloaderOptions& o, const std::string& v) {
             return ParseRecord(v, o.checksumErrorAt);
         }},
        {"--record-reply", "N:BYTE",
         "answer record N once with BYTE (1: burn failed, o: odd record, other: unknown)",
         [](BootloaderOptions& o, const std::string& v) {
             const auto colon = v.find(':');
             return colon != std::string::npos &&
                    ParseRecord(v.substr(0, colon), o.recordReplyAt) &&
                    ParseByte(v.substr(colon + 1), o.recordReply);
         }},
        {"--boot-hang-up", "N", "hang up when record N arrives",
         [](BootloaderOptions& o, const std::string& v) { return ParseRecord(v, o.hangUpAt); }},
        {"--ram-reply", "BYTE", "RAM test result (default A; a: failed)",
         [](BootloaderOptions& o, const std::string& v) { return ParseByte(v, o.ramReply); }},
    };
    return table;
}

} // namespace

std::unique_ptr<BootloaderSim> AttachBootloader(TrainerSim& sim, BootloaderOptions options,
                                                LogSink log) {
    BootLine line{
        [&sim](std::span<const std::uint8_t> bytes) { sim.Protocol().WriteRaw(bytes); },
        [&sim] { return sim.Terminal().SlaveBaudRate(); },
        [&sim] { return sim.Terminal().SlaveTwoStopBits(); },
        [&sim] { sim.RequestHangUp(); },
    };
    auto boot =
        std::make_unique<BootloaderSim>(std::move(options), std::move(line), std::move(log));
    sim.Protocol().SetInterceptor(boot.get());
    sim.Protocol().AddTicker([b = boot.get()](SimTime now) { b->Tick(now); });
    return boot;
}

bool TakeBootloaderSwitches(std::vector<std::string>& args, BootloaderOptions& options,
                            std::string& error) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const BootSwitch* found = nullptr;
        for (const BootSwitch& s : BootSwitches())
            if (name == s.name)
                found = &s;
        if (found == nullptr) {
            rest.push_back(args[i]);
            continue;
        }
        const bool takesValue = found->argument[0] != '\0';
        if (takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs " + found->argument;
                return false;
            }
            value = args[++i];
        } else if (!takesValue && inlineValue) {
            error = name + " takes no value";
            return false;
        }
        if (!found->apply(options, value)) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    args = std::move(rest);
    return true;
}

std::string BootloaderHelpText() {
    std::string text =
        "Boot loader (for crvlupd):\n"
        "  A pseudo-terminal carries no break, so the simulator enters boot-strap mode\n"
        "  on a 0x00 byte after a quiet line (300 ms without bytes). It then answers\n"
        "  with its identification byte, takes the two preloaders, echoes the 2048-byte\n"
        "  flash loader and, once the program runs the line at 56000 baud, plays the\n"
        "  flash loader: codes, erase, one reply per record, the RAM test.\n"
        "\n";
    for (const BootSwitch& s : BootSwitches()) {
        std::string left = std::string("  ") + s.name + (s.argument[0] ? " " : "") + s.argument;
        if (left.size() < 24)
            left.resize(24, ' ');
        else
            left += "  ";
        text += left + s.help + "\n";
    }
    return text;
}

} // namespace crvl::sim
