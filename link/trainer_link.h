#pragma once

// The configuration tool's connection to the trainer: one serial port, the
// reader thread that decodes the incoming bytes into the receive ring, and
// the send buffer. The dialog thread calls Open, Close, Send and Receive; the
// reader thread calls the notification once per complete message and once
// when a read fails.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"
#include "protocol/trainer_messages.h"
#include "serial/serial_port.h"

namespace crvl {

// Called from the reader thread; the receiver must hand it over to its own
// thread (a queued call) and call Receive there once per notification.
using LinkNotify = std::function<void()>;

// What the connection logic needs of a link, so that it can be tested with
// an in-memory fake. Results are 1 for success and 0 for failure.
class ILink {
public:
    virtual ~ILink() = default;

    // 1 when the link is (or already was) open.
    virtual int Open(int portNumber, LinkNotify notify) = 0;
    // 1 when the link was open.
    virtual int Close() = 0;
    // 1 when the frame was written; 0 for length 0, length above 1024, a
    // closed link, or a link whose reader has ended.
    virtual int Send(const std::uint8_t* payload, std::size_t length) = 0;
    // Payload length of the next message copied into buffer (1024 bytes);
    // 0 when none is waiting. Every notification has its message, also one
    // that arrived while Close ran or just before the line failed; Open
    // drops whatever an earlier opening left unread.
    virtual std::size_t Receive(std::uint8_t* buffer) = 0;
    virtual bool IsOpen() const = 0;
    // True while the link is open but its reader has ended on a failed read:
    // the line is dead and stays so until Close.
    virtual bool LineDead() const = 0;
    // After a failed Open: what a user who may not use the port's device
    // can do about it; empty when that is not the reason.
    virtual std::string AccessAdvice(int portNumber) const = 0;

    int Send(const Bytes& payload) { return Send(payload.data(), payload.size()); }
};

struct LinkOptions {
    // Port settings; the trainer protocol runs at 19200 baud.
    int baudRate = kDefaultBaudRate;
    SerialOptions serial = SerialOptions::ForConfigTool();
    // Sounded when an open link is closed (the program passes its beep).
    std::function<void()> closeSound;
    // The most bytes the open discards before the reader starts; a line
    // that never goes quiet and never starts a frame cannot hold it longer.
    std::size_t drainLimit = SIZE_MAX;
    // When set, Open opens this device whatever port number it is given:
    // the classroom holds each trainer by the path the system lists it under.
    std::string devicePath;

    // For a program nobody waits on at a window (crvlctl): the open drains
    // what the line holds until it has been quiet for kQuietLineMs instead
    // of the dialog's one second, at most kDrainLimitBytes (about one second
    // of the line at 19200 baud). The dialog keeps the trainer protocol's
    // timing. A close of either wakes the reader at once.
    static constexpr int kQuietLineMs = 100;
    static constexpr std::size_t kDrainLimitBytes = 2048;
    static LinkOptions ForCommandLine() {
        LinkOptions options;
        options.serial.readTimeoutMs = kQuietLineMs;
        options.drainLimit = kDrainLimitBytes;
        return options;
    }
};

class TrainerLink : public ILink {
public:
    explicit TrainerLink(LinkOptions options = {});
    ~TrainerLink() override;

    TrainerLink(const TrainerLink&) = delete;
    TrainerLink& operator=(const TrainerLink&) = delete;

    int Open(int portNumber, LinkNotify notify) override;
    int Close() override;
    int Send(const std::uint8_t* payload, std::size_t length) override;
    std::size_t Receive(std::uint8_t* buffer) override;
    bool IsOpen() const override { return isOpen_.load(std::memory_order_acquire) != 0; }
    bool LineDead() const override { return IsOpen() && ReaderEnded(); }
    std::string AccessAdvice(int portNumber) const override;
    using ILink::Send;

    // True once the reader thread has ended (port failed or link closed).
    bool ReaderEnded() const { return ended_.load(std::memory_order_acquire) != 0; }
    int PortNumber() const { return portNumber_; }
    const ReceiveRing& Ring() const { return ring_; }

private:
    void ReaderThread();
    void Notify();

    LinkOptions options_;
    std::atomic<int> isOpen_{0};
    std::atomic<int> started_{0};
    std::atomic<int> stopRequest_{0};
    std::atomic<int> ended_{1};
    int portNumber_ = 0;
    LinkNotify notify_;
    // Owned by the reader thread; null when no port is open. Send borrows
    // it; activeSenders_ lets the reader thread wait until no borrow is in
    // flight before it deletes the port.
    std::atomic<CSerialPort*> port_{nullptr};
    std::atomic<int> activeSenders_{0};
    std::thread thread_;
    std::uint8_t sendBuffer_[MaxEncodedSize(kMaxPayload)] = {};
    ReceiveRing ring_;
};

} // namespace crvl
