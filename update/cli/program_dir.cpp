#include "update/cli/program_dir.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace crvl::update {

std::filesystem::path ProgramDirectory(const char* argv0) {
    std::error_code ec;
#if defined(_WIN32)
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return std::filesystem::path(path).parent_path();
    }
#elif defined(__linux__)
    if (const auto self = std::filesystem::read_symlink("/proc/self/exe", ec); !ec) {
        return self.parent_path();
    }
#endif
    const auto program = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", ec);
    return program.parent_path();
}

} // namespace crvl::update
