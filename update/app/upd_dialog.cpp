#include "update/app/upd_dialog.h"

#include "serial/port_names.h"
#include "update/app/upd_help_dialog.h"
#include "update/app/upd_strings.h"
#include "update/core/hex_image.h"
#include "update/core/search_trainer.h"
#include "update/core/text_format.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

using crvl::Result;
using namespace crvl::update;

// Hands the worker's reports to the dialog's thread, in order.
class CUpdDlg::Reporter : public UploadReporter {
public:
    explicit Reporter(CUpdDlg* dialog) : dialog_(dialog) {}

    void AppendMessage(const std::string& text) override {
        Post([text](CUpdDlg* d) { d->AppendMessage(text); });
    }
    void DebugMessage(const std::string& text) override {
        Post([text](CUpdDlg* d) { d->DebugMessage(text); });
    }
    void StepProgressLarge() override {
        Post([](CUpdDlg* d) { d->StepProgressLarge(); });
    }
    void StepProgressRecord(bool done) override {
        Post([done](CUpdDlg* d) { d->StepProgressRecord(done); });
    }
    void EnableStartAndSearch() override {
        Post([](CUpdDlg* d) {
            d->startButton_->setEnabled(true);
            d->searchButton_->setEnabled(true);
        });
    }
    void Finished(int result) override {
        Post([result](CUpdDlg* d) { d->OnWorkerFinished(result); });
    }

private:
    template <typename F> void Post(F f) {
        QPointer<CUpdDlg> target = dialog_;
        QMetaObject::invokeMethod(
            dialog_,
            [target, f]() {
                if (target) {
                    f(target.data());
                }
            },
            Qt::QueuedConnection);
    }

    CUpdDlg* dialog_;
};

CUpdDlg::CUpdDlg(const CommandLine& commandLine, std::shared_ptr<BootPortFactory> ports,
                 std::filesystem::path programDir, QWidget* parent)
    : QDialog(parent), commandLine_(commandLine), ports_(std::move(ports)),
      programDir_(std::move(programDir)), reporter_(std::make_unique<Reporter>(this)) {
    setWindowTitle(QString::fromLatin1(upd::kCaption));
    setWindowIcon(QApplication::windowIcon());
    BuildControls();

    debug_ = commandLine_.debug;
    portList_->setCurrentIndex(commandLine_.port.number - 1);
    if (commandLine_.help) {
        for (const char* line : kHelpLines) {
            AppendMessage(line);
        }
    }

    LoadLanguageList();
    // Another choice makes Start an ordinary start again.
    const auto choiceChanged = [this] { justProgrammed_ = false; };
    connect(languageList_, &QComboBox::currentIndexChanged, this, choiceChanged);
    connect(portList_, &QComboBox::currentIndexChanged, this, choiceChanged);

    Result<LoaderImages> loaded = LoadLoaderImages((programDir_ / kLoaderDir).string());
    loadersReady_ = loaded.ok();
    if (loadersReady_) {
        loaders_ = std::move(loaded).value();
    } else {
        AppendMessage(loaded.message());
    }

    AppendMessage(upd::kVersionLine);
    DebugMessage(Format("Download speed: %d\r\n", crvl::boot::kProgrammingBaud));
}

CUpdDlg::~CUpdDlg() {
    StopSearch();
    StopWorker();
}

namespace {

constexpr int kLanguageListMinWidth = 220;
// Room for about seven lines of messages.
constexpr int kMessageBoxMinHeight = 110;

constexpr const char* kStopQuestion =
    "An upload is running. Stop it?\n\nA stopped upload leaves the Corvel in its boot loader: "
    "it does not work until a new upload has finished.";
constexpr const char* kRepeatQuestion =
    "The Corvel has just been programmed with this language version. Erase it and program it "
    "again?";

void Name(QWidget* widget, const char* objectName, const QString& accessibleName) {
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
}

// The control of a group box, which a screen reader names by the group's title.
template <class Control> Control* GroupControl(QGroupBox* group, const char* objectName) {
    auto* control = new Control(group);
    Name(control, objectName, group->title());
    return control;
}

} // namespace

void CUpdDlg::BuildControls() {
    auto* grid = new QGridLayout(this);
    grid->addWidget(BuildLanguageGroup(), 0, 0);
    grid->addWidget(BuildPortGroup(), 0, 1);
    grid->addWidget(BuildProgressGroup(), 1, 0);
    grid->addLayout(BuildButtons(), 1, 1);
    grid->addWidget(BuildMessageBox(), 2, 0, 1, 2);
}

