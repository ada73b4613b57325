#include "tests/update/line_terminal.h"

#include <poll.h>
#include <unistd.h>

namespace crvl::update::test {

LineTerminal::LineTerminal(Mode mode) {
    ok_ = pty_.Open().ok();
    if (ok_)
        thread_ = std::thread([this, mode] { Loop(mode); });
}

LineTerminal::~LineTerminal() {
    stop_.store(true, std::memory_order_release);
    if (thread_.joinable())
        thread_.join();
}

void LineTerminal::Loop(Mode mode) {
    const int fd = pty_.MasterFd();
    std::uint8_t chunk[64];
    for (auto& b : chunk)
        b = 0x55; // never an STX
    while (!stop_.load(std::memory_order_acquire)) {
        struct pollfd p {};
        p.fd = fd;
        p.events = static_cast<short>(mode == Mode::Babble ? POLLIN | POLLOUT : POLLIN);
        if (::poll(&p, 1, 10) <= 0)
            continue;
        if ((p.revents & POLLIN) != 0) {
            std::uint8_t in[256];
            const ssize_t n = ::read(fd, in, sizeof in);
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(mutex_);
            for (ssize_t i = 0; i < n; ++i)
                received_.push_back({in[i], now});
        }
        if (mode == Mode::Babble && (p.revents & POLLOUT) != 0)
            (void)::write(fd, chunk, sizeof chunk);
    }
}

std::vector<LineTerminal::Arrival> LineTerminal::Received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::uint8_t> LineTerminal::ReceivedBytes() const {
    std::vector<std::uint8_t> bytes;
    for (const Arrival& a : Received())
        bytes.push_back(a.byte);
    return bytes;
}

} // namespace crvl::update::test
