// The updater's window, driven in-process with the simulated boot loader on
// an in-memory line, and the program itself against a simulated trainer.

#include "tests/update/fake_line.h"
#include "tests/update/line_terminal.h"
#include "tests/update/temp_files.h"
#include "update/app/upd_app.h"
#include "update/app/upd_dialog.h"
#include "update/app/upd_help_dialog.h"
#include "update/core/hex_image.h"
#include "update/core/serial_boot_port.h"

// Qt's keywords after the simulator's headers, which use the word "slots".
#include "tests/common/next_modal.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace crvl::update::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The run's application, made by the test program's main.
QApplication& App() {
    return *qApp;
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The program's directory as the dialog expects it: crvlupd.ini, loaders/
// and the image files, made the working directory for the test.
class UpdaterDialog : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        previous_ = std::filesystem::current_path();
        std::filesystem::copy(CRVL_SOURCE_DIR "/update/loaders", dir.Path() / "loaders");
        dir.Write("crvlupd.ini", "English = eng.hex\nDeutsch = deu.hex\n");
        dir.Write("eng.hex", MakeHexImage(3));
        dir.Write("deu.hex", MakeHexImage(7));
        std::filesystem::current_path(dir.Path());
    }
    void TearDown() override {
        dialog.reset();
        std::filesystem::current_path(previous_);
    }

    CUpdDlg& Make(std::vector<std::string> args, sim::BootloaderOptions options = {}) {
        line = std::make_shared<FakeLine>(options);
        dialog = std::make_unique<CUpdDlg>(ParseCommandLine(args).value(), line);
        // The fake line takes no real time; the break hold would.
        dialog->uploadSettings.breakHoldMs = 10;
        return *dialog;
    }

    // Waits for the running upload to report its end.
    int WaitForFinish(CUpdDlg& d) {
        QSignalSpy spy(&d, &CUpdDlg::uploadFinished);
        EXPECT_TRUE(spy.wait(20000));
        return spy.isEmpty() ? -1 : spy.takeFirst().at(0).toInt();
    }

    QString Messages() const { return dialog->MessageBox()->toPlainText(); }

    TempDir dir;
    std::shared_ptr<FakeLine> line;
    std::unique_ptr<CUpdDlg> dialog;

private:
    std::filesystem::path previous_;
};

TEST_F(UpdaterDialog, NoArgumentsSelectsCom1AndTheFirstLanguage) {
    CUpdDlg& d = Make({});
    EXPECT_EQ(d.windowTitle(), "Corvel Update");
    EXPECT_EQ(d.PortList()->currentText(), "COM1");
    EXPECT_EQ(d.PortList()->count(), 16);
    EXPECT_EQ(d.PortList()->itemText(15), "COM16");
    EXPECT_EQ(Items(d.LanguageList()), (QStringList{"Deutsch", "English"}));
    EXPECT_EQ(d.LanguageList()->currentText(), "Deutsch");
    EXPECT_EQ(Messages(), "Crvl Update - Version 1.30\n");
    for (QPushButton* b : {d.StartButton(), d.QuitButton(), d.HelpButton(), d.SearchButton()}) {
        EXPECT_TRUE(b->isEnabled());
        EXPECT_EQ(b->accessibleName(), b->text());
    }
    EXPECT_EQ(d.StartButton()->text(), "Start");
    EXPECT_TRUE(d.StartButton()->isDefault());
    d.show();
    QTest::qWait(50);
    EXPECT_FALSE(d.UploadRunning()); // nothing starts by itself
}

TEST_F(UpdaterDialog, DebugInEitherSpellingAddsTheSpeedLine) {
    for (const char* arg : {"-debug", "/debug"}) {
        CUpdDlg& d = Make({arg});
        EXPECT_EQ(Messages(), "Crvl Update - Version 1.30\nDownload speed: 56000\n") << arg;
        d.show();
        QTest::qWait(20);
        EXPECT_FALSE(d.UploadRunning());
    }
}

