#pragma once

// The builder's only top-level window: it holds the editor, the menu bar and
// the background loop that starts the editor, carries out print and About
// requests one tick after they were made, and ticks the editor's refresh
// timers every 250 ms.

#include "builder/editor/builder_arguments.h"
#include "builder/editor/unsaved_changes.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <string>

class QAction;
class QMenu;

namespace crvl {

class ScenarioEditorApplet;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    static inline const std::string applName = "Corvel Scenario Builder";
    static constexpr int LOOP_INTERVAL_MS = 250;
    // The window around the editor's own size.
    static constexpr int FRAME_EXTRA_WIDTH = 10;
    static constexpr int FRAME_EXTRA_HEIGHT = 25;

    // The menu commands, in the order a chosen text is matched against them.
    enum class MenuCommand { Exit, New, Load, Save, Print, About, Help };
    // The Edit menu's commands.
    enum class EditCommand { Undo, Redo, Copy, Paste };
    // The user's settings: the recent scenarios, newest first.
    static constexpr const char* SETTINGS_ORGANISATION = "crvl";
    static constexpr const char* SETTINGS_APPLICATION = "crvlbuilder";
    static constexpr const char* RECENT_SCENARIOS_KEY = "recentScenarios";

    // Builds the window around editor (which it takes over) and shows it; the
    // loop starts the editor once the event loop runs.
    MainFrame(ScenarioEditorApplet* editor, BuilderArguments args, std::string baseDirectory);
    ~MainFrame() override;

    static MainFrame* getMainFrame() { return mySelf; }
    ScenarioEditorApplet& editor() const { return *editor_; }
    const BuilderArguments& arguments() const { return args_; }

    // Start-up (the loop's first step): the editor's init, window size and
    // the menus relabelled with the loaded texts.
    void startUp();
    bool started() const { return started_; }
    // One pass of the loop: print requests, the About box, the timers.
    void tick();
    QTimer& loopTimer() { return loop_; }

    // ---- commands
    void newScenario(UnsavedChanges changes = UnsavedChanges::Ask);
    void load(UnsavedChanges changes = UnsavedChanges::Ask);
    void save();
    void showPrintDialog();
    void printOnePage() { doPrintOnePage_ = true; }
    void printTwoPages() { doPrintTwoPages_ = true; }
    void requestAbout() { showHelpAbout_ = true; }
    bool aboutPending() const { return showHelpAbout_; }
    void doHelp(const std::string& base);
    void doClose(UnsavedChanges changes = UnsavedChanges::Ask);
    // Runs the command whose current item text equals text (the first in
    // the order Exit, New, Load, Save, Print, About, Help); false if none.
    bool menuCommand(const QString& text);

    void setBrowserButtonsTexts(std::string back, std::string forward, std::string print,
                                std::string close);
    const std::array<std::string, 4>& browserButtonsTexts() const { return browserButtonsTexts_; }
    void showStatus(const std::string& text) { statusText_ = text; }
    const std::string& statusText() const { return statusText_; }
    QAction* menuItem(MenuCommand command) const;
    QAction* editItem(EditCommand command) const;
    // The File menu's list of recent scenarios; none without a menu bar.
    QMenu* recentMenu() const { return mRecent_; }
    // Opens a scenario file by its full path as Load would, asking first
    // whether to save unsaved changes.
    void openRecent(const std::string& path);
    // Runs open (which replaces the drawing) once unsaved changes are saved
    // or given up; the user may also cancel, and open is not run.
    void openAfterAsking(std::function<void()> open);
    // The File menu; none without a menu bar.
    QMenu* fileMenu() const { return mFile_; }
    static std::string aboutText();

    // What later parts of the builder plug in; unset ones beep.
    struct Services {
        // Opens the print dialog (which calls printOnePage/printTwoPages).
        std::function<void()> openPrintDialog;
        std::function<void()> hidePrintDialog;
        // Prints the canvas in mode "print1Page" or "print2Pages".
        std::function<void(const std::string& mode)> print;
        std::function<void(const std::string& logo, const std::string& start,
                           const std::array<std::string, 4>& buttons)>
            openHelp;
        // The exit-save question in mode "closing".
        std::function<void(const std::string& mode)> askSaveChanges;
    };
    Services& services() { return services_; }

    // With the environment variable CRVL_STARTUP_PROBE set, the program
    // writes "canvas painted" on standard output once the started editor's
    // canvas has been painted, and ends: the start-up benchmark times this.
    static constexpr const char* STARTUP_PROBE = "CRVL_STARTUP_PROBE";

    // Set when doClose has ended the program.
    bool closed() const { return closed_; }

signals:
    // Start-up has loaded the language table and relabelled the menus.
    void menusRelabelled();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void buildMenuBar();
    void buildEditMenu(QMenuBar* mb);
    void relabelMenus();
    void runCommand(MenuCommand command);
    void runEditCommand(EditCommand command);
    void updateEditMenu();
    void rememberScenario(const std::string& path);
    void fillRecentMenu();
    void printPending(bool& flag, const std::string& mode, int fontSize);

    static inline MainFrame* mySelf = nullptr;
    ScenarioEditorApplet* editor_;
    BuilderArguments args_;
    std::string baseDirectory_;
    bool barebones_ = false;
    QMenu* mFile_ = nullptr;
    QMenu* mHelp_ = nullptr;
    QMenu* mEdit_ = nullptr;
    QMenu* mRecent_ = nullptr;
    std::array<QAction*, 7> items_{};
    std::array<QAction*, 4> editItems_{};
    // What opens once "save changes?" is answered No.
    std::function<void()> openPending_;
    QTimer loop_;
    bool started_ = false;
    bool doPrintOnePage_ = false;
    bool doPrintTwoPages_ = false;
    bool showHelpAbout_ = false;
    bool closed_ = false;
    bool probeStartup_ = false;
    std::array<std::string, 4> browserButtonsTexts_{"Back", "Forward", "Print", "Close"};
    std::string statusText_;
    Services services_;
};

} // namespace crvl
