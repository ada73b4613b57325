// The small interface through which the connection logic reaches the
// configuration dialog: lamps, texts, buttons, message boxes, the parameter
// controls and the hooks of the upload and monitor dialogs. The dialog
// implements it with widgets; tests implement it with a recorder.
#pragma once

#include "config/core/parameter_form.h"

#include <functional>
#include <string>

namespace crvl {

// Lamp colours as row offsets (in pixels) of the lamp strip image.
enum class LampColour : int { Red = 0, Green = 16, Yellow = 32, Blue = 48 };
// Columns of the lamp strip: lit, dark, grey (off).
enum class LampLight : int { Lit = 0, Dark = 1, Off = 2 };

enum class ConfigButton { Update, CustomScenarios, LoadDefaults };

enum class MessageIcon { Information, Exclamation, Error };
// YesNo: No is the default answer.
enum class Question { AbortRetryIgnore, YesNoCancel, YesNo };
enum class Answer { Abort, Retry, Ignore, Yes, No, Cancel };

class ConfigView {
public:
    virtual ~ConfigView() = default;

    virtual void SetConnectionLamp(LampColour colour, LampLight light) = 0;
    virtual void SetBatteryLamp(LampColour colour, LampLight light) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetBatteryText(const std::string& text) = 0;
    virtual void SetConnectButtonText(const std::string& text) = 0;
    virtual void EnableButton(ConfigButton button, bool enabled) = 0;
    virtual void SetWaitCursor(bool on) = 0;

    // Runs fn on the dialog thread once the current step has returned (a
    // queued call). The connection logic opens its boxes and the upload
    // dialog this way, never from inside a tick, so that the 200 ms timer
    // keeps firing underneath them.
    virtual void RunLater(std::function<void()> fn) = 0;

    // Modal boxes; timer ticks and dispatches keep running underneath them.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    virtual Answer Ask(const std::string& text, const std::string& caption, Question buttons,
                       MessageIcon icon) = 0;

    // The parameter controls.
    virtual void ShowParameters(const ParameterRecord& record) = 0;
    virtual ParameterRecord CollectParameters() = 0;

    // Ends the dialog and with it the program.
    virtual void EndDialog() = 0;

    // Hooks of the upload dialog and the scenario monitor.
    virtual void RunUploadDialog() = 0;
    // The trainer was lost: an open upload dialog closes without sending.
    virtual void CloseUploadDialog() = 0;
    virtual void RunMonitorDialog() = 0;
    virtual void SetMonitorConnected(bool connected) = 0;
};

} // namespace crvl
