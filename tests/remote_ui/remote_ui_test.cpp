#include "tools/remote_ui/remote_ui.h"
#include "tools/remote_ui/remote_ui_commands.h"
#include "tools/remote_ui/remote_ui_socket.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace crvl::remote_ui {
namespace {

constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                             QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther;

// The run's application, made by the test program's main.
QApplication& App() {
    return *qApp;
}

Reply Command(std::initializer_list<QString> fields) {
    return Execute(QStringList(fields));
}

bool RunEventsUntil(const std::function<bool()>& done, int waitMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < waitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// A window with a field carrying a control id, a captioned button, a
// labelled check box, a list and a multi-line field.
class Window : public QWidget {
public:
    Window() {
        setObjectName(QStringLiteral("testWindow"));
        setWindowTitle(QStringLiteral("Remote test"));
        auto* layout = new QVBoxLayout(this);
        field = new QLineEdit(QStringLiteral("old"), this);
        field->setObjectName(QStringLiteral("1000"));
        button = new QPushButton(QStringLiteral("&Open"), this);
        check = new QCheckBox(QStringLiteral("Pulse"), this);
        check->setAccessibleName(QStringLiteral("Pulse box"));
        check->setAccessibleDescription(QStringLiteral("green, lit"));
        choice = new QComboBox(this);
        choice->setObjectName(QStringLiteral("RhythmChoice"));
        choice->addItems({QStringLiteral("Sinus"), QStringLiteral("VT"), QStringLiteral("VF")});
        notes = new QPlainTextEdit(QStringLiteral("first\tline\nsecond"), this);
        notes->setObjectName(QStringLiteral("notes"));
        hidden = new QLabel(QStringLiteral("hidden"), this);
        hidden->setObjectName(QStringLiteral("later"));
        hidden->hide();
        for (QWidget* w :
             std::initializer_list<QWidget*>{field, button, check, choice, notes, hidden})
            layout->addWidget(w);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        show();
    }

    QLineEdit* field;
    QPushButton* button;
    QCheckBox* check;
    QComboBox* choice;
    QPlainTextEdit* notes;
    QLabel* hidden;
    int clicks = 0;
};

class RemoteUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        window_ = std::make_unique<Window>();
    }
    std::unique_ptr<Window> window_;
};

TEST_F(RemoteUiTest, PathsFindWidgetsByIdCaptionAndAccessibleName) {
    EXPECT_EQ(Command({"text", "testWindow/1000"}).value, "old");
    EXPECT_EQ(Command({"text", "Remote test/Open"}).value, "Open");
    EXPECT_EQ(Command({"text", "testWindow/RhythmChoice"}).value, "Sinus");
    EXPECT_EQ(Command({"text", "testWindow/notes"}).value, "first\tline\nsecond");
    EXPECT_EQ(Command({"state", "testWindow/Pulse box"}).value, "enabled=1 visible=1 checked=0");
    EXPECT_EQ(Command({"accessible", "testWindow/Pulse"}).value, "Pulse box\tgreen, lit");
    EXPECT_EQ(Command({"text", "testWindow/later"}).value, "hidden")
        << "hidden widgets are found too";
    EXPECT_EQ(Command({"exists", "testWindow/1001"}).value, "0");
    EXPECT_EQ(Command({"exists", "testWindow/1000"}).value, "1");
}

TEST_F(RemoteUiTest, MissingWindowOrWidgetIsNamedInTheError) {
    const Reply noWindow = Command({"text", "elsewhere/1000"});
    EXPECT_FALSE(noWindow.ok);
    EXPECT_EQ(noWindow.value, "no window elsewhere");
    const Reply noWidget = Command({"click", "testWindow/notes/1000"});
    EXPECT_FALSE(noWidget.ok);
    EXPECT_EQ(noWidget.value, "no widget 1000 in testWindow/notes");
    const Reply noModal = Command({"text", "@modal/OK"});
    EXPECT_FALSE(noModal.ok);
    EXPECT_EQ(noModal.value, "no window @modal");
}

