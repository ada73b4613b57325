#pragma once

// The trainer's side of the protocol, without any terminal: bytes in, frames
// out through a transport. Tests drive it step by step with their own clock;
// TrainerSim runs it on a pseudo-terminal.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "protocol/receive_ring.h"
#include "protocol/trainer_messages.h"
#include "tools/trainersim/trainer_model.h"

namespace crvl::sim {

using SimClock = std::chrono::steady_clock;
using SimTime = SimClock::time_point;
using LogSink = std::function<void(const std::string& line)>;

// Faults the simulator can be told to show.
struct FaultSwitches {
    bool silent = false;                      // answer nothing
    bool badChecksum = false;                 // answer with a wrong checksum
    bool garbage = false;                     // send noise bytes before each answer
    int hangUpAfter = 0;                      // hang up once this many frames arrived (0: never)
    std::chrono::milliseconds replyDelay{0};  // answer only after this delay
    int writeResult = 0;                      // Result byte for WriteParameters
    bool noResult = false;                    // leave WriteParameters and uploads unanswered
    std::chrono::milliseconds resultDelay{0}; // send their Result this much later
    bool noVersion = false;                   // leave ReadVersion unanswered
    bool noParametersReply = false;           // leave ReadParameters unanswered
    int attachedReport = -1;                  // report (0/1) when the tool attaches
    int wrongSlot = 0;    // answer ReadSlotInfo for this slot (1..3) with the next slot's number
    int uploadResult = 0; // Result byte for UploadScenario
};

// Where the protocol's output goes.
class ISimTransport {
public:
    virtual ~ISimTransport() = default;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    virtual void HangUp() = 0;
};

// Sees every received byte before the frame decoder (the boot loader takes
// the line over this way). Returns true when it has taken the byte.
class IByteInterceptor {
public:
    virtual ~IByteInterceptor() = default;
    virtual bool OnByte(std::uint8_t byte, SimTime now) = 0;
};

// Noise sent between frames when FaultSwitches::garbage is on: no STX, so a
// sound decoder ignores all of it.
inline constexpr std::uint8_t kGarbageBytes[] = {0x55, 0xAA, 0x0D, 0x03, 0x10, 0x41, 0xFF, 0x00};

class TrainerProtocol {
public:
    using Handler = std::function<void(std::span<const std::uint8_t> payload)>;
    using Ticker = std::function<void(SimTime now)>;

    TrainerProtocol(TrainerModel& model, ISimTransport& transport, LogSink log = {});

    // Feeds received bytes; answers go into the reply queue.
    void OnBytes(std::span<const std::uint8_t> bytes, SimTime now);
    // Sends the answers that are due, runs the tickers, hangs up when asked.
    void Tick(SimTime now);
    // Earliest time at which Tick has something to send (or max()).
    SimTime NextDue() const;

    // Queues one framed answer (after the reply delay, with the faults);
    // a later answer is sent before it when it falls due first.
    void Reply(const Bytes& payload, std::chrono::milliseconds extraDelay = {});
    // The Result of a write or an upload, as the result switches want it.
    void ReplyResult(std::uint8_t result);
    // Writes bytes as they are, at once (raw byte mode).
    void WriteRaw(std::span<const std::uint8_t> bytes);

    // Extension points for the trainer's features.
    void SetHandler(std::uint8_t code, Handler handler);
    void SetReadHandler(std::uint8_t subCode, Handler handler);
    void AddTicker(Ticker ticker);
    void SetInterceptor(IByteInterceptor* interceptor) { interceptor_ = interceptor; }

    FaultSwitches& Faults() { return faults_; }
    TrainerModel& Model() { return model_; }
    int FramesReceived() const { return framesReceived_; }
    int FramesDiscarded() const { return framesDiscarded_; }
    bool HungUp() const { return hungUp_; }
    // When the last byte arrived (a quiet line tells the boot loader's
    // request from protocol traffic).
    SimTime LastByteTime() const { return lastByte_; }
    void Log(const std::string& line) const;

private:
    void Dispatch(std::span<const std::uint8_t> payload);
    void InstallBasicHandlers();

    struct Pending {
        SimTime due;
        std::vector<std::uint8_t> bytes;
    };

    TrainerModel& model_;
    ISimTransport& transport_;
    LogSink log_;
    FaultSwitches faults_;
    ReceiveRing decoder_;
    std::uint8_t message_[kMaxPayload] = {};
    std::map<std::uint8_t, Handler> handlers_;
    std::map<std::uint8_t, Handler> readHandlers_;
    std::vector<Ticker> tickers_;
    IByteInterceptor* interceptor_ = nullptr;
    std::deque<Pending> replies_;
    SimTime now_{};
    SimTime lastByte_{};
    // Read by other threads while the simulator runs.
    std::atomic<int> framesReceived_{0};
    std::atomic<int> framesDiscarded_{0};
    std::atomic<bool> hungUp_{false};
};

// "65 05" for logs.
std::string HexBytes(std::span<const std::uint8_t> bytes, std::size_t limit = 32);

} // namespace crvl::sim
