// The main dialog offscreen, with the simulated trainer's protocol behind an
// in-process link: controls found by their ids, driven as a user would.
// The simulator's headers come before Qt's, whose "slots" keyword would
// clash with the trainer model's slots.
#include "tests/config/sim_link.h"

#include "config/app/config_app.h"
#include "config/app/config_dlg.h"
#include "config/app/control_ids.h"
#include "config/app/led_ctrl.h"
#include "config/app/quit_signals.h"
#include "config/app/updown_ctrl.h"
#include "config/app/upload_dlg.h"
#include "tools/trainersim/trainer_sim.h"

#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <future>
#include <mutex>

namespace crvl {
namespace {

using testing::SimLink;

// The run's application, made by the test program's main.
QApplication& App() {
    return *qApp;
}

// The dialog with its boxes recorded instead of shown.
class TestDlg : public CConfigDlg {
public:
    explicit TestDlg(std::unique_ptr<ILink> link) : CConfigDlg(std::move(link)) {}

    std::vector<std::string> messages;
    std::deque<Answer> answers;
    int abouts = 0;
    bool realBoxes = false; // show message boxes (modal) instead of only recording them

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        messages.push_back(caption + ": " + text);
        if (realBoxes) {
            CConfigDlg::ShowMessage(text, caption, icon);
        }
    }
    Answer Ask(const std::string& /*text*/, const std::string& caption, Question,
               MessageIcon) override {
        messages.push_back("ask " + caption);
        const Answer answer = answers.empty() ? Answer::Cancel : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void ShowAbout() override { ++abouts; }
};

class Dialog : public ::testing::Test {
protected:
    SimLink* link = nullptr;
    std::unique_ptr<TestDlg> dlg;

    void SetUp() override {
        App();
        auto owned = std::make_unique<SimLink>();
        link = owned.get();
        link->goodPorts = {3};
        dlg = std::make_unique<TestDlg>(std::move(owned));
        dlg->TickTimer()->stop();
        dlg->show();
    }

    template <typename T = QWidget> T* Control(int id) {
        T* control = dlg->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    QString Text(int editId) { return Control<QLineEdit>(editId)->text(); }
    CUpDownCtrl* Spin(int id) { return Control<CUpDownCtrl>(id); }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            QCoreApplication::processEvents();
            dlg->Machine().Tick();
            QCoreApplication::processEvents();
        }
    }
    void Connect() {
        Control<QPushButton>(ids::kConnect)->click();
        Tick(4 + 5);
        ASSERT_EQ(dlg->Machine().State(), LinkState::Connected);
    }
    long Pings() const {
        const std::vector<std::string> received = link->Received();
        return std::count(received.begin(), received.end(), "Ping");
    }
};

// Runs handle once on the first modal dialog of type T that is shown, from
// inside that dialog's own event loop.
template <typename T> class OnModal {
public:
    explicit OnModal(std::function<void(T&)> handle) : handle_(std::move(handle)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
            if (modal != nullptr && !done_) {
                done_ = true;
                handle_(*modal);
            }
        });
        poll_.start(10);
    }
    bool Done() const { return done_; }

private:
    std::function<void(T&)> handle_;
    QTimer poll_;
    bool done_ = false;
};

// Real time passes for a while (the dialog's timer runs), inside whatever
// event loop is current.
void Wait(std::chrono::milliseconds time) {
    QTest::qWait(static_cast<int>(time.count()));
}

