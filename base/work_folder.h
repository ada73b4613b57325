// Where the user's work goes when a program is started from its
// installation: scenarios/ (the builder saves there, crvlconfig's upload
// opens there) and sessions/ (crvlconfig's logs of monitored runs), never
// the installation's own folder, which on Windows lies under Program Files.
// On Linux the desktop launcher crvl-launch chooses that folder; on Windows
// the programs choose it themselves: Documents\Corvel of the user.
#pragma once

#include "base/status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

// The user's work folder of an installed program, or none where a launcher
// chooses it (one file per operating system: work_folder_win.cpp,
// work_folder_posix.cpp).
std::optional<std::filesystem::path> InstalledWorkFolder();

// Makes FOLDER with scenarios/ and sessions/, and copies the data folders
// named in DATA from PROGRAM_DIR into it when they are missing there or were
// copied by another version than VERSION (the builder reads its template,
// pictures and help from its working folder). The user's scenarios and
// logs are never touched.
Status PrepareWorkFolder(const std::filesystem::path& folder,
                         const std::filesystem::path& programDir,
                         const std::vector<std::string>& data, const std::string& version);

// When the working directory is the program's own folder, as the Start menu
// and Explorer start it, prepares the user's work folder and makes it the
// working directory. A program started elsewhere (a command line, a test)
// works where it was started.
Status EnterUserWorkFolder(const std::filesystem::path& programDir,
                           const std::vector<std::string>& data, const std::string& version);

} // namespace crvl
