#include "config/app/parameter_panel.h"

#include "config/app/control_ids.h"
#include "config/app/named_control.h"
#include "config/app/updown_ctrl.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace crvl {

// One parameter: its label, edit box and up-down control.
struct FieldSpec {
    int editId;
    int spinId;
    const char* label;
    const char* tooltip;
    bool numberBuddy;
};

namespace {

// Widths and heights in pixels.
constexpr int kFieldEditWidth = 44;

constexpr FieldSpec kVolumeSpec{ids::kVolumeEdit, ids::kVolumeSpin, "Speaker Volume\n(Loudness)",
                                "Corvel speaker volume", true};
constexpr FieldSpec kScenarioSpec{ids::kScenarioEdit, ids::kScenarioSpin, "Default Scenario",
                                  "Default selected scenario in Corvel", true};
constexpr FieldSpec kShockSeriesSpec{ids::kShockSeriesEdit, ids::kShockSeriesSpin, "Shock Series",
                                     "Number of shocks in series before CPR pause", true};
constexpr FieldSpec kProtocolTimeoutSpec{
    ids::kProtocolTimeoutEdit, ids::kProtocolTimeoutSpin, "Protocol Timeout\n(min)",
    "Time interval used to determine if a shock is counted in current Shock Series", false};
constexpr FieldSpec kCprTimerSpec{ids::kCprTimerEdit, ids::kCprTimerSpin, "CPR Timer (min)",
                                  "Length of CPR Pause period", false};
constexpr FieldSpec kPromptIntervalSpec{
    ids::kPromptIntervalEdit, ids::kPromptIntervalSpin, "Prompt Interval\n(min)",
    "CPR Prompt time interval during Monitoring after No Shock Action", false};
constexpr FieldSpec kTimerPauseSpec{ids::kTimerPauseEdit, ids::kTimerPauseSpin, "(min)",
                                    "Length of Pause after No Shock Action", false};

} // namespace

CParameterPanel::CParameterPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(BuildProtocolBox());
    layout->addWidget(BuildTrainerBox());
    ConnectControls();
    Clear();
}

void CParameterPanel::AddField(const FieldSpec& spec, QGridLayout* grid, int row) {
    const QString label = QString::fromUtf8(spec.label);
    auto* text = new QLabel(label, this);
    auto* edit = Named(new QLineEdit(this), spec.editId, OneLine(label));
    edit->setFixedWidth(kFieldEditWidth);
    auto* spin = new CUpDownCtrl(edit, spec.numberBuddy, this);
    spin->setObjectName(QString::number(spec.spinId));
    spin->SetAccessibleNames(OneLine(label));
    text->setBuddy(edit);
    edit->setToolTip(QString::fromUtf8(spec.tooltip));
    spin->setToolTip(QString::fromUtf8(spec.tooltip));
    auto* box = new QHBoxLayout;
    box->setSpacing(0);
    box->addWidget(edit);
    box->addWidget(spin);
    box->addStretch();
    grid->addWidget(text, row, 0);
    grid->addLayout(box, row, 1);
    fields_[spec.spinId] = Field{edit, spin};
    connect(spin, &CUpDownCtrl::scrolled, this,
            [this, id = spec.spinId](int position) { OnScrolled(id, position); });
}

QGroupBox* CParameterPanel::BuildProtocolBox() {
    auto* aed = new QGroupBox(tr("AED Protocol Parameters"), this);
    auto* aedGrid = new QGridLayout(aed);
    AddField(kShockSeriesSpec, aedGrid, 0);
    AddField(kProtocolTimeoutSpec, aedGrid, 1);
    AddField(kCprTimerSpec, aedGrid, 2);
    AddField(kPromptIntervalSpec, aedGrid, 3);

    auto* nsa = new QGroupBox(tr("NSA Action"), aed);
    auto* nsaGrid = new QGridLayout(nsa);
    nsaMonitor_ = Named(new QRadioButton(tr("Monitor"), nsa), ids::kNsaMonitor, tr("Monitor"));
    nsaTimer_ = Named(new QRadioButton(tr("Timer"), nsa), ids::kNsaTimer, tr("Timer"));
    nsaMonitor_->setToolTip(tr("\"No Shock Action = Monitoring\""));
    nsaTimer_->setToolTip(tr("\"No Shock Action = Timer Pause\""));
    nsaGrid->addWidget(nsaMonitor_, 0, 0);
    nsaGrid->addWidget(nsaTimer_, 1, 0);
    auto* pauseGrid = new QGridLayout;
    AddField(kTimerPauseSpec, pauseGrid, 0);
    fields_[ids::kTimerPauseSpin].edit->setAccessibleName(tr("Timer pause (min)"));
    fields_[ids::kTimerPauseSpin].spin->SetAccessibleNames(tr("Timer pause (min)"));
    nsaGrid->addLayout(pauseGrid, 1, 1);
    aedGrid->addWidget(nsa, 4, 0, 1, 2);

    auto* cprLabel = new QLabel(tr("CPR Prompt"), aed);
    auto* cpr = new QGroupBox(tr("CPR Pause"), aed);
    auto* cprBox = new QHBoxLayout(cpr);
    cprShort_ = Named(new QRadioButton(tr("Short"), cpr), ids::kCprShort, tr("Short"));
    cprLong_ = Named(new QRadioButton(tr("Long"), cpr), ids::kCprLong, tr("Long"));
    cprShort_->setToolTip(tr("\"Paused, If needed begin CPR\""));
    cprLong_->setToolTip(tr("\"Paused, It is safe to touch the patient.Check airway..\""));
    cprBox->addWidget(cprShort_);
    cprBox->addWidget(cprLong_);
    aedGrid->addWidget(cprLabel, 5, 0);
    aedGrid->addWidget(cpr, 5, 1);
    return aed;
}

