// The POSIX serial port against the master side of a pseudo-terminal.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "protocol/frame_codec.h"
#include "serial/port_names.h"
#include "serial/serial_port.h"
#include "tests/link/link_test_util.h"
#include "tests/link/serial_wake_check.h"
#include "tools/trainersim/pty.h"

namespace crvl {
namespace {

using namespace std::chrono_literals;
using test::PortMapping;

TEST(PortNames, EnvironmentWinsOverTheDefaultMap) {
    PortMapping mapping(3, "/tmp/some-trainer");
    EXPECT_EQ(PortDevicePath(3), "/tmp/some-trainer");
    EXPECT_EQ(PortDevicePath(4), DefaultPortDevice(4));
}

TEST(PortNames, EmptyVariableFallsBackToTheDefault) {
    PortMapping mapping(2, "");
    EXPECT_EQ(PortDevicePath(2), DefaultPortDevice(2));
}

TEST(PortNames, DefaultMapCoversOneToSixteenOnly) {
    EXPECT_EQ(DefaultPortDevice(1), "/dev/ttyS0");
    EXPECT_EQ(DefaultPortDevice(4), "/dev/ttyS3");
    EXPECT_EQ(DefaultPortDevice(5), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultPortDevice(12), "/dev/ttyUSB7");
    EXPECT_EQ(DefaultPortDevice(13), "/dev/ttyACM0");
    EXPECT_EQ(DefaultPortDevice(16), "/dev/ttyACM3");
    PortMapping mapping(17, "/tmp/never-used");
    EXPECT_EQ(PortDevicePath(0), "");
    EXPECT_EQ(PortDevicePath(17), "");
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        const Status opened = pty_.Open();
        ASSERT_TRUE(opened.ok()) << opened.message();
        mapping_.emplace(kPort, pty_.SlavePath());
    }
    SerialOptions Fast() {
        SerialOptions o;
        o.readTimeoutMs = 30;
        o.debugLine = [this](std::string_view line) { debug_.emplace_back(line); };
        return o;
    }
    void MasterWrite(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(pty_.MasterFd(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> MasterRead(std::size_t n) {
        std::vector<std::uint8_t> out;
        for (int i = 0; i < 200 && out.size() < n; ++i) {
            std::uint8_t chunk[256];
            const ssize_t got = ::read(pty_.MasterFd(), chunk, sizeof chunk);
            if (got > 0)
                out.insert(out.end(), chunk, chunk + got);
            else
                std::this_thread::sleep_for(5ms);
        }
        return out;
    }

    static constexpr int kPort = 6;
    sim::PseudoTerminal pty_;
    std::optional<PortMapping> mapping_;
    std::vector<std::string> debug_;
};

TEST_F(SerialPortTest, ConfigToolLineIs19200OneStopBit) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate);
    ASSERT_FALSE(port.Error());
    EXPECT_EQ(pty_.SlaveBaudRate(), 19200);
    EXPECT_FALSE(pty_.SlaveTwoStopBits());
    port.Close();
}

// A closing link wakes its reader instead of waiting out the read time-out;
// the wake reads as a time-out (no byte, line fine), also when it comes
// before the read.
TEST_F(SerialPortTest, AWakeEndsAWaitingReadAsATimeOut) {
    SerialOptions slow = Fast();
    slow.readTimeoutMs = 60000;
    CSerialPort port(kPort, "rw", kDefaultBaudRate, slow);
    ASSERT_FALSE(port.Error());
    test::ExpectAWakeEndsAWaitingRead(port);

    bool ok = false;
    bool got = false;
    MasterWrite({0x42});
    EXPECT_EQ(port.ReadByte(ok, got), 0x42);
    EXPECT_TRUE(got);
    port.Close();
}

TEST_F(SerialPortTest, UpdaterRuns56000WithTwoStopBits) {
    {
        CSerialPort port(kPort, "rw", kProgrammingBaudRate, SerialOptions::ForUpdater());
        ASSERT_FALSE(port.Error());
        EXPECT_EQ(pty_.SlaveBaudRate(), 56000);
        EXPECT_TRUE(pty_.SlaveTwoStopBits());
    }
    CSerialPort slow(kPort, "rw", kDefaultBaudRate, SerialOptions::ForUpdater());
    ASSERT_FALSE(slow.Error());
    EXPECT_EQ(pty_.SlaveBaudRate(), 19200);
    EXPECT_FALSE(pty_.SlaveTwoStopBits());
}

TEST_F(SerialPortTest, WritesReachTheLine) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    const std::uint8_t ping[] = {0x02, 0x2A, 0x10, 0x40, 0x10, 0x40, 0x03, 0x2A, 0x0D};
    port.WriteBytes(ping, sizeof ping);
    EXPECT_EQ(MasterRead(sizeof ping), std::vector<std::uint8_t>(ping, ping + sizeof ping));
}

TEST_F(SerialPortTest, ReadByteGetsByteOrTimesOut) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    bool ok = false, got = true;
    port.ReadByte(ok, got);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(got);
    ASSERT_FALSE(debug_.empty());
    EXPECT_EQ(debug_.back(), "Waiting for overlapped input\r\n");

