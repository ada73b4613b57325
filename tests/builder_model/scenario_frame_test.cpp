// Frame layout, contents, deletion, reachability, connection gestures and
// the saved text block, against the in-memory editor.

#include "builder/core/se_language.h"
#include "builder/model/scenario_element.h"
#include "tests/builder_model/fake_editor.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

using test::FakeEditor;

constexpr int h = ScenarioFrame::DEFAULT_LINE_HEIGHT;

// Frame points of the parts of a frame with no actions.
constexpr Point onList{50, 20};
constexpr Point onBox1{20, 60};
constexpr Point onBox2{150, 60};
constexpr Point onBorder{2, 2};

std::unique_ptr<ScenarioElement> element(std::string_view type, const std::string& attrs) {
    return getScenarioElement(type, attrs).value();
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { seLanguage::restoreDefaults(); }
    void TearDown() override { seLanguage::restoreDefaults(); }

    // Drags from a frame point of one frame to a frame point of another.
    void drag(ScenarioFrame& from, Point fromPt, ScenarioFrame& to, Point toPt) {
        from.mousePressed(fromPt, MouseButton::Left, false);
        const Point target = toPt + to.location() - from.location();
        from.mouseDragged(target);
        from.mouseReleased(target);
    }

    FakeEditor editor;
};

TEST_F(FrameTest, LayoutFollowsRowsAndBoxCount) {
    ScenarioFrame& frame = editor.addFrame("Frame0", {100, 20});
    EXPECT_EQ(frame.size(), (Size{240, 15 + (1 * (h + 2) + 27) + 15}));
    EXPECT_EQ(frame.listBounds(), (Rect{5, 5, 230, h + 2 + 27}));
    const int boxY = 10 + h + 2 + 27;
    EXPECT_EQ(frame.outputBounds(1), (Rect{5, boxY, 113, 15}));
    EXPECT_EQ(frame.outputBounds(2), (Rect{119, boxY, 113, 15}));
    EXPECT_EQ(frame.outputBounds(3), (Rect{}));
    EXPECT_EQ(frame.getPartFromXY({200, boxY + 5}), output2Field);
    EXPECT_EQ(frame.getPartFromXY(onBorder), UNDEFINED);

    frame.onRequestFinished(element("MotionAction", "+").get(), inputField);
    EXPECT_EQ(frame.size().height, 15 + (2 * (h + 2) + 27) + 15);
    EXPECT_EQ(frame.outputBounds(1).y, boxY + h + 2);

    ScenarioFrame& three = editor.addFrame("Frame1", {400, 20}, 3);
    EXPECT_EQ(three.outputBounds(1), (Rect{5, boxY, 75, 15}));
    EXPECT_EQ(three.outputBounds(2), (Rect{81, boxY, 75, 15}));
    EXPECT_EQ(three.outputBounds(3), (Rect{157, boxY, 75, 15}));
    EXPECT_EQ(three.getPartFromXY({200, boxY + 5}), output3Field);

    EXPECT_EQ(frame.getPartPosition(inputField), (Point{120, 5}));
    EXPECT_EQ(frame.getPartPosition(output1Field), (Point{61, boxY + h + 2 + 15}));
    EXPECT_EQ(frame.getPartPosition(7), (Point{-1, -1}));
    EXPECT_EQ(editor.console.back(), "Illegal component part specified for: Frame0");
    EXPECT_EQ(editor.beeps, 1);
}

TEST_F(FrameTest, TitleRowAndTranslatedTitle) {
    seLanguage::frameName = "Bild";
    seLanguage::frameNameText = "Name: ";
    ScenarioFrame& frame = editor.addFrame("Frame7", {0, 0});
    EXPECT_EQ(frame.getTitleTranslated(), "Bild7");
    ASSERT_EQ(frame.rows().size(), 1u);
    EXPECT_EQ(frame.rows()[0].text, "Name: Bild7");
    EXPECT_EQ(frame.rows()[0].type, "title");
    EXPECT_EQ(frame.rows()[0].code, "1,1:code");
    EXPECT_EQ(frame.rows()[0].attributes, "attr");
}

