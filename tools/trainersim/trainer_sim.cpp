#include "tools/trainersim/trainer_sim.h"

#include "tools/trainersim/parameters_sim.h"
#include "tools/trainersim/slots_sim.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace crvl::sim {

namespace {
constexpr int kWriteTimeoutMs = 1000;
// The longest wait of the simulator's own thread for bytes, so that a stop
// or a posted task is taken up soon.
constexpr int kThreadPollMs = 20;
constexpr std::size_t kReadChunk = 256;
} // namespace

TrainerSim::TrainerSim(SimConfig config, LogSink log)
    : config_(std::move(config)), model_(config_.model), protocol_(model_, *this, std::move(log)) {
    protocol_.Faults() = config_.faults;
    InstallParameterFeature(protocol_);
    if (!config_.scenarioFile.empty()) {
        const Status loaded = LoadSlotFromFile(model_, config_.scenarioSlot, config_.scenarioFile);
        if (!loaded.ok())
            protocol_.Log(loaded.message());
    }
    InstallSlotFeature(protocol_);
    InstallScenarioFeature(protocol_, player_);
}

TrainerSim::~TrainerSim() {
    Stop();
}

Status TrainerSim::Open() {
    Status opened = pty_.Open();
    if (opened.ok() && !config_.linkPath.empty())
        opened = pty_.MakeLink(config_.linkPath);
    return opened;
}

void TrainerSim::Write(std::span<const std::uint8_t> bytes) {
    const int fd = pty_.MasterFd();
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // The program is not reading; wait a while, then give up.
            struct pollfd p {
                fd, POLLOUT, 0
            };
            if (::poll(&p, 1, kWriteTimeoutMs) <= 0)
                return;
        } else {
            return;
        }
    }
}

void TrainerSim::HangUp() {
    if (pty_.IsOpen()) {
        protocol_.Log("hang-up");
        pty_.HangUp();
    }
    hungUp_.store(true, std::memory_order_release);
}

void TrainerSim::Unplug() {
    HangUp();
    pty_.RemoveLink();
}

Status TrainerSim::Plug() {
    if (pty_.IsOpen())
        return Status::Ok();
    const Status opened = Open();
    if (opened.ok())
        hungUp_.store(false, std::memory_order_release);
    return opened;
}

void TrainerSim::Post(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(fn));
}

void TrainerSim::RunPosted() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(postedMutex_);
        work.swap(posted_);
    }
    for (auto& fn : work)
        fn();
}

void TrainerSim::Step(int pollMs) {
    RunPosted();
    if (hangUpRequest_.exchange(false, std::memory_order_acq_rel))
        HangUp();
    const SimTime before = SimClock::now();
    if (const SimTime due = protocol_.NextDue(); due != SimTime::max()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - before).count();
        pollMs = static_cast<int>(std::clamp<long long>(wait, 0, pollMs));
    }
    const int fd = pty_.MasterFd();
    if (fd >= 0) {
        struct pollfd p {
            fd, POLLIN, 0
        };
        if (::poll(&p, 1, pollMs) > 0 && (p.revents & POLLIN) != 0) {
            std::uint8_t chunk[kReadChunk];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0)
                protocol_.OnBytes({chunk, static_cast<std::size_t>(n)}, SimClock::now());
        }
    } else if (pollMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    protocol_.Tick(SimClock::now());
}

void TrainerSim::Start() {
    if (thread_.joinable())
        return;
    stop_.store(false, std::memory_order_release);
    thread_ = std::thread([this] {
        while (!stop_.load(std::memory_order_acquire))
            Step(kThreadPollMs);
    });
}

void TrainerSim::Stop() {
    stop_.store(true, std::memory_order_release);
    if (thread_.joinable())
        thread_.join();
}

} // namespace crvl::sim
