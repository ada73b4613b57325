#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace crvl::update {

// What the updater needs of an open serial line. The real one sits on the
// shared CSerialPort; tests use an in-memory fake.
class BootPort {
public:
    virtual ~BootPort() = default;

    // False when the line settings were refused (the port's error flag).
    virtual bool Usable() const = 0;
    // Writes and waits for the write to complete; failures are not reported.
    virtual void WriteBytes(const std::uint8_t* data, std::size_t length) = 0;
    // One byte, waiting at most one read time-out (1000 ms on a real line).
    // ok is false on a read error; got is true when a byte arrived.
    virtual std::uint8_t ReadByte(bool& ok, bool& got) = 0;
    // Holds the break condition for holdMs; false if it cannot be set or
    // cleared.
    virtual bool SendBreak(int holdMs) = 0;
    // Purges and closes the line; the object may then be freed.
    virtual void Close() = 0;
};

class BootPortFactory {
public:
    virtual ~BootPortFactory() = default;
    // Opens port n (1..16) with read and write access at `baud`; two stop
    // bits at exactly 56000 baud. Never null: check Usable().
    virtual std::unique_ptr<BootPort> Open(int portNumber, int baud) = 0;
};

// Reads and discards bytes until a read fails (false), a read times out, or a
// 0x02 start byte has been read (true in both cases).
bool Drain(BootPort& port);

} // namespace crvl::update
