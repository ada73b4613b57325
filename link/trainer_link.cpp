#include "link/trainer_link.h"

#include <chrono>
#include <memory>

namespace crvl {

namespace {
constexpr auto kOpenPoll = std::chrono::milliseconds(10);
constexpr auto kClosePoll = std::chrono::milliseconds(1);
constexpr auto kSettleAfterOpen = std::chrono::milliseconds(10);
} // namespace

TrainerLink::TrainerLink(LinkOptions options) : options_(std::move(options)) {}

TrainerLink::~TrainerLink() {
    Close();
    if (thread_.joinable())
        thread_.join();
}

std::string TrainerLink::AccessAdvice(int portNumber) const {
    return SerialAccessAdvice(portNumber);
}

int TrainerLink::Open(int portNumber, LinkNotify notify) {
    if (IsOpen())
        return 1; // the port number is not looked at
    if (thread_.joinable())
        thread_.join(); // a reader that gave up earlier
    portNumber_ = portNumber;
    notify_ = std::move(notify);
    // No reader runs now: a message committed after the dialog stopped
    // asking (while Close ran) must not pass for an answer on this opening.
    ring_.Clear();
    started_.store(0, std::memory_order_relaxed);
    stopRequest_.store(0, std::memory_order_relaxed);
    ended_.store(0, std::memory_order_relaxed);
    thread_ = std::thread(&TrainerLink::ReaderThread, this);
    while (started_.load(std::memory_order_acquire) == 0)
        std::this_thread::sleep_for(kOpenPoll);
    if (ended_.load(std::memory_order_acquire) != 0) {
        thread_.join();
        return 0;
    }
    isOpen_.store(1, std::memory_order_release);
    return 1;
}

int TrainerLink::Close() {
    if (!IsOpen())
        return 0;
    // The reader looks at the request between reads; the wake ends the read
    // it waits in, so the close need not wait for the read time-out. The port
    // is borrowed as Send borrows it.
    stopRequest_.store(1, std::memory_order_release);
    activeSenders_.fetch_add(1, std::memory_order_seq_cst);
    if (CSerialPort* port = port_.load(std::memory_order_seq_cst))
        port->WakeReader();
    activeSenders_.fetch_sub(1, std::memory_order_seq_cst);
    while (ended_.load(std::memory_order_acquire) == 0)
        std::this_thread::sleep_for(kClosePoll);
    thread_.join();
    isOpen_.store(0, std::memory_order_release);
    if (options_.closeSound)
        options_.closeSound();
    return 1;
}

int TrainerLink::Send(const std::uint8_t* payload, std::size_t length) {
    if (length == 0 || length > kMaxPayload || !IsOpen())
        return 0;
    // Borrow the port. The reader thread takes the port away (exchange) and
    // then waits for activeSenders_ to reach zero before deleting it; with
    // sequentially consistent order either this load sees null or the reader
    // sees this borrow.
    activeSenders_.fetch_add(1, std::memory_order_seq_cst);
    CSerialPort* port = port_.load(std::memory_order_seq_cst);
    int sent = 0;
    if (port != nullptr) {
        const std::size_t n = EncodeFrame({payload, length}, sendBuffer_);
        port->WriteBytes(sendBuffer_, n);
        sent = 1;
    }
    activeSenders_.fetch_sub(1, std::memory_order_seq_cst);
    return sent;
}

std::size_t TrainerLink::Receive(std::uint8_t* buffer) {
    // Also after Close and after a failed read: the notification that is
    // still on its way takes its message, so none is left to be read one
    // notification late.
    return ring_.Take(buffer);
}

void TrainerLink::Notify() {
    if (notify_)
        notify_();
}

void TrainerLink::ReaderThread() {
    auto port =
        options_.devicePath.empty()
            ? std::make_unique<CSerialPort>(portNumber_, "rw", options_.baudRate, options_.serial)
            : std::make_unique<CSerialPort>(options_.devicePath, "rw", options_.baudRate,
                                            options_.serial);
    port_.store(port.get(), std::memory_order_seq_cst);
    std::this_thread::sleep_for(kSettleAfterOpen);

    if (!port->Error()) {
        port->Drain(frame::kStx, options_.drainLimit);
        started_.store(1, std::memory_order_release);
        while (stopRequest_.load(std::memory_order_acquire) == 0) {
            bool ok = false;
            bool got = false;
            const std::uint8_t byte = port->ReadByte(ok, got);
            if (!ok) {
                Notify(); // the line is gone; the dialog's Receive will say so
                break;
            }
            if (got && ring_.Feed(byte) == ReceiveRing::FeedResult::Committed)
                Notify();
        }
    }

    port_.store(nullptr, std::memory_order_seq_cst);
    while (activeSenders_.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
    port->Close();
    port.reset();
    ended_.store(1, std::memory_order_release);
    started_.store(1, std::memory_order_release);
}

} // namespace crvl
