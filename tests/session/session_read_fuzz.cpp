// Arbitrary file contents through the session log reader and the debrief.
#include "config/session/session_read.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const crvl::SessionRun run =
        crvl::ParseSession(std::string_view(reinterpret_cast<const char*>(data), size));
    if (run.Complete() != (run.stoppedAtLine == 0))
        std::abort();
    const crvl::Debrief debrief = crvl::MakeDebrief(run);
    for (const crvl::DebriefFrame& frame : debrief.frames) {
        if (frame.duration < 0.0 || frame.entered > debrief.length)
            std::abort();
    }
    if (debrief.timeToFirstShock && *debrief.timeToFirstShock < 0.0)
        std::abort();
    return 0;
}
