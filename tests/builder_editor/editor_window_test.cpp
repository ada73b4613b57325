// The editor and main window on the offscreen platform: the palette as the
// user sees it, presses on the canvas and on frames, keys, element dialogs,
// the menus, shortcuts, recent scenarios, copy and paste and the background
// loop.

#include "builder/app/main_frame.h"
#include "builder/app/qt_language.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_frame.h"
#include "builder/views/element_dialogs.h"
#include "tests/common/next_modal.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

// A settings folder of this run's own: the user's settings stay untouched,
// and runs side by side do not meet.
const std::filesystem::path& settingsDir() {
    static const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("crvl_window_test_settings_" + std::to_string(::getpid()));
    return dir;
}

// The run's application, made by the test program's main, with the
// settings folder above.
QApplication& app() {
    static const bool scratchSettings = [] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir().string()));
        return true;
    }();
    (void)scratchSettings;
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
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "251", shocks},
        {PaletteTool::defibEventTool, "numericSpinner1", nullptr, "300", shocks},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "1x", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "1", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "2", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "4", cpr},
        {PaletteTool::cprEventTool, "numericCPRTime", "radioCPRaccumulated", "300", cpr},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "1x", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "-5", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "251", time},
        {PaletteTool::timeEventTool, "timeInState", nullptr, "300", time},
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
              "File:|New Scenario|Load Scenario|Save Scenario|Print Scenario|Recent Scenarios|"
              "Exit|Edit:|Undo|Redo|Copy|Paste|Help:|About|Show Help");
    EXPECT_EQ(window->menuItem(MainFrame::MenuCommand::Save)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_S));
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

// A German desktop: the builder's texts, Qt's own and the help in German.
TEST_F(MainWindowTest, GermanLocaleGivesGermanMenusShortcutsQtDialogsAndHelp) {
    seLanguage::chooseLanguage(kDataDir, languageFromEnvironment(nullptr, "", "de_DE.UTF-8"));
    QTranslator* qt = installQtTranslations(*QCoreApplication::instance(), seLanguage::language());
    ASSERT_NE(qt, nullptr) << "Qt's German catalogue (qt6-translations-l10n)";
    open({});
    EXPECT_EQ(window->findChild<QMenuBar*>()->actions().front()->text(), "Datei");
    // A screen reader names the editor's parts in German too.
    EXPECT_EQ(window->editor().scrollView()->accessibleName(),
              QString::fromUtf8("Ansicht der Szenario-Zeichenfläche"));
    EXPECT_EQ(window->menuItem(MainFrame::MenuCommand::Save)
                  ->shortcut()
                  .toString(QKeySequence::NativeText),
              "Strg+S");
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Abbrechen");
    std::string help;
    window->services().openHelp = [&](const std::string&, const std::string& start,
                                      const std::array<std::string, 4>&) { help = start; };
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase(kDataDir));
    window->menuItem(MainFrame::MenuCommand::Help)->trigger();
    EXPECT_TRUE(help.ends_with("/help/de/Se.html")) << help;

    QCoreApplication::removeTranslator(qt);
    delete qt;
    QLocale::setDefault(QLocale::c());
}

// ---- shortcuts, the Edit menu, recent scenarios, copy and paste ---------------------

class MainWindowKeysTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        std::filesystem::remove_all(settingsDir());
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        std::filesystem::remove_all(settingsDir());
    }
    void openActive(std::vector<std::string> args) {
        open(std::move(args));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(window->editor().bigPanel(), static_cast<Qt::Key>(key), modifiers);
    }
    ScenarioEditorCore& core() { return window->editor().core(); }
    ScenarioFrame& create(Point at) {
        core().selectTheObject(PaletteTool::createFramesTool);
        core().bigPanel_MouseClick(at, false);
        return *core().frames().back();
    }
    QStringList recentTexts() {
        emit window->recentMenu()->aboutToShow();
        QStringList texts;
        for (QAction* item : window->recentMenu()->actions()) {
            texts << item->text();
        }
        return texts;
    }
};

TEST_F(MainWindowKeysTest, ShortcutsWorkWithoutAMenuBar) {
    openActive({"barebones=true"});
    ASSERT_EQ(window->findChild<QMenuBar*>(), nullptr);
    std::vector<std::string> ran;
    auto& commands = window->editor().commands();
    commands.openLoadDialog = [&](const std::string&) { ran.push_back("load"); };
    commands.openSaveDialog = [&](const std::string&) { ran.push_back("save"); };
    window->services().openPrintDialog = [&] { ran.push_back("print"); };
    window->services().openHelp = [&](const std::string&, const std::string&,
                                      const std::array<std::string, 4>&) { ran.push_back("help"); };
    key(Qt::Key_O);
    key(Qt::Key_S);
    key(Qt::Key_P);
    key(Qt::Key_F1, Qt::NoModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"load", "save", "print", "help"}));

    create({300, 300});
    key(Qt::Key_Z);
    EXPECT_EQ(core().frames().size(), 1u);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(core().frames().size(), 2u);
    key(Qt::Key_Z);
    key(Qt::Key_Y);
    EXPECT_EQ(core().frames().size(), 2u);

    BuilderState::clearFileChanged();
    key(Qt::Key_N);
    EXPECT_EQ(core().frames().size(), 1u);
    key(Qt::Key_Q);
    EXPECT_TRUE(window->closed());
}

