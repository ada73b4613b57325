#pragma once

// The wake every serial port offers, checked the same way on each system:
// a wake before a read ends that read at once, one during a read ends it,
// both as a time-out (no byte, line fine). The port's read time-out must be
// long (a minute), so that only the wake can end the read.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "serial/serial_port.h"

namespace crvl::test {

inline void ExpectAWakeEndsAWaitingRead(CSerialPort& port) {
    using namespace std::chrono_literals;
    port.WakeReader();
    bool ok = false;
    bool got = true;
    port.ReadByte(ok, got);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(got);

    std::thread reader([&] { port.ReadByte(ok, got); });
    std::this_thread::sleep_for(50ms);
    port.WakeReader();
    reader.join(); // without the wake, a minute
    EXPECT_TRUE(ok);
    EXPECT_FALSE(got);
}

} // namespace crvl::test
