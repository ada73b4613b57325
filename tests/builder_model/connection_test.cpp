// Connection forms, hit tests, jump labels, the arrow figure and the saved
// line with its reading.

#include "builder/core/se_language.h"
#include "builder/model/saved_text.h"
#include "tests/builder_model/fake_editor.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

using test::FakeEditor;

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { seLanguage::restoreDefaults(); }
    void TearDown() override { seLanguage::restoreDefaults(); }

    // A line whose anchors lie at the given canvas points.
    Connection& lineBetween(Point from, Point to) {
        ScenarioFrame& src = editor.addFrame("Frame" + std::to_string(next++), {});
        ScenarioFrame& dst = editor.addFrame("Frame" + std::to_string(next++), {});
        src.setLocation(from - src.getPartPosition(output1Field));
        dst.setLocation(to - dst.getPartPosition(inputField));
        editor.addConnection(
            std::make_unique<Connection>(src, dst, output1Field, inputField, false));
        return *editor.connectionList.back();
    }

    FakeEditor editor;
    int next = 0;
};

TEST_F(ConnectionTest, HitTestOfLines) {
    Connection& vertical = lineBetween({100, 50}, {100, 200});
    EXPECT_EQ(vertical.startPoint(), (Point{100, 50}));
    EXPECT_EQ(vertical.endPoint(), (Point{100, 200}));
    EXPECT_TRUE(vertical.inside(103, 120));
    EXPECT_FALSE(vertical.inside(106, 120));
    EXPECT_FALSE(vertical.inside(100, 210));
    EXPECT_TRUE(vertical.inside(100, 200));

    Connection& diagonal = lineBetween({0, 0}, {100, 100});
    EXPECT_TRUE(diagonal.inside(50, 54));
    EXPECT_FALSE(diagonal.inside(50, 56));
    EXPECT_FALSE(diagonal.inside(150, 150));
}

TEST_F(ConnectionTest, JumpLabelShowsTranslatedTitleAndIsHitInsideIt) {
    seLanguage::frameName = "Rahmen";
    ScenarioFrame& src = editor.addFrame("Frame2", {100, 20});
    ScenarioFrame& dst = editor.addFrame("Frame12", {100, 400});
    Connection jump(src, dst, output1Field, inputField, true);
    EXPECT_EQ(jump.form(), ConnectionForm::Jump);
    EXPECT_EQ(jump.labelText(), "Rahmen12");
    EXPECT_EQ(jump.toString(), "#Frame2\tFrame12\t2\t1\tj\n");

    EXPECT_FALSE(jump.inside(jump.startPoint().x, jump.startPoint().y)); // never drawn
    jump.DrawLine(editor);
    jump.setLabelSize(40, 18);
    const Point s = jump.startPoint();
    EXPECT_EQ(jump.savedStartPt(), s);
    EXPECT_EQ(jump.jumpLabelFrame(), (Rect{s.x - 21, s.y + 1, 42, 20}));
    EXPECT_TRUE(jump.inside(s.x - 20, s.y));
    EXPECT_TRUE(jump.inside(s.x + 20, s.y + 18));
    EXPECT_FALSE(jump.inside(s.x + 21, s.y + 5));
    EXPECT_FALSE(jump.inside(s.x, s.y + 19));
    EXPECT_FALSE(jump.inside(s.x, s.y - 1));
}

TEST_F(ConnectionTest, LoopsIgnoreTheJumpFlagAndNeedTheirPicture) {
    ScenarioFrame& f = editor.addFrame("Frame1", {100, 20});
    Connection loop(f, f, output2Field, inputField, true);
    EXPECT_EQ(loop.form(), ConnectionForm::Loop);
    EXPECT_EQ(loop.toString(), "#Frame1\tFrame1\t3\t1\n");

    loop.DrawLine(editor);
    const Point s = loop.startPoint();
    EXPECT_FALSE(loop.inside(s.x, s.y + 2)); // picture not known: cannot be hit
    EXPECT_EQ(loop.drawnRegion(), Rect{});
    loop.setLoopImageSize(30, 20);
    EXPECT_EQ(loop.loopImageRect(), (Rect{s.x - 15, s.y, 30, 20}));
    EXPECT_TRUE(loop.inside(s.x - 15, s.y + 20));
    EXPECT_FALSE(loop.inside(s.x + 16, s.y));
}

