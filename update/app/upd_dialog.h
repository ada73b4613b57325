#pragma once

#include "update/core/boot_port.h"
#include "update/core/command_line.h"
#include "update/core/language_ini.h"
#include "update/core/loader_images.h"
#include "update/core/progress.h"
#include "update/core/upload_worker.h"

#include <QDialog>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

// The updater's main window: language and port lists, Search, Start, Quit,
// Help, the progress bar and the message box. The upload itself runs in an
// UploadWorker on its own thread, and so does the port search; their reports
// come back as queued calls, so the window stays responsive.
class CUpdDlg : public QDialog {
    Q_OBJECT
public:
    // ports: how ports are opened (the real serial port, or a test's);
    // programDir: where crvlupd.ini, the loaders and the images it names lie
    // (empty: the working directory).
    CUpdDlg(const crvl::update::CommandLine& commandLine,
            std::shared_ptr<crvl::update::BootPortFactory> ports,
            std::filesystem::path programDir = {}, QWidget* parent = nullptr);
    ~CUpdDlg() override;

    // The process exit code: 1 after Quit or closing the window.
    int ExitCode() const { return exitCode_; }

    void AppendMessage(const std::string& text);
    void DebugMessage(const std::string& text);

    // Button handlers, public so tests can press them without a mouse.
    void OnStart();
    void OnSearch();
    void OnHelp();
    void OnQuit();

    // For tests and the single-instance hand-over.
    QComboBox* LanguageList() const { return languageList_; }
    QComboBox* PortList() const { return portList_; }
    QPushButton* StartButton() const { return startButton_; }
    QPushButton* SearchButton() const { return searchButton_; }
    QPushButton* QuitButton() const { return quitButton_; }
    QPushButton* HelpButton() const { return helpButton_; }
    QProgressBar* ProgressBar() const { return progressBar_; }
    QPlainTextEdit* MessageBox() const { return messageBox_; }
    bool UploadRunning() const { return worker_ != nullptr; }
    bool SearchRunning() const { return searchThread_.joinable(); }

    // Time-outs and hold times of the runs this dialog starts; tests shorten
    // them. Image name and port number are filled in at Start.
    crvl::update::UploadSettings uploadSettings;

signals:
    // Emitted on the dialog's thread when a run has finished.
    void uploadFinished(int result);
    // The same when a search has ended: the port found, or 0.
    void searchFinished(int port);

protected:
    // Quit, Esc and closing the window: during an upload only after the user
    // has confirmed that the trainer is left unprogrammed.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Reporter;

    void BuildControls();
    QGroupBox* BuildLanguageGroup();
    QGroupBox* BuildPortGroup();
    QGroupBox* BuildProgressGroup();
    QVBoxLayout* BuildButtons();
    QPlainTextEdit* BuildMessageBox();
    void LoadLanguageList();
    void StepProgressLarge();
    void StepProgressRecord(bool done);
    void ShowProgress();
    // After a finished upload Start asks before it erases the same trainer
    // again, until another language or port is chosen.
    bool ConfirmRepeat();
    bool ConfirmStop();
    void OnWorkerFinished(int result);
    void OnSearchFinished(int port);
    void StopWorker();
    void StopSearch();

    crvl::update::CommandLine commandLine_;
    std::shared_ptr<crvl::update::BootPortFactory> ports_;
    std::filesystem::path programDir_;
    bool debug_ = false;
    bool justProgrammed_ = false;
    int exitCode_ = 1;
    int portNumber_ = 1;
    std::string imageName_;
    std::vector<crvl::update::LanguageEntry> languages_;
    crvl::update::LoaderImages loaders_;
    bool loadersReady_ = false;
    crvl::update::ProgressModel progress_;

    std::unique_ptr<Reporter> reporter_;
    std::unique_ptr<crvl::update::UploadWorker> worker_;
    std::thread workerThread_;
    crvl::update::StopFlag searchStop_{false};
    std::thread searchThread_;

    QComboBox* languageList_ = nullptr;
    QComboBox* portList_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* quitButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPlainTextEdit* messageBox_ = nullptr;
};
