#include "update/core/serial_boot_port.h"

#include "serial/port_names.h"

#include <algorithm>
#include <filesystem>

namespace crvl::update {
namespace {

// How long one slice of a read waits before the stop flag is looked at again.
constexpr int kReadSliceMs = 20;

class SerialBootPort : public BootPort {
public:
    SerialBootPort(int portNumber, int baud, SerialOptions options, int readTimeoutMs,
                   const StopFlag& stop)
        : readTimeoutMs_(readTimeoutMs), stop_(stop), debugLine_(std::move(options.debugLine)),
          port_(portNumber, "rw", baud, SliceOptions(std::move(options), readTimeoutMs)) {}

    bool Usable() const override { return !port_.Error(); }
    void WriteBytes(const std::uint8_t* data, std::size_t length) override {
        port_.WriteBytes(data, length);
    }
    std::uint8_t ReadByte(bool& ok, bool& got) override {
        // One read as the caller sees it, made of slices; the debug line is
        // written once, when the first slice finds nothing waiting.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(readTimeoutMs_);
        firstSlice_ = true;
        for (;;) {
            const std::uint8_t byte = port_.ReadByte(ok, got);
            firstSlice_ = false;
            if (!ok || got || stop_.load(std::memory_order_acquire) ||
                std::chrono::steady_clock::now() >= deadline) {
                return byte;
            }
        }
    }
    bool SetBreak(bool on) override { return port_.SetBreak(on); }
    void Close() override { port_.Close(); }

private:
    SerialOptions SliceOptions(SerialOptions options, int readTimeoutMs) {
        options.readTimeoutMs = std::min(kReadSliceMs, readTimeoutMs);
        options.debugLine = [this](std::string_view line) {
            if (debugLine_ && (firstSlice_ || line != kWaitingForInputLine)) {
                debugLine_(line);
            }
        };
        return options;
    }

    int readTimeoutMs_;
    const StopFlag& stop_;
    SerialDebugSink debugLine_;
    bool firstSlice_ = true;
    CSerialPort port_; // last: its options refer to the members above
};

} // namespace

SerialBootPortFactory::SerialBootPortFactory(SerialDebugSink debugLine, int readTimeoutMs)
    : debugLine_(std::move(debugLine)), readTimeoutMs_(readTimeoutMs) {}

std::unique_ptr<BootPort> SerialBootPortFactory::Open(int portNumber, int baud,
                                                      const StopFlag& stop) {
    return std::make_unique<SerialBootPort>(portNumber, baud, SerialOptions::ForUpdater(debugLine_),
                                            readTimeoutMs_, stop);
}

std::string SerialBootPortFactory::AccessAdvice(int portNumber) const {
    return SerialAccessAdvice(portNumber);
}

PortTrouble SerialBootPortFactory::Trouble(int portNumber) const {
    const std::string device = PortDevicePath(portNumber);
    if (device.empty()) {
        return PortTrouble::Missing;
    }
    if (!SerialAccessAdvice(portNumber).empty()) {
        return PortTrouble::NoAccess;
    }
#if !defined(_WIN32)
    // Windows names its ports without files; elsewhere the device is a file.
    std::error_code ec;
    const auto status = std::filesystem::status(device, ec);
    if (!std::filesystem::exists(status)) {
        return PortTrouble::Missing;
    }
    if (!std::filesystem::is_character_file(status)) {
        return PortTrouble::NotASerialPort;
    }
#endif
    return PortTrouble::InUse;
}

std::string SerialBootPortFactory::DeviceName(int portNumber) const {
    return PortDevicePath(portNumber);
}

} // namespace crvl::update
