// The palette tooltip: its timing step by step, and the tip window under
// enter, leave and press events, driven tick by tick without real time.

#include "builder/support/tool_tip.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>

namespace crvl {
namespace {

using Step = ToolTipTiming::Step;

// Ticks until a step other than None, at most limit ticks; returns the
// number of ticks taken (0 when nothing happened).
int ticksUntil(ToolTipTiming& timing, Step wanted, int limit = 200) {
    for (int i = 1; i <= limit; ++i) {
        const Step step = timing.tick(true);
        if (step == wanted) {
            return i;
        }
        if (step != Step::None) {
            return -i;
        }
    }
    return 0;
}

TEST(ToolTipTiming, ShowsAfterSixTicksAndHidesAfterFortySixMore) {
    ToolTipTiming timing;
    timing.prepare();
    EXPECT_EQ(ticksUntil(timing, Step::Show), 6); // about 600 ms
    EXPECT_TRUE(timing.isShowing());
    EXPECT_EQ(ticksUntil(timing, Step::Hide), 46); // about 4.6 s
    EXPECT_FALSE(timing.isShowing());
    // It stays hidden while nothing new is prepared.
    EXPECT_EQ(ticksUntil(timing, Step::Show, 500), 0);
}

TEST(ToolTipTiming, NothingShowsWithoutATipWindow) {
    ToolTipTiming timing;
    timing.prepare();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(timing.tick(false), Step::None);
    }
    // The wait starts again once the window is there.
    EXPECT_EQ(ticksUntil(timing, Step::Show), 6);
}

TEST(ToolTipTiming, ResetStopsAWaitingTip) {
    ToolTipTiming timing;
    timing.prepare();
    timing.tick(true);
    timing.tick(true);
    timing.reset();
    EXPECT_EQ(ticksUntil(timing, Step::Show, 100), 0);
    EXPECT_FALSE(timing.waiting());
}

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(300, 200);
        first = new QWidget(&window);
        first->setGeometry(10, 10, 34, 34);
        second = new QWidget(&window);
        second->setGeometry(50, 10, 34, 34);
        unregistered = new QWidget(&window);
        unregistered->setGeometry(90, 10, 34, 34);
        tip = new ToolTip(&window);
        tip->timer().stop(); // the test drives the ticks
        tip->addTool(first, QStringLiteral("Create Frames"));
        tip->addTool(second, QStringLiteral("Connect Frames"));
        window.show();
    }

    void enter(QWidget* w, QPoint at = {5, 6}) {
        QEnterEvent event(at, w->mapTo(&window, at), w->mapToGlobal(at));
        QCoreApplication::sendEvent(w, &event);
    }
    void leave(QWidget* w) {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(w, &event);
    }
    void press(QWidget* w) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
    // Ticks n times; true if the tip showed after the last one.
    bool ticks(int n) {
        for (int i = 0; i < n; ++i) {
            tip->tick();
        }
        return tip->isShowing();
    }

    QWidget window;
    QWidget* first = nullptr;
    QWidget* second = nullptr;
    QWidget* unregistered = nullptr;
    ToolTip* tip = nullptr;
};

TEST_F(ToolTipTest, TipWindowShowsTheTextBelowThePointer) {
    EXPECT_EQ(tip->size(), QSize(50, 20));
    enter(first, {5, 6});
    ASSERT_NE(tip->tipWindow(), nullptr);
    EXPECT_FALSE(ticks(5));
    EXPECT_TRUE(ticks(1));
    TipWindow* w = tip->tipWindow();
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), &window);
    EXPECT_EQ(w->text(), "Create Frames");
    EXPECT_EQ(w->pos(), first->mapToGlobal(QPoint(0, 0)) + QPoint(5, 6 + 18));
    EXPECT_EQ(w->height(), 20);
    EXPECT_EQ(w->width(), w->fontMetrics().horizontalAdvance("Create Frames") + 8);

    // Pale yellow inside a black border.
    QImage image(w->size(), QImage::Format_RGB32);
    w->render(&image);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(w->width() - 1, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 225));
    bool text = false;
    for (int x = 4; x < w->width() - 4 && !text; ++x) {
        for (int y = 5; y < 16 && !text; ++y) {
            text = qGray(image.pixel(x, y)) < 128;
        }
    }
    EXPECT_TRUE(text);
}

TEST_F(ToolTipTest, MovingToTheNextEntryReplacesTheTipAtOnce) {
    enter(first);
    EXPECT_TRUE(ticks(6));
    leave(first);
    EXPECT_EQ(tip->tipWindow(), nullptr);
    enter(second);
    EXPECT_FALSE(tip->isShowing());
    EXPECT_FALSE(ticks(5));
    EXPECT_TRUE(ticks(1));
    EXPECT_EQ(tip->tipWindow()->text(), "Connect Frames");

    // Entering straight away, without a leave in between, does the same.
    enter(first);
    EXPECT_FALSE(tip->isShowing());
    EXPECT_TRUE(ticks(6));
    EXPECT_EQ(tip->tipWindow()->text(), "Create Frames");
}

TEST_F(ToolTipTest, APressHidesTheTipUntilThePointerComesBack) {
    enter(first);
    EXPECT_TRUE(ticks(6));
    press(first);
    EXPECT_EQ(tip->tipWindow(), nullptr);
    EXPECT_FALSE(ticks(100));
    // A press before the tip showed stops it too.
    leave(first);
    enter(first);
    press(first);
    EXPECT_FALSE(ticks(20));
    leave(first);
    enter(first);
    EXPECT_TRUE(ticks(6));
}

TEST_F(ToolTipTest, AStayingTipHidesAfterAboutFourSecondsAndStaysHidden) {
    enter(first);
    EXPECT_TRUE(ticks(6));
    EXPECT_TRUE(ticks(45));
    EXPECT_FALSE(ticks(1));
    EXPECT_FALSE(ticks(300));
    ASSERT_NE(tip->tipWindow(), nullptr); // hidden, not discarded
    leave(first);
    enter(first);
    EXPECT_TRUE(ticks(6));
}

TEST_F(ToolTipTest, UnregisteredControlsDialogsAndAStoppedTipShowNothing) {
    enter(unregistered);
    EXPECT_EQ(tip->tipWindow(), nullptr);
    tip->hitTest(unregistered, {1, 1});
    EXPECT_EQ(tip->tipWindow(), nullptr);

    tip->addTool(first, QStringLiteral("Renamed"));
    EXPECT_EQ(tip->textOf(first), "Renamed");

    delete second;
    second = nullptr;
    EXPECT_EQ(tip->textOf(second), QString());

    enter(first);
    EXPECT_TRUE(ticks(6));
    tip->pleaseStop();
    EXPECT_EQ(tip->tipWindow(), nullptr);
    EXPECT_FALSE(tip->timer().isActive());
    enter(first);
    EXPECT_FALSE(ticks(10));
}

TEST_F(ToolTipTest, TheToolkitTooltipOfARegisteredControlStaysAway) {
    first->setToolTip(QStringLiteral("toolkit tip"));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), first->mapToGlobal(QPoint(5, 5)));
    help.ignore();
    QCoreApplication::sendEvent(first, &help);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(ToolTipTest, TheTimerTicksEveryHundredMilliseconds) {
    ToolTip running(&window);
    EXPECT_TRUE(running.timer().isActive());
    EXPECT_EQ(running.timer().interval(), 100);
}

} // namespace
} // namespace crvl
