#pragma once

// A pseudo-terminal whose far end is not a trainer: it either records every
// byte the program sends, with the time it arrived, or keeps sending bytes
// without a pause, as a wrong device or a babbling adapter would.

#include "tools/trainersim/pty.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace crvl::update::test {

class LineTerminal {
public:
    enum class Mode { Record, Babble };

    // Opens the terminal and starts its thread; check Ok().
    explicit LineTerminal(Mode mode);
    ~LineTerminal();
    LineTerminal(const LineTerminal&) = delete;
    LineTerminal& operator=(const LineTerminal&) = delete;

    bool Ok() const { return ok_; }
    const std::string& SlavePath() const { return pty_.SlavePath(); }

    struct Arrival {
        std::uint8_t byte;
        std::chrono::steady_clock::time_point at;
    };
    std::vector<Arrival> Received() const;
    std::vector<std::uint8_t> ReceivedBytes() const;

private:
    void Loop(Mode mode);

    sim::PseudoTerminal pty_;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Arrival> received_;
    std::thread thread_;
};

} // namespace crvl::update::test
