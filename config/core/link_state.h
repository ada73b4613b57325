// The connection logic of the configuration tool: finds the trainer on
// COM1..COM16, shakes hands, watches the connection with pings, and
// sequences parameter writes, slot reads and uploads. The dialog's 200 ms
// timer calls Tick; every link notification becomes one Dispatch on the
// dialog thread. The machine reaches the dialog only through ConfigView.
// Where the trainer needs quiet time between messages the machine waits a
// number of ticks and never blocks the thread that steps it.
#pragma once

#include "config/core/config_view.h"
#include "link/trainer_link.h"
#include "protocol/trainer_messages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace crvl {

enum class LinkState : std::uint8_t {
    Idle = 0,
    Search = 1,
    RequestParameters = 2,
    AwaitParameters = 3,
    RequestVersion = 4,
    Connected = 5,
    AwaitVersion = 6,
    SendParameters = 7,
    UploadSent = 8,
    AwaitResult = 9,
    AwaitSlot1 = 10,
    AwaitSlot2 = 11,
    AwaitSlot3 = 12,
    // No Result came in time: what the trainer holds is read back.
    AwaitReadBack = 13,
};

// Texts the connection logic shows.
namespace text {
inline constexpr std::string_view kNotFound =
    "The Corvel could not be found at COM ports 1..16. The cause is probably:\n\n"
    "a) The Corvel is not turned on.\n"
    "b) The Corvel is not connected to any COM port.\n"
    "c) Another application is using the port.\n\n"
    "Click 'Abort' to exit this application. 'Retry' to retry connection.\n"
    "'Ignore' to run without Corvel connected.";
inline constexpr std::string_view kNotFoundCaption = "Corvel Not Found";
inline constexpr std::string_view kUpdated =
    "The new configuration was successfully\ntransferred to the Corvel.";
inline constexpr std::string_view kUpdatedCaption = "Corvel Updated";
inline constexpr std::string_view kUpdateFailed = "Configuration update failed !";
inline constexpr std::string_view kUpdateFailedCaption = "Update Failed";
inline constexpr std::string_view kExitQuestion =
    "Do you want to update the configuration changes to the Corvel ?";
inline constexpr std::string_view kDialogCaption = "Corvel Configuration";
inline constexpr std::string_view kSlotTimeout = "The Corvel did not send its custom scenarios.\n"
                                                 "Please check the connection and try again.";
inline constexpr std::string_view kSlotTimeoutCaption = "Custom Scenarios";
inline constexpr std::string_view kDownloadError = "Download Error";
inline constexpr std::string_view kLostInHandshake =
    "The Corvel was lost while connecting.\r\nPress Connect to search again.";
inline constexpr std::string_view kConnect = "Connect";
inline constexpr std::string_view kDisconnect = "Disconnect";
} // namespace text

inline constexpr int kLastPort = 16;
// The trainer reports its battery in steps of 40 mV; above kBatteryOkVolts
// the lamp is green, above kBatteryLowVolts yellow, else red.
inline constexpr float kBatteryVoltsPerStep = 0.04f;
inline constexpr float kBatteryOkVolts = 8.0f;
inline constexpr float kBatteryLowVolts = 7.0f;
// Result() before the trainer's Result has arrived; the trainer never
// sends this byte.
inline constexpr std::uint8_t kNoResult = 0xFF;
inline constexpr int kTickMs = 200;
inline constexpr int kPingCycleTicks = 20;
inline constexpr int kBatteryTick = 18;
// Ticks a slot read waits for each SlotReply before giving up.
inline constexpr int kSlotReplyTicks = 10;
// The trainer's quiet times: after SetAttached off it needs these before
// the port closes (which discards what it has not read yet) or before it
// takes SetMonitorReports on.
inline constexpr int kExitPauseMs = 200;
inline constexpr int kDisconnectPauseMs = 500;
inline constexpr int kMonitorPauseMs = 2500;
// Ticks that cover a quiet time. The first tick may come at once after the
// wait began, so it does not count.
constexpr int WaitTicks(int milliseconds) {
    return (milliseconds + kTickMs - 1) / kTickMs + 1;
}
inline constexpr int kExitWaitTicks = WaitTicks(kExitPauseMs);
inline constexpr int kDisconnectWaitTicks = WaitTicks(kDisconnectPauseMs);
inline constexpr int kMonitorWaitTicks = WaitTicks(kMonitorPauseMs);
// Ticks of the handshake: ReadParameters is sent up to three times, two
// ticks apart; the version reply gets two ticks; a write or an upload gets
// four ticks for its Result, a parameter write two of them before it is sent.
inline constexpr int kParametersReplyTicks = 2;
inline constexpr int kParametersRetries = 2;
inline constexpr int kVersionReplyTicks = 2;
inline constexpr int kResultReplyTicks = 4;
inline constexpr int kWriteSendTicks = 2;
// Ticks the read-back of a write or upload whose Result did not come waits
// for the trainer's record or slot (a late Result is taken as well).
inline constexpr int kReadBackTicks = 10;

