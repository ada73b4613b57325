#pragma once

// File > Open Lesson... (Ctrl+Shift+O): the lessons shipped beside the
// builder, each with its comment; the chosen one opens as a new, unsaved
// scenario named after it. In a window without a menu bar the shortcut
// alone works.

#include "builder/editor/lesson_library.h"

#include <QDialog>
#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace crvl {

class MainFrame;

// The list of lessons and the chosen one's comment; Open (or a double
// click) accepts.
class LessonDialog : public QDialog {
    Q_OBJECT
public:
    LessonDialog(QWidget* owner, std::vector<LessonEntry> lessons);

    // The selected lesson; none when nothing is selected.
    std::optional<LessonEntry> chosen() const;

    QListWidget* list() const { return list_; }
    QPlainTextEdit* comment() const { return comment_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void showChosen();

    std::vector<LessonEntry> lessons_;
    QLabel* listLabel_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* commentLabel_ = nullptr;
    QPlainTextEdit* comment_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

class LessonTools : public QObject {
    Q_OBJECT
public:
    // Asks which lesson to open; none for Cancel. The window's own is the
    // modal LessonDialog.
    using Chooser = std::function<std::optional<LessonEntry>(const std::vector<LessonEntry>&)>;

    explicit LessonTools(MainFrame& window);

    // Lists the lessons, lets the user choose and opens the choice (after
    // asking about unsaved changes); with no lesson to list, says so.
    void openLesson();

    QAction* action() const { return action_; }
    void setChooser(Chooser chooser) { choose_ = std::move(chooser); }

    // The texts from the language table (after it has been loaded).
    void relabel();

private:
    std::optional<LessonEntry> chooseInDialog(const std::vector<LessonEntry>& lessons);

    MainFrame& window_;
    QAction* action_ = nullptr;
    Chooser choose_;
};

// Gives window its Open Lesson... item; call once after building the window.
LessonTools& installLessonTools(MainFrame& window);

} // namespace crvl