TEST_F(Dialog, EveryControlIsThereNamedAndInItsStartState) {
    EXPECT_EQ(dlg->windowTitle(), "Corvel Configuration");
    for (int id :
         {ids::kVolumeEdit, ids::kScenarioEdit, ids::kShockSeriesEdit, ids::kProtocolTimeoutEdit,
          ids::kCprTimerEdit, ids::kPromptIntervalEdit, ids::kTimerPauseEdit, ids::kBatteryEdit}) {
        QLineEdit* edit = Control<QLineEdit>(id);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_TRUE(edit->text().isEmpty()) << id;
    }
    for (int id = ids::kVolumeSpin; id <= ids::kTimerPauseSpin; ++id) {
        EXPECT_EQ(Spin(id)->Pos(), 1);
    }
    EXPECT_EQ(Spin(ids::kScenarioSpin)->High(), 13);
    EXPECT_EQ(Spin(ids::kCprTimerSpin)->High(), 6);
    EXPECT_FALSE(Control(ids::kTimerPauseEdit)->isEnabled());
    EXPECT_FALSE(Control(ids::kTimerPauseSpin)->isEnabled());
    for (int id : {ids::kNsaMonitor, ids::kNsaTimer, ids::kCprShort, ids::kCprLong}) {
        EXPECT_FALSE(Control<QRadioButton>(id)->isChecked());
    }
    EXPECT_EQ(Control<QSlider>(ids::kTolerance)->maximum(), 15);
    auto* connect = Control<QPushButton>(ids::kConnect);
    EXPECT_EQ(connect->text(), "Connect");
    EXPECT_TRUE(connect->isDefault());
    for (int id : {ids::kUpdate, ids::kCustomScenarios, ids::kLoadDefaults}) {
        EXPECT_FALSE(Control(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(Control(ids::kExit)->isEnabled());
    Control<QPlainTextEdit>(ids::kStatus);
    auto* lamp = Control<CLedCtrl>(ids::kConnectionLamp);
    EXPECT_EQ(lamp->RowOffset(), 0);
    EXPECT_EQ(lamp->Column(), 0);
    EXPECT_EQ(Control<CLedCtrl>(ids::kBatteryLamp)->Column(), 2);
    // Every control a user can reach has a name for assistive tools.
    for (QWidget* widget : dlg->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_FALSE(widget->accessibleName().isEmpty())
                << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
    }
}

TEST_F(Dialog, ConnectShowsTheTrainerRecordInEveryControl) {
    ParameterRecord record;
    record.speakerVolume = 6;
    record.defaultScenario = 12;
    record.cprPause = 1;
    record.shockSeries = 3;
    record.protocolTimeout = 0;
    record.cprTimer = 150;
    record.noShockPause = 0;
    record.promptInterval = 90;
    record.padTolerance = 120;
    record.options = 0x02;
    link->model.parameters = record;
    link->model.batteryRaw = 190;

    Control<QPushButton>(ids::kConnect)->click();
    EXPECT_EQ(Control<CLedCtrl>(ids::kConnectionLamp)->RowOffset(), 32); // yellow: searching
    Tick(1);
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    Tick(3 + 5);
    ASSERT_EQ(dlg->Machine().State(), LinkState::Connected);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Control<QPlainTextEdit>(ids::kStatus)->toPlainText(), "SW-Ver: 2.1\nHW-Ver: 03");
    EXPECT_EQ(Control<CLedCtrl>(ids::kConnectionLamp)->RowOffset(), 16); // green
    EXPECT_EQ(Control<QPushButton>(ids::kConnect)->text(), "Disconnect");
    EXPECT_EQ(Text(ids::kVolumeEdit), "6");
    EXPECT_EQ(Text(ids::kScenarioEdit), "C2");
    EXPECT_EQ(Text(ids::kShockSeriesEdit), "3");
    EXPECT_EQ(Text(ids::kProtocolTimeoutEdit), "Inf");
    EXPECT_EQ(Text(ids::kCprTimerEdit), "2.5");
    EXPECT_EQ(Text(ids::kPromptIntervalEdit), "1.5");
    EXPECT_EQ(Text(ids::kTimerPauseEdit), "0.5");
    EXPECT_FALSE(Control(ids::kTimerPauseEdit)->isEnabled());
    EXPECT_TRUE(Control<QRadioButton>(ids::kNsaMonitor)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(ids::kCprLong)->isChecked());
    EXPECT_EQ(Control<QSlider>(ids::kTolerance)->value(), 8);
    EXPECT_TRUE(Control<QCheckBox>(ids::kLedIndication)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(ids::kVolumeControl)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(ids::kRemoteDisplay)->isChecked());
    EXPECT_FALSE(Control(ids::kUpdate)->isEnabled());
    EXPECT_TRUE(Control(ids::kLoadDefaults)->isEnabled());
    Tick(1); // first evaluation: the battery
    EXPECT_EQ(Text(ids::kBatteryEdit), "7.6 V");
    EXPECT_EQ(Control<CLedCtrl>(ids::kBatteryLamp)->RowOffset(), 32);

    // Change through the controls and write.
    Spin(ids::kScenarioSpin)->UpButton()->click();
    EXPECT_EQ(Text(ids::kScenarioEdit), "C3");
    EXPECT_TRUE(Control(ids::kUpdate)->isEnabled());
    Spin(ids::kVolumeSpin)->DownButton()->click();
    Spin(ids::kProtocolTimeoutSpin)->DownButton()->click();
    EXPECT_EQ(Text(ids::kProtocolTimeoutEdit), "3.5");
    Control<QRadioButton>(ids::kCprShort)->click();
    Control<QRadioButton>(ids::kNsaTimer)->click();
    EXPECT_EQ(Text(ids::kTimerPauseEdit), "2.0");
    EXPECT_FALSE(Control(ids::kPromptIntervalEdit)->isEnabled());
    Control<QCheckBox>(ids::kLedIndication)->click();
    Control<QCheckBox>(ids::kVolumeControl)->click();
    Control<QSlider>(ids::kTolerance)->triggerAction(QAbstractSlider::SliderToMaximum);
    Control<QPushButton>(ids::kUpdate)->click();
    Tick(3);
    const std::array<std::uint8_t, 10> expected = {5, 13, 0, 3, 210, 150, 120, 90, 50, 0x01};
    EXPECT_EQ(link->model.parameters.Encode(), expected);
    ASSERT_FALSE(dlg->messages.empty());
    EXPECT_EQ(dlg->messages.back(), "Corvel Updated: " + std::string(text::kUpdated));
    EXPECT_FALSE(Control(ids::kUpdate)->isEnabled());
}

TEST_F(Dialog, UpDownsAndTheNoShockActionChoice) {
    Connect();
    CUpDownCtrl* scenario = Spin(ids::kScenarioSpin);
    scenario->SetPos(10);
    scenario->UpButton()->click();
    EXPECT_EQ(Text(ids::kScenarioEdit), "C1");
    scenario->UpButton()->click();
    scenario->UpButton()->click();
    scenario->UpButton()->click();
    EXPECT_EQ(Text(ids::kScenarioEdit), "C3");
    scenario->DownButton()->click();
    EXPECT_EQ(Text(ids::kScenarioEdit), "C2");
    // Arrow keys in the buddy step the up-down.
    QTest::keyClick(Control(ids::kVolumeEdit), Qt::Key_Down);
    EXPECT_EQ(Text(ids::kVolumeEdit), "7");

    Control<QRadioButton>(ids::kNsaMonitor)->click();
    EXPECT_FALSE(Control(ids::kTimerPauseSpin)->isEnabled());
    Control<QRadioButton>(ids::kNsaTimer)->click();
    EXPECT_EQ(Text(ids::kTimerPauseEdit), "2.0");
    Spin(ids::kTimerPauseSpin)->UpButton()->click();
    EXPECT_EQ(Text(ids::kTimerPauseEdit), "2.5");
    Control<QRadioButton>(ids::kNsaTimer)->click(); // already Timer: the value stays
    EXPECT_EQ(Text(ids::kTimerPauseEdit), "2.5");
    EXPECT_FALSE(Control(ids::kPromptIntervalSpin)->isEnabled());
}

TEST_F(Dialog, LoadDefaultsWritesAtOnce) {
    link->model.parameters.speakerVolume = 2;
    link->model.parameters.options = 7;
    Connect();
    Control<QPushButton>(ids::kLoadDefaults)->click();
    EXPECT_EQ(Text(ids::kVolumeEdit), "8");
    Tick(3);
    EXPECT_EQ(link->model.parameters, DefaultParameters());
}

TEST_F(Dialog, FailedWriteIsReportedAndTheNextUpdateSendsItAgain) {
    Connect();
    link->Protocol().Faults().writeResult = 1;
    Spin(ids::kVolumeSpin)->DownButton()->click();
    Control<QPushButton>(ids::kUpdate)->click();
    Tick(3);
    EXPECT_EQ(dlg->messages.back(), "Update Failed: Configuration update failed !");
    EXPECT_EQ(Text(ids::kVolumeEdit), "7");
    link->Protocol().Faults().writeResult = 0;
    Control<QPushButton>(ids::kUpdate)->click();
    Tick(3);
    EXPECT_EQ(dlg->messages.back(), "Corvel Updated: " + std::string(text::kUpdated));
    EXPECT_EQ(link->model.parameters.speakerVolume, 7);
}

TEST_F(Dialog, ExitQuestionYesLeavesOnlyAfterASuccessfulWrite) {
    Connect();
    link->Protocol().Faults().noResult = true;
    link->Protocol().Faults().writeResult = 1; // not stored
    Spin(ids::kVolumeSpin)->DownButton()->click();
    dlg->answers = {Answer::Yes};
    Control<QPushButton>(ids::kExit)->click();
    Tick(3 + 1 + kReadBackTicks);
    EXPECT_EQ(dlg->messages.back(), "Update Failed: Configuration update failed !");
    EXPECT_TRUE(dlg->isVisible());
    link->Protocol().Faults().noResult = false;
    link->Protocol().Faults().writeResult = 0;
    Spin(ids::kVolumeSpin)->DownButton()->click();
    dlg->answers = {Answer::Yes};
    dlg->close(); // the window's close command asks the same question
    EXPECT_TRUE(dlg->isVisible());
    Tick(3);
    EXPECT_EQ(link->model.parameters.speakerVolume, 6);
    Tick(kExitWaitTicks);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(link->Received().back(), "SetAttached off");
}

TEST_F(Dialog, EscapeWithoutChangesLeaves) {
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible()); // the trainer's quiet time first
    Tick(kExitWaitTicks);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(dlg->messages.empty());
}

TEST_F(Dialog, SpaceBarNeverPressesAButtonButEnterPressesConnect) {
    auto* connect = Control<QPushButton>(ids::kConnect);
    connect->setFocus();
    QTest::keyClick(connect, Qt::Key_Space);
    EXPECT_EQ(dlg->Machine().State(), LinkState::Idle);
    QTest::keyClick(Control(ids::kVolumeEdit), Qt::Key_Return);
    EXPECT_EQ(dlg->Machine().State(), LinkState::Search);
}

TEST_F(Dialog, DisabledButtonsStillShowTheirTooltips) {
    auto* update = Control<QPushButton>(ids::kUpdate);
    ASSERT_FALSE(update->isEnabled());
    EXPECT_EQ(update->toolTip(), "Update Corvel configuration");
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), update->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(update, &help);
    EXPECT_EQ(QToolTip::text(), "Update Corvel configuration");
    EXPECT_EQ(Control(ids::kTimerPauseSpin)->toolTip(), "Length of Pause after No Shock Action");
    EXPECT_EQ(Control(ids::kNsaTimer)->toolTip(), "\"No Shock Action = Timer Pause\"");
}

