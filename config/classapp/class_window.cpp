#include "config/classapp/class_window.h"

#include "config/app/class_debrief_dlg.h"
#include "config/app/config_dlg.h"
#include "config/app/parameter_panel.h"
#include "config/app/upload_dlg.h"
#include "config/classapp/trainer_tile.h"
#include "config/core/monitor_logic.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace crvl {

namespace {
// Four tiles side by side, two rows on a 1280 x 800 screen; more scroll.
constexpr int kColumns = 4;
constexpr const char* kNamesGroup = "trainerNames";
} // namespace

ClassWindow::ClassWindow(ClassroomConfig config, QWidget* parent)
    : QMainWindow(parent), sessionsFolder_(config.station.sessionsFolder) {
    setWindowTitle(tr("Corvel Classroom"));
    resize(1280, 800);

    QMenu* classMenu = menuBar()->addMenu(tr("&Class"));
    classMenu->addAction(tr("Upload to All..."), this, &ClassWindow::UploadToAll);
    classMenu->addAction(tr("Parameters to All..."), this, &ClassWindow::ParametersToAll);
    classMenu->addAction(tr("Monitor All"), this, &ClassWindow::MonitorAll);
    classMenu->addAction(tr("Stop All"), this, &ClassWindow::StopAll);
    classMenu->addSeparator();
    classMenu->addAction(tr("Class Debrief..."), this, &ClassWindow::ClassDebrief);
    classMenu->addSeparator();
    classMenu->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* scroll = new QScrollArea(splitter);
    scroll->setWidgetResizable(true);
    scroll->setAccessibleName(tr("Trainers"));
    auto* area = new QWidget(scroll);
    grid_ = new QGridLayout(area);
    grid_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    empty_ = new QLabel(tr("Looking for trainers..."), area);
    grid_->addWidget(empty_, 0, 0);
    scroll->setWidget(area);
    summary_ = new QPlainTextEdit(splitter);
    summary_->setReadOnly(true);
    summary_->setAccessibleName(tr("Summary"));
    summary_->setMaximumHeight(90);
    splitter->addWidget(scroll);
    splitter->addWidget(summary_);
    setCentralWidget(splitter);

    ecgTimer_ = new QTimer(this);
    ecgTimer_->setInterval(kMonitorTickMs);
    connect(ecgTimer_, &QTimer::timeout, this, [this] {
        for (auto& [station, tile] : tiles_)
            tile->StepEcg();
    });

    config.nameFor = [](const std::string& port) {
        QSettings settings;
        settings.beginGroup(QLatin1String(kNamesGroup));
        return settings.value(QString::fromStdString(port)).toString().toStdString();
    };
    room_ = std::make_unique<Classroom>(std::move(config), [this](std::size_t station) {
        QMetaObject::invokeMethod(
            this, [this, station] { StationChanged(station); }, Qt::QueuedConnection);
    });
    room_->Start();
}

ClassWindow::~ClassWindow() {
    // The stations leave their trainers before the tiles go.
    room_.reset();
}

TrainerTile* ClassWindow::Tile(std::size_t station) const {
    const auto it = tiles_.find(station);
    return it == tiles_.end() ? nullptr : it->second;
}

void ClassWindow::StationChanged(std::size_t station) {
    if (!room_)
        return;
    const StationSnapshot snapshot = room_->Station(station).Snapshot();
    TrainerTile* tile = Tile(station);
    if (!tile) {
        if (!snapshot.trainer)
            return;
        empty_->hide();
        tile = new TrainerTile(grid_->parentWidget());
        tiles_[station] = tile;
        // Tiles stand in the order of their ports, whichever answered first.
        int place = 0;
        for (const auto& [index, t] : tiles_) {
            grid_->removeWidget(t);
            grid_->addWidget(t, place / kColumns, place % kColumns);
            ++place;
        }
        connect(tile, &TrainerTile::renameRequested, this, [this, station] { Rename(station); });
        connect(tile, &TrainerTile::openRequested, this,
                [this, station] { OpenInConfig(station); });
    }
    tile->Show(QString::fromStdString(room_->Name(station)),
               QString::fromStdString(room_->Station(station).Port().stableName), snapshot);
    bool monitoring = false;
    for (const auto& [index, t] : tiles_)
        monitoring =
            monitoring || room_->Station(index).Snapshot().state == StationState::Monitoring;
    if (monitoring && !ecgTimer_->isActive())
        ecgTimer_->start();
    else if (!monitoring)
        ecgTimer_->stop();
    ShowSummary();
}

std::vector<std::size_t> ClassWindow::Chosen() const {
    std::vector<std::size_t> chosen;
    for (const auto& [station, tile] : tiles_) {
        if (tile->Chosen())
            chosen.push_back(station);
    }
    return chosen;
}

