#include "serial/port_discovery.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace crvl {

namespace {
// The folder is looked at this often; a plugged trainer needs a tile
// within 3 s, of which the handshake takes the most.
constexpr auto kPollInterval = std::chrono::milliseconds(250);
constexpr auto kStopPoll = std::chrono::milliseconds(25);
} // namespace

std::vector<CandidatePort> ListCandidatePorts() {
    std::vector<CandidatePort> ports;
    const char* dir = std::getenv("CRVL_PORT_DIR");
    if (dir == nullptr || *dir == '\0')
        return ports;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        ports.push_back({it->path().filename().string(), it->path().string()});
    }
    std::sort(ports.begin(), ports.end(), [](const CandidatePort& a, const CandidatePort& b) {
        return a.stableName < b.stableName;
    });
    return ports;
}

PortWatch::PortWatch(std::function<void()> changed)
    : changed_(std::move(changed)), thread_(&PortWatch::Run, this) {}

PortWatch::~PortWatch() {
    stop_.store(true, std::memory_order_release);
    thread_.join();
}

void PortWatch::Run() {
    std::vector<CandidatePort> last = ListCandidatePorts();
    auto next = std::chrono::steady_clock::now() + kPollInterval;
    while (!stop_.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(kStopPoll);
        if (std::chrono::steady_clock::now() < next)
            continue;
        next += kPollInterval;
        std::vector<CandidatePort> now = ListCandidatePorts();
        if (now != last) {
            last = std::move(now);
            changed_();
        }
    }
}

} // namespace crvl