TEST_F(Dialog, WindowMenuCommands) {
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(dlg->abouts, 1);
    dlg->SysCommand(ids::kAboutCommand + 3); // the low four bits do not count
    EXPECT_EQ(dlg->abouts, 2);
    // The scenario monitor needs a connection; without one nothing happens.
    QTest::keyClick(dlg.get(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_FALSE(dlg->Machine().MonitorOpen());
    EXPECT_TRUE(link->Received().empty());
}

// The 200 ms timer keeps running under the upload dialog and under a result
// box, so the trainer keeps getting its pings.
TEST_F(Dialog, PingsGoOnUnderTheUploadDialogAndTheResultBox) {
    Connect();
    dlg->realBoxes = true;
    dlg->TickTimer()->start();

    long underUpload = -1;
    OnModal<CUploadDlg> upload([&](CUploadDlg& dialog) {
        const long before = Pings();
        Wait(std::chrono::seconds(9));
        underUpload = Pings() - before;
        dialog.reject();
    });
    Control<QPushButton>(ids::kCustomScenarios)->click();
    for (int i = 0; i < 200 && underUpload < 0; ++i) {
        Wait(std::chrono::milliseconds(50));
    }
    EXPECT_GE(underUpload, 2);
    EXPECT_TRUE(Control(ids::kCustomScenarios)->isEnabled());

    long underBox = -1;
    OnModal<QMessageBox> box([&](QMessageBox& shown) {
        const long before = Pings();
        Wait(std::chrono::milliseconds(4500));
        underBox = Pings() - before;
        shown.accept();
    });
    Spin(ids::kVolumeSpin)->DownButton()->click();
    Control<QPushButton>(ids::kUpdate)->click();
    for (int i = 0; i < 200 && underBox < 0; ++i) {
        Wait(std::chrono::milliseconds(50));
    }
    EXPECT_GE(underBox, 1);
    ASSERT_FALSE(dlg->messages.empty());
    EXPECT_EQ(dlg->messages.back(), "Corvel Updated: " + std::string(text::kUpdated));
}

TEST_F(Dialog, YesNoQuestionDefaultsToNo) {
    OnModal<QMessageBox> box([](QMessageBox& shown) {
        EXPECT_EQ(shown.defaultButton(), shown.button(QMessageBox::No));
        EXPECT_EQ(shown.button(QMessageBox::Cancel), nullptr);
        shown.defaultButton()->click();
    });
    EXPECT_EQ(dlg->CConfigDlg::Ask("Upload it anyway?", "crvlconfig", Question::YesNo,
                                   MessageIcon::Exclamation),
              Answer::No);
    EXPECT_TRUE(box.Done());
}

TEST_F(Dialog, LosingTheTrainerClosesTheUploadDialog) {
    Connect();
    bool closedByItself = false;
    OnModal<CUploadDlg> upload([&](CUploadDlg& dialog) {
        link->Protocol().Faults().silent = true;
        Tick(2 * kPingCycleTicks + 1);
        closedByItself = !dialog.isVisible();
    });
    Control<QPushButton>(ids::kCustomScenarios)->click();
    Tick(4);
    ASSERT_TRUE(upload.Done());
    EXPECT_TRUE(closedByItself);
    EXPECT_EQ(Control<CLedCtrl>(ids::kConnectionLamp)->RowOffset(), 32); // yellow
    EXPECT_FALSE(Control(ids::kCustomScenarios)->isEnabled());
    const std::vector<std::string> received = link->Received();
    EXPECT_EQ(std::count(received.begin(), received.end(), "UploadScenario"), 0);
    ASSERT_FALSE(dlg->messages.empty());
    EXPECT_EQ(dlg->messages.back(), "crvlconfig: " + std::string(text::kLostBeforeUpload));
}

// The dialog over the real link and the simulated trainer on a
// pseudo-terminal, with its own 200 ms timer.
class DialogOnTerminal : public ::testing::Test {
protected:
    std::unique_ptr<sim::TrainerSim> trainer;
    TrainerLink* link = nullptr;
    std::unique_ptr<TestDlg> dlg;
    std::mutex logMutex;
    std::vector<std::string> log;

    void SetUp() override {
        App();
        trainer =
            std::make_unique<sim::TrainerSim>(sim::SimConfig{}, [this](const std::string& line) {
                std::lock_guard<std::mutex> lock(logMutex);
                log.push_back(line);
            });
        ASSERT_EQ(trainer->Open().message(), "");
        ::setenv("CRVL_COM1", trainer->SlavePath().c_str(), 1);
        trainer->Start();
        LinkOptions options;
        options.serial.readTimeoutMs = 50; // a quicker drain and close
        auto owned = std::make_unique<TrainerLink>(options);
        link = owned.get();
        dlg = std::make_unique<TestDlg>(std::move(owned));
        dlg->show();
    }
    void TearDown() override {
        dlg.reset();
        trainer->Stop();
        ::unsetenv("CRVL_COM1");
    }

    template <typename T = QWidget> T* Control(int id) {
        return dlg->findChild<T*>(QString::number(id));
    }
    int LampRow() { return Control<CLedCtrl>(ids::kConnectionLamp)->RowOffset(); }
    // Lets the program run until done() or the time is up.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end) {
            Wait(std::chrono::milliseconds(10));
        }
        return done();
    }
    bool Connected() { return dlg->Machine().State() == LinkState::Connected && LampRow() == 16; }
    template <typename F> auto OnTrainer(F f) {
        std::promise<decltype(f())> result;
        auto future = result.get_future();
        trainer->Post([&] { result.set_value(f()); });
        return future.get();
    }
    long Received(const std::string& name) {
        std::lock_guard<std::mutex> lock(logMutex);
        return std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.rfind("rx " + name + " [", 0) == 0;
        });
    }
};