TEST_F(UpdaterDialog, HelpLinesComeBeforeTheVersionLine) {
    Make({"-help"});
    EXPECT_EQ(Messages(), "Available commandline options:\n-p1, -p2, -p3 default: -p1\n"
                          "Append filename at end to invoke automatic download\n"
                          "-p1 = COM1, -p2 = COM3, -p3 = COM4; --port COMn or --port PATH for "
                          "any port\n"
                          "Crvl Update - Version 1.30\n");
}

TEST_F(UpdaterDialog, MissingIniFile) {
    std::filesystem::remove(dir.Path() / "crvlupd.ini");
    CUpdDlg& d = Make({});
    EXPECT_EQ(Messages(), "The ini-file could not be opened\nCrvl Update - Version 1.30\n");
    EXPECT_EQ(d.LanguageList()->count(), 0);
    d.OnStart();
    EXPECT_FALSE(d.UploadRunning());
    EXPECT_TRUE(Messages().endsWith("No language version to upload: crvlupd.ini lists none.\n"));
}

TEST_F(UpdaterDialog, StartUploadsTheSelectedLanguagesFile) {
    CUpdDlg& d = Make({});
    d.PortList()->setCurrentIndex(2);
    d.OnStart();
    ASSERT_TRUE(d.UploadRunning());
    EXPECT_FALSE(d.StartButton()->isEnabled());
    EXPECT_FALSE(d.SearchButton()->isEnabled());
    EXPECT_TRUE(d.QuitButton()->isEnabled());
    EXPECT_TRUE(d.HelpButton()->isEnabled());
    EXPECT_EQ(WaitForFinish(d), 0);
    EXPECT_EQ(line->Sim().Records(), ImageRecords("deu.hex"));
    EXPECT_EQ(line->portNumbers, (std::vector<int>{3, 3}));
    EXPECT_EQ(Messages(), "Crvl Update - Version 1.30\nTransferring deu.hex\nUsing COM3\n"
                          "Old program erased !\nProgramming new ....\n"
                          "Program upload completed\n");
    EXPECT_TRUE(d.StartButton()->isEnabled());
    EXPECT_TRUE(d.SearchButton()->isEnabled());
    EXPECT_EQ(d.ProgressBar()->maximum(), 9); // the records of deu.hex
    EXPECT_EQ(d.ProgressBar()->value(), d.ProgressBar()->maximum());
}

TEST_F(UpdaterDialog, ReturnPressesStartAlsoInTheMessageBox) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        CUpdDlg& d = Make({});
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.AppendMessage("a message takes the focus\r\n");
        ASSERT_TRUE(d.MessageBox()->hasFocus());
        const QString before = Messages();
        QTest::keyClick(d.MessageBox(), key);
        EXPECT_TRUE(d.UploadRunning()) << key;
        EXPECT_EQ(WaitForFinish(d), 0);
        EXPECT_TRUE(Messages().startsWith(before + "Transferring deu.hex\n")) << key;
    }
}

TEST_F(UpdaterDialog, LanguagesAreSortedWithoutRegardToCase) {
    dir.Write("crvlupd.ini",
              "English = eng.hex\nFrench = fra.hex\nbasque = eus.hex\nDeutsch = deu.hex\n");
    CUpdDlg& d = Make({});
    EXPECT_EQ(Items(d.LanguageList()), (QStringList{"basque", "Deutsch", "English", "French"}));
    EXPECT_EQ(d.LanguageList()->currentText(), "basque");
    EXPECT_EQ(d.LanguageList()->currentData().toInt(), 2); // its line in the file
}

