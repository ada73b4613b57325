// The editor and main window on the offscreen platform: the palette as the
// user sees it, presses on the canvas and on frames, keys, element dialogs,
// the menus and the background loop.

#include "../common/next_modal.h"
#include "builder_console.h"
#include "builder_services.h"
#include "connection.h"
#include "element_dialogs.h"
#include "main_frame.h"
#include "scenario_editor_applet.h"
#include "scenario_frame.h"
#include "se_language.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

// The run's application, made by the test program's main.
QApplication& app() {
    return *qApp;
}

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(kDataDir));
        editor = std::make_unique<ScenarioEditorApplet>();
        editor->init(kDataDir);
        editor->show();
        BuilderState::clearFileChanged();
    }
    void TearDown() override {
        editor.reset();
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }

    ScenarioEditorCore& core() { return editor->core(); }
    void press(PaletteTool tool) { QTest::mouseClick(editor->paletteButton(tool), Qt::LeftButton); }
    void clickCanvas(QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(editor->bigPanel(), Qt::LeftButton, modifiers, at);
    }
    QWidget* widgetOf(const std::string& title) {
        ScenarioFrame* frame = core().stringToFrameIconComponent(title);
        return frame == nullptr ? nullptr : editor->widgetOf(*frame);
    }
    QImage image(std::string_view name) {
        return QPixmap(QString::fromStdString(kDataDir + std::string(name))).toImage();
    }

    std::unique_ptr<ScenarioEditorApplet> editor;

private:
    ConsoleSink previousSink_;
};

TEST_F(EditorWindowTest, PaletteButtonsStandInPlaceWithTheirPicturesAndNames) {
    EXPECT_EQ(editor->size(), ScenarioEditorApplet::EDITOR_SIZE);
    for (const PaletteEntry& entry : paletteEntries()) {
        const ImageButton* button = editor->paletteButton(entry.tool);
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_EQ(button->objectName().toStdString(), entry.name);
        EXPECT_EQ(button->pos(), QPoint(entry.position.x, entry.position.y));
        EXPECT_EQ(button->size(), QSize(34, 34));
        EXPECT_FALSE(button->accessibleName().isEmpty());
        EXPECT_EQ(button->accessibleName().toStdString(), paletteTooltip(entry.tool));
        const bool selected = entry.tool == PaletteTool::selectTool;
        const QImage wanted = image(paletteImage(entry.tool, selected, /*undoAvailable=*/false));
        ASSERT_FALSE(wanted.isNull());
        EXPECT_EQ(button->picture().toImage(), wanted);
    }
    EXPECT_EQ(editor->paletteButton(PaletteTool::ecgActionTool)->parentWidget()->objectName(),
              "actionPanel");
    EXPECT_EQ(editor->paletteButton(PaletteTool::cprEventTool)->parentWidget()->geometry(),
              QRect(-1, 291, 65, 115));
    EXPECT_EQ(editor->scenarioName(), "New Scenario");
    EXPECT_EQ(editor->findChild<QWidget*>("labelScenarioName")->geometry(),
              QRect(235, 12, 330, 21));
    EXPECT_EQ(editor->scrollView()->geometry(), QRect(96, 45, 680, 519));
}

TEST_F(EditorWindowTest, PressedToolShowsItsSelectedPicture) {
    press(PaletteTool::createFramesTool);
    EXPECT_EQ(editor->paletteButton(PaletteTool::createFramesTool)->picture().toImage(),
              image("picts/create.gif"));
    EXPECT_EQ(editor->paletteButton(PaletteTool::selectTool)->picture().toImage(),
              image("picts/no_select.gif"));
    EXPECT_EQ(core().drawState(), DrawState::CREATING);
}

TEST_F(EditorWindowTest, CreateToolAndACanvasPressMakeOneFrameWidget) {
    press(PaletteTool::createFramesTool);
    clickCanvas({400, 300});
    QWidget* made = widgetOf("Frame1");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->parentWidget(), editor->bigPanel());
    EXPECT_EQ(made->pos(), QPoint(400, 300));
    EXPECT_TRUE(made->isVisible());
    EXPECT_EQ(core().drawState(), DrawState::SELECTING);
    EXPECT_TRUE(BuilderState::isFileChanged());

    clickCanvas({400, 600});
    EXPECT_EQ(core().frames().size(), 2u);
}

