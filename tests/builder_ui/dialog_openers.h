#pragma once

// Every dialog, question and window of the builder, each opened as the user
// meets it, for the checks that hold for all of them. A new dialog comes
// under those checks with one more entry in dialogOpeners()
// (dialog_openers.cpp): a name and a function that builds and shows it in a
// DialogScene.

#include "tests/builder_services/temp_dir.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace crvl {
class TclControl;
} // namespace crvl

namespace crvl::test {

class FakeEditor;
class SceneListener;

// What the dialogs need around them: an owner window, a base directory with
// "template/" and "scenarios/", its file access, a save/load listener and a
// frame editor holding two frames. One scene serves one opening.
class DialogScene {
public:
    DialogScene();
    ~DialogScene();

    QWidget& owner() { return owner_; }
    TclControl& io() { return *io_; }
    SceneListener& listener() { return *listener_; }
    FakeEditor& frames() { return *frames_; }
    const TempDir& base() const { return base_; }
    // Writes scenarios/<name>.scn, read-only when asked.
    void addScenario(const std::string& name, bool readOnly = false);

    // Keeps an object alive as long as the scene.
    template <class T> T& keep(std::unique_ptr<T> object) {
        T& kept = *object;
        kept_.push_back(std::shared_ptr<void>(std::move(object)));
        return kept;
    }

private:
    TempDir base_;
    QWidget owner_;
    std::unique_ptr<TclControl> io_;
    std::unique_ptr<SceneListener> listener_;
    std::unique_ptr<FakeEditor> frames_;
    std::vector<std::shared_ptr<void>> kept_;
};

struct DialogOpener {
    // Letters and digits only: it names a test case.
    std::string name;
    // Builds the dialog in the state it is checked in, shows it and returns
    // its window; the scene owns it.
    std::function<QWidget&(DialogScene&)> open;
};

const std::vector<DialogOpener>& dialogOpeners();
const DialogOpener& dialogOpener(const std::string& name);

// Reads a language file, as the builder does at start-up, after putting
// every text back to its default.
void useLanguageFile(const std::string& path);
// The language files the builder ships (builder/data/inits/seTranslator*.ini).
std::vector<std::string> shippedLanguageFiles();

} // namespace crvl::test