QGroupBox* CUpdDlg::BuildLanguageGroup() {
    auto* group = new QGroupBox(QStringLiteral("Select language"), this);
    languageList_ = GroupControl<QComboBox>(group, "language");
    languageList_->setMinimumWidth(kLanguageListMinWidth);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(languageList_);
    return group;
}

QGroupBox* CUpdDlg::BuildPortGroup() {
    auto* group = new QGroupBox(QStringLiteral("Serial Port"), this);
    portList_ = GroupControl<QComboBox>(group, "port");
    // Item i is port i + 1.
    for (int n = crvl::kFirstPortNumber; n <= crvl::kLastPortNumber; ++n) {
        portList_->addItem(QStringLiteral("COM%1").arg(n));
    }
    searchButton_ = new QPushButton(QStringLiteral("Search"), group);
    Name(searchButton_, "search", QStringLiteral("Search"));
    connect(searchButton_, &QPushButton::clicked, this, &CUpdDlg::OnSearch);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(portList_);
    layout->addWidget(searchButton_);
    return group;
}

QGroupBox* CUpdDlg::BuildProgressGroup() {
    auto* group = new QGroupBox(QStringLiteral("Application Code Upload Progress"), this);
    progressBar_ = GroupControl<QProgressBar>(group, "progress");
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(progressBar_);
    return group;
}

QVBoxLayout* CUpdDlg::BuildButtons() {
    startButton_ = new QPushButton(QStringLiteral("Start"), this);
    Name(startButton_, "start", QStringLiteral("Start"));
    startButton_->setDefault(true);
    quitButton_ = new QPushButton(QStringLiteral("Quit"), this);
    Name(quitButton_, "quit", QStringLiteral("Quit"));
    helpButton_ = new QPushButton(QStringLiteral("Help"), this);
    Name(helpButton_, "help", QStringLiteral("Help"));
    connect(startButton_, &QPushButton::clicked, this, &CUpdDlg::OnStart);
    connect(quitButton_, &QPushButton::clicked, this, &CUpdDlg::OnQuit);
    connect(helpButton_, &QPushButton::clicked, this, &CUpdDlg::OnHelp);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(quitButton_);
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    return buttons;
}

QPlainTextEdit* CUpdDlg::BuildMessageBox() {
    messageBox_ = new QPlainTextEdit(this);
    Name(messageBox_, "messages", QStringLiteral("Messages"));
    messageBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    messageBox_->setMinimumHeight(kMessageBoxMinHeight);
    // The message box takes the focus with every message; Return there
    // still presses the default button, as everywhere else in the dialog.
    messageBox_->installEventFilter(this);
    return messageBox_;
}

void CUpdDlg::LoadLanguageList() {
    languageList_->clear();
    Result<LanguageIni> read = ReadLanguageIni((programDir_ / kIniFileName).string());
    languages_.clear();
    if (read.ok()) {
        for (const std::string& unreadable : read.value().unreadable) {
            AppendMessage(unreadable);
        }
        languages_ = std::move(read).value().entries;
    } else {
        AppendMessage(read.message());
    }
    // The list is sorted by name without regard to letter case; each item
    // keeps the index of its entry.
    std::vector<QString> names;
    for (const LanguageEntry& entry : languages_) {
        names.push_back(QString::fromUtf8(entry.name.c_str()));
    }
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&names](int a, int b) {
        const int folded = names[a].compare(names[b], Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : names[a] < names[b];
    });
    for (const int i : order) {
        languageList_->addItem(names[i], i);
    }
    languageList_->setCurrentIndex(languages_.empty() ? -1 : 0);
}

void CUpdDlg::AppendMessage(const std::string& text) {
    QTextCursor cursor = messageBox_->textCursor();
    cursor.movePosition(QTextCursor::End);
    messageBox_->setTextCursor(cursor);
    messageBox_->setFocus();
    messageBox_->insertPlainText(upd::DisplayText(text));
}

void CUpdDlg::DebugMessage(const std::string& text) {
    if (debug_) {
        AppendMessage(text);
    }
}