TEST_F(EditorWindowTest, AltPressOnAConnectionDeletesItAPlainPressSelectsIt) {
    press(PaletteTool::createFramesTool);
    clickCanvas({100, 400});
    ScenarioFrame& f0 = *core().stringToFrameIconComponent("Frame0");
    ScenarioFrame& f1 = *core().stringToFrameIconComponent("Frame1");
    core().addConnection(std::make_unique<Connection>(f0, f1, output1Field, inputField, false));
    core().drawAllConnections();
    const Point a = core().connections()[0]->startPoint();
    const Point b = core().connections()[0]->endPoint();
    const QPoint mid((a.x + b.x) / 2, (a.y + b.y) / 2);

    clickCanvas(mid);
    ASSERT_EQ(core().connections().size(), 1u);
    EXPECT_TRUE(core().connections()[0]->isSelected());
    clickCanvas(mid, Qt::AltModifier | Qt::ShiftModifier); // not Alt alone
    EXPECT_EQ(core().connections().size(), 1u);
    clickCanvas(mid, Qt::AltModifier);
    EXPECT_TRUE(core().connections().empty());
    EXPECT_TRUE(core().undoItemsExist());
    EXPECT_EQ(editor->paletteButton(PaletteTool::undoTool)->picture().toImage(),
              image("picts/no_Undo.gif"));
}

TEST_F(EditorWindowTest, DeleteKeyDeletesTheSelectedFrameButNotWithTheLinkTool) {
    press(PaletteTool::createFramesTool);
    clickCanvas({100, 400});
    QWidget* frameWidget = widgetOf("Frame1");
    QTest::mouseClick(frameWidget, Qt::LeftButton, {}, QPoint(1, 1));
    press(PaletteTool::linkFramesTool);
    editor->bigPanel()->setFocus();
    QTest::keyClick(editor->bigPanel(), Qt::Key_Delete);
    EXPECT_EQ(core().frames().size(), 2u);
    EXPECT_EQ(core().drawState(), DrawState::SELECTING);

    QTest::mouseClick(frameWidget, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::keyClick(frameWidget, Qt::Key_Delete);
    EXPECT_EQ(core().frames().size(), 1u);
    QTest::qWait(1); // the widget goes once the event is over
    EXPECT_EQ(
        editor->bigPanel()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
        2); // Frame0 and the connection layer
}

TEST_F(EditorWindowTest, ArrowAndPageKeysScrollTheCanvas) {
    QScrollBar* vertical = editor->scrollView()->verticalScrollBar();
    QScrollBar* horizontal = editor->scrollView()->horizontalScrollBar();
    editor->bigPanel()->setFocus();
    QTest::keyClick(editor->bigPanel(), Qt::Key_Down);
    EXPECT_EQ(vertical->value(), 20);
    QTest::keyClick(editor->bigPanel(), Qt::Key_PageDown);
    EXPECT_EQ(vertical->value(), 20 + vertical->pageStep());
    QTest::keyClick(editor->bigPanel(), Qt::Key_PageUp);
    QTest::keyClick(editor->bigPanel(), Qt::Key_Up);
    EXPECT_EQ(vertical->value(), 0);
    QTest::keyClick(editor->bigPanel(), Qt::Key_Right);
    EXPECT_EQ(horizontal->value(), 20);
    QTest::keyClick(editor->bigPanel(), Qt::Key_Left);
    EXPECT_EQ(horizontal->value(), 0);
}

TEST_F(EditorWindowTest, ElementDialogOkFillsTheFrameAndEndsTheUndo) {
    press(PaletteTool::createFramesTool);
    clickCanvas({100, 400});
    QTest::mouseClick(widgetOf("Frame1"), Qt::LeftButton, {}, QPoint(1, 1));
    editor->bigPanel()->setFocus();
    QTest::keyClick(editor->bigPanel(), Qt::Key_Delete);
    ASSERT_TRUE(core().undoItemsExist());

    press(PaletteTool::motionActionTool);
    std::string title;
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<ElementDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle().toStdString();
        EXPECT_FALSE(core().selectedTool().has_value());
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    ScenarioFrame& f0 = *core().stringToFrameIconComponent("Frame0");
    const Rect list = f0.listBounds();
    QTest::mouseClick(widgetOf("Frame0"), Qt::LeftButton, {}, QPoint(list.x + 10, list.y + 3));
    EXPECT_EQ(title, "Motion");
    ASSERT_EQ(f0.rows().size(), 2u);
    EXPECT_EQ(f0.rows()[1].type, "MotionAction");
    EXPECT_FALSE(core().undoItemsExist());
    EXPECT_EQ(core().drawState(), DrawState::SELECTING);
}

// A number typed out of its field's range, or no number at all, never
// reaches the frame: OK names the range and leaves the dialog open with the
// field selected, and Cancel then leaves the frame as it was.
struct BadNumber {
    PaletteTool tool;
    const char* field;
    const char* radio; // chosen before typing, if any
    const char* typed;
    const char* message;
};

TEST_F(EditorWindowTest, TypedNumbersOutsideTheirFieldNeverReachTheFrame) {
    const char* shocks = "Defibrillation performed: Please enter a whole number from 1 to 9.";
    const char* cpr = "CPR: Please enter a whole number from 5 to 250.";
    const char* time = "Time: Please enter a whole number from 0 to 250.";
    const BadNumber cases[] = {
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "1x", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "0", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "10", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "-5", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "251",
         "Defibrillation performed: Shocks Delivered > 250"},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "1x", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "1", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "2", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "4", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "300", cpr},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "1x", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "-5", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "300", "Time: Time > 250"},
    };
    ScenarioFrame& f0 = *core().stringToFrameIconComponent("Frame0");
    const std::string before = f0.toString();
    const Rect box = f0.outputBounds(1);
    for (const BadNumber& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " \"" + c.typed + "\"");
        SeenBox seen;
        bool stayedOpen = false;
        QString selected = "-";
        press(c.tool);
        onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<ElementDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (c.radio != nullptr) {
                dialog->findChild<QRadioButton*>(QLatin1String(c.radio))->click();
            }
            auto* field = dialog->findChild<QAbstractSpinBox*>(QLatin1String(c.field));
            ASSERT_NE(field, nullptr);
            field->findChild<QLineEdit*>()->setText(QString::fromLatin1(c.typed));
            onNextMessageBox(seen);
            dialog->okButton()->click(); // returns once the box is answered
            stayedOpen = dialog->isVisible();
            selected = field->findChild<QLineEdit*>()->selectedText();
            dialog->cancelButton()->click();
        });
        QTest::mouseClick(widgetOf("Frame0"), Qt::LeftButton, {}, QPoint(box.x + 3, box.y + 3));
        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(seen.title + ": " + seen.text, c.message);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(selected.toStdString(), c.typed);
        EXPECT_EQ(f0.toString(), before);
    }
    EXPECT_FALSE(f0.output(1).text);
}

