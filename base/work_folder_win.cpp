#include "base/work_folder.h"

#include <windows.h>

#include <shlobj.h>

namespace crvl {

// Documents\Corvel: where the user looks for documents, also under a
// non-ASCII user name (the path is taken as UTF-16).
std::optional<std::filesystem::path> InstalledWorkFolder() {
    PWSTR documents = nullptr;
    if (::SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &documents) != S_OK) {
        ::CoTaskMemFree(documents);
        return std::nullopt;
    }
    std::filesystem::path folder = std::filesystem::path(documents) / L"Corvel";
    ::CoTaskMemFree(documents);
    return folder;
}

} // namespace crvl
