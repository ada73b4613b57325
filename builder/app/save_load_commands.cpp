#include "builder/app/save_load_commands.h"

#include "builder/app/exit_save.h"
#include "builder/app/main_frame.h"
#include "builder/app/save_load_dialog.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/editor/scenario_editor_core.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace crvl {

namespace {

// The editor as the save/load dialog's listener.
class EditorListener final : public SaveLoadListener {
public:
    explicit EditorListener(ScenarioEditorCore& core) : core_(core) {}

    std::string loadedFileName() const override { return core_.loadedFileName(); }
    std::string proposedComment() const override { return core_.proposedComment(); }
    void sendTheBeep() override { core_.sendTheBeep(); }
    void saveLoadAction(SaveLoadDialog& dialog, const std::string& command) override {
        SaveLoadResult result;
        result.filename = dialog.getFilename();
        result.path = dialog.getPath();
        result.comment = dialog.getComment();
        result.confirmedName = dialog.confirmedName();
        // A name with nothing behind it starts a new scenario; a file that is
        // there but cannot be read is a failed load, which the user is told.
        std::error_code ec;
        result.fileExists = std::filesystem::exists(result.path + result.filename, ec);
        core_.onSaveLoadDialogReport(command, result);
        dialog.dispose();
    }

private:
    ScenarioEditorCore& core_;
};

void runDialog(QWidget* owner, ScenarioEditorCore& core, SaveLoadListener& listener, bool isSave,
               const std::string& name) {
    TclControl* io = core.getTclControl();
    if (io == nullptr) {
        core.sendTheBeep();
        return;
    }
    auto* dialog = new SaveLoadDialog(owner, listener, isSave, name, *io);
    // The dialog lives until its worker has ended, which keeps the editor
    // refusing a second dialog until then.
    QObject::connect(dialog, &SaveLoadDialog::workerEnded, dialog, &QObject::deleteLater);
    dialog->exec();
    dialog->dispose();
}

} // namespace

void installSaveLoadDialogs(MainFrame& window) {
    ScenarioEditorCore& core = window.editor().core();
    auto listener = std::make_shared<EditorListener>(core);
    EditorCommands& commands = core.commands();
    commands.saveLoadDialogOpen = [] { return SaveLoadDialog::getInstanceCount() > 0; };
    commands.openSaveDialog = [&window, &core, listener](const std::string& name) {
        runDialog(&window, core, *listener, true, name);
    };
    commands.openLoadDialog = [&window, &core, listener](const std::string& name) {
        runDialog(&window, core, *listener, false, name);
    };
    auto ask = [&window](const std::string& modeName) {
        const auto mode = exitSaveModeFromName(modeName);
        if (!mode) {
            return;
        }
        // No goes on without asking again; the changes count as unsaved
        // until the drawing is really replaced.
        ExitSave question(&window, *mode,
                          {[&window] { window.save(); },
                           [&window] { window.load(UnsavedChanges::Discard); },
                           [&window] { window.newScenario(UnsavedChanges::Discard); },
                           [&window] { window.doClose(UnsavedChanges::Discard); }});
        question.run();
    };
    commands.askSaveChanges = ask;
    window.services().askSaveChanges = ask;
}

} // namespace crvl
