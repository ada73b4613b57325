// One trainer's tile: its name, port, software, battery and connection
// lamps, the names of its custom slots and, while it is monitored, the
// scenario, frame, the six monitor lamps, the last shock and a small ECG
// strip. For assistive technology the tile is one group named after the
// trainer whose description holds its values as text.
#pragma once

#include "config/classroom/station_state.h"
#include "config/core/monitor_logic.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace crvl {

class CEcgPlot;
class CLedCtrl;

class TrainerTile : public QGroupBox {
    Q_OBJECT
public:
    explicit TrainerTile(QWidget* parent = nullptr);

    void Show(const QString& name, const QString& port, const StationSnapshot& snapshot);
    // One 25 ms step of the ECG strip.
    void StepEcg();
    bool Chosen() const;
    // What the tile says, as its accessible description.
    QString ValuesText() const { return values_; }

Q_SIGNALS:
    void renameRequested();
    void openRequested();

private:
    QLabel* state_;
    QLabel* port_;
    QLabel* version_;
    QLabel* slots_;
    QLabel* monitor_;
    QLabel* result_;
    CLedCtrl* connectionLamp_;
    CLedCtrl* batteryLamp_;
    std::array<CLedCtrl*, 6> lamps_{};
    CEcgPlot* ecg_;
    QCheckBox* chosen_;
    QPushButton* open_;
    MonitorRecord record_;
    std::uint8_t shockFlag_ = 0;
    bool monitoring_ = false;
    MonitorStepper stepper_;
    QString values_;
};

} // namespace crvl
