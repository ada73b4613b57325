// The serial devices the system has, by stable name, and a watch that says
// when they may have changed.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace crvl {

struct CandidatePort {
    // The name a trainer's settings are kept under: the entry's name in
    // CRVL_PORT_DIR.
    std::string stableName;
    std::string devicePath; // what CSerialPort opens
    bool operator==(const CandidatePort&) const = default;
};

// The entries of the folder CRVL_PORT_DIR names (links to terminals),
// sorted by stableName; empty when it is not set or not there.
std::vector<CandidatePort> ListCandidatePorts();

// Calls changed() on its own thread whenever ports may have come or gone;
// never blocks its owner; stops in its destructor.
class PortWatch {
public:
    explicit PortWatch(std::function<void()> changed);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

private:
    void Run();

    std::function<void()> changed_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace crvl