void CUpdDlg::OnStart() {
    if (worker_ || searchThread_.joinable()) {
        return;
    }
    portNumber_ = portList_->currentIndex() + 1;
    const QVariant index = languageList_->currentData();
    if (!index.isValid()) {
        AppendMessage("No language version to upload: crvlupd.ini lists none.\r\n");
        return;
    }
    imageName_ = languages_[static_cast<std::size_t>(index.toInt())].fileName;
    if (!loadersReady_) {
        AppendMessage("The upload cannot start without the loader images.\r\n");
        return;
    }
    if (justProgrammed_ && !ConfirmRepeat()) {
        return;
    }
    justProgrammed_ = false;

    quitButton_->setEnabled(false);
    startButton_->setEnabled(false);
    helpButton_->setEnabled(false);
    searchButton_->setEnabled(false);

    // The ini's names are files beside the program.
    const std::string imagePath = (programDir_ / imageName_).string();
    progress_.Reset(HexImage::RecordCount(imagePath));
    ShowProgress();

    AppendMessage(Format("%s %s\r\n", upd::kTransferring, imageName_.c_str()));
    AppendMessage(Format("%s%d\r\n", upd::kUsingCom, portNumber_));

    UploadSettings settings = uploadSettings;
    settings.imageName = imagePath;
    settings.portNumber = portNumber_;
    worker_ = std::make_unique<UploadWorker>(*ports_, *reporter_, loaders_, settings);
    workerThread_ = std::thread([worker = worker_.get()] { worker->Run(); });

    quitButton_->setEnabled(true);
    helpButton_->setEnabled(true);
}

void CUpdDlg::OnWorkerFinished(int result) {
    StopWorker();
    justProgrammed_ = result == 0;
    emit uploadFinished(result);
}

bool CUpdDlg::ConfirmRepeat() {
    return QMessageBox::question(this, windowTitle(), QString::fromLatin1(kRepeatQuestion),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool CUpdDlg::ConfirmStop() {
    return QMessageBox::question(this, windowTitle(), QString::fromLatin1(kStopQuestion),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void CUpdDlg::StopWorker() {
    if (worker_) {
        worker_->RequestStop();
    }
    if (workerThread_.joinable()) {
        workerThread_.join();
    }
    worker_.reset();
}

void CUpdDlg::StopSearch() {
    searchStop_.store(true, std::memory_order_release);
    if (searchThread_.joinable()) {
        searchThread_.join();
    }
}

void CUpdDlg::OnSearch() {
    if (worker_ || searchThread_.joinable()) {
        return;
    }
    searchButton_->setEnabled(false);
    startButton_->setEnabled(false);
    setCursor(Qt::WaitCursor);
    searchStop_.store(false, std::memory_order_release);
    searchThread_ = std::thread([this] {
        const int found = SearchTrainer(
            *ports_, [this](const std::string& line) { reporter_->AppendMessage(line); },
            searchStop_);
        // Joined before the dialog goes, so `this` is still there.
        QMetaObject::invokeMethod(
            this, [this, found] { OnSearchFinished(found); }, Qt::QueuedConnection);
    });
}

void CUpdDlg::OnSearchFinished(int port) {
    if (searchThread_.joinable()) {
        searchThread_.join();
    }
    if (port > 0) {
        portList_->setCurrentIndex(port - 1);
    }
    unsetCursor();
    searchButton_->setEnabled(true);
    startButton_->setEnabled(true);
    emit searchFinished(port);
}

void CUpdDlg::OnHelp() {
    CUpdHelpDlg help(this);
    help.exec();
}

void CUpdDlg::OnQuit() {
    reject();
}

void CUpdDlg::reject() {
    // A key pressed by mistake must not leave the trainer erased.
    if (UploadRunning() && !ConfirmStop()) {
        return;
    }
    // Quit and closing the window end the program with 1, also during a run
    // or a search. Both stop within a few milliseconds and write nothing
    // more, so waiting for them does not freeze the window.
    StopSearch();
    StopWorker();
    exitCode_ = 1;
    QDialog::reject();
}

void CUpdDlg::StepProgressLarge() {
    progress_.StepLarge();
    ShowProgress();
}

void CUpdDlg::StepProgressRecord(bool done) {
    if (done) {
        progress_.MarkDone();
    } else {
        progress_.StepRecord();
    }
    ShowProgress();
}

void CUpdDlg::ShowProgress() {
    progressBar_->setRange(0, progress_.BarMaximum());
    progressBar_->setValue(progress_.BarValue());
}

bool CUpdDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == messageBox_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (startButton_->isEnabled()) {
                startButton_->click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
