#include "boot_port.h"

#include <thread>

namespace crvl::update {

bool Drain(BootPort& port) {
    for (;;) {
        bool ok = false;
        bool got = false;
        const std::uint8_t byte = port.ReadByte(ok, got);
        if (!ok) {
            std::this_thread::yield();
            return false;
        }
        if (!got || byte == 0x02) {
            return true;
        }
    }
}

} // namespace crvl::update
