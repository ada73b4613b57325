// Port discovery on Linux: the links udev keeps in /dev/serial/by-id (or the
// folder CRVL_PORT_DIR names) and the devices of the COM map, watched with
// inotify. udev makes and removes the by-id links as adapters come and go,
// so watching the folder sees every plug and unplug without talking to udev
// itself; the folder is removed with the last adapter, so its nearest
// existing parent is watched until it is back.

#include "serial/port_discovery.h"

#include "serial/port_names.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace crvl {

namespace {

namespace fs = std::filesystem;

constexpr const char* kByIdFolder = "/dev/serial/by-id";
constexpr std::size_t kEventBufferSize = 4096;
// Entries appear, vanish, move in or out, change owner or mode (udev sets a
// device's group after the kernel made it); a watched folder itself may go.
constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                     IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// The devices of the COM map (with CRVL_COM<n> applied).
std::vector<std::string> ComMapDevices() {
    std::vector<std::string> devices;
    for (int n = kFirstPortNumber; n <= kLastPortNumber; ++n)
        if (std::string device = PortDevicePath(n); !device.empty())
            devices.push_back(std::move(device));
    return devices;
}

// Where a device leads, to tell a COM map port from a link to the same one.
std::string Resolved(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? path : target.string();
}

// The folder to watch for path: path itself when it is there, else its
// nearest parent that is.
fs::path NearestExisting(fs::path path) {
    while (!Exists(path) && path.has_relative_path())
        path = path.parent_path();
    return path;
}

} // namespace

std::vector<CandidatePort> ListCandidatePorts() {
    if (const std::string folder = PortDirFromEnvironment(); !folder.empty())
        return ListPortDir(folder);
    std::vector<CandidatePort> ports = ListPortDir(kByIdFolder);
    std::set<std::string> linked;
    for (const CandidatePort& port : ports)
        linked.insert(Resolved(port.devicePath));
    for (int n = kFirstPortNumber; n <= kLastPortNumber; ++n) {
        const std::string device = PortDevicePath(n);
        if (device.empty() || !Exists(device) || linked.count(Resolved(device)) != 0)
            continue;
        ports.push_back({"COM" + std::to_string(n), device});
    }
    std::sort(ports.begin(), ports.end(), [](const CandidatePort& a, const CandidatePort& b) {
        return a.stableName < b.stableName;
    });
    return ports;
}

struct PortWatch::Platform {
    std::function<void()> changed;
    fs::path folder;                  // the folder of links
    std::vector<std::string> devices; // the COM map's devices; none with CRVL_PORT_DIR
    int inotify = -1;
    int wake = -1;
    std::map<int, fs::path> watches; // watch descriptor -> watched folder
    std::thread thread;

    // The folders to watch now: the links' folder (or its nearest parent
    // while it is missing) and the folders of the COM map's devices.
    std::set<fs::path> Wanted() const {
        std::set<fs::path> wanted{NearestExisting(folder)};
        for (const std::string& device : devices)
            if (const fs::path parent = fs::path(device).parent_path(); Exists(parent))
                wanted.insert(parent);
        return wanted;
    }

    void Rearm() {
        const std::set<fs::path> wanted = Wanted();
        for (auto it = watches.begin(); it != watches.end();) {
            if (wanted.count(it->second) == 0) {
                ::inotify_rm_watch(inotify, it->first);
                it = watches.erase(it);
            } else {
                ++it;
            }
        }
        for (const fs::path& path : wanted) {
            const bool watched = std::any_of(watches.begin(), watches.end(),
                                             [&](const auto& w) { return w.second == path; });
            if (watched)
                continue;
            if (const int wd = ::inotify_add_watch(inotify, path.c_str(), kWatchMask); wd >= 0)
                watches[wd] = path;
        }
    }

    // Whether an event about name in the watched folder concerns a port: the
    // links' folder changed, or a folder on the way to it, or a device of
    // the COM map.
    bool Concerns(const fs::path& watched, const std::string& name) const {
        if (watched == folder || name.empty())
            return true;
        const fs::path entry = watched / name;
        const std::string wanted = folder.string();
        const std::string prefix = entry.string();
        if (wanted.compare(0, prefix.size(), prefix) == 0 &&
            (wanted.size() == prefix.size() || wanted[prefix.size()] == '/'))
            return true;
        return std::find(devices.begin(), devices.end(), prefix) != devices.end();
    }

    // Reads one batch of events; true when one of them concerns a port.
    bool ReadEvents() {
        alignas(inotify_event) char buffer[kEventBufferSize];
        const ssize_t n = ::read(inotify, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        bool relevant = false;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                relevant = true;
                continue;
            }
            const auto it = watches.find(event->wd);
            if (it == watches.end())
                continue;
            const std::string name = event->len > 0 ? std::string(event->name) : std::string();
            if (Concerns(it->second, name))
                relevant = true;
            // The folder itself went: its watch is gone; Rearm finds what is there now.
            if ((event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
                if ((event->mask & IN_IGNORED) == 0)
                    ::inotify_rm_watch(inotify, event->wd);
                watches.erase(it);
                relevant = true;
            }
        }
        return relevant;
    }

    void Run() {
        for (;;) {
            struct pollfd fds[2] = {{inotify, POLLIN, 0}, {wake, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if ((fds[1].revents & POLLIN) != 0)
                return;
            if ((fds[0].revents & POLLIN) == 0)
                continue;
            if (ReadEvents()) {
                // Watch what is there now before the owner lists, so that
                // nothing made in between goes unseen.
                Rearm();
                changed();
            }
        }
    }
};

PortWatch::PortWatch(std::function<void()> changed) : platform_(std::make_unique<Platform>()) {
    Platform& p = *platform_;
    p.changed = std::move(changed);
    if (const std::string folder = PortDirFromEnvironment(); !folder.empty()) {
        p.folder = fs::absolute(folder).lexically_normal();
    } else {
        p.folder = kByIdFolder;
        p.devices = ComMapDevices();
    }
    p.inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    p.wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // Without inotify nothing is seen to change; the owner still lists on demand.
    if (p.inotify < 0 || p.wake < 0)
        return;
    p.Rearm();
    p.thread = std::thread([&p] { p.Run(); });
}

PortWatch::~PortWatch() {
    Platform& p = *platform_;
    if (p.thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(p.wake, &one, sizeof one);
        p.thread.join();
    }
    if (p.inotify >= 0)
        ::close(p.inotify);
    if (p.wake >= 0)
        ::close(p.wake);
}

} // namespace crvl
