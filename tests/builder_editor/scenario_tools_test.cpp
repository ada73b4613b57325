// The Scenario menu on the offscreen platform: Check Scenario lists the
// findings of the open drawing, Try Scenario plays it with the trainer's
// rules.

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/app/scenario_tools.h"
#include "builder/app/scenario_windows.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/model/connection.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";
using Condition = ScenarioTryWindow::Condition;

class ScenarioToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(kDataDir));
        window = std::make_unique<MainFrame>(
            new ScenarioEditorApplet, BuilderArguments(std::vector<std::string>{}), kDataDir);
        tools = &installScenarioTools(*window);
        window->show();
        window->startUp();
        QCoreApplication::processEvents();
        window->loopTimer().stop();
    }
    void TearDown() override {
        window.reset();
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }

    ScenarioEditorCore& core() { return window->editor().core(); }
    ScenarioFrame& frame(const std::string& title) {
        return *core().stringToFrameIconComponent(title);
    }
    // A new frame, by the create tool and a press on the canvas.
    ScenarioFrame& addFrame(QPoint at) {
        QTest::mouseClick(window->editor().paletteButton(PaletteTool::createFramesTool),
                          Qt::LeftButton);
        QTest::mouseClick(window->editor().bigPanel(), Qt::LeftButton, {}, at);
        return *core().frames().back();
    }
    static void put(ScenarioFrame& f, std::string_view type, const std::string& attributes,
                    int part) {
        f.onRequestFinished(getScenarioElement(type, attributes).value().get(), part);
    }
    void connect(ScenarioFrame& from, int output, ScenarioFrame& to) {
        core().addConnection(std::make_unique<Connection>(from, to, output, inputField, false));
    }
    // Frame0 (VF, shockable) with a shock event to Frame1 (sinus, pulse).
    void drawShockToSinus() {
        ScenarioFrame& f0 = frame("Frame0");
        put(f0, "SetECG", "S;p;VF;", inputField);
        put(f0, "DefibEvent", "1", output1Field);
        ScenarioFrame& f1 = addFrame({400, 300});
        put(f1, "SetECG", "s;P;Sinus;", inputField);
        connect(f0, output1Field, f1);
    }
    QAction* scenarioItem(const QString& name) {
        for (QAction* action : tools->menu()->actions())
            if (action->objectName() == name)
                return action;
        return nullptr;
    }
    QStringList lines(QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    std::unique_ptr<MainFrame> window;
    ScenarioTools* tools = nullptr;

private:
    ConsoleSink previousSink_;
};

TEST_F(ScenarioToolsTest, ScenarioMenuStandsBeforeHelpWithItsShortcuts) {
    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus.last(), "Help");
    EXPECT_EQ(menus.at(menus.size() - 2), "Scenario");
    EXPECT_EQ(tools->checkAction()->text(), "Check Scenario");
    EXPECT_EQ(tools->checkAction()->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(tools->tryAction()->text(), "Try Scenario");
    EXPECT_EQ(tools->tryAction()->shortcut(), QKeySequence(Qt::Key_F5));
}

