#include "config/core/link_state.h"

#include <cstdio>
#include <cstring>

namespace crvl {
namespace {

std::string Str(std::string_view text) {
    return std::string(text);
}

bool IsOneOf(LinkState state, std::initializer_list<LinkState> states) {
    for (LinkState s : states) {
        if (state == s) {
            return true;
        }
    }
    return false;
}

// Shortest payload of each message the tool understands; a shorter message
// is ignored rather than read past its end.
constexpr std::size_t kParametersReplySize = 1 + ParameterRecord::kSize;
constexpr std::size_t kVersionReplySize = 1 + kVersionSize;
constexpr std::size_t kSlotReplySize = 2 + SlotInfo::kSize;
constexpr std::size_t kMonitorReportSize = 1 + MonitorRecord::kSize;
constexpr std::size_t kOneByteReplySize = 2;

} // namespace

LinkMachine::LinkMachine(ILink& link, ConfigView& view, LinkNotify notify)
    : link_(link), view_(view), notify_(std::move(notify)) {}

void LinkMachine::Send(const Bytes& payload) {
    link_.Send(payload);
}

void LinkMachine::SetWaitCursor(bool on) {
    if (waitCursor_ != on) {
        waitCursor_ = on;
        view_.SetWaitCursor(on);
    }
}

void LinkMachine::Tick() {
    // A quiet time holds every other step, as the trainer needs it.
    if (waitTicks_ > 0) {
        if (--waitTicks_ == 0) {
            FinishWait();
        }
        return;
    }
    switch (state_) {
    case LinkState::Idle:
        ticks_ = 0;
        connected_ = false;
        SetWaitCursor(false);
        break;
    case LinkState::Search:
        TickSearch();
        break;
    case LinkState::RequestParameters:
        connected_ = false;
        Send(MakeReadParameters());
        ticks_ = 0;
        state_ = LinkState::AwaitParameters;
        break;
    case LinkState::AwaitParameters:
        TickAwaitParameters();
        break;
    case LinkState::RequestVersion:
        state_ = LinkState::AwaitVersion;
        ticks_ = 0;
        versionReceived_ = false;
        Send(MakeReadVersion());
        break;
    case LinkState::Connected:
        TickConnected();
        break;
    case LinkState::AwaitVersion:
        TickAwaitVersion();
        break;
    case LinkState::SendParameters:
        Send(MakeWriteParameters(parameters_));
        ticks_ = kWriteSendTicks;
        state_ = LinkState::AwaitResult;
        break;
    case LinkState::UploadSent:
        ticks_ = 0;
        state_ = LinkState::AwaitResult;
        break;
    case LinkState::AwaitResult:
        TickAwaitResult();
        break;
    case LinkState::AwaitSlot1:
        TickAwaitSlot(1);
        break;
    case LinkState::AwaitSlot2:
        TickAwaitSlot(2);
        break;
    case LinkState::AwaitSlot3:
        TickAwaitSlot(3);
        break;
    case LinkState::AwaitReadBack:
        TickAwaitReadBack();
        break;
    }
}

void LinkMachine::TickSearch() {
    SetWaitCursor(true);
    ++portCounter_;
    if (portCounter_ > lastPort_) {
        state_ = LinkState::Idle;
        SetWaitCursor(false);
        view_.SetConnectionLamp(LampColour::Red, LampLight::Lit);
        view_.RunLater([this] { NotFound(); });
        return;
    }
    char status[32];
    std::snprintf(status, sizeof status, "Trying COM%d...", portCounter_);
    view_.SetStatusText(status);
    if (link_.Open(portCounter_, notify_) == 1) {
        attempts_ = 0;
        state_ = LinkState::RequestParameters;
    } else if (accessAdvice_.empty()) {
        accessAdvice_ = link_.AccessAdvice(portCounter_);
    }
}

void LinkMachine::NotFound() {
    // The state is already Idle, so ticks arriving while the question is
    // open do nothing.
    std::string question = Str(text::kNotFound);
    if (!accessAdvice_.empty())
        question += "\n\n" + accessAdvice_;
    const Answer answer = view_.Ask(question, Str(text::kNotFoundCaption),
                                    Question::AbortRetryIgnore, MessageIcon::Error);
    if (answer == Answer::Retry) {
        accessAdvice_.clear();
        portCounter_ = firstPort_ - 1;
        state_ = LinkState::Search;
    } else if (answer == Answer::Abort) {
        Exit();
    }
    view_.SetStatusText("");
}

void LinkMachine::TickAwaitParameters() {
    if (connected_) {
        state_ = LinkState::RequestVersion;
        return;
    }
    ++ticks_;
    if (ticks_ >= kParametersReplyTicks) {
        if (attempts_ >= kParametersRetries) {
            link_.Close();
            state_ = LinkState::Search;
        } else {
            ++attempts_;
            state_ = LinkState::RequestParameters;
        }
    }
}

void LinkMachine::TickConnected() {
    ++ticks_;
    if (ticks_ >= kPingCycleTicks) {
        ticks_ = 0;
        ShowBattery();
        if (alive_) {
            ConnectedView();
        } else {
            DisconnectedView();
        }
        alive_ = false;
        Send(MakePing());
    } else if (ticks_ == kBatteryTick) {
        batteryRaw_ = 0;
        batteryReceived_ = false;
        Send(MakeReadBattery());
    }
}

void LinkMachine::TickAwaitVersion() {
    ++ticks_;
    if (ticks_ < kVersionReplyTicks) {
        return;
    }
    state_ = LinkState::Connected;
    ticks_ = kPingCycleTicks;
    if (versionReceived_) {
        view_.SetStatusText(VersionText(version_));
    }
    view_.ShowParameters(parameters_);
    ConnectedView();
    batteryRaw_ = 0;
    batteryReceived_ = false;
    Send(MakeReadBattery());
}

void LinkMachine::TickAwaitResult() {
    ++ticks_;
    if (ticks_ < kResultReplyTicks) {
        return;
    }
    if (result_ == kNoResult) {
        if (ticks_ < resultWaitTicks_) {
            return;
        }
        // A missing Result does not mean the trainer did not store it.
        StartReadBack();
        return;
    }
    ReportWrite(result_ == msg::kResultSuccess);
}

void LinkMachine::StartReadBack() {
    state_ = LinkState::AwaitReadBack;
    ticks_ = 0;
    readBackMatched_ = false;
    readBackAnswered_ = false;
    Send(pending_ == Pending::Parameters ? MakeReadParameters() : MakeReadSlotInfo(uploadSlot_));
}

void LinkMachine::TickAwaitReadBack() {
    ++ticks_;
    if (result_ != kNoResult) {
        ReportWrite(result_ == msg::kResultSuccess);
    } else if (readBackMatched_) {
        storedByReadBack_ = true;
        ReportWrite(true);
    } else if (ticks_ >= kReadBackTicks) {
        ReportWrite(false);
    }
}

void LinkMachine::ReadBackReply(std::uint8_t code, const std::uint8_t* payload,
                                std::size_t length) {
    if (pending_ == Pending::Parameters && code == msg::kParametersReply &&
        length >= kParametersReplySize) {
        readBackAnswered_ = true;
        readBackMatched_ =
            *ParameterRecord::Decode({payload + 1, ParameterRecord::kSize}) == parameters_;
    } else if (pending_ == Pending::Scenario && code == msg::kSlotReply &&
               length >= kSlotReplySize && payload[1] == kArgOffset + uploadSlot_) {
        readBackAnswered_ = true;
        readBackMatched_ = *SlotInfo::Decode({payload + 2, SlotInfo::kSize}) == uploaded_;
    }
}

void LinkMachine::ReportWrite(bool stored) {
    ticks_ = kPingCycleTicks;
    state_ = LinkState::Connected;
    if (!stored) {
        // The change waits for the next Update and the exit question; a
        // failed write never ends the program, not even a later one.
        if (pending_ == Pending::Parameters) {
            changed_ = true;
        }
        exitAfterWrite_ = false;
        view_.RunLater([this] {
            view_.ShowMessage(Str(text::kUpdateFailed), Str(text::kUpdateFailedCaption),
                              MessageIcon::Exclamation);
        });
        return;
    }
    view_.RunLater([this] {
        view_.ShowMessage(Str(text::kUpdated), Str(text::kUpdatedCaption),
                          MessageIcon::Information);
        view_.EnableButton(ConfigButton::Update, false);
        if (exitAfterWrite_) {
            Exit();
        }
    });
}

void LinkMachine::TickAwaitSlot(int slot) {
    if (slotReceived_[Index(slot)]) {
        ticks_ = 0;
        if (slot < kSlotCount) {
            state_ = static_cast<LinkState>(static_cast<int>(state_) + 1);
            Send(MakeReadSlotInfo(slot + 1));
            return;
        }
        alive_ = true;
        state_ = LinkState::Connected;
        view_.RunLater([this] { view_.RunUploadDialog(); });
        return;
    }
    // A lost reply must not freeze the tool: give up and go back to the
    // connected state, which pings again on its next tick.
    if (++ticks_ >= kSlotReplyTicks) {
        alive_ = true;
        ticks_ = kPingCycleTicks;
        state_ = LinkState::Connected;
        SetWaitCursor(false);
        view_.EnableButton(ConfigButton::CustomScenarios, true);
        view_.RunLater([this] {
            view_.ShowMessage(Str(text::kSlotTimeout), Str(text::kSlotTimeoutCaption),
                              MessageIcon::Exclamation);
        });
    }
}

void LinkMachine::Dispatch() {
    std::uint8_t buffer[kMaxPayload];
    const std::size_t length = link_.Receive(buffer);
    if (length == 0) {
        if (IsOneOf(state_, {LinkState::RequestParameters, LinkState::AwaitParameters,
                             LinkState::RequestVersion, LinkState::AwaitVersion})) {
            LostInHandshake();
            return;
        }
        view_.SetConnectionLamp(LampColour::Blue, LampLight::Lit);
        return;
    }
    const std::uint8_t code = buffer[0];
    const bool connectedState = state_ == LinkState::Connected;
    if (code == msg::kAlive && connectedState) {
        alive_ = true;
    } else if (code == msg::kParametersReply &&
               IsOneOf(state_, {LinkState::RequestParameters, LinkState::AwaitParameters})) {
        if (length >= kParametersReplySize) {
            parameters_ = *ParameterRecord::Decode({buffer + 1, ParameterRecord::kSize});
            connected_ = true;
        }
    } else if (code == msg::kVersion && state_ == LinkState::AwaitVersion) {
        if (length >= kVersionReplySize) {
            std::memcpy(version_.data(), buffer + 1, kVersionSize);
            versionReceived_ = true;
        }
    } else if (state_ == LinkState::AwaitReadBack && code != msg::kResult) {
        ReadBackReply(code, buffer, length);
    } else if (code == msg::kSlotReply &&
               IsOneOf(state_,
                       {LinkState::AwaitSlot1, LinkState::AwaitSlot2, LinkState::AwaitSlot3})) {
        const int expected = static_cast<int>(state_) - static_cast<int>(LinkState::AwaitSlot1) + 1;
        SlotReply(expected, buffer, length);
    } else if (code == msg::kBattery && connectedState) {
        if (length >= kOneByteReplySize) {
            batteryRaw_ = buffer[1];
            batteryReceived_ = true;
        }
    } else if (code == msg::kMonitorReport && connectedState) {
        if (length >= kMonitorReportSize) {
            monitor_ = *MonitorRecord::Decode({buffer + 1, MonitorRecord::kSize});
            ++monitorReports_;
            if (monitorObserver_ != nullptr)
                monitorObserver_->MonitorReport(monitor_);
        }
    } else if (code == msg::kResult &&
               IsOneOf(state_, {LinkState::SendParameters, LinkState::UploadSent,
                                LinkState::AwaitResult, LinkState::AwaitReadBack})) {
        if (length >= kOneByteReplySize) {
            result_ = buffer[1];
        }
    } else if (code == msg::kAttachedReport && connectedState) {
        if (length >= kOneByteReplySize) {
            AttachedReport(buffer[1]);
        }
    } else if (code == msg::kShockEvent && connectedState) {
        shock_ = true;
        if (monitorObserver_ != nullptr)
            monitorObserver_->ShockEvent();
    }
}

void LinkMachine::SlotReply(int expectedSlot, const std::uint8_t* payload, std::size_t length) {
    if (length < kSlotReplySize) {
        return;
    }
    SlotInfo& info = slotInfo_[Index(expectedSlot)];
    slotMismatch_[Index(expectedSlot)] = payload[1] != kArgOffset + expectedSlot;
    if (!slotMismatch_[Index(expectedSlot)]) {
        info = *SlotInfo::Decode({payload + 2, SlotInfo::kSize});
    } else {
        // The name shows the user which slot went wrong; the rest of the
        // slot keeps what it held.
        std::memcpy(info.name.data(), text::kDownloadError.data(), text::kDownloadError.size());
        info.name[text::kDownloadError.size()] = 0;
    }
    slotReceived_[Index(expectedSlot)] = true;
}

void LinkMachine::AttachedReport(std::uint8_t value) {
    trainerDetached_ = value == kOff;
    view_.SetMonitorConnected(false);
    if (value == kOff) {
        DisconnectedView();
    } else if (value == kOn) {
        ConnectedView();
    }
}

bool LinkMachine::TakeShock() {
    const bool shock = shock_;
    shock_ = false;
    return shock;
}

void LinkMachine::LostInHandshake() {
    // Nothing was connected yet: the tool goes back to where Connect
    // starts a new search.
    DisconnectedView();
    link_.Close();
    state_ = LinkState::Idle;
    SetWaitCursor(false);
    view_.SetConnectButtonText(Str(text::kConnect));
    view_.SetStatusText(Str(text::kLostInHandshake));
}

void LinkMachine::ConnectPressed() {
    // The line is still being let go (or the monitor is about to open); a
    // new search would open the port that is about to close.
    if (Waiting()) {
        return;
    }
    if (state_ == LinkState::Connected) {
        Disconnect();
    } else {
        StartSearch();
    }
}

void LinkMachine::StartSearch(int firstPort, int lastPort) {
    view_.SetConnectionLamp(LampColour::Yellow, LampLight::Lit);
    firstPort_ = firstPort;
    lastPort_ = lastPort;
    portCounter_ = firstPort - 1;
    accessAdvice_.clear();
    trainerDetached_ = false;
    state_ = LinkState::Search;
}

void LinkMachine::Disconnect() {
    state_ = LinkState::Idle;
    Send(MakeSetAttached(false));
    ClearBattery();
    StartWait(kDisconnectWaitTicks, AfterWait::CloseLine);
}

void LinkMachine::StartWait(int ticks, AfterWait then) {
    waitTicks_ = ticks;
    afterWait_ = then;
}

void LinkMachine::FinishWait() {
    switch (afterWait_) {
    case AfterWait::CloseLine:
        link_.Close();
        DisconnectedByUserView();
        break;
    case AfterWait::EndProgram:
        link_.Close();
        view_.EndDialog();
        break;
    case AfterWait::OpenMonitor:
        Send(MakeSetMonitorReports(true));
        monitorOpen_ = true;
        // The monitor dialog is modal: opened from inside a tick it would
        // hold the timer that keeps the connection alive underneath it.
        view_.RunLater([this] { OpenMonitor(); });
        break;
    }
}

void LinkMachine::MarkChanged() {
    if (state_ != LinkState::Connected) {
        return;
    }
    view_.EnableButton(ConfigButton::Update, true);
    changed_ = true;
}

void LinkMachine::CollectAndWrite() {
    if (!changed_) {
        return;
    }
    changed_ = false;
    result_ = kNoResult;
    storedByReadBack_ = false;
    readBackAnswered_ = false;
    pending_ = Pending::Parameters;
    parameters_ = view_.CollectParameters();
    state_ = LinkState::SendParameters;
}

void LinkMachine::LoadDefaults() {
    parameters_ = DefaultParameters();
    view_.ShowParameters(parameters_);
    MarkChanged();
    CollectAndWrite();
}

void LinkMachine::Exit() {
    if (Waiting() && afterWait_ == AfterWait::EndProgram) {
        return; // already leaving
    }
    if (changed_) {
        const Answer answer = view_.Ask(Str(text::kExitQuestion), Str(text::kDialogCaption),
                                        Question::YesNoCancel, MessageIcon::Exclamation);
        if (answer == Answer::Cancel) {
            return;
        }
        if (answer == Answer::Yes) {
            exitAfterWrite_ = true;
            CollectAndWrite();
            return;
        }
    }
    Leave();
}

void LinkMachine::Leave() {
    if (Waiting() && afterWait_ == AfterWait::EndProgram) {
        return; // already leaving
    }
    leaving_ = true;
    Send(MakeSetAttached(false));
    // Also ends a quiet time already running: the port closes once, after
    // this one.
    StartWait(kExitWaitTicks, AfterWait::EndProgram);
}

void LinkMachine::StartSlotRead() {
    SetWaitCursor(true);
    view_.EnableButton(ConfigButton::CustomScenarios, false);
    slotReceived_ = {};
    slotMismatch_ = {};
    ticks_ = 0;
    state_ = LinkState::AwaitSlot1;
    Send(MakeReadSlotInfo(1));
}

void LinkMachine::Upload(int slot, std::string_view name, const ScenarioTable& table) {
    result_ = kNoResult;
    storedByReadBack_ = false;
    readBackAnswered_ = false;
    pending_ = Pending::Scenario;
    uploadSlot_ = slot;
    uploaded_ = SlotInfo{};
    uploaded_.SetName(name);
    uploaded_.table = table;
    Send(MakeUploadScenario(slot, name, table));
    state_ = LinkState::UploadSent;
}

void LinkMachine::RunMonitor() {
    if (!connected_ || Waiting() || monitorOpen_) {
        return;
    }
    Send(MakeSetAttached(false));
    StartWait(kMonitorWaitTicks, AfterWait::OpenMonitor);
}

void LinkMachine::OpenMonitor() {
    view_.RunMonitorDialog();
    Send(MakeSetMonitorReports(false));
    monitorOpen_ = false;
    if (!leaving_) {
        Send(MakeSetAttached(true));
    }
}

void LinkMachine::ConnectedView() {
    // A message that arrived before the line failed is no sign of life.
    if (link_.LineDead()) {
        DisconnectedView();
        return;
    }
    view_.SetConnectButtonText(Str(text::kDisconnect));
    view_.EnableButton(ConfigButton::CustomScenarios, true);
    view_.EnableButton(ConfigButton::LoadDefaults, true);
    if (!monitorOpen_) {
        Send(MakeSetAttached(true));
    }
    view_.SetConnectionLamp(LampColour::Green, LampLight::Lit);
    trainerDetached_ = false;
    view_.SetMonitorConnected(true);
    alive_ = true;
    SetWaitCursor(false);
    connected_ = true;
}

void LinkMachine::DisconnectedView() {
    // A failed line stays blue until the user connects again; yellow means
    // the trainer does not answer on a line that still works.
    view_.SetConnectionLamp(link_.LineDead() ? LampColour::Blue : LampColour::Yellow,
                            LampLight::Lit);
    ClearBattery();
    connected_ = false;
    view_.SetMonitorConnected(false);
    view_.CloseUploadDialog();
    alive_ = false;
    view_.EnableButton(ConfigButton::CustomScenarios, false);
    view_.EnableButton(ConfigButton::Update, false);
    view_.EnableButton(ConfigButton::LoadDefaults, false);
}

void LinkMachine::DisconnectedByUserView() {
    view_.SetConnectButtonText(Str(text::kConnect));
    view_.SetConnectionLamp(LampColour::Red, LampLight::Lit);
    view_.EnableButton(ConfigButton::Update, false);
    view_.EnableButton(ConfigButton::CustomScenarios, false);
    view_.EnableButton(ConfigButton::LoadDefaults, false);
    changed_ = false;
}

void LinkMachine::ShowBattery() {
    view_.SetBatteryText(BatteryText(batteryRaw_));
    view_.SetBatteryLamp(BatteryColour(batteryRaw_), LampLight::Lit);
}

LampColour LinkMachine::BatteryColour(std::uint8_t raw) {
    const float volts = static_cast<float>(raw) * kBatteryVoltsPerStep;
    if (volts > kBatteryOkVolts) {
        return LampColour::Green;
    }
    if (volts > kBatteryLowVolts) {
        return LampColour::Yellow;
    }
    return LampColour::Red;
}

void LinkMachine::ClearBattery() {
    batteryRaw_ = 0;
    ShowBattery();
    view_.SetBatteryLamp(LampColour::Red, LampLight::Off);
}

std::string LinkMachine::VersionText(const std::array<std::uint8_t, kVersionSize>& version) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "SW-Ver: %d.%d\r\nHW-Ver: %.2d", version[0], version[1],
                  version[2]);
    return buffer;
}

std::string LinkMachine::BatteryText(std::uint8_t raw) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f V", static_cast<double>(raw * kBatteryVoltsPerStep));
    return buffer;
}

} // namespace crvl
