#include "tools/trainersim/bootloader_attach.h"

#include <charconv>

namespace crvl::sim {

namespace {

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

BootloaderOptions& Boot(SimOptions& o) {
    return o.config.bootloader;
}

} // namespace

void AddBootloaderSwitches(std::vector<SwitchSpec>& table) {
    const std::vector<SwitchSpec> boot = {
        {"--flash", "MAKER",
         "flash chip: intel (default), amd, st, macronix or unknown; all but intel "
         "make the updater use its second loader",
         [](SimOptions& s, const std::string& v) {
             static const std::pair<const char*, FlashMaker> makers[] = {
                 {"intel", FlashMaker::Intel},
                 {"amd", FlashMaker::Amd},
                 {"st", FlashMaker::St},
                 {"macronix", FlashMaker::Macronix},
                 {"unknown", FlashMaker::Unknown}};
             for (const auto& [name, maker] : makers) {
                 if (v == name) {
                     Boot(s).maker = maker;
                     return true;
                 }
             }
             return false;
         }},
        {"--device", "HEX", "report this flash device code instead of the chip's own",
         [](SimOptions& s, const std::string& v) {
             int value = 0;
             if (!ParseNumber(v, 16, value) || value > 0xFFFF)
                 return false;
             Boot(s).deviceCode = static_cast<std::uint16_t>(value);
             return true;
         }},
        {"--baud-pacing", "",
         "take as long as the real line would: every byte costs its time at the "
         "terminal's current speed (8N1 at 19200, 8N2 at 56000)",
         [](SimOptions& s, const std::string&) {
             Boot(s).baudPacing = true;
             return true;
         }},
        {"--programming-speed", "BAUD",
         "the speed the flash loader waits for (default 56000; Wine sets 38400 on a "
         "pseudo-terminal where a program asks for 56000)",
         [](SimOptions& s, const std::string& v) {
             int value = 0;
             if (!ParseNumber(v, 10, value) || value <= 0)
                 return false;
             Boot(s).programmingBaud = value;
             return true;
         }},
        {"--boot-silent", "", "do not answer the boot-strap request",
         [](SimOptions& s, const std::string&) {
             Boot(s).silent = true;
             return true;
         }},
        {"--boot-id", "BYTE", "identification byte (default A5)",
         [](SimOptions& s, const std::string& v) { return ParseByte(v, Boot(s).identity); }},
        {"--echo-mismatch", "N", "echo byte N (0..2047) of the flash loader wrongly",
         [](SimOptions& s, const std::string& v) {
             return ParseNumber(v, 10, Boot(s).echoMismatchAt) &&
                    Boot(s).echoMismatchAt < static_cast<int>(boot::kFlashLoaderSize);
         }},
        {"--erase-reply", "BYTE", "send BYTE instead of 'Z' after the erase (e: erase failed)",
         [](SimOptions& s, const std::string& v) {
             std::uint8_t byte = 0;
             if (!ParseByte(v, byte))
                 return false;
             Boot(s).eraseReply = byte;
             return true;
         }},
        {"--checksum-error", "N", "answer record N (from 1) with 'F' once",
         [](SimOptions& s, const std::string& v) {
             return ParseRecord(v, Boot(s).checksumErrorAt);
         }},
        {"--record-reply", "N:BYTE",
         "answer record N once with BYTE (1: burn failed, o: odd record, other: unknown)",
         [](SimOptions& s, const std::string& v) {
             const auto colon = v.find(':');
             return colon != std::string::npos &&
                    ParseRecord(v.substr(0, colon), Boot(s).recordReplyAt) &&
                    ParseByte(v.substr(colon + 1), Boot(s).recordReply);
         }},
        {"--boot-hang-up", "N", "hang up when record N arrives",
         [](SimOptions& s, const std::string& v) { return ParseRecord(v, Boot(s).hangUpAt); }},
        {"--ram-reply", "BYTE", "RAM test result (default A; a: failed)",
         [](SimOptions& s, const std::string& v) { return ParseByte(v, Boot(s).ramReply); }},
    };
    table.insert(table.end(), boot.begin(), boot.end());
}

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

std::string BootloaderHelpText() {
    return "Boot loader (for crvlupd):\n"
           "  A pseudo-terminal carries no break, so the simulator enters boot-strap mode\n"
           "  on a 0x00 byte after a quiet line (300 ms without bytes). It then answers\n"
           "  with its identification byte, takes the two preloaders, echoes the 2048-byte\n"
           "  flash loader and, once the program runs the line at 56000 baud, plays the\n"
           "  flash loader: codes, erase, one reply per record, the RAM test. Its\n"
           "  switches are among the options above, from --flash to --ram-reply.\n";
}

} // namespace crvl::sim
