// The platform-independent part of CSerialPort: the reads built on ReadByte.

#include "serial/serial_port.h"

#include <thread>

namespace crvl {

void CSerialPort::Debug(std::string_view line) const {
    if (options_.debugLine)
        options_.debugLine(line);
}

std::uint8_t CSerialPort::ReadByteWait(bool& ok) {
    for (;;) {
        bool got = false;
        const std::uint8_t byte = ReadByte(ok, got);
        if (!ok || got)
            return byte;
    }
}

bool CSerialPort::Drain(std::uint8_t stopByte, std::size_t maxBytes) {
    for (std::size_t discarded = 0; discarded < maxBytes; ++discarded) {
        bool ok = false;
        bool got = false;
        const std::uint8_t byte = ReadByte(ok, got);
        if (!ok) {
            std::this_thread::yield();
            return false;
        }
        if (!got || byte == stopByte)
            return true;
    }
    return true;
}

} // namespace crvl
