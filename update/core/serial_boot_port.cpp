#include "serial_boot_port.h"

namespace crvl::update {
namespace {

class SerialBootPort : public BootPort {
public:
    SerialBootPort(int portNumber, int baud, SerialOptions options)
        : port_(portNumber, "rw", baud, std::move(options)) {}

    bool Usable() const override { return !port_.Error(); }
    void WriteBytes(const std::uint8_t* data, std::size_t length) override {
        port_.WriteBytes(data, length);
    }
    std::uint8_t ReadByte(bool& ok, bool& got) override { return port_.ReadByte(ok, got); }
    bool SendBreak(int holdMs) override { return port_.SendBreak(holdMs); }
    void Close() override { port_.Close(); }

private:
    CSerialPort port_;
};

} // namespace

SerialBootPortFactory::SerialBootPortFactory(SerialDebugSink debugLine, int readTimeoutMs)
    : debugLine_(std::move(debugLine)), readTimeoutMs_(readTimeoutMs) {}

std::unique_ptr<BootPort> SerialBootPortFactory::Open(int portNumber, int baud) {
    SerialOptions options = SerialOptions::ForUpdater(debugLine_);
    options.readTimeoutMs = readTimeoutMs_;
    return std::make_unique<SerialBootPort>(portNumber, baud, std::move(options));
}

} // namespace crvl::update
