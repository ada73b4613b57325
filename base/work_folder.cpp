#include "base/work_folder.h"

#include <fstream>
#include <iterator>

namespace crvl {

namespace {

namespace fs = std::filesystem;

// Names the version whose data folders lie in the work folder.
constexpr const char* kDataStamp = ".crvl-data-version";

std::string StampedVersion(const fs::path& folder) {
    std::ifstream in(folder / kDataStamp);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Status Failed(const std::string& what, const fs::path& path, const std::error_code& ec) {
    return Status::Error("cannot " + what + " " + path.string() + ": " + ec.message());
}

} // namespace

Status PrepareWorkFolder(const fs::path& folder, const fs::path& programDir,
                         const std::vector<std::string>& data, const std::string& version) {
    std::error_code ec;
    for (const char* work : {"scenarios", "sessions"}) {
        if (fs::create_directories(folder / work, ec); ec)
            return Failed("make", folder / work, ec);
    }
    if (data.empty() || StampedVersion(folder) == version)
        return Status::Ok();
    for (const std::string& name : data) {
        // A folder left by another version goes as a whole: no stale file
        // of it stays beside the new ones.
        if (fs::remove_all(folder / name, ec); ec)
            return Failed("replace", folder / name, ec);
        if (fs::copy(programDir / name, folder / name, fs::copy_options::recursive, ec); ec)
            return Failed("copy", programDir / name, ec);
    }
    std::ofstream stamp(folder / kDataStamp, std::ios::trunc);
    if (!(stamp << version))
        return Status::Error("cannot write " + (folder / kDataStamp).string());
    return Status::Ok();
}

Status EnterUserWorkFolder(const fs::path& programDir, const std::vector<std::string>& data,
                           const std::string& version) {
    const std::optional<fs::path> folder = InstalledWorkFolder();
    std::error_code ec;
    if (!folder || !fs::equivalent(fs::current_path(ec), programDir, ec))
        return Status::Ok();
    if (Status prepared = PrepareWorkFolder(*folder, programDir, data, version); !prepared.ok())
        return prepared;
    if (fs::current_path(*folder, ec); ec)
        return Failed("enter", *folder, ec);
    return Status::Ok();
}

} // namespace crvl
