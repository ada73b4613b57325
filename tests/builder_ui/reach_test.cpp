// Every control of the editor can be reached: nothing covers another, and
// assistive technology sees the palette's entries as buttons with names,
// which tool is chosen, the spin fields' numbers and what each frame holds.

#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"
#include "builder/views/element_dialogs.h"
#include "builder/widgets/spin_field.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace crvl::test {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

class Reach : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink_ = setConsoleSink({});
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(kDataDir));
        editor = std::make_unique<ScenarioEditorApplet>();
        editor->init(kDataDir);
        editor->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        editor.reset();
        setConsoleSink(previousSink_);
        BuilderState::clearFileChanged();
    }
    static QAccessibleInterface* accessible(QWidget* widget) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        EXPECT_NE(iface, nullptr);
        return iface;
    }
    QRect inEditor(const QWidget* widget) const {
        return {widget->mapTo(editor.get(), QPoint(0, 0)), widget->size()};
    }

    std::unique_ptr<ScenarioEditorApplet> editor;

private:
    ConsoleSink previousSink_;
};

TEST_F(Reach, ScrollBarsLieAboveTheBannerAndPaletteEntriesApart) {
    for (QScrollBar* bar :
         {editor->scrollView()->horizontalScrollBar(), editor->scrollView()->verticalScrollBar()}) {
        ASSERT_TRUE(bar->isVisible());
        const QRect area = inEditor(bar);
        for (const QPoint corner : {area.topLeft(), area.bottomLeft(), area.topRight(),
                                    area.bottomRight(), area.center()}) {
            QWidget* hit = editor->childAt(corner);
            EXPECT_TRUE(hit == bar || bar->isAncestorOf(hit))
                << corner.x() << "," << corner.y() << " shows "
                << (hit ? hit->objectName().toStdString() : "nothing");
        }
    }
    std::vector<std::pair<std::string, QRect>> places;
    for (const PaletteEntry& entry : paletteEntries()) {
        places.emplace_back(entry.name, inEditor(editor->paletteButton(entry.tool)));
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            EXPECT_FALSE(places[i].second.intersects(places[j].second))
                << places[i].first << " over " << places[j].first;
        }
    }
}

TEST_F(Reach, PaletteEntriesAreButtonsNamedByTheirTooltipAndTellTheChosenTool) {
    for (const PaletteEntry& entry : paletteEntries()) {
        SCOPED_TRACE(std::string(entry.name));
        QAccessibleInterface* iface = accessible(editor->paletteButton(entry.tool));
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::Button);
        EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), paletteTooltip(entry.tool));
        const bool stays = entry.kind == ToolKind::Mode || entry.kind == ToolKind::Element;
        EXPECT_EQ(iface->state().checkable, stays);
        EXPECT_EQ(iface->state().checked, entry.tool == PaletteTool::selectTool);
        ASSERT_NE(iface->actionInterface(), nullptr);
        EXPECT_TRUE(iface->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
    QTest::mouseClick(editor->paletteButton(PaletteTool::createFramesTool), Qt::LeftButton);
    EXPECT_TRUE(accessible(editor->paletteButton(PaletteTool::createFramesTool))->state().checked);
    EXPECT_FALSE(accessible(editor->paletteButton(PaletteTool::selectTool))->state().checked);

    // The accessible press is the user's press.
    QAccessibleInterface* link = accessible(editor->paletteButton(PaletteTool::linkFramesTool));
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(editor->core().drawState(), DrawState::CONNECTING);
    EXPECT_TRUE(link->state().checked);
}

TEST_F(Reach, SpinFieldsShowAndTakeTheirNumber) {
    auto dialog = makeElementDialog("TimeEvent", nullptr);
    dialog->init("T30");
    auto* field = dialog->findChild<SpinField*>(QStringLiteral("timeInState"));
    ASSERT_NE(field, nullptr);
    QAccessibleInterface* iface = accessible(field);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::SpinBox);
    EXPECT_EQ(iface->text(QAccessible::Name),
              QString::fromStdString(seLanguage::checkTimeInStateText));
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 30);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 250);
    value->setCurrentValue(45);
    EXPECT_EQ(field->text(), "45");
    EXPECT_EQ(value->currentValue().toInt(), 45);
}

TEST_F(Reach, FramesTellTheirTitleAndWhatTheyHold) {
    ScenarioFrame* frame = editor->core().stringToFrameIconComponent("Frame0");
    ASSERT_NE(frame, nullptr);
    frame->onRequestFinished(getScenarioElement("SetECG", "S;p;VF;").value().get(), inputField);
    frame->onRequestFinished(getScenarioElement("MotionAction", "+").value().get(), inputField);
    frame->onRequestFinished(getScenarioElement("DefibEvent", "2").value().get(), output1Field);
    QAccessibleInterface* iface = accessible(editor->widgetOf(*frame));
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Grouping);
    EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), "Frame0");
    EXPECT_EQ(iface->text(QAccessible::Description).toStdString(),
              "Name = Frame0; Shockable (VF), No Pulse; Motion; 2 shocks");
    EXPECT_EQ(iface->text(QAccessible::Value), iface->text(QAccessible::Description));
}

} // namespace
} // namespace crvl::test
