#include "config/driver/trainer_session.h"

namespace crvl {

namespace {
constexpr auto kTick = std::chrono::milliseconds(kTickMs);
// Nobody waits in front of a dialog here: a late Result is worth waiting
// for before the record or slot is read back.
constexpr int kResultWaitTicks = 12;
} // namespace

TrainerSession::TrainerSession(ILink& link, std::function<bool()> interrupted)
    : link_(link), interrupted_(std::move(interrupted)),
      machine_(link, *this, [this] { Notify(); }), nextTick_(Clock::now() + kTick) {
    machine_.SetResultWaitTicks(kResultWaitTicks);
}

TrainerSession::~TrainerSession() {
    // Closing joins the reader thread, so no notification outlives us.
    link_.Close();
}

void TrainerSession::Notify() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++pending_;
    }
    wake_.notify_one();
}

void TrainerSession::Step() {
    int arrived = 0;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, nextTick_, [this] { return pending_ > 0; });
        arrived = pending_;
        pending_ = 0;
    }
    for (int i = 0; i < arrived; ++i)
        machine_.Dispatch();
    if (arrived > 0)
        silentTicks_ = 0;
    const auto now = Clock::now();
    if (now >= nextTick_) {
        // A late tick does not make the next ones come faster.
        nextTick_ = std::max(nextTick_ + kTick, now + kTick / 2);
        ++silentTicks_;
        machine_.Tick();
    }
    // The dialog opens these after the step has returned; so does this.
    while (!later_.empty()) {
        auto fn = std::move(later_.front());
        later_.erase(later_.begin());
        fn();
    }
}

bool TrainerSession::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        if (interrupted_())
            return false;
        Step();
    }
    return true;
}

bool TrainerSession::RunUntilDoneOrLineGone(const std::function<bool()>& done) {
    return RunUntil([&] {
        if (done())
            return true;
        if (!LineLost())
            return false;
        const std::lock_guard<std::mutex> lock(mutex_);
        return pending_ == 0;
    });
}

void TrainerSession::FinishWait() {
    while (machine_.Waiting())
        Step();
}

Search TrainerSession::Connect(int firstPort, int lastPort) {
    // Notifications still pending belong to a link closed since; a new
    // connection starts from what its own port delivers.
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = 0;
    }
    lineLost_ = false;
    notFound_ = false;
    lostInHandshake_ = false;
    silentTicks_ = 0;
    // Nobody has just pressed a button: the search starts at once rather
    // than on the next tick.
    nextTick_ = Clock::now();
    bool opened = false;
    machine_.StartSearch(firstPort, lastPort);
    // A line lost during the handshake ends the search too: the logic goes
    // back to where Connect starts and says so in the status text.
    const bool finished = RunUntil([&] {
        opened = opened || machine_.State() == LinkState::RequestParameters;
        return notFound_ || lostInHandshake_ || machine_.State() == LinkState::Connected;
    });
    if (!finished)
        return Search::Interrupted;
    if (machine_.State() == LinkState::Connected)
        return Search::Connected;
    if (lostInHandshake_)
        return Search::LostInHandshake;
    return opened ? Search::NoTrainer : Search::CannotOpen;
}

Outcome TrainerSession::Failure() const {
    return LineLost() ? Outcome::LineLost : Outcome::NoAnswer;
}

bool TrainerSession::Hold(const std::function<bool()>& done, int silenceLimitTicks) {
    const auto gone = [&] {
        return !machine_.Connected() || LineLost() || silentTicks_ > silenceLimitTicks;
    };
    RunUntil([&] { return gone() || done(); });
    return !gone();
}

Outcome TrainerSession::AwaitBattery() {
    batteryShown_ = false;
    if (!RunUntilDoneOrLineGone([this] { return batteryShown_; }))
        return Outcome::Interrupted;
    return machine_.BatteryReceived() ? Outcome::Done : Failure();
}

