#pragma once

// The question "Do you want to save changes ?" asked before New, Load and
// closing while the scenario has unsaved changes.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QPushButton;

namespace crvl {

enum class ExitSaveMode { closing, loading, newScenario };

// "closing", "loading" or "newScenario"; none for any other text.
std::optional<ExitSaveMode> exitSaveModeFromName(const std::string& name);

// The main window's commands the question leads to; load, newScenario and
// doClose go on without asking again.
struct ExitSaveCommands {
    std::function<void()> save;
    std::function<void()> load;
    std::function<void()> newScenario;
    std::function<void()> doClose;
};

class ExitSave : public QDialog {
    Q_OBJECT
public:
    static constexpr int WIDTH = 298;
    static constexpr int HEIGHT = 109;
    enum class Answer { None, Yes, No, Cancel };

    ExitSave(QWidget* mainWindow, ExitSaveMode mode, ExitSaveCommands commands);

    // Shows the question centred over the main window, modal, and carries
    // out the answer: Yes opens the save dialog (what led to the question is
    // not continued); No goes on with the closing, loading or new scenario,
    // which replace the drawing or do not (a cancelled load dialog), and the
    // changed flag follows what really happens; Cancel, or closing the window, does nothing.
    void run();

    // The answer as the buttons set it; run() acts on it.
    Answer answer() const { return answer_; }
    void actOnAnswer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void answerWith(Answer answer);

    ExitSaveMode mode_;
    ExitSaveCommands commands_;
    Answer answer_ = Answer::None;
};

} // namespace crvl
