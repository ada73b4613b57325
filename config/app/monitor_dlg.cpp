#include "config/app/monitor_dlg.h"

#include "config/app/control_ids.h"
#include "config/app/debrief_dlg.h"
#include "config/app/ecg_plot.h"
#include "config/app/led_ctrl.h"
#include "config/core/link_state.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <system_error>

namespace crvl {

namespace {

constexpr int kDialogWidth = 560;
constexpr int kDialogHeight = 390;

struct LampRow {
    const char* label;
    int x, y;
    // Lamps of the row with the word beside each.
    std::array<MonitorLamp, 3> lamps;
    std::array<const char*, 3> words;
    int count;
};

// Conditions in the dialog's two columns, each with its lamps.
const LampRow kLampRows[] = {
    {"Pads OK", 10, 60, {kLampPadsYes, kLampPadsNo}, {"YES", "NO"}, 2},
    {"Motion art.", 10, 90, {kLampMotionNo, kLampMotionYes}, {"NO", "YES"}, 2},
    {"Failure", 10, 120, {kLampFailureNo, kLampFailureYes}, {"NO", "YES"}, 2},
    {"Shockable", 290, 60, {kLampShockableYes, kLampShockableNo}, {"YES", "NO"}, 2},
    {"Pulse", 290, 90, {kLampPulseYes, kLampPulseNo}, {"YES", "NO"}, 2},
    {"Battery",
     290,
     120,
     {kLampBatteryOk, kLampBatteryLow, kLampBatteryDep},
     {"OK", "LOW", "DEP"},
     3},
};

QLineEdit* NumberField(QWidget* parent, int id, const char* label, int x) {
    auto* caption = new QLabel(QString::fromLatin1(label), parent);
    caption->setGeometry(x, 16, 60, 20);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignCenter);
    edit->setAccessibleName(caption->text());
    edit->setGeometry(x + 64, 14, 50, 24);
    caption->setBuddy(edit);
    return edit;
}

} // namespace

CMonitorDlg::CMonitorDlg(MonitorRecord& record, std::function<bool()> takeShock, QWidget* parent)
    : QDialog(parent), record_(record), takeShock_(std::move(takeShock)) {
    setWindowTitle(QStringLiteral("Scenario Monitor"));
    InitConfigResources();
    setWindowIcon(QIcon(QStringLiteral(":/crvlconfig/crvlconfig.png")));
    setFixedSize(kDialogWidth, kDialogHeight);
    BuildControls();

    plot_->SetRange(-20.0, 20.0, 1);
    plot_->SetYUnits(QStringLiteral("mV"));
    plot_->SetXUnits(QStringLiteral("ECG Monitor"));
    plot_->SetBackgroundColor(QColor(0, 0, 0));
    plot_->SetGridColor(QColor(255, 255, 255));
    plot_->SetPlotColor(QColor(0, 255, 0));

    timer_ = new QTimer(this);
    timer_->setInterval(kMonitorTickMs);
    connect(timer_, &QTimer::timeout, this, &CMonitorDlg::Step);
    timer_->start();
}

CMonitorDlg::~CMonitorDlg() = default;

void CMonitorDlg::BuildControls() {
    scenario_ = NumberField(this, ids::kMonitorScenarioEdit, "Scen  #", 10);
    frame_ = NumberField(this, ids::kMonitorFrameEdit, "Frame #", 290);
    BuildLamps();

    // The chart fills the sunken frame's place and carries its id.
    plot_ = new CEcgPlot(this);
    plot_->setAccessibleName(QStringLiteral("ECG Monitor"));
    plot_->Create(QRect(10, 155, kDialogWidth - 20, 185), this, ids::kMonitorPlotFrame);

    // Says when the run is not being recorded; hidden otherwise.
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("sessionNotice"));
    notice_->setWordWrap(true);
    notice_->setGeometry(10, kDialogHeight - 46, kDialogWidth - 125, 40);
    notice_->setStyleSheet(QStringLiteral("color: #a00000"));
    notice_->hide();

    auto* exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QString::number(ids::kMonitorExit));
    exit->setAccessibleName(exit->text());
    exit->setGeometry(kDialogWidth - 100, kDialogHeight - 40, 90, 28);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
}

void CMonitorDlg::BuildLamps() {
    for (const LampRow& row : kLampRows) {
        auto* label = new QLabel(QString::fromLatin1(row.label), this);
        label->setGeometry(row.x, row.y, 90, 20);
        for (int i = 0; i < row.count; ++i) {
            const MonitorLamp index = row.lamps[i];
            auto* lamp = new CLedCtrl(this);
            lamp->setObjectName(QString::number(kMonitorLampIds[index]));
            lamp->setAccessibleName(QStringLiteral("%1 %2").arg(QString::fromLatin1(row.label),
                                                                QString::fromLatin1(row.words[i])));
            const int x = row.x + 95 + i * 60;
            lamp->setGeometry(x, row.y, 20, 20);
            auto* word = new QLabel(QString::fromLatin1(row.words[i]), this);
            word->setGeometry(x + 22, row.y, 36, 20);
            lamps_[index] = lamp;
        }
    }
}