// Told of every monitor report and shock as the dispatcher takes it, before
// the scenario monitor rewrites anything (the session log listens here).
class MonitorObserver {
public:
    virtual ~MonitorObserver() = default;
    virtual void MonitorReport(const MonitorRecord& record) = 0;
    virtual void ShockEvent() = 0;
};

class LinkMachine {
public:
    // notify is handed to the link at every Open; it must arrange one
    // Dispatch on the dialog thread per call.
    LinkMachine(ILink& link, ConfigView& view, LinkNotify notify);

    // One step; called every 200 ms.
    void Tick();
    // Takes one received message out of the link and acts on it.
    void Dispatch();

    // The Connect button: disconnects in the connected state, otherwise
    // (re)starts the search at COM1.
    void ConnectPressed();
    // Searches COM1..COM16; a command line may name one port or a range.
    void StartSearch(int firstPort = 1, int lastPort = kLastPort);
    // SetAttached off at once; the port closes kDisconnectWaitTicks later.
    void Disconnect();

    // Parameters: every user change, the Update button, Load Defaults.
    void MarkChanged();
    void CollectAndWrite();
    void LoadDefaults();

    // Exit button, Escape, window close, Abort in the "not found" question.
    // The program ends kExitWaitTicks later.
    void Exit();
    // The program must end now (a signal): the exit procedure without its
    // question; an open scenario monitor no longer attaches the trainer
    // again when it closes.
    void Leave();

    // Custom scenarios: reads slots 1..3, then runs the upload dialog; the
    // upload dialog sends the chosen scenario with Upload.
    void StartSlotRead();
    void Upload(int slot, std::string_view name, const ScenarioTable& table);

    // The scenario monitor; does nothing unless connected. SetAttached off
    // at once; kMonitorWaitTicks later the monitor dialog opens.
    void RunMonitor();

    // Views the logic switches between.
    void ConnectedView();
    void DisconnectedView();
    void DisconnectedByUserView();
    void ShowBattery();
    void ClearBattery();

    LinkState State() const { return state_; }
    int PortCounter() const { return portCounter_; }
    // What the search found about a port this user may not use (see
    // ILink::AccessAdvice); empty when every failed port was missing or
    // busy. The not-found question adds it to its text.
    const std::string& AccessAdvice() const { return accessAdvice_; }
    int Ticks() const { return ticks_; }
    // A quiet time is running: ticks do nothing else until it is over.
    bool Waiting() const { return waitTicks_ > 0; }
    bool Connected() const { return connected_; }
    bool Changed() const { return changed_; }
    bool Alive() const { return alive_; }
    bool WaitCursor() const { return waitCursor_; }
    bool MonitorOpen() const { return monitorOpen_; }
    bool ExitAfterWrite() const { return exitAfterWrite_; }
    // Ticks a write or an upload waits for its Result before what the
    // trainer holds is read back; the dialog's kResultReplyTicks at least.
    // A Result that comes within the dialog's ticks is still taken after
    // them, as the dialog does; a later one at once.
    void SetResultWaitTicks(int ticks) { resultWaitTicks_ = std::max(ticks, kResultReplyTicks); }
    // The last write or upload was reported stored because the read-back
    // showed it, not because its Result said so.
    bool StoredByReadBack() const { return storedByReadBack_; }
    // The trainer answered the last read-back, with something else than
    // what was sent.
    bool ReadBackMismatch() const { return readBackAnswered_ && !readBackMatched_; }
    bool VersionReceived() const { return versionReceived_; }
    // The trainer's AttachedReport off (its remote control or buttons) was
    // the last word on the attachment: it let the tool go, it was not lost.
    bool TrainerDetached() const { return trainerDetached_; }
    std::uint8_t Result() const { return result_; }
    std::uint8_t BatteryRaw() const { return batteryRaw_; }
    // A Battery reply arrived since the last ReadBattery.
    bool BatteryReceived() const { return batteryReceived_; }
    const std::array<std::uint8_t, kVersionSize>& Version() const { return version_; }
    const ParameterRecord& Parameters() const { return parameters_; }
    const MonitorRecord& Monitor() const { return monitor_; }
    // MonitorReports taken since the machine was made.
    std::uint32_t MonitorReports() const { return monitorReports_; }
    // The scenario monitor rewrites the rhythm code while it shows a shock;
    // the next MonitorReport restores it.
    MonitorRecord& Monitor() { return monitor_; }
    bool SlotReceived(int slot) const { return slotReceived_[Index(slot)]; }
    const SlotInfo& Slot(int slot) const { return slotInfo_[Index(slot)]; }
    // The reply for this slot carried another slot's number ("Download Error").
    bool SlotMismatch(int slot) const { return slotMismatch_[Index(slot)]; }
    // Set by ShockEvent; the scenario monitor clears it when it has shown it.
    bool TakeShock();
    // Null for none.
    void SetMonitorObserver(MonitorObserver* observer) { monitorObserver_ = observer; }

