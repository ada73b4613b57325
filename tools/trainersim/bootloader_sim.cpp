#include "tools/trainersim/bootloader_sim.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <thread>

namespace crvl::sim {

namespace {

constexpr std::size_t kPreloadersSize = 32 + 78;
constexpr std::size_t kFlashLoaderSize = 2048;
constexpr int kProgrammingBaud = 56000;
constexpr int kBootstrapBaud = 19200;
// The program purges and configures the line when it reopens it; answer a
// moment after the new speed shows.
constexpr auto kSpeedSettle = std::chrono::milliseconds(50);
// Start byte, count, address (2), type, data, checksum.
constexpr std::size_t kRecordOverhead = 6;
constexpr std::uint8_t kRecordTypeData = 0x00;
constexpr std::uint8_t kRecordTypeEnd = 0x01;

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

} // namespace

BootloaderSim::BootloaderSim(BootloaderOptions options, BootLine line, LogSink log)
    : options_(std::move(options)), line_(std::move(line)), log_(std::move(log)) {}

std::uint16_t BootloaderSim::ManufacturerCode(FlashMaker maker) {
    switch (maker) {
    case FlashMaker::Intel:
        return 0x0089;
    case FlashMaker::Amd:
        return 0x0001;
    case FlashMaker::St:
        return 0x0020;
    case FlashMaker::Macronix:
        return 0x00C2;
    case FlashMaker::Unknown:
        break;
    }
    return 0x001F;
}

std::uint16_t BootloaderSim::DeviceCode(FlashMaker maker) {
    switch (maker) {
    case FlashMaker::Intel:
        return 0x889C;
    case FlashMaker::Macronix:
        return 0x22EC;
    default:
        return 0x22D6;
    }
}

void BootloaderSim::Log(const std::string& line) const {
    if (log_)
        log_("boot: " + line);
}

std::chrono::nanoseconds BootloaderSim::ByteTime() const {
    int baud = line_.baudRate ? line_.baudRate() : 0;
    if (baud <= 0)
        baud = kBootstrapBaud;
    const bool twoStop = line_.twoStopBits && line_.twoStopBits();
    const long long bits = 1 + 8 + (twoStop ? 2 : 1);
    return std::chrono::nanoseconds(bits * 1'000'000'000LL / baud);
}

void BootloaderSim::Arrived(SimTime now) {
    if (options_.baudPacing)
        inFreeAt_ = std::max(inFreeAt_, now) + ByteTime();
}

void BootloaderSim::Send(std::span<const std::uint8_t> bytes) {
    if (options_.baudPacing) {
        // The answer leaves once the request is in and the line is free, and
        // arrives after its own bytes' time on the line.
        const SimTime start = std::max({inFreeAt_, outFreeAt_, SimClock::now()});
        outFreeAt_ = start + ByteTime() * static_cast<long long>(bytes.size());
        std::this_thread::sleep_until(outFreeAt_);
    }
    if (line_.write)
        line_.write(bytes);
}

bool BootloaderSim::OnByte(std::uint8_t byte, SimTime now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool quiet = !seenByte_ || now - lastByte_ >= options_.quietLine;
    seenByte_ = true;
    lastByte_ = now;

    if (byte == 0x00 && quiet && stage_ != Stage::FlashLoader) {
        ++bootRequests_;
        stage_ = Stage::Idle;
        inFreeAt_ = outFreeAt_ = SimTime{};
        Arrived(now);
        if (options_.silent) {
            Log("boot-strap request, staying silent");
            return true;
        }
        Log("boot-strap request, identification " + Hex(options_.identity));
        Send(options_.identity);
        loader_.clear();
        stage_ = Stage::Preloaders;
        return true;
    }

    switch (stage_) {
    case Stage::Idle:
        return false;
    case Stage::Preloaders:
        Arrived(now);
        loader_.push_back(byte);
        if (loader_.size() == kPreloadersSize) {
            Log("preloaders received");
            stage_ = Stage::FlashLoader;
        }
        return true;
    case Stage::FlashLoader: {
        Arrived(now);
        const std::size_t index = loader_.size() - kPreloadersSize;
        loader_.push_back(byte);
        const bool mismatch = static_cast<int>(index) == options_.echoMismatchAt;
        Send(mismatch ? static_cast<std::uint8_t>(byte ^ 0xFF) : byte);
        if (index + 1 == kFlashLoaderSize) {
            Log("flash loader received");
            loaders_.push_back(loader_);
            speedSeenAt_.reset();
            stage_ = Stage::WaitProgrammingSpeed;
        }
        return true;
    }
    case Stage::WaitProgrammingSpeed:
        // Nothing is expected before the replies; take it off the line.
        return true;
    case Stage::Records:
        Arrived(now);
        if (record_.empty() && byte != ':') {
            transmissions_.push_back({byte});
            Send(static_cast<std::uint8_t>('o'));
            return true;
        }
        record_.push_back(byte);
        if (record_.size() >= 2 && record_.size() == kRecordOverhead + record_[1])
            RecordComplete();
        return true;
    }
    return false;
}

void BootloaderSim::RecordComplete() {
    std::vector<std::uint8_t> record;
    record.swap(record_);
    transmissions_.push_back(record);
    const int index = static_cast<int>(records_.size()) + 1;

    if (index == options_.hangUpAt) {
        Log("hang-up at record " + std::to_string(index));
        stage_ = Stage::Idle;
        if (line_.hangUp)
            line_.hangUp();
        return;
    }
    const unsigned sum = std::accumulate(record.begin() + 1, record.end(), 0U);
    if ((sum & 0xFF) != 0 || (index == options_.checksumErrorAt && checksumErrorsSent_ == 0)) {
        ++checksumErrorsSent_;
        Log("record " + std::to_string(index) + ": checksum error");
        Send(static_cast<std::uint8_t>('F'));
        return;
    }
    if (index == options_.recordReplyAt) {
        // Once: a repeated record is then taken.
        options_.recordReplyAt = 0;
        Log("record " + std::to_string(index) + ": reply " + Hex(options_.recordReply));
        Send(options_.recordReply);
        return;
    }
    records_.push_back(record);
    const std::uint8_t type = record[4];
    if (type == kRecordTypeEnd) {
        Log("end of file after " + std::to_string(index) + " records, RAM test " +
            Hex(options_.ramReply));
        const std::uint8_t replies[] = {'S', options_.ramReply};
        Send(replies);
        stage_ = Stage::Idle;
    } else {
        Send(static_cast<std::uint8_t>(type == kRecordTypeData ? 'b' : 's'));
    }
}

void BootloaderSim::Tick(SimTime now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stage_ != Stage::WaitProgrammingSpeed)
        return;
    const int baud = line_.baudRate ? line_.baudRate() : 0;
    if (baud != 0 && baud != kProgrammingBaud)
        return;
    if (!speedSeenAt_) {
        speedSeenAt_ = now;
        return;
    }
    if (now - *speedSeenAt_ < kSpeedSettle)
        return;

    const std::uint16_t maker = ManufacturerCode(options_.maker);
    const std::uint16_t device = options_.deviceCode.value_or(DeviceCode(options_.maker));
    std::vector<std::uint8_t> replies = {
        'R',
        static_cast<std::uint8_t>(maker >> 8),
        static_cast<std::uint8_t>(maker & 0xFF),
        static_cast<std::uint8_t>(device >> 8),
        static_cast<std::uint8_t>(device & 0xFF),
    };
    const bool firstPass = !awaitingSecondPass_;
    awaitingSecondPass_ = false;
    if (firstPass && options_.maker != FlashMaker::Intel) {
        // This loader serves Intel flash only; the program starts again with
        // its second loader.
        Log("flash " + Hex(maker) + ", waiting for the second pass");
        Send(replies);
        awaitingSecondPass_ = true;
        stage_ = Stage::Idle;
        return;
    }
    replies.push_back('P');
    replies.push_back('P');
    replies.push_back(options_.eraseReply.value_or('Z'));
    Log("flash " + Hex(maker) + "/" + Hex(device) + " erased");
    Send(replies);
    stage_ = options_.eraseReply ? Stage::Idle : Stage::Records;
}

BootloaderSim::Stage BootloaderSim::CurrentStage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stage_;
}

std::vector<std::vector<std::uint8_t>> BootloaderSim::Records() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
}

std::vector<std::vector<std::uint8_t>> BootloaderSim::Transmissions() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return transmissions_;
}

std::vector<std::vector<std::uint8_t>> BootloaderSim::Loaders() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loaders_;
}

int BootloaderSim::BootRequests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bootRequests_;
}

} // namespace crvl::sim
