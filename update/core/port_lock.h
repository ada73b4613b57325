#pragma once

#include <string>

namespace crvl::update {

// Keeps a second upload off a port while one runs: one lock per device,
// held for the whole run, across the reopenings of the port. Uploads on
// different devices do not meet. The lock goes with the process, also when
// it is killed.
class PortLock {
public:
    explicit PortLock(const std::string& device);
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // False when another process holds the device's lock.
    bool Held() const { return held_; }

private:
    bool held_ = false;
#if defined(_WIN32)
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

} // namespace crvl::update
