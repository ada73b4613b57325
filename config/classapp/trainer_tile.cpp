#include "config/classapp/trainer_tile.h"

#include "config/app/ecg_plot.h"
#include "config/app/led_ctrl.h"
#include "config/core/link_state.h"
#include "config/session/session_log.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace crvl {

namespace {
// The six conditions the monitor shows, each by the lamp of its pair that
// speaks for it.
constexpr std::array<MonitorLamp, 6> kTileLamps = {kLampPadsYes,      kLampMotionYes,
                                                   kLampShockableYes, kLampPulseYes,
                                                   kLampFailureYes,   kLampBatteryOk};
constexpr std::array<const char*, 6> kLampNames = {"Pads",  "Motion",  "Shockable",
                                                   "Pulse", "Failure", "Battery"};

QLabel* SmallLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
} // namespace

TrainerTile::TrainerTile(QWidget* parent) : QGroupBox(parent) {
    setMinimumSize(300, 330);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(3);

    auto* top = new QHBoxLayout;
    connectionLamp_ = new CLedCtrl(this);
    connectionLamp_->setAccessibleName(tr("Connection"));
    state_ = SmallLabel(this);
    batteryLamp_ = new CLedCtrl(this);
    batteryLamp_->setAccessibleName(tr("Battery"));
    top->addWidget(connectionLamp_);
    top->addWidget(state_, 1);
    top->addWidget(batteryLamp_);
    layout->addLayout(top);

    port_ = SmallLabel(this);
    version_ = SmallLabel(this);
    slots_ = SmallLabel(this);
    layout->addWidget(port_);
    layout->addWidget(version_);
    layout->addWidget(slots_);

    monitor_ = SmallLabel(this);
    layout->addWidget(monitor_);
    auto* lampRow = new QGridLayout;
    for (std::size_t i = 0; i < lamps_.size(); ++i) {
        lamps_[i] = new CLedCtrl(this);
        lamps_[i]->setAccessibleName(tr(kLampNames[i]));
        auto* caption = new QLabel(tr(kLampNames[i]), this);
        caption->setAlignment(Qt::AlignCenter);
        const int column = static_cast<int>(i);
        lampRow->addWidget(lamps_[i], 0, column, Qt::AlignCenter);
        lampRow->addWidget(caption, 1, column, Qt::AlignCenter);
    }
    layout->addLayout(lampRow);

    ecg_ = new CEcgPlot(this);
    ecg_->setMinimumHeight(70);
    ecg_->SetRange(-1.5, 2.5, 1);
    ecg_->SetXUnits(QString());
    ecg_->SetYUnits(QStringLiteral("mV"));
    ecg_->setAccessibleName(tr("ECG"));
    layout->addWidget(ecg_, 1);

    result_ = SmallLabel(this);
    layout->addWidget(result_);

    auto* buttons = new QHBoxLayout;
    chosen_ = new QCheckBox(tr("Chosen"), this);
    chosen_->setChecked(true);
    chosen_->setToolTip(tr("The class's actions go to the chosen trainers"));
    auto* rename = new QPushButton(tr("Rename..."), this);
    open_ = new QPushButton(tr("Open..."), this);
    open_->setToolTip(tr("This trainer's parameters, upload and monitor in crvlconfig"));
    buttons->addWidget(chosen_);
    buttons->addStretch(1);
    buttons->addWidget(rename);
    buttons->addWidget(open_);
    layout->addLayout(buttons);
    connect(rename, &QPushButton::clicked, this, &TrainerTile::renameRequested);
    connect(open_, &QPushButton::clicked, this, &TrainerTile::openRequested);
}

bool TrainerTile::Chosen() const {
    return chosen_->isChecked();
}

