#include "tools/trainersim/trainer_protocol.h"

#include <algorithm>
#include <cstdio>

#include "protocol/frame_codec.h"

namespace crvl::sim {

std::string HexBytes(std::span<const std::uint8_t> bytes, std::size_t limit) {
    std::string text;
    char cell[4];
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        std::snprintf(cell, sizeof cell, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += cell;
    }
    if (bytes.size() > limit)
        text += " ... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

TrainerProtocol::TrainerProtocol(TrainerModel& model, ISimTransport& transport, LogSink log)
    : model_(model), transport_(transport), log_(std::move(log)) {
    InstallBasicHandlers();
}

void TrainerProtocol::Log(const std::string& line) const {
    if (log_)
        log_(line);
}

void TrainerProtocol::InstallBasicHandlers() {
    SetHandler(msg::kPing, [this](auto) { Reply(MakeAlive()); });
    SetReadHandler(msg::kReadParameters,
                   [this](auto) { Reply(MakeParametersReply(model_.parameters)); });
    SetReadHandler(msg::kReadVersion, [this](auto) {
        const auto& v = model_.version;
        Reply(MakeVersion(v[0], v[1], v[2], v[3]));
    });
    SetReadHandler(msg::kReadBattery, [this](auto) { Reply(MakeBattery(model_.batteryRaw)); });
    SetReadHandler(msg::kSetAttached, [this](std::span<const std::uint8_t> p) {
        if (p.size() >= 3)
            model_.attached = p[2] == kOn;
    });
}

void TrainerProtocol::SetHandler(std::uint8_t code, Handler handler) {
    handlers_[code] = std::move(handler);
}

void TrainerProtocol::SetReadHandler(std::uint8_t subCode, Handler handler) {
    readHandlers_[subCode] = std::move(handler);
}

void TrainerProtocol::AddTicker(Ticker ticker) {
    tickers_.push_back(std::move(ticker));
}

void TrainerProtocol::OnBytes(std::span<const std::uint8_t> bytes, SimTime now) {
    now_ = now;
    for (const std::uint8_t byte : bytes) {
        const bool taken = interceptor_ != nullptr && interceptor_->OnByte(byte, now);
        lastByte_ = now;
        if (taken)
            continue;
        switch (decoder_.Feed(byte)) {
        case ReceiveRing::FeedResult::Committed:
            if (const std::size_t n = decoder_.Take(message_); n > 0)
                Dispatch({message_, n});
            else
                Log("rx empty frame");
            break;
        case ReceiveRing::FeedResult::Discarded:
            ++framesDiscarded_;
            Log("rx bad frame, discarded");
            break;
        case ReceiveRing::FeedResult::None:
            break;
        }
    }
}

void TrainerProtocol::Dispatch(std::span<const std::uint8_t> payload) {
    const int received = ++framesReceived_;
    Log("rx " + DescribeToolMessage(payload) + " [" + HexBytes(payload) + "]");
    if (!faults_.silent) {
        const Handler* handler = nullptr;
        if (payload[0] == msg::kRead && payload.size() >= 2) {
            if (auto it = readHandlers_.find(payload[1]); it != readHandlers_.end())
                handler = &it->second;
        } else if (auto it = handlers_.find(payload[0]); it != handlers_.end()) {
            handler = &it->second;
        }
        if (handler != nullptr)
            (*handler)(payload);
    }
    if (faults_.hangUpAfter > 0 && received >= faults_.hangUpAfter)
        Log("hanging up after " + std::to_string(received) + " frames");
}

void TrainerProtocol::ReplyResult(std::uint8_t result) {
    if (!faults_.noResult)
        Reply(MakeResult(result), faults_.resultDelay);
}

void TrainerProtocol::Reply(const Bytes& payload, std::chrono::milliseconds extraDelay) {
    Pending pending;
    pending.due = now_ + faults_.replyDelay + extraDelay;
    if (faults_.garbage)
        pending.bytes.assign(std::begin(kGarbageBytes), std::end(kGarbageBytes));
    const std::size_t start = pending.bytes.size();
    pending.bytes.resize(start + MaxEncodedSize(payload.size()));
    const std::size_t n = EncodeFrame(payload, pending.bytes.data() + start);
    pending.bytes.resize(start + n);
    if (faults_.badChecksum) {
        // The checksum is the last byte before CR (escaped or not); flipping
        // its lowest bit keeps it a valid byte of the same kind.
        pending.bytes[pending.bytes.size() - 2] ^= 0x01;
    }
    const auto later =
        std::upper_bound(replies_.begin(), replies_.end(), pending.due,
                         [](SimTime due, const Pending& queued) { return due < queued.due; });
    replies_.insert(later, std::move(pending));
}

void TrainerProtocol::WriteRaw(std::span<const std::uint8_t> bytes) {
    if (!hungUp_)
        transport_.Write(bytes);
}

SimTime TrainerProtocol::NextDue() const {
    return replies_.empty() ? SimTime::max() : replies_.front().due;
}

void TrainerProtocol::Tick(SimTime now) {
    now_ = now;
    if (hungUp_)
        return;
    while (!replies_.empty() && replies_.front().due <= now) {
        transport_.Write(replies_.front().bytes);
        replies_.pop_front();
    }
    for (const Ticker& ticker : tickers_)
        ticker(now);
    if (faults_.hangUpAfter > 0 && framesReceived_ >= faults_.hangUpAfter && replies_.empty()) {
        hungUp_ = true;
        transport_.HangUp();
    }
}

} // namespace crvl::sim