TEST_F(FrameTest, ActionsReplaceInPlaceAndOtherwiseAppend) {
    ScenarioFrame& frame = editor.addFrame("Frame0", {0, 0});
    frame.onRequestFinished(element("MotionAction", "+").get(), inputField);
    frame.onRequestFinished(element("BatteryAction", "b").get(), inputField);
    frame.onRequestFinished(element("MotionAction", "-").get(), inputField);
    frame.onRequestFinished(element("SetECG", "S;p;VF;").get(), inputField);
    EXPECT_EQ(frame.getActionTypes(),
              (std::vector<std::string>{"title", "MotionAction", "BatteryAction", "SetECG"}));
    EXPECT_EQ(frame.getActions()[1], "No Motion");
    EXPECT_EQ(frame.getActionCodes()[1], "1,1:MOT 00");
    EXPECT_EQ(frame.getActionCodes()[3], "1,1:ECG 02 01 00");
    EXPECT_EQ(frame.getActionAttributes()[2], "b");

    frame.onRequestFinished(nullptr, inputField);
    frame.onRequestFinished(element("MotionAction", "+").get(), 9);
    EXPECT_EQ(frame.rows().size(), 4u);
}

TEST_F(FrameTest, OneEventOfAKindPerFrame) {
    ScenarioFrame& frame = editor.addFrame("Frame0", {0, 0});
    frame.onRequestFinished(element("CPREvent", "B").get(), output1Field);
    frame.onRequestFinished(element("CPREvent", "S").get(), output2Field);
    ASSERT_EQ(editor.messages.size(), 1u);
    EXPECT_EQ(editor.messages[0].title, "Scenario Builder");
    EXPECT_EQ(editor.messages[0].text, "Can only have one event of this type in a frame.");
    EXPECT_EQ(editor.messages[0].kind, MessageKind::Exclamation);
    EXPECT_FALSE(frame.output(2).text.has_value());

    frame.onRequestFinished(element("CPREvent", "A30").get(), output1Field);
    EXPECT_EQ(frame.output(1).text, "CPR 30s");
    EXPECT_EQ(frame.output(1).code, "CPR 1E");
    EXPECT_EQ(frame.output(1).type, "CPREvent");
    EXPECT_EQ(frame.output(1).attributes, "A30");

    frame.onRequestFinished(element("TimeEvent", "T30").get(), output2Field);
    EXPECT_EQ(frame.output(2).text, "StateTime=30s");
    EXPECT_EQ(editor.messages.size(), 1u);
}

TEST_F(FrameTest, DeleteRules) {
    ScenarioFrame& start = editor.addFrame("Frame0", {0, 0});
    ScenarioFrame& other = editor.addFrame("Frame1", {0, 300});
    start.onRequestFinished(element("MotionAction", "+").get(), inputField);
    start.onRequestFinished(element("TimeEvent", "T5").get(), output1Field);

    // The title row never goes.
    start.mousePressed({50, 8}, MouseButton::Left, false);
    EXPECT_EQ(start.selectedRow(), 0);
    EXPECT_EQ(start.deleteTheSelectedFrameItem(), DeleteResult::Nothing);
    EXPECT_EQ(start.rows().size(), 2u);

    // An action row.
    start.mousePressed({50, 8 + h + 2}, MouseButton::Left, false);
    EXPECT_EQ(start.selectedRow(), 1);
    EXPECT_EQ(start.deleteTheSelectedFrameItem(), DeleteResult::Item);
    EXPECT_EQ(start.rows().size(), 1u);

    // An event: text and code go, type and attributes stay but are not saved.
    start.mousePressed(onBox1, MouseButton::Left, false);
    EXPECT_EQ(start.deleteTheSelectedFrameItem(), DeleteResult::Item);
    EXPECT_FALSE(start.output(1).text.has_value());
    EXPECT_EQ(start.output(1).code, "");
    EXPECT_EQ(start.output(1).type, "TimeEvent");
    EXPECT_EQ(start.toString().find("#Output1"), std::string::npos);

    // An empty box deletes the frame, but not the start frame.
    start.mousePressed(onBox1, MouseButton::Left, false);
    EXPECT_EQ(start.deleteTheSelectedFrameItem(), DeleteResult::Nothing);
    EXPECT_EQ(editor.console.back(), "Attempt to delete start frame!");
    EXPECT_EQ(editor.beeps, 1);

    editor.state = DrawState::CONNECTING;
    drag(start, onBox1, other, onList);
    drag(other, onBox2, start, onList);
    ASSERT_EQ(editor.connectionList.size(), 2u);
    editor.state = DrawState::SELECTING;
    other.mousePressed(onBox1, MouseButton::Left, false);
    EXPECT_EQ(other.deleteTheSelectedFrameItem(), DeleteResult::Frame);
    EXPECT_TRUE(editor.connectionList.empty());
}

