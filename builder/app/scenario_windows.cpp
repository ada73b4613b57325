#include "builder/app/scenario_windows.h"

#include "builder/app/scenario_editor_applet.h"
#include "builder/core/se_language.h"
#include "builder/model/scenario_frame.h"
#include "scenario/check_text.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace crvl {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// The builder's language table for the checks' texts.
const scenario::TextLookup& languageLookup() {
    static const scenario::TextLookup lookup = [](std::string_view key) {
        return seLanguage::text(key);
    };
    return lookup;
}

// The frame still on the canvas, or nullptr once it has been deleted.
ScenarioFrame* liveFrame(const ScenarioEditorApplet& editor, ScenarioFrame* frame) {
    const auto frames = editor.core().frames();
    return std::find(frames.begin(), frames.end(), frame) != frames.end() ? frame : nullptr;
}

QString frameNameOfRow(const DrawingTable& drawing, const ScenarioEditorApplet& editor,
                       std::size_t row) {
    if (row < drawing.frameOfRow.size())
        if (ScenarioFrame* frame = liveFrame(editor, drawing.frameOfRow[row]))
            return text(frame->getTitleTranslated());
    return text(seLanguage::frameName + std::to_string(row));
}

QString clockText(milliseconds time) {
    const auto total = std::chrono::duration_cast<seconds>(time).count();
    return QStringLiteral("%1:%2").arg(total / 60).arg(total % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

// ---- Scenario Check ---------------------------------------------------------------------------

ScenarioCheckWindow::ScenarioCheckWindow(ScenarioEditorApplet& editor, QWidget* owner)
    : QWidget(owner, Qt::Window), editor_(editor) {
    setObjectName(QStringLiteral("scenarioCheck"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("findings"));
    list_->setWordWrap(true);
    layout->addWidget(list_);
    resize(520, 260);
    connect(list_, &QListWidget::currentRowChanged, this, &ScenarioCheckWindow::showFinding);
    connect(list_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showFinding(list_->row(item)); });
    poll_.setInterval(DRAWING_POLL_MS);
    connect(&poll_, &QTimer::timeout, this, &ScenarioCheckWindow::poll);
    poll_.start();
    retranslate();
}

void ScenarioCheckWindow::retranslate() {
    setWindowTitle(text(seLanguage::checkWindowTitle));
    list_->setAccessibleName(text(seLanguage::checkWindowTitle));
}

void ScenarioCheckWindow::recheck() {
    checked_ = tableOfDrawing(editor_.core());
    findings_ = scenario::CheckDrawing(checked_.table, checked_.drawing);
    const QSignalBlocker quiet(list_);
    list_->clear();
    rowFinding_.clear();
    if (const std::string summary = scenario::NoProblemsSummary(findings_, languageLookup());
        !summary.empty()) {
        list_->addItem(text(summary));
        rowFinding_.push_back(-1);
    }
    for (std::size_t i = 0; i < findings_.size(); ++i) {
        list_->addItem(text(scenario::FindingLine(findings_[i], languageLookup())));
        rowFinding_.push_back(static_cast<int>(i));
    }
}

void ScenarioCheckWindow::showFinding(int row) {
    if (row < 0 || row >= static_cast<int>(rowFinding_.size()) || rowFinding_[row] < 0)
        return;
    const scenario::Finding& finding = findings_[static_cast<std::size_t>(rowFinding_[row])];
    if (finding.frame < 0 || finding.frame >= static_cast<int>(checked_.frameOfRow.size()))
        return;
    ScenarioFrame* frame =
        liveFrame(editor_, checked_.frameOfRow[static_cast<std::size_t>(finding.frame)]);
    if (frame == nullptr)
        return;
    editor_.core().unselectFrameIcons();
    frame->select();
    editor_.core().repaintAll();
    if (QWidget* widget = editor_.widgetOf(*frame))
        editor_.scrollView()->ensureWidgetVisible(widget);
}

void ScenarioCheckWindow::poll() {
    if (isVisible() && !(tableOfDrawing(editor_.core()) == checked_))
        recheck();
}

// ---- Try Scenario -----------------------------------------------------------------------------

ScenarioTryWindow::ScenarioTryWindow(ScenarioEditorApplet& editor, QWidget* owner)
    : QWidget(owner, Qt::Window), editor_(editor) {
    setObjectName(QStringLiteral("tryScenario"));
    auto* layout = new QVBoxLayout(this);

    auto* grid = new QGridLayout;
    for (int i = 0; i < CONDITIONS; ++i) {
        names_[i] = new QLabel(this);
        values_[i] = new QLabel(this);
        values_[i]->setObjectName(QStringLiteral("condition%1").arg(i));
        values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        names_[i]->setBuddy(values_[i]);
        grid->addWidget(names_[i], i / 2, (i % 2) * 2);
        grid->addWidget(values_[i], i / 2, (i % 2) * 2 + 1);
    }
    QFont big = values_[0]->font();
    big.setBold(true);
    values_[0]->setFont(big);
    values_[1]->setFont(big);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const char* name, void (ScenarioTryWindow::*slot)()) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
        buttons_.push_back(button);
    };
    addButton("shock", &ScenarioTryWindow::shock);
    addButton("cprStart", &ScenarioTryWindow::cprStart);
    addButton("cprStop", &ScenarioTryWindow::cprStop);
    addButton("wait", &ScenarioTryWindow::wait);
    seconds_ = new QSpinBox(this);
    seconds_->setObjectName(QStringLiteral("waitSeconds"));
    seconds_->setRange(1, 3600);
    seconds_->setValue(DEFAULT_WAIT_SECONDS);
    buttons->addWidget(seconds_);
    secondsLabel_ = new QLabel(this);
    secondsLabel_->setBuddy(seconds_);
    buttons->addWidget(secondsLabel_);
    buttons->addStretch();
    addButton("restart", &ScenarioTryWindow::restart);
    layout->addLayout(buttons);

    log_ = new QListWidget(this);
    log_->setObjectName(QStringLiteral("steps"));
    layout->addWidget(log_);
    resize(560, 360);

    highlight_ = new QFrame(editor_.bigPanel());
    highlight_->setObjectName(QStringLiteral("tryHighlight"));
    highlight_->setAttribute(Qt::WA_TransparentForMouseEvents);
    highlight_->setStyleSheet(QStringLiteral(
        "#tryHighlight { border: 4px solid rgb(0, 150, 60); background: transparent; }"));
    highlight_->hide();

    poll_.setInterval(DRAWING_POLL_MS);
    connect(&poll_, &QTimer::timeout, this, &ScenarioTryWindow::poll);
    poll_.start();
    retranslate();
}