TEST_F(DialogOnTerminal, DisconnectWithAnAnswerOnTheWayThenReconnectAndWrite) {
    using namespace std::chrono_literals;
    Control<QPushButton>(ids::kConnect)->click();
    ASSERT_TRUE(RunUntil([this] { return Connected(); }, 10s));
    OnTrainer([this] {
        trainer->Protocol().Faults().replyDelay = 300ms;
        return 0;
    });
    // Just after a ping, press Disconnect: the Alive lands while the tool
    // waits before closing the line.
    ASSERT_TRUE(RunUntil([this] { return dlg->Machine().Ticks() != 0; }, 2s));
    ASSERT_TRUE(RunUntil([this] { return dlg->Machine().Ticks() == 0; }, 6s));
    const auto committed = link->Ring().CommittedEnd();
    Control<QPushButton>(ids::kConnect)->click();
    EXPECT_TRUE(dlg->Machine().Waiting()); // the click returns at once
    EXPECT_TRUE(RunUntil([&] { return link->Ring().CommittedEnd() != committed; }, 2s));
    EXPECT_TRUE(RunUntil([this] { return !dlg->Machine().Waiting(); }, 2s));
    EXPECT_EQ(LampRow(), 0); // red
    EXPECT_EQ(Control<QPushButton>(ids::kConnect)->text(), "Connect");

    OnTrainer([this] {
        trainer->Protocol().Faults().replyDelay = 0ms;
        return 0;
    });
    const long requestsBefore = Received("ReadParameters");
    Control<QPushButton>(ids::kConnect)->click();
    ASSERT_TRUE(RunUntil([this] { return Connected(); }, 10s));
    EXPECT_EQ(Received("ReadParameters") - requestsBefore, 1);
    EXPECT_EQ(Control<QPlainTextEdit>(ids::kStatus)->toPlainText(), "SW-Ver: 2.1\nHW-Ver: 03");
    EXPECT_TRUE(
        RunUntil([this] { return Control<QLineEdit>(ids::kBatteryEdit)->text() == "7.2 V"; }, 2s));

    Control<CUpDownCtrl>(ids::kVolumeSpin)->DownButton()->click();
    Control<QPushButton>(ids::kUpdate)->click();
    ASSERT_TRUE(RunUntil([this] { return !dlg->messages.empty(); }, 3s));
    EXPECT_EQ(dlg->messages,
              (std::vector<std::string>{"Corvel Updated: " + std::string(text::kUpdated)}));
    EXPECT_EQ(OnTrainer([this] { return trainer->Model().parameters; }),
              dlg->Machine().Parameters());
    EXPECT_NE(dlg->Machine().Parameters(), sim::TrainerModel{}.parameters);
}