TEST_F(FrameTest, ReachabilityColours) {
    ScenarioFrame& f0 = editor.addFrame("Frame0", {0, 0});
    ScenarioFrame& f1 = editor.addFrame("Frame1", {0, 200});
    ScenarioFrame& f2 = editor.addFrame("Frame2", {0, 400});
    ScenarioFrame& f3 = editor.addFrame("Frame3", {300, 400});
    editor.repaintAll();
    EXPECT_TRUE(f0.isReached());
    EXPECT_FALSE(f1.isReached()); // nothing leads to it

    // A frame reached only through its own loop stays pink.
    editor.addConnection(std::make_unique<Connection>(f1, f1, output1Field, inputField, false));
    // One reached from a frame that nothing leads to counts as reached.
    editor.addConnection(std::make_unique<Connection>(f2, f3, output1Field, inputField, false));
    editor.repaintAll();
    EXPECT_FALSE(f1.isReached());
    EXPECT_FALSE(f2.isReached());
    EXPECT_TRUE(f3.isReached());

    editor.addConnection(std::make_unique<Connection>(f0, f1, output1Field, inputField, false));
    editor.repaintAll();
    EXPECT_TRUE(f1.isReached());
}

TEST_F(FrameTest, HalfDefinedOutputs) {
    ScenarioFrame& f0 = editor.addFrame("Frame0", {0, 0});
    ScenarioFrame& f1 = editor.addFrame("Frame1", {0, 200});
    f0.onRequestFinished(element("DefibEvent", "2").get(), output1Field);
    editor.addConnection(std::make_unique<Connection>(f0, f1, output2Field, inputField, false));
    editor.repaintAll();
    EXPECT_EQ(f0.getOutputsConnected(), out2);
    EXPECT_TRUE(f0.outputHalfDefined(1));  // event, no connection
    EXPECT_TRUE(f0.outputHalfDefined(2));  // connection, no event
    EXPECT_FALSE(f0.outputHalfDefined(3)); // neither

    f0.onRequestFinished(element("TimeEvent", "T10").get(), output2Field);
    editor.repaintAll();
    EXPECT_FALSE(f0.outputHalfDefined(2));
}

TEST_F(FrameTest, ConnectionRules) {
    ScenarioFrame& a = editor.addFrame("Frame0", {0, 0});
    ScenarioFrame& b = editor.addFrame("Frame1", {0, 300});
    editor.state = DrawState::CONNECTING;

    drag(a, onList, b, onList);
    EXPECT_EQ(editor.console.back(), "Attempt to connect in-in or out-out");
    drag(a, onBox1, b, onBox2);
    EXPECT_EQ(editor.console.back(), "Attempt to connect in-in or out-out");
    drag(a, onBox1, b, onBorder);
    EXPECT_EQ(editor.beeps, 3);
    EXPECT_TRUE(editor.connectionList.empty());

    // From an input to an output: the output's frame is the source.
    drag(a, onList, b, onBox2);
    ASSERT_EQ(editor.connectionList.size(), 1u);
    EXPECT_EQ(&editor.connectionList[0]->getSource(), &b);
    EXPECT_EQ(editor.connectionList[0]->startArea(), output2Field);
    EXPECT_EQ(editor.connectionList[0]->form(), ConnectionForm::Line);
    EXPECT_EQ(editor.undoResets, 1);

    // Each output has at most one connection.
    drag(b, onBox2, a, onList);
    EXPECT_EQ(editor.console.back(), "Attempt to multiply connect an output to different inputs");
    EXPECT_EQ(editor.connectionList.size(), 1u);

    // A drag to the frame's own input makes a loop.
    drag(a, onBox1, a, onList);
    ASSERT_EQ(editor.connectionList.size(), 2u);
    EXPECT_EQ(editor.connectionList[1]->form(), ConnectionForm::Loop);
}

