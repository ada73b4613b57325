#include "config/app/config_dlg.h"

#include "config/app/control_ids.h"
#include "config/app/led_ctrl.h"
#include "config/app/session_list_dlg.h"
#include "config/app/updown_ctrl.h"
#include "config/app/upload_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace crvl {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Widget> Widget* Named(Widget* widget, int id, const QString& accessibleName) {
    widget->setObjectName(QString::number(id));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// Accessible names read labels without their line breaks.
QString OneLine(const QString& text) {
    return text.simplified();
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

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
constexpr int kBatteryEditWidth = 60;
constexpr int kStatusFrameHeight = 12;

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

CConfigDlg::CConfigDlg(std::unique_ptr<ILink> link, QWidget* parent)
    : QDialog(parent), link_(std::move(link)) {
    InitConfigResources();
    setWindowTitle(Q(text::kDialogCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/crvlconfig/crvlconfig.png")));
    BuildControls();

    if (!link_) {
        LinkOptions options;
        options.closeSound = [] { QApplication::beep(); };
        link_ = std::make_unique<TrainerLink>(std::move(options));
    }
    // The reader thread only queues the dispatch; it runs on this thread.
    machine_ = std::make_unique<LinkMachine>(*link_, *this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { machine_->Dispatch(); }, Qt::QueuedConnection);
    });

    SetUpParameterControls();
    SetConnectionLamp(LampColour::Red, LampLight::Lit);
    SetBatteryLamp(LampColour::Red, LampLight::Off);

    timer_ = new QTimer(this);
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { machine_->Tick(); });
    timer_->start();

    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, [this] { SysCommand(ids::kAboutCommand); });
    auto* monitor = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this);
    connect(monitor, &QShortcut::activated, this, [this] { SysCommand(ids::kMonitorCommand); });
}

CConfigDlg::~CConfigDlg() {
    timer_->stop();
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
    // Closing joins the reader thread, so no notification outlives us.
    link_->Close();
}

