#include "update/core/boot_port.h"

#include "protocol/frame_codec.h"

#include <thread>

namespace crvl::update {

std::chrono::steady_clock::time_point SteadyNow() {
    return std::chrono::steady_clock::now();
}

DrainEnd Drain(BootPort& port, StopAtStx stopAtStx, const StopFlag& stop, const Clock& clock,
               const DrainLimits& limits) {
    const auto start = clock();
    for (std::size_t bytes = 0;; ++bytes) {
        if (stop.load(std::memory_order_acquire)) {
            return DrainEnd::Stopped;
        }
        if (bytes >= limits.bytes || clock() - start >= limits.time) {
            return DrainEnd::Babbling;
        }
        bool ok = false;
        bool got = false;
        const std::uint8_t byte = port.ReadByte(ok, got);
        if (!ok) {
            std::this_thread::yield();
            return DrainEnd::ReadError;
        }
        if (!got) {
            return stop.load(std::memory_order_acquire) ? DrainEnd::Stopped : DrainEnd::Quiet;
        }
        if (stopAtStx == StopAtStx::Yes && byte == frame::kStx) {
            return DrainEnd::Quiet;
        }
    }
}

} // namespace crvl::update
