#pragma once

#include "update/core/boot_port.h"

#include "serial/serial_port.h"

namespace crvl::update {

// The boot loader's view of the shared serial port: parity checking off and
// two stop bits at 56000 baud, as the updater configures it. A read waits in
// short slices so that a stop request ends it at once instead of after the
// full read time-out.
class SerialBootPortFactory : public BootPortFactory {
public:
    // debugLine receives "Waiting for overlapped input" and system error
    // texts; readTimeoutMs shortens the 1000 ms read time-out for tests.
    explicit SerialBootPortFactory(SerialDebugSink debugLine = {}, int readTimeoutMs = 1000);

    std::unique_ptr<BootPort> Open(int portNumber, int baud, const StopFlag& stop) override;
    std::string AccessAdvice(int portNumber) const override;
    PortTrouble Trouble(int portNumber) const override;
    std::string DeviceName(int portNumber) const override;

private:
    SerialDebugSink debugLine_;
    int readTimeoutMs_;
};

} // namespace crvl::update
