// A program's hold on one trainer (crvlctl's, and each of the classroom's):
// the configuration tool's connection logic (LinkMachine) over the link,
// stepped every 200 ms on this thread as the dialog's timer steps it, with
// every link notification dispatched here. The session is the logic's view:
// it records what the dialog would show (lamps, result boxes, the slot
// read's end) instead of drawing it, so a request waits exactly as long as
// crvlconfig would.
#pragma once

#include "config/core/config_view.h"
#include "config/core/link_state.h"
#include "link/trainer_link.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

// How a request to the trainer ended.
enum class Outcome {
    Done,
    Refused,     // the trainer answered with a Result other than 0
    NotStored,   // no Result; the read-back shows the trainer kept the old
    NoAnswer,    // no reply within the logic's wait
    LineLost,    // the port failed (unplugged, hung up)
    Detached,    // the trainer let the tool go (its remote control or buttons)
    Interrupted, // Ctrl-C
};

// How a search ended.
enum class Search {
    Connected,
    CannotOpen,      // no port of the range could be opened
    NoTrainer,       // ports opened, none answered ReadParameters
    LostInHandshake, // a trainer answered, then its line failed before the handshake's end
    Interrupted,     // Ctrl-C
};

class TrainerSession final : private ConfigView {
public:
    // interrupted is polled between steps (a Ctrl-C flag).
    TrainerSession(ILink& link, std::function<bool()> interrupted);
    ~TrainerSession() override;

    TrainerSession(const TrainerSession&) = delete;
    TrainerSession& operator=(const TrainerSession&) = delete;

    // Searches the ports firstPort..lastPort one per tick, as Connect does.
    Search Connect(int firstPort, int lastPort);
    // The port connected to.
    int Port() const { return machine_.PortCounter(); }
    const LinkMachine& Machine() const { return machine_; }

    // Keeps the connection (pings, battery readings) until done() or the
    // trainer is lost; true while it is still connected. A trainer from
    // which nothing arrived for silenceLimitTicks is lost too: the logic's
    // ping cycle alone notices a silent trainer only after up to two
    // cycles. The limit must exceed the longest quiet stretch of a trainer
    // that answers (kBatteryTick ticks from a ping to the battery reading).
    bool Hold(const std::function<bool()>& done, int silenceLimitTicks);

    // The battery reading that follows the connection.
    Outcome AwaitBattery();
    // Writes the record as the Update button does (nothing else touched).
    Outcome Write(const ParameterRecord& record);
    // Load Defaults: the factory record, written at once.
    Outcome WriteDefaults();
    // Reads custom slots 1..3 (Machine().Slot(n) afterwards).
    Outcome ReadSlots();
    Outcome Upload(int slot, std::string_view name, const ScenarioTable& table);
    // Runs the scenario monitor: the trainer's quiet time, reports on, then
    // step() after every step until the time is up, Ctrl-C, or the trainer
    // goes (LineLost or NoAnswer) or detaches the tool (Detached). A
    // time-out or Ctrl-C ends it as Done. A failed line ends it at once;
    // with silenceLimitTicks, so does a trainer from which nothing arrived
    // for that long (as Hold), rather than when the ping cycle notices.
    Outcome Monitor(std::optional<std::chrono::milliseconds> duration,
                    const std::function<void()>& step,
                    std::optional<int> silenceLimitTicks = std::nullopt);

    // The Connect button in the connected state: SetAttached off, close.
    // The quiet time before the close is waited out even after Ctrl-C.
    void Disconnect();
    // The exit procedure: SetAttached off, close; waited out as Disconnect.
    void Leave();

    // The last write or upload came without its Result and was found stored
    // by reading it back.
    bool StoredByReadBack() const { return machine_.StoredByReadBack(); }
    bool LineLost() const { return lineLost_ || link_.LineDead(); }
    // After a search that opened no port: what a user who may not use a
    // port's device can do; empty when the ports were missing or busy.
    const std::string& AccessAdvice() const { return machine_.AccessAdvice(); }
    // A ShockEvent arrived since the last call.
    bool TakeShock() { return machine_.TakeShock(); }

private:
    using Clock = std::chrono::steady_clock;

    // One wait: dispatches what arrived, ticks when the tick is due.
    void Step();
    // Steps until done() or Ctrl-C; false on Ctrl-C.
    bool RunUntil(const std::function<bool()>& done);
    // As RunUntil, and ends too once the line has failed and everything it
    // delivered before has been dispatched: nothing more can come.
    bool RunUntilDoneOrLineGone(const std::function<bool()>& done);
    // Steps until the machine's quiet time is over; Ctrl-C does not cut it
    // short, as the port's close discards what the trainer has not read.
    void FinishWait();
    Outcome AwaitResult();
    Outcome Failure() const;
    void Notify();

    // ConfigView
    void SetConnectionLamp(LampColour colour, LampLight light) override;
    void SetBatteryLamp(LampColour, LampLight) override {}
    void SetStatusText(const std::string& text) override;
    void SetBatteryText(const std::string&) override { batteryShown_ = true; }
    void SetConnectButtonText(const std::string&) override {}
    void EnableButton(ConfigButton, bool) override {}
    void SetWaitCursor(bool) override {}
    void RunLater(std::function<void()> fn) override { later_.push_back(std::move(fn)); }
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    Answer Ask(const std::string& text, const std::string& caption, Question buttons,
               MessageIcon icon) override;
    void ShowParameters(const ParameterRecord& record) override { shown_ = record; }
    ParameterRecord CollectParameters() override { return shown_; }
    void EndDialog() override {} // the command returns once the wait is over
    void RunUploadDialog() override { slotsRead_ = true; }
    void CloseUploadDialog() override {}
    void RunMonitorDialog() override;
    void SetMonitorConnected(bool connected) override { monitorConnected_ = connected; }

    ILink& link_;
    std::function<bool()> interrupted_;
    LinkMachine machine_;

    std::mutex mutex_;
    std::condition_variable wake_;
    int pending_ = 0; // notifications not yet dispatched
    // Ticks since the link last delivered anything; only the stepping thread.
    int silentTicks_ = 0;
    Clock::time_point nextTick_;
    // What the logic asked to run after the current step (its boxes).
    std::vector<std::function<void()>> later_;

    ParameterRecord shown_;
    std::optional<std::string> message_;
    bool notFound_ = false;
    bool lostInHandshake_ = false; // the logic said so in its status text
    bool lineLost_ = false;
    bool batteryShown_ = false;
    bool slotsRead_ = false;
    bool monitorConnected_ = false;
    bool monitorRan_ = false; // the monitor dialog has opened and closed
    std::optional<std::chrono::milliseconds> monitorDuration_;
    std::optional<int> monitorSilenceLimit_;
    bool monitorLost_ = false; // the line failed or fell silent while monitoring
    const std::function<void()>* monitorStep_ = nullptr;
};

} // namespace crvl
