#include "serial/port_discovery.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace crvl {

std::string PortDirFromEnvironment() {
    const char* value = std::getenv("CRVL_PORT_DIR");
    return value != nullptr ? std::string(value) : std::string();
}

std::vector<CandidatePort> ListPortDir(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<CandidatePort> ports;
    std::error_code error;
    // A folder that vanished with its last adapter simply holds no ports.
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.')
            continue;
        ports.push_back({name, it->path().string()});
    }
    std::sort(ports.begin(), ports.end(), [](const CandidatePort& a, const CandidatePort& b) {
        return a.stableName < b.stableName;
    });
    return ports;
}

} // namespace crvl