void ClassWindow::ShowSummary() {
    if (!lastAction_)
        return;
    const ActionSummary summary = room_->Summary(Chosen(), *lastAction_);
    const auto action = ActionText(*lastAction_);
    QString text = tr("%1: %2 done, %3 failed, %4 running")
                       .arg(QString::fromLatin1(action.data(), static_cast<int>(action.size())))
                       .arg(summary.done)
                       .arg(summary.failed)
                       .arg(summary.running);
    for (const std::string& line : summary.lines)
        text += QStringLiteral("\n") + QString::fromStdString(line);
    if (summary_->toPlainText() != text)
        summary_->setPlainText(text);
}

void ClassWindow::UploadToAll() {
    const std::vector<std::size_t> chosen = Chosen();
    if (chosen.empty()) {
        QMessageBox::information(this, windowTitle(), tr("No trainer is chosen."));
        return;
    }
    const std::array<std::string, 3> names = {"", "", ""};
    CUploadDlg dialog(names, {}, this);
    dialog.setWindowTitle(tr("Upload to All"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CheckedScenario checked = CheckScenarioFile(dialog.FilePath());
    if (!checked.problem.empty()) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(checked.problem));
        return;
    }
    if (!checked.errorsQuestion.empty() &&
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(checked.errorsQuestion),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes)
        return;
    lastAction_ = ActionKind::Upload;
    room_->UploadToAll(chosen, dialog.SlotIndex() + 1, checked.file.name, checked.file.table);
    ShowSummary();
}

std::optional<std::size_t> ClassWindow::RecordSource(const std::vector<std::size_t>& chosen) const {
    for (std::size_t station : chosen) {
        const StationSnapshot snapshot = room_->Station(station).Snapshot();
        const bool connected =
            snapshot.state == StationState::Connected || snapshot.state == StationState::Monitoring;
        if (connected && snapshot.parameters)
            return station;
    }
    return std::nullopt;
}

void ClassWindow::ParametersToAll() {
    const std::optional<std::size_t> source = RecordSource(Chosen());
    if (!source) {
        QMessageBox::information(this, windowTitle(), tr("No chosen trainer is connected."));
        return;
    }
    const ParameterRecord start = *room_->Station(*source).Snapshot().parameters;
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Parameters to All"));
    auto* layout = new QVBoxLayout(dialog);
    auto* from = new QLabel(tr("These are the parameters of %1. Only what you change is written "
                               "to the chosen trainers; the rest keeps each trainer's own value.")
                                .arg(QString::fromStdString(room_->Name(*source))),
                            dialog);
    from->setWordWrap(true);
    auto* panel = new CParameterPanel(dialog);
    panel->ShowParameters(start);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    layout->addWidget(from);
    layout->addWidget(panel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, panel, start] {
        const ParameterRecord record = panel->CollectParameters();
        const auto before = start.Encode();
        const auto after = record.Encode();
        ParameterMask changed{};
        for (std::size_t i = 0; i < changed.size(); ++i)
            changed[i] = after[i] != before[i];
        lastAction_ = ActionKind::Parameters;
        room_->ParametersToAll(Chosen(), record, changed);
        ShowSummary();
    });
    dialog->open();
}

void ClassWindow::MonitorAll() {
    lastAction_ = ActionKind::Monitor;
    room_->MonitorAll(Chosen());
    ShowSummary();
}

void ClassWindow::StopAll() {
    lastAction_ = ActionKind::Stop;
    room_->StopAll(Chosen());
    ShowSummary();
}

void ClassWindow::Rename(std::size_t station) {
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, tr("Rename Trainer"), tr("Name:"), QLineEdit::Normal,
                              QString::fromStdString(room_->Name(station)), &ok)
            .trimmed();
    if (!ok || name.isEmpty())
        return;
    QSettings settings;
    settings.beginGroup(QLatin1String(kNamesGroup));
    settings.setValue(QString::fromStdString(room_->Station(station).Port().stableName), name);
    room_->Rename(station, name.toStdString());
}

void ClassWindow::OpenInConfig(std::size_t station) {
    TrainerStation& trainer = room_->Station(station);
    trainer.HandOver();
    // The dialog takes the port once the station has let it go; the
    // station's report of that comes as a queued call like every other.
    auto* waiter = new QTimer(this);
    waiter->setInterval(100);
    connect(waiter, &QTimer::timeout, this, [this, station, waiter] {
        TrainerStation& t = room_->Station(station);
        if (t.Snapshot().state != StationState::HandedOver)
            return;
        waiter->deleteLater();
        LinkOptions options;
        options.devicePath = t.Port().devicePath;
        auto* dialog = new CConfigDlg(std::make_unique<TrainerLink>(options), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QString::fromStdString(room_->Name(station)));
        connect(dialog, &QDialog::finished, this,
                [this, station] { room_->Station(station).TakeBack(); });
        dialog->open();
    });
    waiter->start();
}

void ClassWindow::ClassDebrief() {
    // Modeless: the tiles go on while the instructor reads the class's runs.
    auto* dialog = new ClassDebriefDlg(sessionsFolder_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace crvl