TEST_F(FrameTest, DropOutsideEveryFrameAsksForTheTarget) {
    ScenarioFrame& a = editor.addFrame("Frame0", {0, 0});
    ScenarioFrame& b = editor.addFrame("Frame1", {0, 300});
    editor.state = DrawState::CONNECTING;
    editor.chooseTarget = [&] { return &b; };
    const Point empty{600, 100};

    a.mousePressed(onBox2, MouseButton::Left, false);
    a.mouseDragged(empty);
    ASSERT_TRUE(a.rubberBand().has_value());
    EXPECT_EQ(a.rubberBand()->first, a.getPartPosition(output2Field));
    EXPECT_EQ(a.rubberBand()->second, empty);
    a.mouseReleased(empty);
    EXPECT_FALSE(a.rubberBand().has_value());
    EXPECT_FALSE(a.connectionDragActive());
    ASSERT_EQ(editor.connectionList.size(), 1u);
    EXPECT_EQ(editor.connectionList[0]->form(), ConnectionForm::Jump);
    EXPECT_EQ(editor.connectionList[0]->startArea(), output2Field);

    // Choosing the source frame itself gives a loop, never a jump.
    editor.chooseTarget = [&] { return &a; };
    a.mousePressed(onBox1, MouseButton::Left, false);
    a.mouseReleased(empty);
    ASSERT_EQ(editor.connectionList.size(), 2u);
    EXPECT_EQ(editor.connectionList[1]->form(), ConnectionForm::Loop);
    EXPECT_EQ(editor.connectionList[1]->toString(), "#Frame0\tFrame0\t2\t1\n");

    // An output already connected refuses.
    a.mousePressed(onBox1, MouseButton::Left, false);
    a.mouseReleased(empty);
    EXPECT_EQ(editor.console.back(), "Attempt to multiply connect an output to different inputs");
    EXPECT_EQ(editor.connectionList.size(), 2u);

    // A drag from the input shows no rubber band and asks nothing.
    a.mousePressed(onList, MouseButton::Left, false);
    a.mouseDragged(empty);
    EXPECT_FALSE(a.rubberBand().has_value());
    a.mouseReleased(empty);
    EXPECT_EQ(editor.connectionList.size(), 2u);
}

TEST_F(FrameTest, RubberBandRepaintsWhereItWasAndWhereItIs) {
    ScenarioFrame& a = editor.addFrame("Frame0", {100, 100});
    editor.state = DrawState::CONNECTING;
    a.mousePressed(onBox1, MouseButton::Left, false);
    const Point anchor = a.getPartPosition(output1Field) + a.location();
    a.mouseDragged({300, 300});
    editor.repaints.clear();
    a.mouseDragged({20, 400});
    const Rect old = arrowBounds(anchor, Point{300, 300} + a.location());
    const Rect now = arrowBounds(anchor, Point{20, 400} + a.location());
    EXPECT_EQ(editor.repaints, (std::vector<Rect>{old, now}));
    editor.repaints.clear();
    a.mouseReleased({600, 600});
    ASSERT_FALSE(editor.repaints.empty());
    EXPECT_EQ(editor.repaints.front(), now);
}

