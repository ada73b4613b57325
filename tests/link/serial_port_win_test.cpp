// The Windows serial port on a line with a silent trainer behind it. The
// Windows test run (scripts/windows/test-core.sh) links Wine's COM1 and
// COM12 to trainersim's pseudo-terminal before it starts this test.

#include <gtest/gtest.h>

#include <chrono>

#include "serial/port_names.h"
#include "serial/serial_port.h"
#include "tests/link/serial_wake_check.h"

namespace crvl {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kLinePort = 1;
constexpr int kHighPort = 12;

SerialOptions WithReadTimeout(int ms) {
    SerialOptions options;
    options.readTimeoutMs = ms;
    return options;
}

TEST(PortNamesOnWindows, EveryPortIsNamedAsDeviceManagerNamesIt) {
    EXPECT_EQ(DefaultPortDevice(1), "COM1");
    EXPECT_EQ(DefaultPortDevice(10), "COM10");
    EXPECT_EQ(DefaultPortDevice(16), "COM16");
    EXPECT_EQ(DefaultPortDevice(17), "");
}

TEST(SerialLineOnWindows, PortsFromCom10OnOpen) {
    CSerialPort port(kHighPort, "rw", kDefaultBaudRate);
    EXPECT_FALSE(port.Error());
    CSerialPort missing(kHighPort + 1, "rw", kDefaultBaudRate);
    EXPECT_TRUE(missing.Error());
}

// Windows reports a read that waited in vain as a success without a byte,
// Wine as ERROR_TIMEOUT: both are a quiet line, not a failed one.
TEST(SerialLineOnWindows, AReadWithoutAByteIsATimeOut) {
    CSerialPort port(kLinePort, "rw", kDefaultBaudRate, WithReadTimeout(200));
    ASSERT_FALSE(port.Error());
    bool ok = false;
    bool got = true;
    const auto start = Clock::now();
    port.ReadByte(ok, got);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(got);
    EXPECT_GE(Clock::now() - start, 150ms);
}

TEST(SerialLineOnWindows, AWakeEndsAWaitingReadAsATimeOut) {
    CSerialPort port(kLinePort, "rw", kDefaultBaudRate, WithReadTimeout(60000));
    ASSERT_FALSE(port.Error());
    test::ExpectAWakeEndsAWaitingRead(port);
}

TEST(SerialLineOnWindows, TheWakeIsUsedUpByTheReadItEnds) {
    CSerialPort port(kLinePort, "rw", kDefaultBaudRate, WithReadTimeout(300));
    ASSERT_FALSE(port.Error());
    port.WakeReader();
    bool ok = false;
    bool got = false;
    port.ReadByte(ok, got);
    const auto start = Clock::now();
    port.ReadByte(ok, got);
    EXPECT_TRUE(ok);
    EXPECT_GE(Clock::now() - start, 200ms);
}

TEST(SerialLineOnWindows, BreakIsSetAndCleared) {
    CSerialPort port(kLinePort, "rw", kProgrammingBaudRate, SerialOptions::ForUpdater());
    ASSERT_FALSE(port.Error());
    EXPECT_TRUE(port.SetBreak(true));
    EXPECT_TRUE(port.SetBreak(false));
}

} // namespace
} // namespace crvl
