#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace crvl {

// Receives debug lines ("Waiting for overlapped input\r\n", system error
// texts). The updater shows them in its message box when debug output is on.
using SerialDebugSink = std::function<void(std::string_view line)>;

// The few ways in which the two serial programs configure a port. The
// configuration tool uses the defaults; the updater asks for ForUpdater().
struct SerialOptions {
    // The configuration tool turns parity checking on (with no parity bit);
    // the updater turns it off.
    bool parityCheck = true;
    // The updater runs its programming speed, 56000 baud, with two stop bits.
    bool twoStopBitsAt56000 = false;
    // How long one ReadByte waits for a byte. The trainer protocol relies on
    // 1000 ms; tests shorten it.
    int readTimeoutMs = 1000;
    // How long WriteBytes waits for the line to take the bytes.
    int writeTimeoutMs = 1000;
    // Where the debug lines go; empty means nowhere.
    SerialDebugSink debugLine;

    static SerialOptions ForConfigTool() { return {}; }
    static SerialOptions ForUpdater(SerialDebugSink debug = {}) {
        SerialOptions o;
        o.parityCheck = false;
        o.twoStopBitsAt56000 = true;
        o.debugLine = std::move(debug);
        return o;
    }
};

inline constexpr std::string_view kWaitingForInputLine = "Waiting for overlapped input\r\n";
inline constexpr int kDefaultBaudRate = 19200;
inline constexpr int kProgrammingBaudRate = 56000;

// One open serial port, used only through calls that block until the
// transfer is done. Construction opens and configures the port; Error()
// then tells whether it is usable. Close() releases the device; the owner
// calls it before deleting the object (the destructor also closes a port
// that is still open, so nothing leaks).
//
// The platform code lives behind this one interface: serial_port_posix.cpp
// (termios) and serial_port_win32.cpp (overlapped Win32 I/O).
class CSerialPort {
public:
    // mode: "r" read only, "w" write only, anything else ("rw") both,
    // not shared with other programs.
    CSerialPort(int portNumber, const char* mode, int baudRate,
                SerialOptions options = SerialOptions::ForConfigTool());
    // The same for a device named by its path (a port found by the system's
    // listing rather than by number); PortNumber() is then 0.
    CSerialPort(const std::string& devicePath, const char* mode, int baudRate,
                SerialOptions options = SerialOptions::ForConfigTool());
    virtual ~CSerialPort();

    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // True when opening or configuring the port failed.
    bool Error() const { return error_; }

    // Writes the bytes, waiting for the write to complete. A failed or timed
    // out write is not reported (the protocol above notices the silence).
    void WriteBytes(const std::uint8_t* data, std::size_t length);

    // Reads at most one byte, waiting at most readTimeoutMs. ok is false when
    // the read failed (error or hang-up); got is true when a byte arrived.
    std::uint8_t ReadByte(bool& ok, bool& got);

    // Repeats ReadByte until a byte arrives; ok is false on a failed read.
    // There is no overall time-out.
    std::uint8_t ReadByteWait(bool& ok);

    // Discards input until a read fails (returns false), a read times out,
    // stopByte was read and consumed, or maxBytes were discarded (these
    // return true).
    bool Drain(std::uint8_t stopByte, std::size_t maxBytes = SIZE_MAX);

    // Sets (on) or clears the break condition on the line; the caller holds
    // it for as long as it needs, so it can also let go early. False when the
    // line refuses; the system's error text goes to the debug sink.
    bool SetBreak(bool on);

    // Ends a ReadByte that is waiting, from another thread, as if its time-out
    // had passed: a link that is closing need not wait for the read time-out.
    // A wake that comes before the read ends the next read at once.
    void WakeReader();

    // Purges both directions and releases the device. Safe to call twice.
    void Close();

    int PortNumber() const { return portNumber_; }
    int BaudRate() const { return baudRate_; }

private:
    struct Platform;

    void Debug(std::string_view line) const;

    int portNumber_;
    int baudRate_;
    SerialOptions options_;
    bool error_ = false;
    std::unique_ptr<Platform> platform_;
};

// When this user may not open port number's device although it is there (on
// Linux: not a member of the group that owns it, "dialout" on Debian), what
// to do about it (see SerialAccessAdviceText); when the device is there but
// is no serial port (/dev/null, a file), that; empty otherwise. Always empty
// on Windows, where a port that cannot be opened is missing or in use.
std::string SerialAccessAdvice(int portNumber);

} // namespace crvl