TEST_F(MainWindowKeysTest, EditMenuNamesTheStepAndIsEnabledOnlyWhenThereIsOne) {
    openActive({});
    QAction* undo = window->editItem(MainFrame::EditCommand::Undo);
    QAction* redo = window->editItem(MainFrame::EditCommand::Redo);
    EXPECT_EQ(undo->text(), "Undo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(redo->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                   QKeySequence(Qt::CTRL | Qt::Key_Y)}));

    QTest::mouseClick(window->editor().paletteButton(PaletteTool::createFramesTool),
                      Qt::LeftButton);
    QTest::mouseClick(window->editor().bigPanel(), Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(undo->text(), "Undo Create Frame1");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(redo->text(), "Redo");

    key(Qt::Key_Z);
    EXPECT_EQ(core().stringToFrameIconComponent("Frame1"), nullptr);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), "Redo Create Frame1");
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_FALSE(BuilderState::isFileChanged());
    key(Qt::Key_Y);
    EXPECT_NE(core().stringToFrameIconComponent("Frame1"), nullptr);
    EXPECT_TRUE(BuilderState::isFileChanged());
}

TEST_F(MainWindowKeysTest, RecentScenariosAfterSaveAndLoadNewestFirst) {
    openActive({});
    const auto dir = std::filesystem::temp_directory_path() /
                     ("crvl_window_recent_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = dir.string() + "/";
    EXPECT_TRUE(recentTexts().isEmpty());
    EXPECT_FALSE(window->recentMenu()->isEnabled());

    create({100, 300});
    core().onSaveLoadDialogReport(seLanguage::SAVE_OK_ACTION, {"first.scn", path, "", false, {}});
    create({100, 500});
    core().onSaveLoadDialogReport(seLanguage::SAVE_OK_ACTION, {"second.scn", path, "", false, {}});
    core().onSaveLoadDialogReport(seLanguage::LOAD_OK_ACTION, {"first.scn", path, "", true, {}});
    EXPECT_EQ(recentTexts(), (QStringList{"1 " + QString::fromStdString(path + "first.scn"),
                                          "2 " + QString::fromStdString(path + "second.scn")}));
    EXPECT_EQ(QSettings(QString::fromLatin1(MainFrame::SETTINGS_ORGANISATION),
                        QString::fromLatin1(MainFrame::SETTINGS_APPLICATION))
                  .value(QString::fromLatin1(MainFrame::RECENT_SCENARIOS_KEY))
                  .toStringList()
                  .size(),
              2);

    // Choosing one with unsaved changes asks first; No goes on loading it.
    create({400, 400});
    std::vector<std::string> asked;
    window->services().askSaveChanges = [&](const std::string& mode) {
        asked.push_back(mode);
        BuilderState::clearFileChanged();
        window->load();
    };
    window->recentMenu()->actions()[1]->trigger();
    EXPECT_EQ(asked, std::vector<std::string>{"loading"});
    EXPECT_EQ(window->editor().scenarioName(), "second.scn");
    EXPECT_EQ(core().frames().size(), 3u);
    EXPECT_EQ(recentTexts()[0], "1 " + QString::fromStdString(path + "second.scn"));

    std::filesystem::remove(dir / "first.scn");
    EXPECT_EQ(recentTexts(), QStringList{"1 " + QString::fromStdString(path + "second.scn")});
    std::filesystem::remove_all(dir);
}

TEST_F(MainWindowKeysTest, CopyAndPasteTwoConnectedFramesThroughTheClipboard) {
    openActive({});
    ScenarioFrame& f1 = create({100, 300});
    ScenarioFrame& f2 = create({400, 300});
    core().addConnection(std::make_unique<Connection>(f1, f2, output1Field, inputField, false));
    core().unselectAll();
    ScenarioEditorApplet& editor = window->editor();
    QTest::mouseClick(editor.widgetOf(f1), Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(editor.widgetOf(f2), Qt::LeftButton, Qt::ControlModifier, QPoint(1, 1));
    ASSERT_TRUE(f1.isSelected());
    ASSERT_TRUE(f2.isSelected());
    key(Qt::Key_C);
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(copied.starts_with("#BeginSavedDiagram\n"));
    EXPECT_NE(copied.find("#Frame1\tFrame2\t2\t1\n"), std::string::npos);

    key(Qt::Key_V);
    ScenarioFrame* f3 = core().stringToFrameIconComponent("Frame3");
    ScenarioFrame* f4 = core().stringToFrameIconComponent("Frame4");
    ASSERT_NE(f3, nullptr);
    ASSERT_NE(f4, nullptr);
    EXPECT_EQ(editor.widgetOf(*f3)->pos(), QPoint(120, 320));
    EXPECT_TRUE(editor.widgetOf(*f4)->isVisible());
    EXPECT_EQ(core().connections().back()->toString(), "#Frame3\tFrame4\t2\t1\n");
    EXPECT_EQ(window->editItem(MainFrame::EditCommand::Undo)->text(), "Undo Paste");

    // The next paste lands 20 px further, not on the copies before.
    key(Qt::Key_V);
    EXPECT_EQ(editor.widgetOf(*core().stringToFrameIconComponent("Frame5"))->pos(),
              QPoint(140, 340));

    // Text of another builder pastes the same way; other text only beeps.
    QGuiApplication::clipboard()->setText(QString::fromStdString(copied));
    key(Qt::Key_V);
    EXPECT_EQ(core().frames().size(), 9u);
    EXPECT_EQ(editor.widgetOf(*core().stringToFrameIconComponent("Frame7"))->pos(),
              QPoint(160, 360));
    QGuiApplication::clipboard()->setText(QStringLiteral("not a diagram"));
    key(Qt::Key_V);
    EXPECT_EQ(core().frames().size(), 9u);
}

TEST_F(MainWindowKeysTest, SmallestWindowKeepsEveryToolInReachAndALoadShowsFrame0) {
    open({});
    window->resize(200, 150);
    QCoreApplication::processEvents();
    ScenarioEditorApplet& editor = window->editor();
    for (const PaletteEntry& entry : paletteEntries()) {
        const QWidget* button = editor.paletteButton(entry.tool);
        const QRect inWindow(button->mapTo(window.get(), QPoint(0, 0)), button->size());
        // The action tools stand one pixel left of the window, as drawn.
        EXPECT_LE(inWindow.right(), window->rect().right()) << entry.name;
        EXPECT_LE(inWindow.bottom(), window->rect().bottom()) << entry.name;
    }
    EXPECT_EQ(editor.scrollView()->size(), QSize(editor.width() - 114, editor.height() - 59));

    // The view stands at the far corner of a large drawing; a load shows
    // the loaded drawing's start.
    ScenarioEditorCore& core = editor.core();
    core.selectTheObject(PaletteTool::createFramesTool);
    core.bigPanel_MouseClick({1400, 1700}, false);
    QCoreApplication::processEvents();
    editor.scrollView()->horizontalScrollBar()->setValue(
        editor.scrollView()->horizontalScrollBar()->maximum());
    editor.scrollView()->verticalScrollBar()->setValue(
        editor.scrollView()->verticalScrollBar()->maximum());
    ASSERT_GT(editor.scrollView()->verticalScrollBar()->value(), 0);
    core.loadScenarioFile(std::string(kDataDir) + "template/DefaultFrame0.scn");
    QCoreApplication::processEvents();
    const QWidget* start = editor.widgetOf(*core.stringToFrameIconComponent("Frame0"));
    const QRect shown(start->mapTo(editor.scrollView()->viewport(), QPoint(0, 0)), start->size());
    EXPECT_TRUE(editor.scrollView()->viewport()->rect().contains(shown));
}

TEST_F(MainWindowKeysTest, DeleteRemovesEverySelectedFrameInOneStepAndKeepsFrame0) {
    openActive({});
    ScenarioFrame& f1 = create({100, 300});
    ScenarioFrame& f2 = create({400, 300});
    create({400, 600});
    core().addConnection(std::make_unique<Connection>(f1, f2, output1Field, inputField, false));
    core().unselectAll();
    ScenarioEditorApplet& editor = window->editor();
    QTest::mouseClick(editor.widgetOf(f1), Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(editor.widgetOf(f2), Qt::LeftButton, Qt::ControlModifier, QPoint(1, 1));
    QTest::mouseClick(editor.widgetOf(*core().stringToFrameIconComponent("Frame0")), Qt::LeftButton,
                      Qt::ControlModifier, QPoint(1, 1));
    key(Qt::Key_Delete, Qt::NoModifier);
    std::vector<std::string> left;
    for (const ScenarioFrame* frame : core().frames()) {
        left.push_back(frame->getTitle());
    }
    EXPECT_EQ(left, (std::vector<std::string>{"Frame0", "Frame3"}));
    EXPECT_TRUE(core().connections().empty());
    EXPECT_EQ(window->editItem(MainFrame::EditCommand::Undo)->text(), "Undo Delete Frame1, Frame2");

    key(Qt::Key_Z);
    EXPECT_EQ(core().frames().size(), 4u);
    EXPECT_EQ(core().connections().size(), 1u);
}

} // namespace
} // namespace crvl::test