QGroupBox* CParameterPanel::BuildTrainerBox() {
    auto* trainer = new QGroupBox(tr("Corvel Parameters"), this);
    auto* trainerGrid = new QGridLayout(trainer);
    AddField(kVolumeSpec, trainerGrid, 0);
    AddField(kScenarioSpec, trainerGrid, 1);
    const QString toleranceText = tr(" Pad Attachment Tolerance");
    trainerGrid->addWidget(new QLabel(toleranceText, trainer), 2, 0, 1, 2);
    auto* toleranceRow = new QHBoxLayout;
    auto* minus = new QLabel(QStringLiteral("\u2212"), trainer);
    minus->setAccessibleName(tr("Less"));
    auto* plus = new QLabel(QStringLiteral("+"), trainer);
    plus->setAccessibleName(tr("More"));
    tolerance_ =
        Named(new QSlider(Qt::Horizontal, trainer), ids::kTolerance, OneLine(toleranceText));
    tolerance_->setToolTip(tr("Lower tolerance requires more accurate pad placement"));
    tolerance_->setTickPosition(QSlider::TicksBelow);
    toleranceRow->addWidget(minus);
    toleranceRow->addWidget(tolerance_);
    toleranceRow->addWidget(plus);
    trainerGrid->addLayout(toleranceRow, 3, 0, 1, 2);
    auto makeCheck = [trainer](int id, const QString& text, const QString& tip) {
        auto* box = Named(new QCheckBox(text, trainer), id, OneLine(text));
        box->setToolTip(tip);
        return box;
    };
    ledIndication_ = makeCheck(ids::kLedIndication, tr("Automatic LED Indication\non Manikin"),
                               tr("Automatic LED indication on manikin when pads attached"));
    volumeControl_ = makeCheck(ids::kVolumeControl, tr("Volume Control\non Blue Buttons"),
                               tr("Enable Speaker Volume Control on Blue Buttons"));
    remoteDisplay_ = makeCheck(ids::kRemoteDisplay, tr("Remote Control Response\nDisplayed"),
                               tr("Enable display of response to Remote Control input"));
    trainerGrid->addWidget(ledIndication_, 4, 0, 1, 2);
    trainerGrid->addWidget(volumeControl_, 5, 0, 1, 2);
    trainerGrid->addWidget(remoteDisplay_, 6, 0, 1, 2);
    trainerGrid->setRowStretch(7, 1);
    return trainer;
}

void CParameterPanel::ConnectControls() {
    connect(nsaMonitor_, &QRadioButton::clicked, this, &CParameterPanel::OnNsaMonitor);
    connect(nsaTimer_, &QRadioButton::clicked, this, &CParameterPanel::OnNsaTimer);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             cprShort_, cprLong_, ledIndication_, volumeControl_, remoteDisplay_}) {
        connect(button, &QAbstractButton::clicked, this, &CParameterPanel::changed);
    }
    // Every user move of the trackbar (mouse or keyboard) counts as a change.
    connect(tolerance_, &QSlider::actionTriggered, this, &CParameterPanel::changed);
    connect(tolerance_, &QSlider::sliderReleased, this, &CParameterPanel::changed);
}

CParameterPanel::Field& CParameterPanel::FieldOf(int spinId) {
    return fields_.at(spinId);
}

const CParameterPanel::Field& CParameterPanel::FieldOf(int spinId) const {
    return fields_.at(spinId);
}

void CParameterPanel::Clear() {
    const std::pair<int, UpDownRange> ranges[] = {
        {ids::kVolumeSpin, kVolumeRange},
        {ids::kScenarioSpin, kScenarioRange},
        {ids::kShockSeriesSpin, kShockSeriesRange},
        {ids::kProtocolTimeoutSpin, kProtocolTimeoutRange},
        {ids::kCprTimerSpin, kCprTimerRange},
        {ids::kPromptIntervalSpin, kPromptIntervalRange},
        {ids::kTimerPauseSpin, kTimerPauseRange},
    };
    for (const auto& [id, range] : ranges) {
        Field& field = FieldOf(id);
        field.spin->SetRange(range.low, range.high);
        field.spin->SetPos(1);
        field.edit->clear();
    }
    FieldOf(ids::kTimerPauseSpin).edit->setEnabled(false);
    FieldOf(ids::kTimerPauseSpin).spin->setEnabled(false);
    for (QRadioButton* radio : {nsaMonitor_, cprShort_}) {
        radio->setAutoExclusive(false);
        radio->setChecked(false);
        radio->setAutoExclusive(true);
    }
    tolerance_->setRange(0, kTrackbarMax);
    tolerance_->setPageStep(1);
}