TEST_F(RemoteUiTest, MalformedCommandsAreRefused) {
    EXPECT_EQ(Command({"press", "testWindow/Open"}).value, "unknown command press");
    EXPECT_EQ(Command({""}).value, "unknown command ");
    EXPECT_FALSE(Command({"click"}).ok);
    EXPECT_EQ(Command({"click", "testWindow/Open", "ten", "5"}).value,
              "click: X and Y must be numbers");
    EXPECT_FALSE(Command({"click", "testWindow/Open", "5"}).ok);
    EXPECT_FALSE(Command({"drag", "testWindow/notes", "1", "2", "3"}).ok);
    EXPECT_FALSE(Command({"key", "testWindow/1000", "Ctrl+A, Ctrl+B"}).ok);
    EXPECT_FALSE(Command({"key", "testWindow/1000"}).ok);
    EXPECT_FALSE(Command({"grab", "testWindow", "/nonexistent/dir/shot.png"}).ok);
    RunEventsUntil([] { return false; }, 200); // nothing was queued by a refusal
    EXPECT_EQ(window_->clicks, 0);
}

TEST_F(RemoteUiTest, InputArrivesAfterTheAnswer) {
    ASSERT_TRUE(Command({"click", "testWindow/Open"}).ok);
    EXPECT_EQ(window_->clicks, 0) << "queued, not yet delivered";
    EXPECT_TRUE(RunEventsUntil([&] { return window_->clicks == 1; }));

    Command({"key", "testWindow/1000", "Ctrl+A"});
    Command({"type", "testWindow/1000", "/tmp/Road 1.scn"});
    EXPECT_TRUE(RunEventsUntil([&] { return window_->field->text() == "/tmp/Road 1.scn"; }))
        << window_->field->text().toStdString();

    Command({"key", "testWindow/RhythmChoice", "Down"});
    Command({"key", "testWindow/RhythmChoice", "Down"});
    EXPECT_TRUE(RunEventsUntil([&] { return window_->choice->currentText() == "VF"; }));

    Command({"click", "testWindow/Pulse"});
    EXPECT_TRUE(RunEventsUntil([&] { return window_->check->isChecked(); }));
}

TEST_F(RemoteUiTest, DragDeliversPressMovesAndReleaseToOneWidget) {
    struct Recorder : QWidget {
        std::vector<std::pair<QEvent::Type, QPoint>> events;
        void mousePressEvent(QMouseEvent* e) override { events.emplace_back(e->type(), e->pos()); }
        void mouseMoveEvent(QMouseEvent* e) override { events.emplace_back(e->type(), e->pos()); }
        void mouseReleaseEvent(QMouseEvent* e) override {
            events.emplace_back(e->type(), e->pos());
        }
    };
    auto* pad = new Recorder;
    pad->setObjectName(QStringLiteral("pad"));
    pad->setMinimumSize(200, 200);
    window_->layout()->addWidget(pad);
    ASSERT_TRUE(Command({"drag", "testWindow/pad", "10", "20", "90", "100"}).ok);
    ASSERT_TRUE(RunEventsUntil([&] { return pad->events.size() == 6; }));
    EXPECT_EQ(pad->events.front(), std::make_pair(QEvent::MouseButtonPress, QPoint(10, 20)));
    EXPECT_EQ(pad->events[1], std::make_pair(QEvent::MouseMove, QPoint(30, 40)));
    EXPECT_EQ(pad->events.back(), std::make_pair(QEvent::MouseButtonRelease, QPoint(90, 100)));
}

// Commands keep working while a modal dialog runs its own event loop, and
// a menu entry is clicked by its text.
TEST_F(RemoteUiTest, ModalDialogAndMenuAnswerFromTheirOwnLoops) {
    QString modal;
    QString popup;
    bool menuChosen = false;
    bool dialogDone = false;
    QObject::connect(window_->button, &QPushButton::clicked, [&] {
        QDialog dialog(window_.get());
        dialog.setWindowTitle(QStringLiteral("Question"));
        auto* close = new QPushButton(QStringLiteral("Close"), &dialog);
        QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
        // The dialog's own context menu.
        dialog.setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(&dialog, &QWidget::customContextMenuRequested, [&](QPoint at) {
            QMenu menu(&dialog);
            menu.addAction(QStringLiteral("&About"));
            menu.addAction(QStringLiteral("Crvl Scenario Monitor"), [&] { menuChosen = true; });
            menu.exec(dialog.mapToGlobal(at));
        });
        QTimer::singleShot(20, [&] {
            modal = Command({"modal"}).value;
            Command({"contextmenu", "@modal"});
            QTimer::singleShot(20, [&] {
                popup = Command({"popup"}).value;
                Command({"click", "@popup/Crvl Scenario Monitor"});
                QTimer::singleShot(20, [&] { Command({"click", "@modal/Close"}); });
            });
        });
        dialog.exec();
        dialogDone = true;
    });
    Command({"click", "testWindow/Open"});
    EXPECT_TRUE(RunEventsUntil([&] { return dialogDone; }));
    EXPECT_EQ(modal, "QDialog\tQuestion");
    EXPECT_EQ(popup, "QMenu\t");
    EXPECT_TRUE(menuChosen);
    EXPECT_EQ(Command({"modal"}).value, "");
}