TEST_F(UpdaterDialog, QuitGivesOneAlsoDuringARun) {
    CUpdDlg& d = Make({});
    d.OnQuit();
    EXPECT_EQ(d.ExitCode(), 1);

    // A loader that never answers the erase: the run waits until Quit.
    CUpdDlg& running = Make({"-debug"});
    line->muteReads = [l = line.get()] { return l->opened.size() == 2; };
    running.show();
    running.OnStart();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Messages().contains("Native Programloader transferred\n"); }, 10000));
    // Quit, Esc and closing the window ask first; No keeps the run going.
    for (const auto& press : std::vector<std::function<void()>>{
             [&] { running.QuitButton()->click(); },
             [&] { QTest::keyClick(&running, Qt::Key_Escape); }, [&] { running.close(); }}) {
        crvl::test::SeenBox seen;
        crvl::test::onNextMessageBoxAnswer(seen, QMessageBox::No);
        press();
        EXPECT_EQ(seen.text, "An upload is running. Stop it?\n\nA stopped upload leaves the "
                             "Corvel in its boot loader: it does not work until a new upload has "
                             "finished.");
        EXPECT_TRUE(running.UploadRunning());
    }
    crvl::test::SeenBox seen;
    crvl::test::onNextMessageBoxAnswer(seen, QMessageBox::Yes);
    QTest::keyClick(&running, Qt::Key_Escape);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(running.ExitCode(), 1);
    EXPECT_FALSE(running.UploadRunning());
    EXPECT_FALSE(running.isVisible());
}

TEST_F(UpdaterDialog, EnterAfterAFinishedUploadDoesNotEraseTheTrainerAgain) {
    CUpdDlg& d = Make({});
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.OnStart();
    ASSERT_EQ(WaitForFinish(d), 0);
    ASSERT_TRUE(d.MessageBox()->hasFocus());
    // Enter presses Start, which asks; Enter again answers No.
    crvl::test::onNextModal([](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); });
    QTest::keyClick(d.MessageBox(), Qt::Key_Return);
    EXPECT_FALSE(d.UploadRunning());
    EXPECT_EQ(line->Sim().BootRequests(), 1);
    // Confirmed, it starts.
    crvl::test::SeenBox seen;
    crvl::test::onNextMessageBoxAnswer(seen, QMessageBox::Yes);
    d.StartButton()->click();
    EXPECT_EQ(seen.text, "The Corvel has just been programmed with this language version. Erase "
                         "it and program it again?");
    ASSERT_EQ(WaitForFinish(d), 0);
    EXPECT_EQ(line->Sim().BootRequests(), 2);
    // Another choice needs no confirmation.
    d.LanguageList()->setCurrentIndex(1);
    d.OnStart();
    EXPECT_TRUE(d.UploadRunning());
    EXPECT_EQ(WaitForFinish(d), 0);
    EXPECT_EQ(line->Sim().Records(), ImageRecords("eng.hex"));
}

TEST_F(UpdaterDialog, UnreadableIniLinesAndAMissingPortAreNamed) {
    dir.Write("crvlupd.ini", "English = eng.hex\nDeutsch: deu.hex\n");
    ::setenv("CRVL_COM2", "/nonexistent/ttyUSB7", 1);
    dialog = std::make_unique<CUpdDlg>(CommandLine{}, std::make_shared<SerialBootPortFactory>());
    EXPECT_EQ(Messages(), "crvlupd.ini, line 2 cannot be read (it should be \"Language = "
                          "file.hex\"): Deutsch: deu.hex\nCrvl Update - Version 1.30\n");
    dialog->uploadSettings.breakHoldMs = 10;
    dialog->PortList()->setCurrentIndex(1);
    dialog->OnStart();
    EXPECT_EQ(WaitForFinish(*dialog), 1);
    EXPECT_TRUE(Messages().endsWith("There is no port COM2 (/nonexistent/ttyUSB7); nothing was "
                                    "sent.\n"))
        << Messages().toStdString();
    EXPECT_FALSE(Messages().contains("[E5]"));
}