TEST_F(ConnectionTest, ReadingSavedLines) {
    editor.addFrame("Frame0", {0, 0});
    editor.addFrame("Frame2", {0, 300});

    auto line = Connection::fromString(editor, "#Frame0\tFrame2\t2\t1").value();
    EXPECT_EQ(line->form(), ConnectionForm::Line);
    EXPECT_EQ(line->getSource().getTitle(), "Frame0");
    EXPECT_EQ(line->getDest().getTitle(), "Frame2");
    EXPECT_EQ(line->toString(), "#Frame0\tFrame2\t2\t1\n");

    auto jump = Connection::fromString(editor, "#Frame2\tFrame0\t3\t1\tj\n").value();
    EXPECT_EQ(jump->form(), ConnectionForm::Jump);
    EXPECT_EQ(jump->startArea(), 3);
    EXPECT_EQ(jump->toString(), "#Frame2\tFrame0\t3\t1\tj\n");

    EXPECT_EQ(Connection::fromString(editor, "#Frame0\tFrame2\t2\t1\tx").value()->form(),
              ConnectionForm::Line);

    auto loop = Connection::fromString(editor, "#Frame2\tFrame2\t4\t1\tj").value();
    EXPECT_EQ(loop->form(), ConnectionForm::Loop);
    EXPECT_EQ(loop->toString(), "#Frame2\tFrame2\t4\t1\n");
}

TEST_F(ConnectionTest, TooFewFieldsFail) {
    editor.addFrame("Frame0", {0, 0});
    const auto read = Connection::fromString(editor, "#Frame0\tFrame0\t2");
    ASSERT_FALSE(read.ok()) << "read a line with three fields";
    EXPECT_EQ(read.message(), "Connection line has too few fields: \"#Frame0\tFrame0\t2\"");
}

TEST_F(ConnectionTest, NonNumericPartFails) {
    editor.addFrame("Frame0", {0, 0});
    const auto read = Connection::fromString(editor, "#Frame0\tFrame0\ttwo\t1");
    ASSERT_FALSE(read.ok()) << "read a part that is not a number";
    EXPECT_EQ(read.message(), "Not a whole number: \"two\"");
}

TEST_F(ConnectionTest, PartOutOfRangeFails) {
    editor.addFrame("Frame0", {0, 0});
    EXPECT_EQ(Connection::fromString(editor, "#Frame0\tFrame0\t1\t2").message(),
              "Connection line names no output and input: \"#Frame0\tFrame0\t1\t2\"");
    EXPECT_FALSE(Connection::fromString(editor, "#Frame0\tFrame0\t5\t1").ok());
}

TEST_F(ConnectionTest, UnknownFrameFails) {
    editor.addFrame("Frame0", {0, 0});
    const auto read = Connection::fromString(editor, "#Frame0\tFrame9\t2\t1");
    ASSERT_FALSE(read.ok()) << "kept a connection without its destination";
    EXPECT_EQ(read.message(), "Connection names a frame that is not in the diagram: Frame9");
}

TEST(ParseDecimal, AWholeNumberOrAFailureNamingTheText) {
    EXPECT_EQ(parseDecimal("42").value(), 42);
    EXPECT_EQ(parseDecimal("+7").value(), 7);
    EXPECT_EQ(parseDecimal("-3").value(), -3);
    EXPECT_EQ(parseDecimal("").message(), "Not a whole number: \"\"");
    EXPECT_EQ(parseDecimal("+-1").message(), "Not a whole number: \"+-1\"");
    EXPECT_EQ(parseDecimal(" 1").message(), "Not a whole number: \" 1\"");
    EXPECT_EQ(parseDecimal("99999999999").message(), "Not a whole number: \"99999999999\"");
}

TEST_F(ConnectionTest, ArrowHeadAtTwoThirds) {
    const auto figure = arrowFigure({0, 0}, {300, 0});
    EXPECT_EQ(figure[0], (Segment{{0, 0}, {300, 0}}));
    EXPECT_EQ(figure[1].first, (Point{200, 0}));
    EXPECT_EQ(figure[1].second, (Point{190, 4}));
    EXPECT_EQ(figure[2].second, (Point{190, -4}));

    const auto down = arrowFigure({10, 10}, {10, 160});
    EXPECT_EQ(down[1].first, (Point{10, 110}));
    EXPECT_EQ(down[1].second, (Point{5, 100}));
    EXPECT_EQ(down[2].second, (Point{14, 100}));
}

TEST_F(ConnectionTest, RepaintRegionHoldsTheWholeArrow) {
    const Point from{200, 200};
    for (Point to : {Point{200, 400}, Point{0, 0}, Point{450, 190}, Point{201, 10}, from}) {
        const Rect bounds = arrowBounds(from, to);
        for (const Segment& s : arrowFigure(from, to)) {
            EXPECT_TRUE(bounds.contains(s.first) && bounds.contains(s.second))
                << to.x << "," << to.y;
        }
    }
}

} // namespace
} // namespace crvl