void TrainerTile::Show(const QString& name, const QString& port, const StationSnapshot& s) {
    setTitle(name);
    setAccessibleName(name);
    const QString state =
        QString::fromUtf8(StateText(s.state).data(), static_cast<int>(StateText(s.state).size()));
    state_->setText(QStringLiteral("<b>%1</b>").arg(state.toHtmlEscaped()));
    const bool connected =
        s.state == StationState::Connected || s.state == StationState::Monitoring;
    connectionLamp_->Set(static_cast<int>(connected                       ? LampColour::Green
                                          : s.state == StationState::Lost ? LampColour::Yellow
                                                                          : LampColour::Red),
                         static_cast<int>(LampLight::Lit));
    if (connected && s.battery)
        batteryLamp_->Set(static_cast<int>(LinkMachine::BatteryColour(*s.battery)),
                          static_cast<int>(LampLight::Lit));
    else
        batteryLamp_->Set(static_cast<int>(LampColour::Red), static_cast<int>(LampLight::Off));
    port_->setText(tr("Port: %1").arg(port));
    const QString battery =
        s.battery ? QString::fromStdString(LinkMachine::BatteryText(*s.battery)) : tr("unknown");
    version_->setText(
        tr("Software %1, battery %2")
            .arg(s.version.empty() ? tr("unknown") : QString::fromStdString(s.version), battery));
    QStringList slotTexts;
    for (int i = 0; i < kSlotCount; ++i) {
        const auto& slot = s.slotNames[static_cast<std::size_t>(i)];
        slotTexts << QStringLiteral("C%1 %2").arg(i + 1).arg(
            slot ? QString::fromLatin1(slot->c_str()) : QStringLiteral("?"));
    }
    slots_->setText(slotTexts.join(QStringLiteral(", ")));

    monitoring_ = s.state == StationState::Monitoring && s.monitor.has_value();
    QString monitorText;
    if (s.state == StationState::Monitoring && s.monitor) {
        record_ = *s.monitor;
        if (!s.shockShown)
            shockFlag_ = 1;
        const SessionFields f = FieldsForRecord(*s.monitor);
        monitorText = tr("Scenario %1, frame %2, %3; shocks %4")
                          .arg(QString::fromStdString(f.scenario), QString::fromStdString(f.frame),
                               QString::fromStdString(f.rhythm))
                          .arg(s.shocks);
        const LampLooks looks = LampsForRecord(*s.monitor);
        for (std::size_t i = 0; i < lamps_.size(); ++i) {
            if (const auto& look = looks[kTileLamps[i]])
                lamps_[i]->Set(static_cast<int>(look->colour), static_cast<int>(look->light));
        }
    } else {
        monitorText =
            s.state == StationState::Monitoring ? tr("Monitor starting") : tr("Not monitored");
        for (CLedCtrl* lamp : lamps_)
            lamp->Set(static_cast<int>(LampColour::Red), static_cast<int>(LampLight::Off));
    }
    monitor_->setText(monitorText);

    QString result;
    if (s.lastAction) {
        const auto action = ActionText(*s.lastAction);
        const auto outcome = OutcomeText(s.lastOutcome);
        result =
            tr("%1: %2").arg(QString::fromLatin1(action.data(), static_cast<int>(action.size())),
                             QString::fromLatin1(outcome.data(), static_cast<int>(outcome.size())));
    }
    if (!s.sessionError.empty())
        result += QStringLiteral("\n") + QString::fromStdString(s.sessionError);
    result_->setText(result);
    open_->setEnabled(s.state == StationState::Connected);

    values_ =
        QStringList{state, port_->text(), version_->text(), slots_->text(), monitorText, result}
            .join(QStringLiteral("; "));
    setAccessibleDescription(values_);
}

void TrainerTile::StepEcg() {
    if (!monitoring_)
        return;
    const MonitorTick tick = stepper_.Tick(record_, shockFlag_, true);
    for (int i = 0; i < tick.flatPoints; ++i)
        ecg_->AppendPoint(0.0);
    if (tick.sample)
        ecg_->AppendPoint(*tick.sample);
}

} // namespace crvl