Outcome TrainerSession::AwaitResult() {
    if (!RunUntilDoneOrLineGone([this] { return message_.has_value(); }))
        return Outcome::Interrupted;
    if (!message_)
        return Failure();
    if (*message_ == text::kUpdated)
        return Outcome::Done;
    if (machine_.Result() != kNoResult)
        return Outcome::Refused;
    if (machine_.ReadBackMismatch())
        return Outcome::NotStored;
    return Failure();
}

Outcome TrainerSession::Write(const ParameterRecord& record) {
    message_.reset();
    shown_ = record; // what the controls would hold
    machine_.MarkChanged();
    machine_.CollectAndWrite();
    return AwaitResult();
}

Outcome TrainerSession::WriteDefaults() {
    message_.reset();
    machine_.LoadDefaults();
    return AwaitResult();
}

Outcome TrainerSession::ReadSlots() {
    message_.reset();
    slotsRead_ = false;
    machine_.StartSlotRead();
    if (!RunUntilDoneOrLineGone([this] { return slotsRead_ || message_.has_value(); }))
        return Outcome::Interrupted;
    return slotsRead_ ? Outcome::Done : Failure();
}

Outcome TrainerSession::Upload(int slot, std::string_view name, const ScenarioTable& table) {
    message_.reset();
    machine_.Upload(slot, name, table);
    return AwaitResult();
}

Outcome TrainerSession::Monitor(std::optional<std::chrono::milliseconds> duration,
                                const std::function<void()>& step,
                                std::optional<int> silenceLimitTicks) {
    monitorStep_ = &step;
    monitorDuration_ = duration;
    monitorSilenceLimit_ = silenceLimitTicks;
    monitorConnected_ = false;
    monitorRan_ = false;
    monitorLost_ = false;
    machine_.RunMonitor();
    // A line that fails during the trainer's quiet time ends the run there;
    // leaving afterwards replaces the wait for the monitor with its own.
    if (machine_.Waiting())
        RunUntilDoneOrLineGone([this] { return monitorRan_; });
    monitorStep_ = nullptr;
    if (monitorLost_ || (!monitorRan_ && LineLost()))
        return Failure();
    if (monitorConnected_ || interrupted_())
        return Outcome::Done;
    if (!LineLost() && machine_.TrainerDetached())
        return Outcome::Detached;
    return Failure();
}

void TrainerSession::RunMonitorDialog() {
    // The time counts from here, after the quiet time. A trainer that
    // detached the tool during it ends the monitor at once.
    monitorConnected_ = machine_.Connected();
    // The quiet time before was the tool's own: silence counts from here.
    silentTicks_ = 0;
    const auto stop = Clock::now() + monitorDuration_.value_or(std::chrono::milliseconds(0));
    RunUntil([&] {
        if (monitorStep_)
            (*monitorStep_)();
        monitorLost_ = LineLost() || (monitorSilenceLimit_ && silentTicks_ > *monitorSilenceLimit_);
        return monitorLost_ || !monitorConnected_ || (monitorDuration_ && Clock::now() >= stop);
    });
    monitorRan_ = true;
}

void TrainerSession::Disconnect() {
    machine_.Disconnect();
    FinishWait();
}

void TrainerSession::Leave() {
    machine_.Exit();
    FinishWait();
}

void TrainerSession::SetConnectionLamp(LampColour colour, LampLight) {
    // Blue: a notification delivered no message, the port has failed.
    if (colour == LampColour::Blue)
        lineLost_ = true;
}

void TrainerSession::SetStatusText(const std::string& text) {
    if (text == text::kLostInHandshake)
        lostInHandshake_ = true;
}

void TrainerSession::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
    message_ = text;
}

Answer TrainerSession::Ask(const std::string&, const std::string& caption, Question, MessageIcon) {
    // Known by its caption: the text may carry the advice for a port this
    // user may not open.
    if (caption == text::kNotFoundCaption) {
        notFound_ = true;
        return Answer::Ignore; // the command line reports it and leaves
    }
    // Every write is collected before anything else happens, so no change
    // waits when the program leaves.
    return Answer::No;
}

} // namespace crvl
