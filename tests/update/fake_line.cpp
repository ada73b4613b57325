#include "tests/update/fake_line.h"

namespace crvl::update::test {

namespace {
constexpr auto kReadTimeout = std::chrono::milliseconds(1000);
} // namespace

class FakePort : public BootPort {
public:
    explicit FakePort(FakeLine& line) : line_(line) {}
    bool Usable() const override { return line_.accessAdvice.empty() && !line_.unusable; }
    void WriteBytes(const std::uint8_t* data, std::size_t length) override {
        line_.Write(data, length);
    }
    std::uint8_t ReadByte(bool& ok, bool& got) override { return line_.Read(ok, got); }
    bool SetBreak(bool on) override {
        if (line_.failBreak || !Usable())
            return false;
        if (on) {
            ++line_.breaks;
            line_.breakSetAt_ = line_.clock_.now;
        } else if (line_.breakSetAt_) {
            line_.breakHeld.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(
                line_.clock_.now - *line_.breakSetAt_));
            line_.breakSetAt_.reset();
        }
        return true;
    }
    void Close() override { line_.toUpdater_.clear(); }

private:
    FakeLine& line_;
};

FakeLine::FakeLine(sim::BootloaderOptions options)
    : sim_(std::move(options), sim::BootLine{
                                   [this](std::span<const std::uint8_t> bytes) {
                                       if (!hungUp)
                                           toUpdater_.insert(toUpdater_.end(), bytes.begin(),
                                                             bytes.end());
                                   },
                                   [this] { return baud_; },
                                   [this] { return baud_ == 56000; },
                                   [this] { hungUp = true; },
                               }) {}

std::unique_ptr<BootPort> FakeLine::Open(int portNumber, int baud, const StopFlag&) {
    baud_ = baud;
    opened.push_back(baud);
    portNumbers.push_back(portNumber);
    toUpdater_.clear();
    return std::make_unique<FakePort>(*this);
}

void FakeLine::Write(const std::uint8_t* data, std::size_t length) {
    if (hungUp)
        return;
    for (std::size_t i = 0; i < length; ++i)
        sim_.OnByte(data[i], clock_.now);
}

std::uint8_t FakeLine::Read(bool& ok, bool& got) {
    ok = !hungUp && !(failRead && failRead());
    got = false;
    if (!ok)
        return 0;
    if (babble && babble()) {
        got = true;
        clock_.Advance(std::chrono::milliseconds(1));
        return babbleByte;
    }
    const bool muted = muteReads && muteReads();
    for (int tick = 0; tick < 2 && toUpdater_.empty() && !muted; ++tick) {
        // Give the loader its settle time after a change of speed.
        sim_.Tick(clock_.now);
        clock_.Advance(std::chrono::milliseconds(60));
    }
    if (muted || toUpdater_.empty()) {
        clock_.Advance(kReadTimeout);
        return 0;
    }
    got = true;
    const std::uint8_t byte = toUpdater_.front();
    toUpdater_.pop_front();
    return byte;
}

} // namespace crvl::update::test