TEST_F(FrameTest, RightButtonOnThirdBoxMakesALoop) {
    ScenarioFrame& a = editor.addFrame("Frame1", {0, 0}, 3);
    editor.state = DrawState::CONNECTING;
    const Point onBox3{200, 60};
    a.mousePressed(onBox3, MouseButton::Right, false);
    ASSERT_EQ(editor.connectionList.size(), 1u);
    EXPECT_EQ(editor.connectionList[0]->startArea(), output3Field);
    EXPECT_EQ(editor.connectionList[0]->form(), ConnectionForm::Loop);
    EXPECT_FALSE(a.connectionDragActive());
    a.mousePressed(onBox3, MouseButton::Right, false);
    EXPECT_EQ(editor.console.back(), "Output already connected - ignoring!");
    EXPECT_EQ(editor.connectionList.size(), 1u);
}

TEST_F(FrameTest, EditingPressesAskForDialogs) {
    ScenarioFrame& a = editor.addFrame("Frame0", {0, 0});
    editor.state = DrawState::EDITING;
    a.mousePressed(onList, MouseButton::Left, false);
    a.mousePressed(onBox2, MouseButton::Left, false);
    a.mousePressed(onBorder, MouseButton::Left, false);
    EXPECT_EQ(editor.requests,
              (std::vector<std::string>{"Frame0:ReadAction:1", "Frame0:ReadEvent:3"}));
    EXPECT_EQ(editor.changes, 2);

    editor.state = DrawState::SELECTING;
    a.mousePressed(onList, MouseButton::Left, true);
    a.keyPressed(ScenarioFrame::KEY_DELETE);
    a.keyPressed('A');
    EXPECT_EQ(editor.deleteToolPresses, 2);
}

TEST_F(FrameTest, MovingIsClampedToTheCanvas) {
    editor.canvas = {800, 1810};
    ScenarioFrame& a = editor.addFrame("Frame1", {100, 100});
    const Size size = a.size();

    a.mousePressed(onBorder, MouseButton::Left, false);
    a.mouseDragged(onBorder + Point{30, 40});
    EXPECT_EQ(a.location(), (Point{130, 140}));
    a.mouseDragged(onBorder + Point{-500, -500});
    EXPECT_EQ(a.location(), (Point{0, 0}));
    a.mouseDragged(onBorder + Point{5000, 5000});
    EXPECT_EQ(a.location(), (Point{800 - size.width / 2, 1810 - size.height / 2}));
    a.mouseReleased(onBorder);
    EXPECT_EQ(editor.fits, 1);

    // A drag that begins on a box takes its first drag point as anchor.
    a.setLocation({100, 100});
    a.mousePressed(onBox1, MouseButton::Left, false);
    a.mouseDragged({30, 60});
    EXPECT_EQ(a.location(), (Point{100, 100}));
    a.mouseDragged({40, 70});
    EXPECT_EQ(a.location(), (Point{110, 110}));

    // The list does not move the frame.
    a.mousePressed(onList, MouseButton::Left, false);
    a.mouseDragged(onList + Point{50, 50});
    EXPECT_EQ(a.location(), (Point{110, 110}));
}

TEST_F(FrameTest, SavedTextBlock) {
    ScenarioFrame& a = editor.addFrame("Frame0", {100, 20});
    a.onRequestFinished(element("SetECG", "S;p;VF;").get(), inputField);
    a.onRequestFinished(element("DefibEvent", "1").get(), output1Field);
    a.onRequestFinished(element("TimeEvent", "T30").get(), output2Field);
    EXPECT_EQ(a.toString(), "#FrameIconComponent\tFrame0\t100\t20\n"
                            "#listOfactionItems\n"
                            "#SetECG\n#S;p;VF;\n"
                            "#End\n"
                            "#Output1\n#DefibEvent\n#1\n"
                            "#Output2\n#TimeEvent\n#T30\n"
                            "#End\n"
                            "#EndFrameIconComponent\n");

    ScenarioFrame& empty = editor.addFrame("Frame3", {7, 9});
    EXPECT_EQ(empty.toString(), "#FrameIconComponent\tFrame3\t7\t9\n#listOfactionItems\n"
                                "#End\n#End\n#EndFrameIconComponent\n");
}

} // namespace
} // namespace crvl
