#include "tools/trainersim/pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace crvl::sim {

namespace {

// Room for a slave name such as "/dev/pts/12".
constexpr std::size_t kSlaveNameSize = 128;

Status Why(const char* what) {
    return Status::Error(std::string(what) + ": " + std::strerror(errno));
}

// No echo, no line editing, no translation: the bytes pass as they are,
// also before the program has configured its end.
bool MakeRaw(int fd) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace

PseudoTerminal::~PseudoTerminal() {
    HangUp();
    RemoveLink();
}

Status PseudoTerminal::Open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        return Why("posix_openpt");
    }
    char name[kSlaveNameSize] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        Status failure = Why("pseudo-terminal set-up");
        HangUp();
        return failure;
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || !MakeRaw(slave_)) {
        Status failure = Why(slavePath_.c_str());
        HangUp();
        return failure;
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return Status::Ok();
}

Status PseudoTerminal::MakeLink(const std::string& linkPath) {
    if (::unlink(linkPath.c_str()) != 0 && errno != ENOENT) {
        return Why(linkPath.c_str());
    }
    if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
        return Why(linkPath.c_str());
    }
    linkPath_ = linkPath;
    return Status::Ok();
}

void PseudoTerminal::RemoveLink() {
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
}

int PseudoTerminal::SlaveBaudRate() const {
    struct termios2 tio {};
    if (master_ < 0 || ::ioctl(master_, TCGETS2, &tio) != 0)
        return 0;
    return static_cast<int>(tio.c_ospeed);
}

bool PseudoTerminal::SlaveTwoStopBits() const {
    struct termios2 tio {};
    if (master_ < 0 || ::ioctl(master_, TCGETS2, &tio) != 0)
        return false;
    return (tio.c_cflag & CSTOPB) != 0;
}

void PseudoTerminal::HangUp() {
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (!linkPath_.empty() && ::unlink(linkPath_.c_str()) == 0)
        (void)!::symlink((slavePath_ + "-hung-up").c_str(), linkPath_.c_str());
}

} // namespace crvl::sim
