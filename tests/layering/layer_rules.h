// The layering rule of the source tree: docs/architecture.md names the rooms
// (folders), what each may include and whether it may use Qt; every quoted
// include of the product code names its path from the source root and
// reaches only its own room or a room below it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"

namespace crvl::layering {

struct Room {
    std::string path;                    // "config/core", without a trailing slash
    std::vector<std::string> mayInclude; // as the table names them
    bool qt = false;
};

// The rooms of the table under the heading "## Rooms"; a failure names the
// line that cannot be read, a room named twice, an unknown room or a circle.
Result<std::vector<Room>> ReadRooms(const std::filesystem::path& architectureFile);

// Every include below root (but tests/, build folders and hidden folders)
// that the rooms do not allow, as "file:line: reason", in file order.
std::vector<std::string> CheckIncludes(const std::filesystem::path& root,
                                       const std::vector<Room>& rooms);

} // namespace crvl::layering
