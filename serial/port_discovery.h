// The serial ports a trainer may be plugged into, named so that the same
// adapter keeps its name from one run to the next, and a watch that says
// when ports may have come or gone. docs/port-discovery.md tells where the
// names come from on each system.
//
// One interface, one file per operating system behind it:
// port_discovery_posix.cpp (a folder listing and inotify) and
// port_discovery_win32.cpp (the registry's map of serial ports, polled).
// Nothing here knows Qt.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace crvl {

struct CandidatePort {
    // The name a trainer's settings are kept under: the /dev/serial/by-id
    // link's name, a COM map name ("COM3"), or the entry's name in
    // CRVL_PORT_DIR.
    std::string stableName;
    // What CSerialPort opens.
    std::string devicePath;
    bool operator==(const CandidatePort&) const = default;
};

// The serial devices the system has now, sorted by stableName: with
// CRVL_PORT_DIR set, the entries of that folder (links to pseudo-terminals
// in tests); else on Linux the links in /dev/serial/by-id plus the ports of
// the COM map (port_names.h) that exist and no link names already; on
// Windows the ports the registry lists.
std::vector<CandidatePort> ListCandidatePorts();

// Calls changed() on its own thread whenever ports may have come or gone
// (the watched folder, which itself may vanish with the last adapter and
// come back, or the system's list of ports); never blocks its owner; stops
// in its destructor. changed() may come when nothing changed: the owner
// lists the ports again and compares.
class PortWatch {
public:
    explicit PortWatch(std::function<void()> changed);
    ~PortWatch();
    PortWatch(const PortWatch&) = delete;
    PortWatch& operator=(const PortWatch&) = delete;

private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
};

// The folder CRVL_PORT_DIR names; empty when it is not set.
std::string PortDirFromEnvironment();

// The entries of folder as candidates (hidden entries left out), sorted by
// stableName; none when the folder is missing.
std::vector<CandidatePort> ListPortDir(const std::string& folder);

} // namespace crvl