void CMonitorDlg::Apply(const MonitorRefresh& refresh) {
    scenario_->setText(QString::fromStdString(refresh.scenarioText));
    frame_->setText(QString::fromStdString(refresh.frameText));
    for (std::size_t i = 0; i < kMonitorLampCount; ++i) {
        if (const auto& look = refresh.lamps[i])
            lamps_[i]->Set(static_cast<int>(look->colour), static_cast<int>(look->light), 0);
    }
}

void CMonitorDlg::Step() {
    std::uint8_t shockFlag = takeShock_ && takeShock_() ? 1 : 0;
    const MonitorTick tick = stepper_.Tick(record_, shockFlag, connected_);
    if (tick.refresh)
        Apply(*tick.refresh);
    for (int i = 0; i < tick.flatPoints; ++i)
        plot_->AppendPoint(0.0);
    if (tick.sample)
        plot_->AppendPoint(*tick.sample);
    // The curve's name, for screen readers; told again only when it changes.
    if (const Waveform shown = stepper_.CurrentWaveform(); shown != describedWaveform_) {
        describedWaveform_ = shown;
        plot_->setAccessibleDescription(QStringLiteral("Rhythm: ") +
                                        QLatin1String(WaveformName(shown)));
    }
    if (tick.close) {
        closedByConnection_ = true;
        timer_->stop();
        reject();
    }
}

void CMonitorDlg::ShowNotice(const QString& text) {
    notice_->setText(text);
    notice_->setAccessibleName(text);
    notice_->show();
}

QString CMonitorDlg::NoticeText() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

QString CMonitorDlg::ScenarioText() const {
    return scenario_->text();
}
QString CMonitorDlg::FrameText() const {
    return frame_->text();
}

namespace {

// Hands the dispatcher's reports and shocks to the session log, and tells the
// monitor once when the log stops being written.
class SessionRecorder : public MonitorObserver {
public:
    SessionRecorder(SessionWriter& log, CMonitorDlg& dialog) : log_(log), dialog_(dialog) {}

    void MonitorReport(const MonitorRecord& record) override { Check(log_.Report(record)); }
    void ShockEvent() override { Check(log_.Shock()); }
    void Lost() { Check(log_.Lost()); }
    void Detached() { Check(log_.Detached()); }

private:
    void Check(bool written) {
        if (!written && !told_) {
            told_ = true;
            dialog_.ShowNotice(QStringLiteral("This session is no longer being recorded: %1.")
                                   .arg(QString::fromStdString(log_.Error())));
        }
    }

    SessionWriter& log_;
    CMonitorDlg& dialog_;
    bool told_ = false;
};

} // namespace

MonitorHost::MonitorHost(MonitorHooks hooks) : hooks_(std::move(hooks)) {}

std::filesystem::path MonitorHost::SessionFolder() const {
    if (!folder_.empty())
        return folder_;
    std::error_code ec;
    return std::filesystem::current_path(ec) / "sessions";
}

void MonitorHost::Run(QWidget* parent, LinkMachine& machine) {
    machine.TakeShock(); // a shock from before the monitor opened is not shown
    CMonitorDlg dialog(
        machine.Monitor(), [&machine] { return machine.TakeShock(); }, parent);
    dialog.SetConnected(connected_);

    SessionWriter log(clock_);
    const Status recording = log.Open(SessionFolder());
    SessionRecorder recorder(log, dialog);
    if (recording.ok()) {
        machine.SetMonitorObserver(&recorder);
    } else {
        // The monitor runs on without its record.
        dialog.ShowNotice(QStringLiteral("This session is not being recorded: %1.")
                              .arg(QString::fromStdString(recording.message())));
    }

    open_ = &dialog;
    if (hooks_.runDialog)
        hooks_.runDialog(dialog);
    else
        dialog.exec();
    open_ = nullptr;
    machine.SetMonitorObserver(nullptr);

    if (!recording.ok())
        return;
    if (dialog.ClosedByConnection()) {
        if (machine.TrainerDetached())
            recorder.Detached();
        else
            recorder.Lost();
    }
    log.End();
    if (leaving_)
        return;
    if (hooks_.showDebrief)
        hooks_.showDebrief(parent, log.Path());
    else
        ShowSessionDebrief(parent, log.Path());
}

void MonitorHost::SetConnected(bool connected) {
    connected_ = connected;
    if (open_ != nullptr)
        open_->SetConnected(connected);
}

} // namespace crvl
