#include "config/app/config_dlg.h"

#include "config/app/control_ids.h"
#include "config/app/led_ctrl.h"
#include "config/app/named_control.h"
#include "config/app/parameter_panel.h"
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

// Widths and heights in pixels.
constexpr int kBatteryEditWidth = 60;
constexpr int kStatusFrameHeight = 12;

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

void CConfigDlg::BuildControls() {
    parameters_ = new CParameterPanel(this);
    QGroupBox* corvel = BuildConnectionBox();
    QLayout* buttons = BuildButtons();

    auto* guide = new QLabel(tr("For a description of the parameters please refer to the "
                                "user guide of the defibrillator."),
                             this);
    guide->setWordWrap(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(corvel, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(parameters_);
    layout->addWidget(guide);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ConnectControls();
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
    connect(parameters_, &CParameterPanel::changed, this, [this] { machine_->MarkChanged(); });
}

void CConfigDlg::ShowParameters(const ParameterRecord& record) {
    parameters_->ShowParameters(record);
}

ParameterRecord CConfigDlg::CollectParameters() {
    return parameters_->CollectParameters();
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
