#pragma once

// The palette tooltip. Registered controls show their text in a small
// borderless window under the pointer about 600 ms after the pointer
// entered them; the window goes after about 4.6 s, and at once when the
// pointer leaves or presses. The widget itself is an invisible 50 x 20
// placeholder in the editor; its timer ticks every 100 ms on the GUI thread
// and tick() is public so that tests drive the timing without real time.

#include "builder/support/tool_tip_timing.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace crvl {

// The window the user sees: pale yellow, a black one-pixel border and the
// text at (4, 15).
class TipWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb BACKGROUND = 0xFFFFFFE1; // RGB 255, 255, 225
    static constexpr int HEIGHT = 20;
    static constexpr int TEXT_X = 4;
    static constexpr int TEXT_BASELINE = 15;
    static constexpr int EXTRA_WIDTH = 8;
    // Below the pointer, so the pointer does not cover the text.
    static constexpr int POINTER_GAP = 18;

    TipWindow(QWidget* owner, const QString& text);
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

class ToolTip : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize PLACEHOLDER_SIZE{50, 20};

    explicit ToolTip(QWidget* parent);
    ~ToolTip() override;

    // Registers a control with its text and watches its mouse enter, leave
    // and press; the toolkit's own tooltip of the control no longer shows.
    // A control already registered gets the new text.
    void addTool(QWidget* control, const QString& text);
    // Prepares the tip of a registered control, the pointer at pos inside
    // it. Nothing for a dialog, an unknown control or while a tip window
    // exists.
    void hitTest(QWidget* control, QPoint pos);
    void removeTipWindow();
    // Removes the tip window and stops the timer for good.
    void pleaseStop();

    // One 100 ms step of the timing.
    void tick();
    QTimer& timer() { return timer_; }

    TipWindow* tipWindow() const { return tip_; }
    bool isShowing() const { return tip_ != nullptr && tip_->isVisible(); }
    QString textOf(const QWidget* control) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QWidget*> components_;
    std::vector<QString> texts_;
    QPointer<TipWindow> tip_;
    ToolTipTiming timing_;
    QTimer timer_;
    bool keepRunning_ = true;
};

} // namespace crvl
