// CMonitorDlg: the scenario monitor. Shows the scenario and frame the
// trainer reports, the patient and device conditions as lamp pairs, and an
// ECG curve drawn from built-in waveforms. A 25 ms timer steps the monitor
// logic; the lamps and texts follow every tenth step.
#pragma once

#include "config/core/link_state.h"
#include "config/core/monitor_logic.h"
#include "config/session/session_log.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace crvl {

class CEcgPlot;
class CLedCtrl;

class CMonitorDlg : public QDialog {
    Q_OBJECT
public:
    // record: the last monitor report, which the link's dispatcher keeps up
    // to date; takeShock: true once for every ShockEvent.
    CMonitorDlg(MonitorRecord& record, std::function<bool()> takeShock, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    // Cleared when the connection to the trainer is lost; the monitor then
    // closes on its next step.
    void SetConnected(bool connected) { connected_ = connected; }

    // One 25 ms step (the timer calls it; tests call it directly).
    void Step();

    QTimer* StepTimer() const { return timer_; }
    CEcgPlot* Plot() const { return plot_; }
    CLedCtrl* Lamp(MonitorLamp lamp) const { return lamps_[lamp]; }
    QString ScenarioText() const;
    QString FrameText() const;
    Waveform CurrentWaveform() const { return stepper_.CurrentWaveform(); }
    // True once the monitor has closed because the connection went.
    bool ClosedByConnection() const { return closedByConnection_; }

    // A line under the chart (that the session is not being recorded).
    void ShowNotice(const QString& text);
    QString NoticeText() const;

private:
    void BuildControls();
    // The condition lamps, each with its word.
    void BuildLamps();
    void Apply(const MonitorRefresh& refresh);

    MonitorRecord& record_;
    std::function<bool()> takeShock_;
    bool connected_ = true;
    bool closedByConnection_ = false;
    MonitorStepper stepper_;

    QLineEdit* scenario_ = nullptr;
    QLineEdit* frame_ = nullptr;
    std::array<CLedCtrl*, kMonitorLampCount> lamps_{};
    CEcgPlot* plot_ = nullptr;
    QLabel* notice_ = nullptr;
    std::optional<Waveform> describedWaveform_; // the chart's accessible description
    QTimer* timer_ = nullptr;
};

// Test seams of a monitor run; empty members take the program's behaviour.
struct MonitorHooks {
    // Runs the monitor until it closes; by default modally.
    std::function<void(CMonitorDlg&)> runDialog;
    // Shows the run just ended; by default the Session Debrief window.
    std::function<void(QWidget* parent, const std::filesystem::path& log)> showDebrief;
};

// The main dialog's side of the monitor: keeps the monitor's connected flag
// (the views set it whether or not a monitor is open), runs the monitor over
// the connection logic's record and shock flag, keeps the run's session log
// and shows its debrief when the monitor has closed.
class MonitorHost {
public:
    explicit MonitorHost(MonitorHooks hooks = {});

    // Modal; returns when the user closes the monitor or the connection goes.
    void Run(QWidget* parent, LinkMachine& machine);
    void SetConnected(bool connected);
    // The program is ending: a run that closes now shows no debrief.
    void SetLeaving() { leaving_ = true; }
    CMonitorDlg* OpenMonitor() const { return open_; }

    // Where the session logs go: "sessions" under the working directory
    // unless set.
    void SetSessionFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
    std::filesystem::path SessionFolder() const;
    void SetSessionClock(SessionClock clock) { clock_ = std::move(clock); }

private:
    MonitorHooks hooks_;
    std::filesystem::path folder_;
    SessionClock clock_;
    CMonitorDlg* open_ = nullptr;
    bool connected_ = true;
    bool leaving_ = false;
};

} // namespace crvl
