#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

namespace crvl::test {

// Counts the link's notifications (they come from the reader thread).
class Notifications {
public:
    void operator()() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
        cv_.notify_all();
    }
    // True once at least n notifications have arrived, waiting up to timeout.
    bool WaitFor(int n, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, timeout, [&] { return count_ >= n; });
    }
    int Count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int count_ = 0;
};

// Points CRVL_COM<n> at a device for the length of a test.
class PortMapping {
public:
    PortMapping(int portNumber, const std::string& device)
        : name_("CRVL_COM" + std::to_string(portNumber)) {
        ::setenv(name_.c_str(), device.c_str(), 1);
    }
    ~PortMapping() { ::unsetenv(name_.c_str()); }
    PortMapping(const PortMapping&) = delete;
    PortMapping& operator=(const PortMapping&) = delete;

private:
    std::string name_;
};

} // namespace crvl::test
