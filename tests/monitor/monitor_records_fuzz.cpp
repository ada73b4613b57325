// Arbitrary trainer reports through what the monitor makes of them. Slot
// replies: decoding and encoding give back the same bytes, and a name stored
// for upload reads back as the name cut at its first zero byte or at 20
// bytes. Monitor reports: decoding gives back the same bytes, and a run of
// 25 ms steps over them, with shocks and a lost connection, refreshes every
// tenth step, draws only samples of the chosen curve or the flat line, and
// closes exactly when the connection has gone.
//
// Input: a stream of operations, each one byte followed by its data.

#include "config/core/monitor_logic.h"
#include "protocol/trainer_messages.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

namespace {

using namespace crvl;

void checkSlot(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, SlotInfo::kSize> reply{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), reply.size()), reply.begin());
    const auto info = SlotInfo::Decode(reply);
    if (!info || info->Encode() != reply || info->Name().size() > SlotInfo::kNameSize ||
        info->Name().find('\0') != std::string_view::npos) {
        std::abort();
    }
    SlotInfo stored;
    const std::string_view name(reinterpret_cast<const char*>(bytes.data()),
                                std::min<std::size_t>(bytes.size(), 32));
    stored.SetName(name);
    const auto back = SlotInfo::Decode(stored.Encode());
    const std::string_view expected =
        name.substr(0, std::min(name.find('\0'), SlotInfo::kNameSize));
    if (!back || back->Name() != expected) {
        std::abort();
    }
}

class MonitorRun {
public:
    void report(std::span<const std::uint8_t> bytes) {
        const auto decoded = MonitorRecord::Decode(bytes);
        if (!decoded || !std::equal(bytes.begin(), bytes.end(), decoded->Encode().begin())) {
            std::abort();
        }
        record_ = *decoded;
    }
    void shock() { shockFlag_ = 1; }
    void step(bool connected) {
        const bool flat = record_.failure != 0 || record_.electrodes != 0;
        const bool shockPending = shockFlag_ == 1;
        const MonitorTick tick = stepper_.Tick(record_, shockFlag_, connected);
        ++ticks_;
        const bool refreshDue = shockRefreshDue_ || ticks_ % kMonitorRefreshTicks == 0;
        if (tick.refresh.has_value() != refreshDue || tick.close != !connected || shockFlag_ != 0) {
            std::abort();
        }
        if (refreshDue) {
            ticks_ = 0;
        }
        shockRefreshDue_ = shockPending;
        if (flat) {
            if (tick.flatPoints != kFlatLinePoints || tick.sample) {
                std::abort();
            }
        } else if (!tick.sample || tick.flatPoints != 0 || !onSomeCurve(*tick.sample)) {
            std::abort();
        }
        if (tick.refresh &&
            (tick.refresh->scenarioText.empty() || tick.refresh->frameText.empty())) {
            std::abort();
        }
    }

private:
    static bool onSomeCurve(double sample) {
        for (Waveform w :
             {Waveform::Sinus, Waveform::VT, Waveform::VF, Waveform::Asystole, Waveform::Shock}) {
            const auto samples = WaveformSamples(w);
            if (std::find(samples.begin(), samples.end(), sample) != samples.end()) {
                return true;
            }
        }
        return false;
    }

    MonitorStepper stepper_;
    MonitorRecord record_;
    std::uint8_t shockFlag_ = 0;
    int ticks_ = 0;
    bool shockRefreshDue_ = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MonitorRun run;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t op = data[i++];
        const std::size_t left = size - i;
        switch (op % 6) {
        case 0: {
            const std::size_t n = std::min<std::size_t>(left, MonitorRecord::kSize);
            if (n == MonitorRecord::kSize) {
                run.report({data + i, n});
            }
            i += n;
            break;
        }
        case 1: {
            const std::size_t n = std::min<std::size_t>(left, op >> 3);
            checkSlot({data + i, n});
            i += n;
            break;
        }
        case 2:
            run.shock();
            break;
        case 3:
            run.step(false);
            break;
        default:
            for (int n = 1 + (op >> 3); n > 0; --n) {
                run.step(true);
            }
            break;
        }
    }
    return 0;
}
