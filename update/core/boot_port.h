#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace crvl::update {

// Set by the window when the user quits or closes it: every wait of a port
// and of a run ends soon after, and nothing more is written.
using StopFlag = std::atomic<bool>;

// What the updater needs of an open serial line. The real one sits on the
// shared CSerialPort; tests use an in-memory fake.
class BootPort {
public:
    virtual ~BootPort() = default;

    // False when the line settings were refused (the port's error flag).
    virtual bool Usable() const = 0;
    // Writes and waits for the write to complete; failures are not reported.
    virtual void WriteBytes(const std::uint8_t* data, std::size_t length) = 0;
    // One byte, waiting at most one read time-out (1000 ms on a real line),
    // less once the stop flag is set. ok is false on a read error; got is
    // true when a byte arrived.
    virtual std::uint8_t ReadByte(bool& ok, bool& got) = 0;
    // Sets or clears the break condition; false if the line refuses.
    virtual bool SetBreak(bool on) = 0;
    // Purges and closes the line; the object may then be freed.
    virtual void Close() = 0;
};

// Why a port could not be opened for the run.
enum class PortTrouble {
    InUse,          // there, and another program holds it
    Missing,        // no such device
    NoAccess,       // there, and this user may not open it
    NotASerialPort, // there, but no serial line
};

class BootPortFactory {
public:
    virtual ~BootPortFactory() = default;
    // Opens port n (1..16) with read and write access at `baud`; two stop
    // bits at exactly 56000 baud. The port's reads give up early once `stop`
    // is set. Never null: check Usable().
    virtual std::unique_ptr<BootPort> Open(int portNumber, int baud, const StopFlag& stop) = 0;
    // For a port that is not usable: what a user who may not use its device
    // can do about it; empty when that is not the reason.
    virtual std::string AccessAdvice(int portNumber) const = 0;
    // For a port that is not usable: why. A port whose reason is not known
    // is taken as one in use.
    virtual PortTrouble Trouble(int /*portNumber*/) const { return PortTrouble::InUse; }
    // The device behind port n, for messages ("/dev/ttyS3", "COM4").
    virtual std::string DeviceName(int portNumber) const {
        return "COM" + std::to_string(portNumber);
    }
};

using Clock = std::function<std::chrono::steady_clock::time_point()>;

// A drain reads and throws away what the line holds. It ends when the line
// is quiet for one read time-out; a line that keeps talking past these
// limits is not a trainer that waits for us.
struct DrainLimits {
    std::chrono::milliseconds time{std::chrono::seconds(3)};
    std::size_t bytes = 4096;
};

enum class DrainEnd {
    Quiet,     // a read timed out (or, when asked, a 0x02 start byte was read)
    ReadError, // a read failed
    Babbling,  // the line did not go quiet within the limits
    Stopped,   // the stop flag was set
};

enum class StopAtStx { No, Yes };

DrainEnd Drain(BootPort& port, StopAtStx stopAtStx, const StopFlag& stop, const Clock& clock,
               const DrainLimits& limits = {});

// The system clock, for code that is not given another.
std::chrono::steady_clock::time_point SteadyNow();

} // namespace crvl::update
