#include "builder/support/tool_tip_timing.h"

namespace crvl {

ToolTipTiming::Step ToolTipTiming::tick(bool tipExists) {
    count = showTip && tipExists ? count + 1 : 0;
    if (showing) {
        ++countHide;
    }
    Step step = Step::None;
    if (count > delayTime) {
        count = 0;
        if (showTip && !showing && tipExists) {
            showTip = false;
            showing = true;
            step = Step::Show;
        }
    }
    if (countHide > hideDelayTime) {
        countHide = 0;
        showing = false;
        step = Step::Hide;
    }
    return step;
}

} // namespace crvl
