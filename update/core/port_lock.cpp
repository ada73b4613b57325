#include "update/core/port_lock.h"

#include <cctype>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace crvl::update {
namespace {

// The device's name as a file or object name: letters and digits kept,
// everything else an underscore.
std::string LockName(const std::string& device) {
    std::string name = "crvlupd-port-";
    for (const char c : device) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

} // namespace

#if defined(_WIN32)

PortLock::PortLock(const std::string& device) {
    handle_ = ::CreateMutexA(nullptr, FALSE, ("Local\\" + LockName(device)).c_str());
    held_ = handle_ != nullptr && ::GetLastError() != ERROR_ALREADY_EXISTS;
}

PortLock::~PortLock() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
    }
}

#else

PortLock::PortLock(const std::string& device) {
    std::error_code ec;
    const std::filesystem::path path =
        std::filesystem::temp_directory_path(ec) / (LockName(device) + ".lock");
    // Made by another user, the file opens for reading only; a lock on it
    // works all the same.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    // Without a lock file the port's own lock still keeps two programs
    // apart while the port is open.
    held_ = fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

PortLock::~PortLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

#endif

} // namespace crvl::update
