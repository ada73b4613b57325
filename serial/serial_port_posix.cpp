// CSerialPort on POSIX systems: termios line settings, poll-based reads.
//
// Reads wait with poll() for at most readTimeoutMs. A hang-up or error that
// poll() reports is a failed read: after the other side of a line (or the
// master of a pseudo-terminal) has gone, read() returns 0 just like a quiet
// line would, so only poll's flags tell the two apart. On Linux the speed
// goes through termios2 (BOTHER), which also carries 56000 baud.

#include "serial/serial_port.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <asm/termbits.h>
#else
#include <termios.h>
#endif

#include "serial/port_names.h"

namespace crvl {

struct CSerialPort::Platform {
    int fd = -1;
    // A pipe that ReadByte watches beside the line; WakeReader writes to it.
    int wakeRead = -1;
    int wakeWrite = -1;
};

namespace {

// Room for a group entry with its member list, as getgrgid_r wants it.
constexpr std::size_t kGroupEntrySize = 4096;

// The name of the user uid, or the number where it has none.
std::string UserName(uid_t uid) {
    std::vector<char> buffer(kGroupEntrySize);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

int AccessFlags(const char* mode) {
    const std::string text = mode != nullptr ? mode : "";
    if (text == "r")
        return O_RDONLY;
    if (text == "w")
        return O_WRONLY;
    return O_RDWR;
}

void Purge(int fd) {
#if defined(__linux__)
    ::ioctl(fd, TCFLSH, TCIOFLUSH);
#else
    ::tcflush(fd, TCIOFLUSH);
#endif
}

// 8 data bits, no parity bit, raw bytes, no flow control; one stop bit, or
// two at 56000 baud when the options ask for it.
bool ConfigureLine(int fd, int baudRate, const SerialOptions& options) {
    const bool twoStopBits = options.twoStopBitsAt56000 && baudRate == kProgrammingBaudRate;
#if defined(__linux__)
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CBAUD | CIBAUD | CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= BOTHER | CS8 | CLOCAL | CREAD;
    tio.c_ispeed = static_cast<speed_t>(baudRate);
    tio.c_ospeed = static_cast<speed_t>(baudRate);
#else
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    if (::cfsetspeed(&tio, static_cast<speed_t>(baudRate)) != 0)
        return false;
#endif
    if (twoStopBits)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    if (options.parityCheck)
        tio.c_iflag |= INPCK;
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
#if defined(__linux__)
    return ::ioctl(fd, TCSETS2, &tio) == 0;
#else
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
#endif
}

// Waits for the line or the wake pipe; true when the wake pipe woke it, whose
// bytes are then taken.
bool WokenWhileWaiting(int fd, int wakeFd, int timeoutMs, int& r, short& revents) {
    struct pollfd p[2]{};
    p[0].fd = fd;
    p[0].events = POLLIN;
    p[1].fd = wakeFd;
    p[1].events = POLLIN;
    do {
        r = ::poll(p, 2, timeoutMs);
    } while (r < 0 && errno == EINTR);
    revents = p[0].revents;
    if (r <= 0 || (p[1].revents & POLLIN) == 0)
        return false;
    std::uint8_t taken[16];
    while (::read(wakeFd, taken, sizeof taken) > 0) {
    }
    return true;
}

int PollOnce(int fd, short events, int timeoutMs, short& revents) {
    struct pollfd p {};
    p.fd = fd;
    p.events = events;
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    revents = p.revents;
    return r;
}

} // namespace

CSerialPort::CSerialPort(int portNumber, const char* mode, int baudRate, SerialOptions options)
    : CSerialPort(PortDevicePath(portNumber), mode, baudRate, std::move(options)) {
    portNumber_ = portNumber;
}

CSerialPort::CSerialPort(const std::string& path, const char* mode, int baudRate,
                         SerialOptions options)
    : portNumber_(0), baudRate_(baudRate), options_(std::move(options)),
      platform_(std::make_unique<Platform>()) {
    if (path.empty()) {
        error_ = true;
        return;
    }
    const int access = AccessFlags(mode);
    int fd = ::open(path.c_str(), access | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = true;
        return;
    }
    // A port opened for reading and writing is not shared: a second program
    // (or a second instance) finds it in use.
    if (access == O_RDWR && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        error_ = true;
        return;
    }
    platform_->fd = fd;
    // Without the pipe a read still ends at its time-out; only the wake is lost.
    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) == 0) {
        platform_->wakeRead = wake[0];
        platform_->wakeWrite = wake[1];
    }
    Purge(fd);
    if (!ConfigureLine(fd, baudRate, options_))
        error_ = true;
    // DTR and RTS on; pseudo-terminals have no modem lines, so a refusal is
    // not an error.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::WriteBytes(const std::uint8_t* data, std::size_t length) {
    const int fd = platform_->fd;
    if (fd < 0)
        return;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.writeTimeoutMs);
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n > 0) {
            data += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        short revents = 0;
        if (PollOnce(fd, POLLOUT, static_cast<int>(left.count()), revents) <= 0 ||
            (revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return;
    }
}

std::uint8_t CSerialPort::ReadByte(bool& ok, bool& got) {
    ok = false;
    got = false;
    const int fd = platform_->fd;
    if (fd < 0)
        return 0;
    short revents = 0;
    int r = PollOnce(fd, POLLIN, 0, revents);
    if (r == 0) {
        Debug(kWaitingForInputLine);
        if (WokenWhileWaiting(fd, platform_->wakeRead, options_.readTimeoutMs, r, revents)) {
            ok = true;
            return 0;
        }
    }
    if (r < 0)
        return 0;
    if (r == 0) {
        ok = true;
        return 0;
    }
    if ((revents & POLLIN) != 0) {
        std::uint8_t byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) {
            ok = true;
            got = true;
            return byte;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) &&
            (revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) {
            ok = true;
            return 0;
        }
        return 0; // end of file or error: the line is gone
    }
    // Hang-up or error without data.
    return 0;
}

