// Feeds arbitrary bytes to the language file reader: it must not crash, hang
// or read out of bounds, and whatever it sets must be valid UTF-8.

#include "builder/core/builder_console.h"
#include "builder/core/builder_settings.h"
#include "builder/core/se_language.h"
#include "builder/core/text_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void requireValidUtf8(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t before = pos;
        const char32_t cp = crvl::nextCodePoint(text, pos);
        // A replacement character that came from a malformed sequence
        // advances exactly one byte; a real U+FFFD takes three.
        if (cp == 0xFFFD && pos - before == 1) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    crvl::seLanguage::restoreDefaults();
    crvl::seLanguage::translateBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string& key : crvl::seLanguage::keys()) {
        requireValidUtf8(*crvl::seLanguage::text(key));
    }
    requireValidUtf8(crvl::Parameters::ENCODING);
    return 0;
}