void CConfigDlg::AddField(const FieldSpec& spec, QGridLayout* grid, int row) {
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

void CConfigDlg::BuildControls() {
    QGroupBox* aed = BuildProtocolBox();
    QGroupBox* trainer = BuildTrainerBox();
    QGroupBox* corvel = BuildConnectionBox();
    QLayout* buttons = BuildButtons();

    auto* guide = new QLabel(tr("For a description of the parameters please refer to the "
                                "user guide of the defibrillator."),
                             this);
    guide->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(aed);
    top->addWidget(trainer);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(corvel, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(guide);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ConnectControls();
}

QGroupBox* CConfigDlg::BuildProtocolBox() {
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

QGroupBox* CConfigDlg::BuildTrainerBox() {
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

QGroupBox* CConfigDlg::BuildConnectionBox() {
    auto* corvel = new QGroupBox(tr("Corvel"), this);
    auto* corvelGrid = new QGridLayout(corvel);
    connect_ = Named(new QPushButton(Q(text::kConnect), corvel), ids::kConnect, Q(text::kConnect));
    connect_->setDefault(true);
    connectionLamp_ = Named(new CLedCtrl(corvel), ids::kConnectionLamp, tr("Connection"));
    status_ = Named(new QPlainTextEdit(corvel), ids::kStatus, tr("Status"));
    status_->setReadOnly(true);
    // Two lines of text (the version's) and the frame around them.
    status_->setFixedHeight(status_->fontMetrics().lineSpacing() * 2 + kStatusFrameHeight);
    status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    battery_ = Named(new QLineEdit(corvel), ids::kBatteryEdit, tr("Battery"));
    battery_->setReadOnly(true);
    battery_->setFixedWidth(kBatteryEditWidth);
    batteryLamp_ = Named(new CLedCtrl(corvel), ids::kBatteryLamp, tr("Battery state"));
    customScenarios_ = Named(new QPushButton(tr("Custom Scenarios"), corvel), ids::kCustomScenarios,
                             tr("Custom Scenarios"));
    customScenarios_->setToolTip(tr("Update Custom Scenarios in Corvel"));
    corvelGrid->addWidget(connect_, 0, 0);
    corvelGrid->addWidget(new QLabel(tr("Connection"), corvel), 0, 1, Qt::AlignRight);
    corvelGrid->addWidget(connectionLamp_, 0, 2);
    corvelGrid->addWidget(status_, 1, 0, 1, 3);
    auto* batteryLabel = new QLabel(tr("Battery"), corvel);
    batteryLabel->setBuddy(battery_);
    corvelGrid->addWidget(batteryLabel, 2, 0);
    auto* batteryRow = new QHBoxLayout;
    batteryRow->addWidget(battery_);
    batteryRow->addWidget(batteryLamp_);
    corvelGrid->addLayout(batteryRow, 2, 1, 1, 2);
    corvelGrid->addWidget(customScenarios_, 3, 0, 1, 3);
    return corvel;
}

QLayout* CConfigDlg::BuildButtons() {
    update_ = Named(new QPushButton(tr("Update"), this), ids::kUpdate, tr("Update"));
    update_->setToolTip(tr("Update Corvel configuration"));
    loadDefaults_ =
        Named(new QPushButton(tr("Load Defaults"), this), ids::kLoadDefaults, tr("Load Defaults"));
    loadDefaults_->setToolTip(tr("Update Corvel to default settings"));
    exit_ = Named(new QPushButton(tr("Exit"), this), ids::kExit, tr("Exit"));
    for (QPushButton* button : {update_, loadDefaults_, exit_, customScenarios_}) {
        button->setAutoDefault(false);
    }
    update_->setEnabled(false);
    loadDefaults_->setEnabled(false);
    customScenarios_->setEnabled(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(update_);
    buttons->addWidget(loadDefaults_);
    buttons->addStretch();
    buttons->addWidget(exit_);
    return buttons;
}

void CConfigDlg::ConnectControls() {
    connect(connect_, &QPushButton::clicked, this, [this] { machine_->ConnectPressed(); });
    connect(update_, &QPushButton::clicked, this, [this] { machine_->CollectAndWrite(); });
    connect(loadDefaults_, &QPushButton::clicked, this, [this] { machine_->LoadDefaults(); });
    connect(customScenarios_, &QPushButton::clicked, this, [this] { machine_->StartSlotRead(); });
    connect(exit_, &QPushButton::clicked, this, [this] { machine_->Exit(); });
    connect(nsaMonitor_, &QRadioButton::clicked, this, &CConfigDlg::OnNsaMonitor);
    connect(nsaTimer_, &QRadioButton::clicked, this, &CConfigDlg::OnNsaTimer);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             cprShort_, cprLong_, ledIndication_, volumeControl_, remoteDisplay_}) {
        connect(button, &QAbstractButton::clicked, this, [this] { machine_->MarkChanged(); });
    }
    // Every user move of the trackbar (mouse or keyboard) counts as a change.
    connect(tolerance_, &QSlider::actionTriggered, this, [this] { machine_->MarkChanged(); });
    connect(tolerance_, &QSlider::sliderReleased, this, [this] { machine_->MarkChanged(); });
}

CConfigDlg::Field& CConfigDlg::FieldOf(int spinId) {
    return fields_.at(spinId);
}

void CConfigDlg::SetUpParameterControls() {
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

void CConfigDlg::SetField(Field& field, const UpDownField& value) {
    field.spin->SetPos(value.position);
    field.edit->setText(QString::fromStdString(value.text));
}

void CConfigDlg::ApplyForm(const ParameterForm& form) {
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

void CConfigDlg::ShowParameters(const ParameterRecord& record) {
    ApplyForm(crvl::ShowParameters(record));
}

ParameterRecord CConfigDlg::CollectParameters() {
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

void CConfigDlg::OnScrolled(int spinId, int position) {
    QLineEdit* edit = FieldOf(spinId).edit;
    if (spinId == ids::kScenarioSpin) {
        edit->setText(QString::fromStdString(ScenarioText(position)));
    } else if (spinId >= ids::kProtocolTimeoutSpin && spinId <= ids::kTimerPauseSpin) {
        edit->setText(Q(TimeText(position)));
    }
    machine_->MarkChanged();
}

void CConfigDlg::OnNsaMonitor() {
    FieldOf(ids::kTimerPauseSpin).edit->setEnabled(false);
    FieldOf(ids::kPromptIntervalSpin).edit->setEnabled(true);
    FieldOf(ids::kTimerPauseSpin).spin->setEnabled(false);
    FieldOf(ids::kPromptIntervalSpin).spin->setEnabled(true);
    machine_->MarkChanged();
}

void CConfigDlg::OnNsaTimer() {
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
    machine_->MarkChanged();
}

void CConfigDlg::SetConnectionLamp(LampColour colour, LampLight light) {
    connectionLamp_->Set(static_cast<int>(colour), static_cast<int>(light));
}

void CConfigDlg::SetBatteryLamp(LampColour colour, LampLight light) {
    batteryLamp_->Set(static_cast<int>(colour), static_cast<int>(light));
}

void CConfigDlg::SetStatusText(const std::string& text) {
    // The trainer's texts end lines with CR LF; the edit wants LF alone.
    QString shown = QString::fromStdString(text);
    shown.remove(QLatin1Char('\r'));
    status_->setPlainText(shown);
}

void CConfigDlg::SetBatteryText(const std::string& text) {
    battery_->setText(QString::fromStdString(text));
}

void CConfigDlg::SetConnectButtonText(const std::string& text) {
    connect_->setText(QString::fromStdString(text));
    connect_->setAccessibleName(connect_->text());
}

void CConfigDlg::EnableButton(ConfigButton button, bool enabled) {
    switch (button) {
    case ConfigButton::Update:
        update_->setEnabled(enabled);
        break;
    case ConfigButton::CustomScenarios:
        customScenarios_->setEnabled(enabled);
        break;
    case ConfigButton::LoadDefaults:
        loadDefaults_->setEnabled(enabled);
        break;
    }
}

void CConfigDlg::SetWaitCursor(bool on) {
    if (on == waitCursor_) {
        return;
    }
    waitCursor_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void CConfigDlg::RunLater(std::function<void()> fn) {
    // Dropped if the dialog goes first.
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CConfigDlg::ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.exec();
}

Answer CConfigDlg::Ask(const std::string& text, const std::string& caption, Question buttons,
                       MessageIcon icon) {
    const auto standard = buttons == Question::AbortRetryIgnore
                              ? QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore
                          : buttons == Question::YesNo
                              ? QMessageBox::Yes | QMessageBox::No
                              : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    standard, this);
    if (buttons == Question::YesNo) {
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    }
    switch (box.exec()) {
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return buttons == Question::AbortRetryIgnore ? Answer::Ignore
               : buttons == Question::YesNo          ? Answer::No
                                                     : Answer::Cancel;
    }
}

void CConfigDlg::EndDialog() {
    ended_ = true;
    timer_->stop();
    QDialog::done(QDialog::Rejected);
}

void CConfigDlg::RunUploadDialog() {
    RunScenarioUpload(this, *machine_, *this);
}

void CConfigDlg::CloseUploadDialog() {
    for (CUploadDlg* upload : findChildren<CUploadDlg*>()) {
        upload->TrainerLost();
    }
}

void CConfigDlg::RunMonitorDialog() {
    monitorHost_.Run(this, *machine_);
}

void CConfigDlg::ShowSessionLogs() {
    RunSessionLogs(this, monitorHost_.SessionFolder());
}

void CConfigDlg::SetMonitorConnected(bool connected) {
    monitorHost_.SetConnected(connected);
}

void CConfigDlg::ShowAbout() {
    QMessageBox box(QMessageBox::NoIcon, Q(text::kDialogCaption), tr("crvlconfig Version 1.22"),
                    QMessageBox::Ok, this);
    box.setIconPixmap(QPixmap(QStringLiteral(":/crvlconfig/crvlconfig.png")));
    box.exec();
}

void CConfigDlg::SysCommand(int command) {
    if ((command & ~0xF) == ids::kAboutCommand) {
        ShowAbout();
    } else if (command == ids::kMonitorCommand) {
        machine_->RunMonitor(); // does nothing unless connected
    }
}

void CConfigDlg::EndOnSignal() {
    monitorHost_.SetLeaving();
    for (QDialog* child : findChildren<QDialog*>()) {
        child->reject();
    }
    machine_->Leave();
}

void CConfigDlg::reject() {
    // Escape runs the exit procedure, which may ask first.
    machine_->Exit();
}

void CConfigDlg::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    event->ignore();
    machine_->Exit();
}

void CConfigDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("&About crvlconfig"), this, [this] { SysCommand(ids::kAboutCommand); });
    menu.addAction(tr("Crvl Scenario Monitor"), this, [this] { SysCommand(ids::kMonitorCommand); });
    menu.addAction(tr("Session Logs..."), this, [this] { ShowSessionLogs(); });
    menu.exec(event->globalPos());
}

bool CConfigDlg::eventFilter(QObject* watched, QEvent* event) {
    // The space bar never presses a button in this dialog.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace crvl