bool CSerialPort::SetBreak(bool on) {
    const int fd = platform_->fd;
    if (fd < 0 || ::ioctl(fd, on ? TIOCSBRK : TIOCCBRK) != 0) {
        Debug(std::string(std::strerror(fd < 0 ? EBADF : errno)) + "\r\n");
        return false;
    }
    return true;
}

void CSerialPort::WakeReader() {
    const std::uint8_t wake = 1;
    if (platform_ && platform_->wakeWrite >= 0)
        (void)!::write(platform_->wakeWrite, &wake, 1);
}

void CSerialPort::Close() {
    if (!platform_ || platform_->fd < 0)
        return;
    Purge(platform_->fd);
    ::close(platform_->fd);
    platform_->fd = -1;
    if (platform_->wakeRead >= 0) {
        ::close(platform_->wakeRead);
        ::close(platform_->wakeWrite);
        platform_->wakeRead = platform_->wakeWrite = -1;
    }
    errno = ECANCELED;
}

std::string SerialAccessAdvice(int portNumber) {
    const std::string device = PortDevicePath(portNumber);
    if (device.empty())
        return {};
    if (::access(device.c_str(), R_OK | W_OK) == 0) {
        // Opened without waiting and closed at once: only the kind of the
        // device is looked at, a port in use stays untouched.
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return {};
        const bool terminal = ::isatty(fd) != 0;
        ::close(fd);
        return terminal ? std::string() : device + " is not a serial port";
    }
    if (errno != EACCES)
        return {};
    std::string group = "dialout";
    struct stat info {};
    if (::stat(device.c_str(), &info) == 0) {
        // Membership of a group that may not read and write the device
        // would not help: only its owner may then.
        if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) {
            return SerialOwnerOnlyAdviceText(device, UserName(info.st_uid));
        }
        // getgrgid_r: the updater asks from its worker thread.
        std::vector<char> buffer(kGroupEntrySize);
        struct group entry {};
        struct group* found = nullptr;
        if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr)
            group = found->gr_name;
    }
    return SerialAccessAdviceText(device, group);
}

} // namespace crvl