TEST_F(ScenarioToolsTest, TryScenarioPlaysTheDrawing) {
    drawShockToSinus();
    scenarioItem("mItemTryScenario")->trigger();
    ScenarioTryWindow* trial = tools->tryWindow();
    ASSERT_NE(trial, nullptr);
    EXPECT_TRUE(trial->isVisible());
    EXPECT_FALSE(trial->isModal());
    EXPECT_EQ(trial->windowTitle(), "Try Scenario");
    EXPECT_EQ(trial->value(Condition::Frame), "Frame0");
    EXPECT_EQ(trial->value(Condition::Rhythm), "VF");
    EXPECT_EQ(trial->value(Condition::Shockable), "Yes");
    EXPECT_EQ(trial->currentFrame(), &frame("Frame0"));
    const QWidget* highlight = window->editor().bigPanel()->findChild<QWidget*>("tryHighlight");
    ASSERT_NE(highlight, nullptr);
    EXPECT_TRUE(highlight->isVisible());
    EXPECT_TRUE(
        highlight->geometry().contains(window->editor().widgetOf(frame("Frame0"))->geometry()));

    trial->seconds()->setValue(40);
    QTest::mouseClick(trial->button("wait"), Qt::LeftButton);
    QTest::mouseClick(trial->button("shock"), Qt::LeftButton);
    EXPECT_EQ(trial->value(Condition::Frame), "Frame1");
    EXPECT_EQ(trial->value(Condition::Rhythm), "Sinus");
    EXPECT_EQ(trial->value(Condition::Pulse), "Yes");
    EXPECT_EQ(trial->value(Condition::Pads), "attached");
    EXPECT_EQ(trial->value(Condition::Battery), "OK");
    EXPECT_EQ(trial->currentFrame(), &frame("Frame1"));
    // A screen reader says what the eye sees, the field's name beside it.
    for (int i = 0; i < 8; ++i) {
        auto* shown = trial->findChild<QLabel*>(QStringLiteral("condition%1").arg(i));
        ASSERT_NE(shown, nullptr);
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(shown);
        EXPECT_EQ(read->text(QAccessible::Name), shown->text()) << i;
        EXPECT_FALSE(read->text(QAccessible::Description).isEmpty()) << i;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(trial->findChild<QLabel*>("condition0"))
                  ->text(QAccessible::Name),
              "Frame1");
    EXPECT_EQ(lines(trial->log()),
              (QStringList{"0:00 Start \u2192 Frame0", "0:40 Wait 40 s \u2192 Frame0",
                           "0:40 Shock \u2192 Frame1"}));

    QTest::mouseClick(trial->button("restart"), Qt::LeftButton);
    EXPECT_EQ(trial->value(Condition::Frame), "Frame0");
    EXPECT_EQ(lines(trial->log()), QStringList{"0:00 Start \u2192 Frame0"});
}

TEST_F(ScenarioToolsTest, EditingTheDrawingRestartsTheTrial) {
    drawShockToSinus();
    tools->tryScenario();
    ScenarioTryWindow* trial = tools->tryWindow();
    trial->shock();
    ASSERT_EQ(trial->value(Condition::Frame), "Frame1");
    put(frame("Frame0"), "SetECG", "S;p;VT;", inputField);
    QTest::qWait(3 * DRAWING_POLL_MS);
    EXPECT_EQ(trial->value(Condition::Frame), "Frame0");
    EXPECT_EQ(trial->value(Condition::Rhythm), "VT");
}

TEST_F(ScenarioToolsTest, CheckScenarioNamesAnUnreachableFrameAndShowsIt) {
    drawShockToSinus();
    ScenarioFrame& lonely = addFrame({100, 900});
    put(lonely, "SetECG", "s;p;Asystole;", inputField);
    scenarioItem("mItemCheckScenario")->trigger();
    ScenarioCheckWindow* check = tools->checkWindow();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isVisible());
    EXPECT_EQ(check->windowTitle(), "Scenario Check");
    const QStringList found = lines(check->list());
    EXPECT_TRUE(found.contains("Warning: Frame2 cannot be reached from Frame0."))
        << found.join('\n').toStdString();
    EXPECT_FALSE(found.contains("No problems found."));

    core().unselectFrameIcons();
    check->list()->setCurrentRow(
        static_cast<int>(found.indexOf("Warning: Frame2 cannot be reached from Frame0.")));
    EXPECT_TRUE(lonely.isSelected());

    // A time event from Frame1 leads there: only the note that the scenario
    // ends in Frame2 is left.
    put(frame("Frame1"), "TimeEvent", "T30", output1Field);
    connect(frame("Frame1"), output1Field, lonely);
    QTest::qWait(3 * DRAWING_POLL_MS);
    EXPECT_EQ(lines(check->list()),
              (QStringList{"No errors or warnings found; the notes below may be intended.",
                           "Note: Frame2 has no way out: the scenario ends there."}));
}

TEST_F(ScenarioToolsTest, TextsComeFromTheLanguageTable) {
    seLanguage::translateBytes(
        "\"menuScenario\" \"Szenario\"\n\"checkOnlyNotesText\" \"Alles gut.\"\n"
        "\"tryShockButton\" \"Schock\"\n");
    tools->relabel();
    drawShockToSinus();
    EXPECT_EQ(tools->menu()->title(), "Szenario");
    tools->checkScenario();
    tools->tryScenario();
    EXPECT_EQ(lines(tools->checkWindow()->list()).first(), "Alles gut.");
    EXPECT_EQ(tools->tryWindow()->button("shock")->text(), "Schock");
}

} // namespace
} // namespace crvl::test
