#include "update/core/search_trainer.h"

#include "protocol/frame_codec.h"
#include "protocol/trainer_messages.h"
#include "serial/port_names.h"
#include "serial/serial_port.h"
#include "update/core/text_format.h"

#include <thread>
#include <vector>

namespace crvl::update {
namespace {

// The trainer answers within this time at the protocol's speed.
constexpr auto kAnswerWait = std::chrono::milliseconds(50);

bool Stopped(const StopFlag& stop) {
    return stop.load(std::memory_order_acquire);
}

bool PortAnswers(BootPort& port, const StopFlag& stop, const Clock& clock) {
    if (Drain(port, StopAtStx::No, stop, clock) != DrainEnd::Quiet) {
        return false;
    }
    const Bytes ping = MakePing();
    std::vector<std::uint8_t> frame(MaxEncodedSize(ping.size()));
    const std::size_t length = EncodeFrame(ping, frame.data());
    port.WriteBytes(frame.data(), length);

    std::this_thread::sleep_for(kAnswerWait);
    bool ok = false;
    bool got = false;
    const std::uint8_t first = port.ReadByte(ok, got);
    if (!ok || !got || first != frame::kStx || Stopped(stop)) {
        return false;
    }
    const std::uint8_t second = port.ReadByte(ok, got);
    return ok && got && second == msg::kAlive && !Stopped(stop);
}

} // namespace

int SearchTrainer(BootPortFactory& ports, const std::function<void(const std::string&)>& show,
                  const StopFlag& stop, const Clock& clock) {
    // Said at the end when no trainer was found: a port this user may not use.
    std::string advice;
    for (int n = kFirstPortNumber; n <= kLastPortNumber; ++n) {
        if (Stopped(stop)) {
            return 0;
        }
        std::unique_ptr<BootPort> port = ports.Open(n, kDefaultBaudRate, stop);
        if (!port->Usable()) {
            port->Close();
            if (advice.empty()) {
                advice = ports.AccessAdvice(n);
            }
            continue;
        }
        const bool found = PortAnswers(*port, stop, clock);
        port->Close();
        if (found) {
            show(Format("Corvel found on COM%d\r\n", n));
            return n;
        }
    }
    if (Stopped(stop)) {
        return 0;
    }
    show("No Corvel found !\r\nComport has to be manually selected.\r\n");
    if (!advice.empty()) {
        show(advice + "\r\n");
    }
    return 0;
}

} // namespace crvl::update