// Quit on a real serial port, with its full read time-outs: the window
// closes at once and nothing more reaches the line.
TEST_F(UpdaterDialog, QuitAfterStartSendsNothingMoreAndEndsAtOnce) {
    LineTerminal wire(LineTerminal::Mode::Record);
    ASSERT_TRUE(wire.Ok());
    ::setenv("CRVL_COM2", wire.SlavePath().c_str(), 1);
    const auto quitWhen = [&](CUpdDlg& d, const std::function<bool()>& ready) {
        d.PortList()->setCurrentIndex(1);
        d.OnStart();
        ASSERT_TRUE(QTest::qWaitFor(ready, 10000));
        const std::size_t before = wire.Received().size();
        const auto start = std::chrono::steady_clock::now();
        crvl::test::onNextModal([](QWidget* box) {
            static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
        });
        d.QuitButton()->click();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::milliseconds(500));
        EXPECT_FALSE(d.UploadRunning());
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.ExitCode(), 1);
        // Longer than the break and a read time-out would have lasted.
        QTest::qWait(1700);
        EXPECT_EQ(wire.Received().size(), before);
    };
    // During the break: not even the boot-strap byte goes out.
    dialog = std::make_unique<CUpdDlg>(CommandLine{}, std::make_shared<SerialBootPortFactory>());
    dialog->show();
    quitWhen(*dialog, [] { return true; });
    EXPECT_TRUE(wire.Received().empty());
    // While waiting in a read for the identification byte.
    dialog = std::make_unique<CUpdDlg>(CommandLine{}, std::make_shared<SerialBootPortFactory>());
    dialog->uploadSettings.breakHoldMs = 10;
    dialog->show();
    quitWhen(*dialog, [&] { return !wire.Received().empty(); });
    EXPECT_EQ(wire.ReceivedBytes(), Bytes{0x00});
}

TEST_F(UpdaterDialog, HelpDialogShowsTheHelpText) {
    CUpdHelpDlg help;
    EXPECT_EQ(help.windowTitle(), "Help");
    const QString text = help.HelpText()->toPlainText();
    EXPECT_TRUE(text.startsWith("(1) Connect the Corvel to one of the COM- ports on the PC, using "
                                "the cable included in the programming kit..\n\n(2) Switch on"));
    EXPECT_TRUE(text.endsWith("(5) Click the START button  to start the reprogramming.\n\n"
                              "The programming takes about two minutes."));
    EXPECT_TRUE(help.HelpText()->isReadOnly());
}

// A line on which only port 7 answers a Ping with the start of an Alive.
class AnswerOnSeven : public BootPortFactory {
public:
    class Port : public BootPort {
    public:
        explicit Port(bool answers) : answers_(answers) {}
        bool Usable() const override { return true; }
        void WriteBytes(const std::uint8_t* data, std::size_t length) override {
            written.assign(data, data + length);
            if (answers_)
                pending_ = {0x02, 0x2A, 0x10, 0x40, 0x03};
        }
        std::uint8_t ReadByte(bool& ok, bool& got) override {
            ok = true;
            got = !pending_.empty();
            if (!got)
                return 0;
            const std::uint8_t b = pending_.front();
            pending_.erase(pending_.begin());
            return b;
        }
        bool SetBreak(bool) override { return true; }
        void Close() override {}
        Bytes written;

    private:
        bool answers_;
        Bytes pending_;
    };

    std::unique_ptr<BootPort> Open(int portNumber, int baud, const StopFlag&) override {
        opened.push_back(portNumber);
        EXPECT_EQ(baud, 19200);
        // Each port takes a while, as a real one does.
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return std::make_unique<Port>(portNumber == 7);
    }
    std::string AccessAdvice(int) const override { return {}; }
    std::vector<int> opened;
};

TEST_F(UpdaterDialog, SearchRunsBesideTheWindowAndSelectsThePortThatAnswered) {
    auto ports = std::make_shared<AnswerOnSeven>();
    dialog = std::make_unique<CUpdDlg>(CommandLine{}, ports);
    QSignalSpy finished(dialog.get(), &CUpdDlg::searchFinished);
    dialog->OnSearch();
    // The window goes on while the ports are tried.
    EXPECT_TRUE(dialog->SearchRunning());
    EXPECT_FALSE(dialog->SearchButton()->isEnabled());
    EXPECT_FALSE(dialog->StartButton()->isEnabled());
    EXPECT_TRUE(dialog->QuitButton()->isEnabled());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.takeFirst().at(0).toInt(), 7);
    EXPECT_EQ(dialog->PortList()->currentText(), "COM7");
    EXPECT_EQ(ports->opened, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(Messages().endsWith("Corvel found on COM7\n"));
    EXPECT_TRUE(dialog->SearchButton()->isEnabled());
    EXPECT_TRUE(dialog->StartButton()->isEnabled());
    EXPECT_FALSE(dialog->SearchRunning());
}

} // namespace
} // namespace crvl::update::test
