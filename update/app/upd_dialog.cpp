#include "upd_dialog.h"

#include "hex_image.h"
#include "search_trainer.h"
#include "text_format.h"
#include "upd_help_dialog.h"
#include "upd_strings.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

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
                 QWidget* parent)
    : QDialog(parent), commandLine_(commandLine), ports_(std::move(ports)),
      reporter_(std::make_unique<Reporter>(this)) {
    setWindowTitle(QString::fromLatin1(upd::kCaption));
    setWindowIcon(QApplication::windowIcon());
    BuildControls();

    debug_ = commandLine_.debug;
    portList_->setCurrentIndex(commandLine_.portIndex);
    if (commandLine_.help) {
        for (const char* line : kHelpLines) {
            AppendMessage(line);
        }
    }
    automatic_ = !commandLine_.automaticFile.empty();

    LoadLanguageList();

    std::string loaderError;
    loadersReady_ = LoadLoaderImages(kLoaderDir, loaders_, loaderError);
    if (!loadersReady_) {
        AppendMessage(loaderError);
    }

    AppendMessage(upd::kVersionLine);
    DebugMessage(Format("Download speed: %s\r\n", "56000"));
}

CUpdDlg::~CUpdDlg() {
    StopWorker();
}

void CUpdDlg::BuildControls() {
    auto named = [](QWidget* w, const char* objectName, const QString& accessible) {
        w->setObjectName(QString::fromLatin1(objectName));
        w->setAccessibleName(accessible);
    };

    auto* languageGroup = new QGroupBox(QStringLiteral("Select language"), this);
    languageList_ = new QComboBox(languageGroup);
    named(languageList_, "language", QStringLiteral("Select language"));
    languageList_->setMinimumWidth(220);
    auto* languageLayout = new QVBoxLayout(languageGroup);
    languageLayout->addWidget(languageList_);

    auto* portGroup = new QGroupBox(QStringLiteral("Serial Port"), this);
    portList_ = new QComboBox(portGroup);
    named(portList_, "port", QStringLiteral("Serial Port"));
    for (int n = 1; n <= 16; ++n) {
        portList_->addItem(QStringLiteral("COM%1").arg(n));
    }
    searchButton_ = new QPushButton(QStringLiteral("Search"), portGroup);
    named(searchButton_, "search", QStringLiteral("Search"));
    auto* portLayout = new QVBoxLayout(portGroup);
    portLayout->addWidget(portList_);
    portLayout->addWidget(searchButton_);

    auto* progressGroup = new QGroupBox(QStringLiteral("Application Code Upload Progress"), this);
    progressBar_ = new QProgressBar(progressGroup);
    named(progressBar_, "progress", QStringLiteral("Application Code Upload Progress"));
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    auto* progressLayout = new QVBoxLayout(progressGroup);
    progressLayout->addWidget(progressBar_);

    startButton_ = new QPushButton(QStringLiteral("Start"), this);
    named(startButton_, "start", QStringLiteral("Start"));
    startButton_->setDefault(true);
    quitButton_ = new QPushButton(QStringLiteral("Quit"), this);
    named(quitButton_, "quit", QStringLiteral("Quit"));
    helpButton_ = new QPushButton(QStringLiteral("Help"), this);
    named(helpButton_, "help", QStringLiteral("Help"));

    messageBox_ = new QPlainTextEdit(this);
    named(messageBox_, "messages", QStringLiteral("Messages"));
    messageBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    messageBox_->setMinimumHeight(110);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(quitButton_);
    buttons->addWidget(helpButton_);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(languageGroup, 0, 0);
    grid->addWidget(portGroup, 0, 1);
    grid->addWidget(progressGroup, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(messageBox_, 2, 0, 1, 2);

    connect(startButton_, &QPushButton::clicked, this, &CUpdDlg::OnStart);
    connect(quitButton_, &QPushButton::clicked, this, &CUpdDlg::OnQuit);
    connect(helpButton_, &QPushButton::clicked, this, &CUpdDlg::OnHelp);
    connect(searchButton_, &QPushButton::clicked, this, &CUpdDlg::OnSearch);
}

void CUpdDlg::LoadLanguageList() {
    languageList_->clear();
    if (!ReadLanguageIni(kIniFileName, languages_)) {
        languages_.clear();
        AppendMessage(upd::kIniError);
    }
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        languageList_->addItem(QString::fromUtf8(languages_[i].name.c_str()), static_cast<int>(i));
    }
    // The list is sorted by name; each item keeps the index of its entry.
    languageList_->model()->sort(0);
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
    if (worker_) {
        return;
    }
    portNumber_ = portList_->currentIndex() + 1;
    if (automatic_) {
        imageName_ = commandLine_.automaticFile;
        languageList_->clear();
        languageList_->setEnabled(false);
    } else {
        const QVariant index = languageList_->currentData();
        if (!index.isValid()) {
            AppendMessage("No language version to upload: crvlupd.ini lists none.\r\n");
            return;
        }
        imageName_ = languages_[static_cast<std::size_t>(index.toInt())].fileName;
    }
    if (!loadersReady_) {
        AppendMessage("The upload cannot start without the loader images.\r\n");
        if (automatic_) {
            OnWorkerFinished(1);
        }
        return;
    }

    quitButton_->setEnabled(false);
    startButton_->setEnabled(false);
    helpButton_->setEnabled(false);
    searchButton_->setEnabled(false);

    const std::optional<long long> size = HexImage::FileSize(imageName_);
    progress_.Reset(size ? *size : -1);
    ShowProgress();

    AppendMessage(Format("%s %s\r\n", upd::kTransferring, imageName_.c_str()));
    AppendMessage(Format("%s%d\r\n", upd::kUsingCom, portNumber_));

    UploadSettings settings = uploadSettings;
    settings.imageName = imageName_;
    settings.portNumber = portNumber_;
    worker_ = std::make_unique<UploadWorker>(*ports_, *reporter_, loaders_, settings);
    workerThread_ = std::thread([worker = worker_.get()] { worker->Run(); });

    quitButton_->setEnabled(true);
    helpButton_->setEnabled(true);
}

void CUpdDlg::OnWorkerFinished(int result) {
    StopWorker();
    emit uploadFinished(result);
    if (automatic_) {
        exitCode_ = result;
        done(result == 0 ? QDialog::Accepted : QDialog::Rejected);
    }
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

void CUpdDlg::OnSearch() {
    searchButton_->setEnabled(false);
    startButton_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int found =
        SearchTrainer(*ports_, [this](const std::string& line) { AppendMessage(line); });
    if (found > 0) {
        portList_->setCurrentIndex(found - 1);
    }
    QApplication::restoreOverrideCursor();
    searchButton_->setEnabled(true);
    startButton_->setEnabled(true);
}

void CUpdDlg::OnHelp() {
    CUpdHelpDlg help(this);
    help.exec();
}

void CUpdDlg::OnQuit() {
    reject();
}

void CUpdDlg::reject() {
    // Quit and closing the window end the program with 1, also during a run;
    // the worker stops at its next read.
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

void CUpdDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The unattended upload starts once, when the window is first drawn.
    if (automatic_ && !automaticStartDone_) {
        automaticStartDone_ = true;
        QTimer::singleShot(0, this, &CUpdDlg::OnStart);
    }
}
