#include "base/work_folder.h"

namespace crvl {

// crvl-launch starts an installed program in the user's folder
// (dist/crvl-launch.in): the program works where it is started.
std::optional<std::filesystem::path> InstalledWorkFolder() {
    return std::nullopt;
}

} // namespace crvl
