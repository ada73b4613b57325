// CMonitorDlg: the scenario monitor. Shows the scenario and frame the
// trainer reports, the patient and device conditions as lamp pairs, and an
// ECG curve drawn from built-in waveforms. A 25 ms timer steps the monitor
// logic; the lamps and texts follow every tenth step.
#pragma once

#include "monitor_logic.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QTimer;

namespace crvl {

class CEcgPlot;
class CLedCtrl;
class LinkMachine;

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

private:
    void BuildControls();
    void Apply(const MonitorRefresh& refresh);

    MonitorRecord& record_;
    std::function<bool()> takeShock_;
    bool connected_ = true;
    MonitorStepper stepper_;

    QLineEdit* scenario_ = nullptr;
    QLineEdit* frame_ = nullptr;
    std::array<CLedCtrl*, kMonitorLampCount> lamps_{};
    CEcgPlot* plot_ = nullptr;
    std::optional<Waveform> describedWaveform_; // the chart's accessible description
    QTimer* timer_ = nullptr;
};

// The main dialog's side of the monitor: keeps the monitor's connected flag
// (the views set it whether or not a monitor is open) and runs the monitor
// over the connection logic's record and shock flag.
class MonitorHost {
public:
    // Modal; returns when the user closes the monitor or the connection goes.
    void Run(QWidget* parent, LinkMachine& machine);
    void SetConnected(bool connected);
    CMonitorDlg* OpenMonitor() const { return open_; }

private:
    CMonitorDlg* open_ = nullptr;
    bool connected_ = true;
};

} // namespace crvl