    MasterWrite({0x0D}); // raw: no CR translation
    const std::uint8_t byte = port.ReadByte(ok, got);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(got);
    EXPECT_EQ(byte, 0x0D);
}

TEST_F(SerialPortTest, HangUpIsAFailedRead) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    pty_.HangUp();
    bool ok = true, got = true;
    port.ReadByte(ok, got);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(got);
    port.ReadByteWait(ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(port.Drain(frame::kStx));
}

TEST_F(SerialPortTest, DrainStopsAfterStx) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    MasterWrite({0x41, 0x0D, 0x02, 0x43});
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(port.Drain(frame::kStx));
    bool ok = false, got = false;
    EXPECT_EQ(port.ReadByte(ok, got), 0x43);
    EXPECT_TRUE(got);
    EXPECT_TRUE(port.Drain(frame::kStx)); // quiet line: ends on the time-out
    // A line that never starts a frame: the limit ends the drain.
    MasterWrite({0x41, 0x42, 0x43, 0x44, 0x45});
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(port.Drain(frame::kStx, 3));
    EXPECT_EQ(port.ReadByte(ok, got), 0x44);
}

TEST_F(SerialPortTest, ReadByteWaitWaitsPastTimeOuts) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    std::thread writer([this] {
        std::this_thread::sleep_for(100ms);
        MasterWrite({0x5A});
    });
    bool ok = false;
    EXPECT_EQ(port.ReadByteWait(ok), 0x5A);
    EXPECT_TRUE(ok);
    writer.join();
}

TEST_F(SerialPortTest, PortOpenForReadWriteIsNotShared) {
    CSerialPort first(kPort, "rw", kDefaultBaudRate);
    ASSERT_FALSE(first.Error());
    CSerialPort second(kPort, "rw", kDefaultBaudRate);
    EXPECT_TRUE(second.Error());
    first.Close();
    CSerialPort third(kPort, "rw", kDefaultBaudRate);
    EXPECT_FALSE(third.Error());
}

TEST_F(SerialPortTest, BreakCanBeSetAndCleared) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    EXPECT_TRUE(port.SetBreak(true));
    EXPECT_TRUE(port.SetBreak(false));
    port.Close();
    EXPECT_FALSE(port.SetBreak(true));
    ASSERT_FALSE(debug_.empty());
    EXPECT_EQ(debug_.back().substr(debug_.back().size() - 2), "\r\n");
}

TEST_F(SerialPortTest, ClosedPortFailsQuietly) {
    CSerialPort port(kPort, "rw", kDefaultBaudRate, Fast());
    port.Close();
    port.Close();
    bool ok = true, got = true;
    port.ReadByte(ok, got);
    EXPECT_FALSE(ok);
    const std::uint8_t byte = 0x41;
    port.WriteBytes(&byte, 1); // ignored
}

TEST(SerialPortMissing, MissingDeviceSetsErrorFlag) {
    PortMapping mapping(8, "/nonexistent/tty");
    CSerialPort port(8, "rw", kDefaultBaudRate);
    EXPECT_TRUE(port.Error());
    bool ok = true, got = true;
    port.ReadByte(ok, got);
    EXPECT_FALSE(ok);
}

} // namespace
} // namespace crvl