ScenarioTryWindow::~ScenarioTryWindow() {
    delete highlight_;
}

void ScenarioTryWindow::retranslate() {
    setWindowTitle(text(seLanguage::tryWindowTitle));
    const std::string* labels[CONDITIONS] = {
        &seLanguage::tryFrameLabel,   &seLanguage::tryRhythmLabel,    &seLanguage::tryPadsLabel,
        &seLanguage::tryMotionLabel,  &seLanguage::tryShockableLabel, &seLanguage::tryPulseLabel,
        &seLanguage::tryBatteryLabel, &seLanguage::tryFailureLabel,
    };
    for (int i = 0; i < CONDITIONS; ++i) {
        names_[i]->setText(text(*labels[i]) + QStringLiteral(":"));
        // A screen reader reads the value as the window shows it; the
        // field's name is its description (and its label's buddy).
        values_[i]->setAccessibleDescription(text(*labels[i]));
    }
    const std::string* buttonTexts[] = {&seLanguage::tryShockButton, &seLanguage::tryCprStartButton,
                                        &seLanguage::tryCprStopButton, &seLanguage::tryWaitButton,
                                        &seLanguage::tryRestartButton};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setText(text(*buttonTexts[i]));
        buttons_[i]->setAccessibleName(text(*buttonTexts[i]));
    }
    secondsLabel_->setText(text(seLanguage::trySecondsLabel));
    seconds_->setAccessibleName(text(seLanguage::trySecondsLabel));
    log_->setAccessibleName(text(seLanguage::tryStepsLabel));
    showState();
}

