#pragma once

// The timing of the palette tooltip, apart from any window: one step per
// 100 ms tick. A tip waits delayTime + 1 ticks (about 600 ms) after it was
// prepared before it shows, and hides once it has been visible for
// hideDelayTime + 1 ticks (about 4.6 s). It does not show again until a new
// tip is prepared, that is until the pointer enters a control again.

namespace crvl {

class ToolTipTiming {
public:
    static constexpr int delayTime = 5;
    static constexpr int hideDelayTime = 45;
    static constexpr int TICK_MS = 100;

    enum class Step { None, Show, Hide };

    // A tip window was made for the control under the pointer.
    void prepare() {
        count = 0;
        showTip = true;
    }
    // The tip window was discarded.
    void reset() {
        showTip = false;
        showing = false;
        count = 0;
        countHide = 0;
    }
    // The end of one 100 ms wait, then what the tip window must do before
    // the next wait. tipExists: a tip window is there.
    Step tick(bool tipExists);

    bool waiting() const { return showTip; }
    bool isShowing() const { return showing; }

private:
    bool showTip = false;
    bool showing = false;
    int count = 0;
    int countHide = 0;
};

} // namespace crvl