void CParameterPanel::SetField(Field& field, const UpDownField& value) {
    field.spin->SetPos(value.position);
    field.edit->setText(QString::fromStdString(value.text));
}

void CParameterPanel::ApplyForm(const ParameterForm& form) {
    SetField(FieldOf(ids::kVolumeSpin), form.volume);
    SetField(FieldOf(ids::kScenarioSpin), form.scenario);
    SetField(FieldOf(ids::kShockSeriesSpin), form.shockSeries);
    SetField(FieldOf(ids::kProtocolTimeoutSpin), form.protocolTimeout);
    SetField(FieldOf(ids::kCprTimerSpin), form.cprTimer);
    SetField(FieldOf(ids::kPromptIntervalSpin), form.promptInterval);
    Field& pause = FieldOf(ids::kTimerPauseSpin);
    SetField(pause, form.timerPause);
    pause.edit->setEnabled(form.timerPauseEditEnabled);
    pause.spin->setEnabled(form.timerPause.enabled);
    FieldOf(ids::kPromptIntervalSpin).edit->setEnabled(form.promptIntervalEditEnabled);
    (form.nsaTimer ? nsaTimer_ : nsaMonitor_)->setChecked(true);
    (form.longCprPause ? cprLong_ : cprShort_)->setChecked(true);
    ledIndication_->setChecked(form.ledTicked);
    volumeControl_->setChecked(form.volumeTicked);
    remoteDisplay_->setChecked(form.remoteTicked);
    tolerance_->setValue(form.trackbar);
}

void CParameterPanel::ShowParameters(const ParameterRecord& record) {
    ApplyForm(crvl::ShowParameters(record));
}

ParameterRecord CParameterPanel::CollectParameters() const {
    ParameterForm form;
    auto text = [this](int spinId) { return FieldOf(spinId).edit->text().toStdString(); };
    form.volume.text = text(ids::kVolumeSpin);
    form.scenario.text = text(ids::kScenarioSpin);
    form.shockSeries.text = text(ids::kShockSeriesSpin);
    form.protocolTimeout.text = text(ids::kProtocolTimeoutSpin);
    form.cprTimer.text = text(ids::kCprTimerSpin);
    form.promptInterval.text = text(ids::kPromptIntervalSpin);
    form.timerPause.text = text(ids::kTimerPauseSpin);
    form.nsaTimer = nsaTimer_->isChecked();
    form.longCprPause = cprLong_->isChecked();
    form.trackbar = tolerance_->value();
    form.ledTicked = ledIndication_->isChecked();
    form.volumeTicked = volumeControl_->isChecked();
    form.remoteTicked = remoteDisplay_->isChecked();
    return crvl::CollectParameters(form);
}

void CParameterPanel::OnScrolled(int spinId, int position) {
    QLineEdit* edit = FieldOf(spinId).edit;
    if (spinId == ids::kScenarioSpin) {
        edit->setText(QString::fromStdString(ScenarioText(position)));
    } else if (spinId >= ids::kProtocolTimeoutSpin && spinId <= ids::kTimerPauseSpin) {
        edit->setText(Q(TimeText(position)));
    }
    Q_EMIT changed();
}

void CParameterPanel::OnNsaMonitor() {
    FieldOf(ids::kTimerPauseSpin).edit->setEnabled(false);
    FieldOf(ids::kPromptIntervalSpin).edit->setEnabled(true);
    FieldOf(ids::kTimerPauseSpin).spin->setEnabled(false);
    FieldOf(ids::kPromptIntervalSpin).spin->setEnabled(true);
    Q_EMIT changed();
}

void CParameterPanel::OnNsaTimer() {
    Field& pause = FieldOf(ids::kTimerPauseSpin);
    // Coming from Monitor the pause is proposed afresh; a second click on
    // Timer keeps the value the user set.
    if (!pause.edit->isEnabled()) {
        pause.spin->SetPos(kTimerPauseProposal);
        pause.edit->setText(Q(TimeText(kTimerPauseProposal)));
    }
    pause.edit->setEnabled(true);
    FieldOf(ids::kPromptIntervalSpin).edit->setEnabled(false);
    pause.spin->setEnabled(true);
    FieldOf(ids::kPromptIntervalSpin).spin->setEnabled(false);
    Q_EMIT changed();
}

} // namespace crvl