// Where frames overlap, a connection dragged onto them goes to the one
// drawn on top: the frame made last.
TEST_F(EditorWindowTest, ConnectionDroppedOnOverlappingFramesGoesToTheFrameOnTop) {
    press(PaletteTool::createFramesTool);
    clickCanvas({300, 300});
    press(PaletteTool::createFramesTool);
    clickCanvas({340, 320});
    ScenarioFrame& f0 = *core().stringToFrameIconComponent("Frame0");
    ScenarioFrame& f2 = *core().stringToFrameIconComponent("Frame2");
    const Point drop{440, 340}; // inside Frame1 and Frame2
    ASSERT_TRUE(core().stringToFrameIconComponent("Frame1")->bounds().contains(drop));
    ASSERT_TRUE(f2.bounds().contains(drop));
    EXPECT_EQ(editor->bigPanel()->childAt(drop.x, drop.y), widgetOf("Frame2"));

    press(PaletteTool::linkFramesTool);
    QWidget* from = widgetOf("Frame0");
    const Point start = f0.getPartPosition(output1Field) - Point{0, 5};
    const QPoint end(drop.x - f0.location().x, drop.y - f0.location().y);
    QTest::mousePress(from, Qt::LeftButton, {}, QPoint(start.x, start.y));
    QMouseEvent move(QEvent::MouseMove, QPointF(end), from->mapToGlobal(QPointF(end)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(from, &move);
    QTest::mouseRelease(from, Qt::LeftButton, {}, end);
    ASSERT_EQ(core().connections().size(), 1u);
    EXPECT_EQ(&core().connections()[0]->getDest(), &f2);
}

TEST_F(EditorWindowTest, TwentyFirstFrameShowsTheLimitBox) {
    for (int k = 1; k < 20; ++k) {
        press(PaletteTool::createFramesTool);
        clickCanvas({500, 100 * k});
    }
    ASSERT_EQ(core().frames().size(), 20u);
    QString text;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->windowTitle() + ": " + box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->accept();
    });
    press(PaletteTool::createFramesTool);
    clickCanvas({10, 1500});
    EXPECT_EQ(text, "Create Frames: Can not have more than 20 frames in a scenario.");
    EXPECT_EQ(core().frames().size(), 20u);
    EXPECT_EQ(core().selectedTool(), PaletteTool::selectTool);
}