TEST(RemoteUiEscape, RepliesStayOnOneLine) {
    EXPECT_EQ(EscapeField("a\tb\nc\r\\d"), "a\\tb\\nc\\r\\\\d");
    EXPECT_EQ(EscapeField("plain"), "plain");
}

// A name of this test process's own: tests run side by side.
QString SocketName() {
    return QStringLiteral("remote-ui-test-%1").arg(QCoreApplication::applicationPid());
}

// The program's end: it connects to the socket the environment names and
// answers each line with one line.
TEST_F(RemoteUiTest, ProgramAnswersOverTheSocket) {
    QLocalServer server;
    const QString name = SocketName();
    ASSERT_TRUE(Listen(server, name).ok());
    QObject owner;
    ::setenv("CRVL_REMOTE_UI", name.toLocal8Bit().constData(), 1);
    RemoteUi::StartFromEnvironment(&owner);
    ::unsetenv("CRVL_REMOTE_UI");
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QLocalSocket* test = server.nextPendingConnection();
    test->write("text\ttestWindow/notes\nbogus\n");
    test->flush();
    QByteArray answer;
    ASSERT_TRUE(RunEventsUntil([&] {
        answer += test->readAll();
        return answer.count('\n') == 2;
    }));
    EXPECT_EQ(answer, "ok\tfirst\\tline\\nsecond\nerror\tunknown command bogus\n");
}

TEST_F(RemoteUiTest, NothingIsOpenedWithoutTheVariableOrWithoutAListener) {
    QObject owner;
    ::unsetenv("CRVL_REMOTE_UI");
    RemoteUi::StartFromEnvironment(&owner);
    EXPECT_TRUE(owner.children().isEmpty());
    ::setenv("CRVL_REMOTE_UI", "remote-ui-test-nobody-listens", 1);
    RemoteUi::StartFromEnvironment(&owner);
    ::unsetenv("CRVL_REMOTE_UI");
    EXPECT_TRUE(owner.children().isEmpty());
}

// Only this user may enter the folder and connect to the socket.
TEST(RemoteUiSocket, LivesInTheUsersRuntimeFolder) {
    QLocalServer server;
    ASSERT_TRUE(Listen(server, SocketName()).ok());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QFileInfo socket(server.fullServerName());
    EXPECT_EQ(socket.absolutePath(), folder);
    EXPECT_EQ(QFileInfo(folder).permissions() & kOthers, QFileDevice::Permissions());
    EXPECT_EQ(socket.permissions() & kOthers, QFileDevice::Permissions());
    EXPECT_TRUE(socket.permissions() & QFileDevice::WriteOwner);
}

// A socket outside the runtime folder, where another user could have put
// it, is not connected to: the program says so and runs on without remote
// control.
TEST_F(RemoteUiTest, NameLeadingOutOfTheRuntimeFolderIsRefused) {
    QLocalServer shared;
    const QString sharedPath = QDir::tempPath() + QLatin1Char('/') + SocketName();
    QLocalServer::removeServer(sharedPath);
    ASSERT_TRUE(shared.listen(sharedPath));
    for (const QString& name :
         {sharedPath, QStringLiteral("../") + SocketName(), QStringLiteral("sub/name"),
          QStringLiteral(".."), QStringLiteral("back\\slash")}) {
        QObject owner;
        ::setenv("CRVL_REMOTE_UI", name.toLocal8Bit().constData(), 1);
        testing::internal::CaptureStderr();
        RemoteUi::StartFromEnvironment(&owner);
        const std::string said = testing::internal::GetCapturedStderr();
        ::unsetenv("CRVL_REMOTE_UI");
        EXPECT_TRUE(owner.children().isEmpty()) << name.toStdString();
        EXPECT_NE(said.find("Remote control refused: \"" + name.toStdString() +
                            "\" is not a plain socket name in the runtime folder; running "
                            "without it"),
                  std::string::npos)
            << said;
    }
    EXPECT_FALSE(shared.waitForNewConnection(100));
}

} // namespace
} // namespace crvl::remote_ui
