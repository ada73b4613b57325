#include "tools/trainersim/bootloader_sim.h"

#include "protocol/boot_loader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <thread>

namespace crvl::sim {

namespace {

constexpr std::size_t kPreloadersSize = boot::kPreloaderOneSize + boot::kPreloaderTwoSize;
// The program purges and configures the line when it reopens it; answer a
// moment after the new speed shows.
constexpr auto kSpeedSettle = std::chrono::milliseconds(50);
// What a maker's chip reports that none of the flash loaders knows.
constexpr std::uint16_t kManufacturerUnknown = 0x001F;
// A wrong echo differs from the byte sent in every bit.
constexpr std::uint8_t kEchoMismatchMask = 0xFF;

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

} // namespace

BootloaderSim::BootloaderSim(BootloaderOptions options, BootLine line, LogSink log)
    : options_(std::move(options)), line_(std::move(line)), log_(std::move(log)) {}

std::uint16_t BootloaderSim::ManufacturerCode(FlashMaker maker) {
    // In the order of FlashMaker.
    static constexpr std::array<std::uint16_t, 5> kCodes{
        boot::kManufacturerIntel, boot::kManufacturerAmd, boot::kManufacturerSt,
        boot::kManufacturerMacronix, kManufacturerUnknown};
    return kCodes.at(static_cast<std::size_t>(maker));
}

std::uint16_t BootloaderSim::DeviceCode(FlashMaker maker) {
    switch (maker) {
    case FlashMaker::Intel:
        return boot::kDeviceIntel;
    case FlashMaker::Macronix:
        return boot::kDeviceSecondPassB;
    default:
        return boot::kDeviceSecondPassA;
    }
}

void BootloaderSim::Log(const std::string& line) const {
    if (log_)
        log_("boot: " + line);
}

std::chrono::nanoseconds BootloaderSim::ByteTime() const {
    int baud = line_.baudRate ? line_.baudRate() : 0;
    if (baud <= 0)
        baud = boot::kBootStrapBaud;
    const bool twoStop = line_.twoStopBits && line_.twoStopBits();
    // A start bit, eight data bits, one or two stop bits.
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

    // A quiet line before a 0x00 starts a new session in every stage: the
    // program that stopped in the middle (a Quit during the echo) starts
    // again from the break. Within the echo the bytes come without pause.
    if (byte == boot::kBootStrapRequest && quiet) {
        ++bootRequests_;
        stage_ = Stage::Idle;
        inFreeAt_ = outFreeAt_ = SimTime{};
        // The record count and its faults start over with each session.
        record_.clear();
        records_.clear();
        transmissions_.clear();
        checksumErrorsSent_ = 0;
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
        Send(mismatch ? static_cast<std::uint8_t>(byte ^ kEchoMismatchMask) : byte);
        if (index + 1 == boot::kFlashLoaderSize) {
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
        if (record_.empty() && byte != boot::kRecordStart) {
            transmissions_.push_back({byte});
            Send(boot::reply::kOddRecord);
            return true;
        }
        record_.push_back(byte);
        if (record_.size() > boot::kRecordCountIndex &&
            record_.size() == boot::kRecordOverhead + record_[boot::kRecordCountIndex])
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
    if (static_cast<std::uint8_t>(sum) != 0 ||
        (index == options_.checksumErrorAt && checksumErrorsSent_ == 0)) {
        ++checksumErrorsSent_;
        Log("record " + std::to_string(index) + ": checksum error");
        Send(boot::reply::kChecksumError);
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
    const std::uint8_t type = record[boot::kRecordTypeIndex];
    if (type == boot::kRecordTypeEnd) {
        Log("end of file after " + std::to_string(index) + " records, RAM test " +
            Hex(options_.ramReply));
        const std::uint8_t replies[] = {boot::reply::kUploadComplete, options_.ramReply};
        Send(replies);
        stage_ = Stage::Idle;
    } else {
        Send(type == boot::kRecordTypeData ? boot::reply::kBurned : boot::reply::kRecordOk);
    }
}

void BootloaderSim::Tick(SimTime now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stage_ != Stage::WaitProgrammingSpeed)
        return;
    const int baud = line_.baudRate ? line_.baudRate() : 0;
    if (baud != 0 && baud != options_.programmingBaud)
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
        boot::reply::kUpAndRunning,
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
    // Two pages erased, then the whole chip.
    replies.push_back(boot::reply::kPageErased);
    replies.push_back(boot::reply::kPageErased);
    replies.push_back(options_.eraseReply.value_or(boot::reply::kEraseComplete));
    Log("flash " + Hex(maker) + "/" + Hex(device) +
        (options_.eraseReply ? " not erased, reply " + Hex(*options_.eraseReply) : " erased"));
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