// The trainer answers ReadParameters and ReadVersion, then its line goes.
TEST_F(DialogOnTerminal, ATrainerLostDuringTheHandshakeLeavesTheDisconnectedView) {
    using namespace std::chrono_literals;
    OnTrainer([this] {
        trainer->Protocol().Faults().hangUpAfter = 2;
        return 0;
    });
    Control<QPushButton>(ids::kConnect)->click();
    ASSERT_TRUE(RunUntil(
        [this] {
            return Received("ReadVersion") == 1 && dlg->Machine().State() == LinkState::Idle;
        },
        10s));
    EXPECT_EQ(LampRow(), 48); // blue
    EXPECT_EQ(Control<QPushButton>(ids::kConnect)->text(), "Connect");
    EXPECT_EQ(Control<QPlainTextEdit>(ids::kStatus)->toPlainText(),
              "The Corvel was lost while connecting.\nPress Connect to search again.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(Control(ids::kCustomScenarios)->isEnabled());
    Control<QPushButton>(ids::kConnect)->click(); // one press searches again
    EXPECT_EQ(dlg->Machine().State(), LinkState::Search);
    EXPECT_EQ(LampRow(), 32); // yellow
}

// A logout, a closed terminal or a service stop: the dialog ends as its Exit
// does, without asking about a pending change, and closes what is open over
// it.
TEST_F(DialogOnTerminal, ASignalEndsTheProgramAsExitDoes) {
    using namespace std::chrono_literals;
    QuitSignals quit;
    QObject::connect(&quit, &QuitSignals::Received, dlg.get(), &CConfigDlg::EndOnSignal);
    Control<QPushButton>(ids::kConnect)->click();
    ASSERT_TRUE(RunUntil([this] { return Connected(); }, 10s));
    Control<CUpDownCtrl>(ids::kVolumeSpin)->DownButton()->click();
    OnModal<QMessageBox> box([](QMessageBox&) { ::raise(SIGHUP); });
    QTimer::singleShot(0, dlg.get(), [this] {
        dlg->CConfigDlg::ShowMessage("open over the dialog", "crvlconfig",
                                     MessageIcon::Information);
    });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunUntil([&] { return box.Done(); }, 2s));
    EXPECT_TRUE(RunUntil([this] { return !dlg->isVisible(); }, 1s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(dlg->messages.empty()); // nothing asked
    EXPECT_FALSE(link->IsOpen());
    EXPECT_FALSE(OnTrainer([this] { return trainer->Model().attached; }));
    EXPECT_EQ(Received("SetAttached off"), 1);
}

TEST(LedCtrl, DrawsItsCellCentredWithMagentaTransparent) {
    App();
    QWidget back;
    back.setAutoFillBackground(true);
    QPalette palette = back.palette();
    palette.setColor(QPalette::Window, Qt::white);
    back.setPalette(palette);
    back.resize(20, 20);
    auto* lamp = new CLedCtrl(&back);
    lamp->setGeometry(0, 0, 20, 20);
    EXPECT_EQ(lamp->Column(), 1); // a new lamp is dark red
    lamp->Set(16, 0);             // green, lit
    const QImage shot = back.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white)); // the cell's corner
    const QColor centre = shot.pixelColor(10, 12);
    EXPECT_GT(centre.green(), 150);
    EXPECT_LT(centre.red(), 100);
    lamp->Set(16, 2); // off: grey
    const QColor off = back.grab().toImage().pixelColor(10, 12);
    EXPECT_EQ(off.red(), off.green());
}

TEST(SingleInstance, SecondStartBringsTheFirstWindowForward) {
    App();
    const QString name =
        QStringLiteral("crvlconfig-test-%1").arg(QCoreApplication::applicationPid());
    QWidget window;
    window.showMinimized();
    CConfigApp first(name);
    ASSERT_TRUE(first.Listen(&window));
    CConfigApp second(name);
    EXPECT_TRUE(second.ForwardToRunningCopy());
    for (int i = 0; i < 50 && window.isMinimized(); ++i) {
        QTest::qWait(10);
    }
    EXPECT_FALSE(window.isMinimized());
    CConfigApp lonely(name + QStringLiteral("-none"));
    EXPECT_FALSE(lonely.ForwardToRunningCopy());
}

} // namespace
} // namespace crvl
