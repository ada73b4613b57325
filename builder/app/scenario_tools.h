#pragma once

// The builder's Scenario menu, between File (and Edit) and Help: Check
// Scenario (F7) and Try Scenario (F5), each opening its non-modal window.
// In a window without a menu bar the shortcuts alone work.

#include <QObject>

class QAction;
class QMenu;

namespace crvl {

class MainFrame;
class ScenarioCheckWindow;
class ScenarioTryWindow;

class ScenarioTools : public QObject {
    Q_OBJECT
public:
    explicit ScenarioTools(MainFrame& window);

    // Opens (or raises) the window and checks, or starts the trial, anew.
    void checkScenario();
    void tryScenario();

    QMenu* menu() const { return menu_; }
    QAction* checkAction() const { return check_; }
    QAction* tryAction() const { return try_; }
    // Made when first opened.
    ScenarioCheckWindow* checkWindow() const { return checkWindow_; }
    ScenarioTryWindow* tryWindow() const { return tryWindow_; }

    // The texts from the language table (after it has been loaded).
    void relabel();

private:
    MainFrame& window_;
    QMenu* menu_ = nullptr;
    QAction* check_ = nullptr;
    QAction* try_ = nullptr;
    ScenarioCheckWindow* checkWindow_ = nullptr;
    ScenarioTryWindow* tryWindow_ = nullptr;
};

// Gives window its Scenario menu; call once after building the window.
ScenarioTools& installScenarioTools(MainFrame& window);

} // namespace crvl