QPushButton* ScenarioTryWindow::button(const char* objectName) const {
    for (QPushButton* b : buttons_)
        if (b->objectName() == QLatin1String(objectName))
            return b;
    return nullptr;
}

void ScenarioTryWindow::restart() {
    playing_ = tableOfDrawing(editor_.core());
    player_.Start(0, playing_.table);
    log_->clear();
    step(text(seLanguage::tryStartStep));
}

void ScenarioTryWindow::shock() {
    player_.Shock();
    step(text(seLanguage::tryShockButton));
}

void ScenarioTryWindow::cprStart() {
    player_.CprStart();
    step(text(seLanguage::tryCprStartButton));
}

void ScenarioTryWindow::cprStop() {
    player_.CprStop();
    step(text(seLanguage::tryCprStopButton));
}

void ScenarioTryWindow::wait() {
    player_.Advance(std::chrono::seconds(seconds_->value()));
    step(text(scenario::FillText(seLanguage::tryWaitStep, {std::to_string(seconds_->value())})));
}

void ScenarioTryWindow::step(const QString& what) {
    log_->addItem(QStringLiteral("%1 %2 \u2192 %3")
                      .arg(clockText(player_.ScenarioTime()), what,
                           frameNameOfRow(playing_, editor_, player_.Frame())));
    log_->scrollToBottom();
    showState();
}

QString ScenarioTryWindow::value(Condition condition) const {
    return values_[static_cast<std::size_t>(condition)]->text();
}

ScenarioFrame* ScenarioTryWindow::currentFrame() const {
    const std::size_t row = player_.Frame();
    return row < playing_.frameOfRow.size() ? liveFrame(editor_, playing_.frameOfRow[row])
                                            : nullptr;
}

void ScenarioTryWindow::showState() {
    const MonitorRecord& r = player_.Record();
    auto yesNo = [](std::uint8_t flag) {
        return text(flag ? seLanguage::yesText : seLanguage::noText);
    };
    QString rhythm;
    switch (r.rhythm) {
    case scenario::rhythm::kSinus:
        rhythm = text(seLanguage::SinusText);
        break;
    case scenario::rhythm::kVt:
        rhythm = text(seLanguage::VTText);
        break;
    case scenario::rhythm::kVf:
        rhythm = text(seLanguage::VFText);
        break;
    case scenario::rhythm::kAsystole:
        rhythm = text(seLanguage::AsystoleText);
        break;
    default:
        rhythm = QString::number(r.rhythm);
    }
    const QString battery = r.battery >= 2   ? text(seLanguage::tryBatteryOkText)
                            : r.battery == 1 ? text(seLanguage::tryBatteryLowText)
                                             : text(seLanguage::tryBatteryReplaceText);
    const QString values[CONDITIONS] = {
        frameNameOfRow(playing_, editor_, r.frame),
        rhythm,
        text(r.electrodes ? seLanguage::tryPadsLooseText : seLanguage::tryPadsAttachedText),
        yesNo(r.motion),
        yesNo(r.shockable),
        yesNo(r.pulse),
        battery,
        yesNo(r.failure),
    };
    for (int i = 0; i < CONDITIONS; ++i)
        values_[i]->setText(values[i]);
    placeHighlight();
}

void ScenarioTryWindow::placeHighlight() {
    ScenarioFrame* frame = isVisible() ? currentFrame() : nullptr;
    QWidget* widget = frame ? editor_.widgetOf(*frame) : nullptr;
    if (highlight_ == nullptr)
        return;
    if (widget == nullptr) {
        highlight_->hide();
        return;
    }
    highlight_->setGeometry(widget->geometry().adjusted(-6, -6, 6, 6));
    highlight_->show();
    highlight_->raise();
}

void ScenarioTryWindow::poll() {
    if (!isVisible())
        return;
    if (!(tableOfDrawing(editor_.core()) == playing_))
        restart();
    else
        placeHighlight();
}

void ScenarioTryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeHighlight();
}

void ScenarioTryWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (highlight_ != nullptr)
        highlight_->hide();
}

} // namespace crvl