    static std::string VersionText(const std::array<std::uint8_t, kVersionSize>& version);
    static std::string BatteryText(std::uint8_t raw);
    // Green above 8.0 V, yellow above 7.0 V, red otherwise.
    static LampColour BatteryColour(std::uint8_t raw);

private:
    // What follows a quiet time.
    enum class AfterWait : std::uint8_t { CloseLine, EndProgram, OpenMonitor };
    // What a Result answers, and so what a read-back compares.
    enum class Pending : std::uint8_t { Parameters, Scenario };

    static std::size_t Index(int slot) { return static_cast<std::size_t>(slot - 1); }

    void StartWait(int ticks, AfterWait then);
    void FinishWait();
    void OpenMonitor();
    void TickSearch();
    void TickAwaitParameters();
    void TickConnected();
    void TickAwaitVersion();
    void TickAwaitResult();
    void StartReadBack();
    void TickAwaitReadBack();
    void ReportWrite(bool stored);
    void ReadBackReply(std::uint8_t code, const std::uint8_t* payload, std::size_t length);
    void TickAwaitSlot(int slot);
    void NotFound();
    void SlotReply(int expectedSlot, const std::uint8_t* payload, std::size_t length);
    void AttachedReport(std::uint8_t value);
    void LostInHandshake();
    void SetWaitCursor(bool on);
    void Send(const Bytes& payload);

    ILink& link_;
    ConfigView& view_;
    LinkNotify notify_;

    LinkState state_ = LinkState::Idle;
    int portCounter_ = 0;
    std::string accessAdvice_;
    int firstPort_ = 1;
    int lastPort_ = kLastPort;
    int ticks_ = 0;
    int attempts_ = 0;
    int waitTicks_ = 0;
    AfterWait afterWait_ = AfterWait::CloseLine;
    bool connected_ = false;
    bool versionReceived_ = false;
    bool trainerDetached_ = false;
    bool alive_ = false;
    bool changed_ = false;
    std::uint8_t result_ = kNoResult;
    bool exitAfterWrite_ = false;
    int resultWaitTicks_ = kResultReplyTicks;
    Pending pending_ = Pending::Parameters;
    int uploadSlot_ = 0;
    SlotInfo uploaded_;
    bool readBackMatched_ = false;
    bool readBackAnswered_ = false;
    bool storedByReadBack_ = false;
    std::array<bool, kSlotCount> slotReceived_{};
    std::array<bool, kSlotCount> slotMismatch_{};
    std::array<SlotInfo, kSlotCount> slotInfo_{};
    bool monitorOpen_ = false;
    bool leaving_ = false;
    bool waitCursor_ = false;
    std::uint8_t batteryRaw_ = 0;
    bool batteryReceived_ = false;
    std::array<std::uint8_t, kVersionSize> version_{};
    ParameterRecord parameters_;
    MonitorRecord monitor_;
    std::uint32_t monitorReports_ = 0;
    bool shock_ = false;
    MonitorObserver* monitorObserver_ = nullptr;
};

} // namespace crvl