TEST_F(EditorWindowTest, DraggedFrameGrowsTheCanvas) {
    QWidget* frame0 = widgetOf("Frame0");
    QTest::mousePress(frame0, Qt::LeftButton, {}, QPoint(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(601, 1), frame0->mapToGlobal(QPointF(601, 1)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(frame0, &move);
    QTest::mouseRelease(frame0, Qt::LeftButton, {}, QPoint(601, 1));
    const Rect r = core().stringToFrameIconComponent("Frame0")->bounds();
    ASSERT_EQ(r.x, 700);
    EXPECT_EQ(editor->bigPanel()->size(), QSize(r.x + r.width + 20, 1830));
}

// ---- the main window -------------------------------------------------------------------

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        BuilderState::clearFileChanged();
    }
    void TearDown() override {
        window.reset();
        setConsoleSink(previousSink_);
        seLanguage::restoreDefaults();
        BuilderState::clearFileChanged();
    }
    void open(std::vector<std::string> args, const std::string& base = kDataDir) {
        window =
            std::make_unique<MainFrame>(new ScenarioEditorApplet, BuilderArguments(args), base);
        window->show();
        window->startUp();
        QCoreApplication::processEvents();
        window->loopTimer().stop(); // the tests tick by hand
    }
    std::unique_ptr<MainFrame> window;

private:
    ConsoleSink previousSink_;
};

TEST_F(MainWindowTest, StartsTitledWithMenusInOrderAndTheEditorSize) {
    open({});
    EXPECT_EQ(window->windowTitle(), "Corvel Scenario Builder");
    EXPECT_EQ(window->size(), QSize(804, 603));
    EXPECT_EQ(window->statusText(), "");
    QMenuBar* mb = window->findChild<QMenuBar*>();
    ASSERT_NE(mb, nullptr);
    QStringList texts;
    for (QAction* menu : mb->actions()) {
        texts << menu->text() + ":";
        for (QAction* item : menu->menu()->actions()) {
            texts << item->text();
        }
    }
    EXPECT_EQ(texts.join('|').toStdString(),
              "File:|New Scenario|Load Scenario|Save Scenario|Print Scenario|Exit|Help:|About|"
              "Show Help");
    EXPECT_EQ(window->browserButtonsTexts()[3], "Close");
}

TEST_F(MainWindowTest, BarebonesHasNoMenuBar) {
    open({"barebones=true"});
    EXPECT_EQ(window->findChild<QMenuBar*>(), nullptr);
    EXPECT_FALSE(window->menuCommand("Exit"));
    EXPECT_FALSE(window->closed());
}

TEST_F(MainWindowTest, SameTextOnTwoItemsRunsTheCommandThatComesFirst) {
    const auto base = std::filesystem::temp_directory_path() / "crvl_menu_translation/";
    std::filesystem::create_directories(base / "inits");
    std::ofstream(base / "inits/seTranslator.ini")
        << "ENCODING\tCp1252\r\n\"menuItemSave\"\t\"Laden\"\r\n\"menuItemLoad\"\t\"Laden\"\r\n";
    open({}, base.string());
    std::filesystem::remove_all(base);
    ASSERT_EQ(window->menuItem(MainFrame::MenuCommand::Save)->text(), "Laden");

    std::vector<std::string> opened;
    window->editor().commands().openLoadDialog = [&](const std::string&) {
        opened.push_back("load");
    };
    window->editor().commands().openSaveDialog = [&](const std::string&) {
        opened.push_back("save");
    };
    window->menuItem(MainFrame::MenuCommand::Save)->trigger();
    window->menuItem(MainFrame::MenuCommand::Load)->trigger();
    EXPECT_EQ(opened, (std::vector<std::string>{"load", "load"}));
}

TEST_F(MainWindowTest, AboutShowsOnTheNextTickThenConnectionsAreRedrawn) {
    open({});
    window->menuItem(MainFrame::MenuCommand::About)->trigger();
    EXPECT_TRUE(window->aboutPending());
    QString caption;
    QMessageBox::Icon icon = QMessageBox::Critical;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    window->tick();
    EXPECT_EQ(caption, "About");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_FALSE(window->aboutPending());
    EXPECT_EQ(window->editor().core().refreshConnectionsTimer(), 1); // started, then ticked once
}

TEST_F(MainWindowTest, PrintAndHelpBeepUntilTheyExistAndAPendingPrintRefuses) {
    open({});
    int opened = 0;
    window->showPrintDialog(); // nothing to open it with: beeps
    window->services().openPrintDialog = [&] { ++opened; };
    window->showPrintDialog();
    EXPECT_EQ(opened, 1);
    window->printOnePage();
    window->showPrintDialog();
    EXPECT_EQ(opened, 1);
    std::vector<std::string> printed;
    window->services().print = [&](const std::string& mode) { printed.push_back(mode); };
    window->tick();
    window->printTwoPages();
    window->tick();
    EXPECT_EQ(printed, (std::vector<std::string>{"print1Page", "print2Pages"}));
    window->editor().core().setPrinting(true);
    EXPECT_EQ(window->editor().core().getPrintingFont().pointSize, 7);
}

TEST_F(MainWindowTest, CloseWithoutChangesEndsWithChangesAsks) {
    open({});
    std::vector<std::string> asked;
    window->services().askSaveChanges = [&](const std::string& mode) { asked.push_back(mode); };
    BuilderState::file_changed();
    window->close();
    EXPECT_EQ(asked, std::vector<std::string>{"closing"});
    EXPECT_FALSE(window->closed());
    EXPECT_TRUE(window->isVisible());

    BuilderState::clearFileChanged();
    window->menuItem(MainFrame::MenuCommand::Exit)->trigger();
    EXPECT_TRUE(window->closed());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, LoopTicksTheEditorTimers) {
    open({});
    auto& core = window->editor().core();
    core.startRefreshTimer();
    window->tick();
    EXPECT_EQ(core.refreshTimer(), 1);
    window->tick();
    EXPECT_EQ(core.refreshTimer(), ScenarioEditorCore::REFRESH_TIMERS_STOP);
    EXPECT_EQ(window->loopTimer().interval(), 250);
}

TEST_F(MainWindowTest, ResizedWindowLaysTheEditorOutAgain) {
    open({});
    window->resize(1200, 900);
    QCoreApplication::processEvents();
    const ScenarioEditorApplet& editor = window->editor();
    EXPECT_EQ(editor.scrollView()->size(), QSize(editor.width() - 114, editor.height() - 59));
    EXPECT_EQ(editor.findChild<QWidget*>("banner")->pos(), QPoint(2, editor.height() - 33));
    EXPECT_GE(editor.bigPanel()->width(), 820);
    EXPECT_GE(editor.bigPanel()->height(), 1830);
}

TEST_F(MainWindowTest, HelpButtonAndMenuOpenTheHelpPagesUnderTheBase) {
    open({});
    std::vector<std::string> opened;
    window->services().openHelp = [&](const std::string& logo, const std::string& start,
                                      const std::array<std::string, 4>& buttons) {
        opened.push_back(logo + "|" + start + "|" + buttons[0]);
    };
    BuilderState::setDocumentBase("file://opt/crvl/");
    QTest::mouseClick(window->editor().paletteButton(PaletteTool::helpTool), Qt::LeftButton);
    window->menuItem(MainFrame::MenuCommand::Help)->trigger();
    const std::string wanted =
        "file://opt/crvl/picts/ScenarioLogoBig.gif|file://opt/crvl/help/Se.html|Back";
    EXPECT_EQ(opened, (std::vector<std::string>{wanted, wanted}));
    EXPECT_EQ(window->editor().core().selectedTool(), PaletteTool::selectTool);
}

} // namespace
} // namespace crvl::test
