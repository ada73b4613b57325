// Port discovery on Windows: the serial ports the registry's device map
// lists (HARDWARE\DEVICEMAP\SERIALCOMM: one value per port, its data the
// port's name such as "COM3"), or the folder CRVL_PORT_DIR names. The map
// changes as adapters come and go; the watch compares the list once a second
// and speaks only when it differs.

#include "serial/port_discovery.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <windows.h>

namespace crvl {

namespace {

constexpr const wchar_t* kSerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr auto kPollInterval = std::chrono::seconds(1);
// Value names and port names in the map are short.
constexpr DWORD kNameChars = 256;

std::string Narrow(const wchar_t* text, std::size_t length) {
    std::string narrow;
    for (std::size_t i = 0; i < length && text[i] != L'\0'; ++i)
        narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return narrow;
}

std::vector<CandidatePort> ListRegistryPorts() {
    std::vector<CandidatePort> ports;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ports; // no serial port at all: the key is missing
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[kNameChars];
        DWORD valueNameChars = kNameChars;
        wchar_t data[kNameChars];
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, index, valueName, &valueNameChars, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        const std::string name = Narrow(data, dataBytes / sizeof(wchar_t));
        if (!name.empty())
            ports.push_back(
                {name, "\\\\.\\" + name}); // the device namespace opens every COM number
    }
    ::RegCloseKey(key);
    std::sort(ports.begin(), ports.end(), [](const CandidatePort& a, const CandidatePort& b) {
        return a.stableName < b.stableName;
    });
    return ports;
}

} // namespace

std::vector<CandidatePort> ListCandidatePorts() {
    if (const std::string folder = PortDirFromEnvironment(); !folder.empty())
        return ListPortDir(folder);
    return ListRegistryPorts();
}

struct PortWatch::Platform {
    std::function<void()> changed;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;

    void Run() {
        std::vector<CandidatePort> last = ListCandidatePorts();
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, kPollInterval, [this] { return stop; })) {
            lock.unlock();
            std::vector<CandidatePort> now = ListCandidatePorts();
            if (now != last) {
                last = std::move(now);
                changed();
            }
            lock.lock();
        }
    }
};

PortWatch::PortWatch(std::function<void()> changed) : platform_(std::make_unique<Platform>()) {
    platform_->changed = std::move(changed);
    platform_->thread = std::thread([p = platform_.get()] { p->Run(); });
}

PortWatch::~PortWatch() {
    {
        std::lock_guard<std::mutex> lock(platform_->mutex);
        platform_->stop = true;
    }
    platform_->wake.notify_all();
    platform_->thread.join();
}

} // namespace crvl
