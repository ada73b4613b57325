#include "tests/builder_ui/dialog_openers.h"

#include "builder/app/exit_save.h"
#include "builder/app/lesson_tools.h"
#include "builder/app/main_frame.h"
#include "builder/app/save_load_dialog.h"
#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/support/jbrowser.h"
#include "builder/support/print_dialog.h"
#include "builder/views/element_dialogs.h"
#include "builder/views/state_transition.h"
#include "builder/widgets/message_box.h"
#include "tests/builder_model/fake_editor.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace crvl::test {

namespace fs = std::filesystem;

class SceneListener : public SaveLoadListener {
public:
    std::string loadedFileName() const override { return "newFile"; }
    std::string proposedComment() const override { return {}; }
    void sendTheBeep() override {}
    void saveLoadAction(SaveLoadDialog&, const std::string&) override {}
};

DialogScene::DialogScene()
    : io_(std::make_unique<TclControl>(base_.location())),
      listener_(std::make_unique<SceneListener>()), frames_(std::make_unique<FakeEditor>()) {
    owner_.resize(804, 603);
    fs::create_directories(base_.dir() + "scenarios");
    fs::copy(fs::path(CRVL_SOURCE_DIR) / "builder/data/template", base_.dir() + "template");
    frames_->addFrame("Frame0", {100, 20});
    frames_->addFrame("Frame1", {300, 200});
}

DialogScene::~DialogScene() {
    // The dialogs go before the objects they refer to.
    while (!kept_.empty()) {
        kept_.pop_back();
    }
}

void DialogScene::addScenario(const std::string& name, bool readOnly) {
    const std::string path = base_.write("scenarios/" + name + ".scn", "# Comment:  \r\n");
    if (readOnly) {
        fs::permissions(path,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
}

namespace {

template <class W> W& shown(DialogScene& scene, std::unique_ptr<W> window) {
    W& kept = scene.keep(std::move(window));
    kept.show();
    QApplication::processEvents();
    return kept;
}

QWidget& elementDialog(DialogScene& scene, const char* type) {
    auto dialog = makeElementDialog(type, &scene.owner());
    dialog->init("");
    dialog->setAttributes();
    return shown(scene, std::move(dialog));
}

SaveLoadDialog& saveLoadDialog(DialogScene& scene, bool isSave) {
    auto dialog = std::make_unique<SaveLoadDialog>(
        &scene.owner(), scene.listener(), isSave,
        isSave ? "scenarios/Filename" : "scenarios/NewFile", scene.io());
    return shown(scene, std::move(dialog));
}

// The save dialog after OK with the name of a listed scenario: the
// overwrite question stands in it.
QWidget& overwriteQuestion(DialogScene& scene, bool readOnly) {
    scene.addScenario("taken", readOnly);
    SaveLoadDialog& dialog = saveLoadDialog(scene, true);
    dialog.findChild<QLineEdit*>(QStringLiteral("textField1"))->setText(QStringLiteral("taken"));
    dialog.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    QApplication::processEvents();
    return dialog;
}

QWidget& box(DialogScene& scene, std::unique_ptr<QMessageBox> messageBox) {
    return shown(scene, std::move(messageBox));
}

QString dataFile(const char* name) {
    return QString::fromUtf8(CRVL_SOURCE_DIR "/builder/data/") + QLatin1String(name);
}

std::vector<DialogOpener> makeOpeners() {
    std::vector<DialogOpener> openers;
    for (const char* type : {"SetECG", "MotionAction", "ElectrodesAction", "BatteryAction",
                             "FailureAction", "DefibEvent", "CPREvent", "TimeEvent"}) {
        openers.push_back(
            {type, [type](DialogScene& s) -> QWidget& { return elementDialog(s, type); }});
    }
    openers.push_back({"ConnectToFrame", [](DialogScene& s) -> QWidget& {
                           auto& frames = s.frames();
                           return shown(s, std::make_unique<StateTransition>(
                                               frames, *frames.frameList[0], &s.owner()));
                       }});
    openers.push_back(
        {"SaveDialog", [](DialogScene& s) -> QWidget& { return saveLoadDialog(s, true); }});
    openers.push_back({"LoadDialog", [](DialogScene& s) -> QWidget& {
                           s.addScenario("listed");
                           return saveLoadDialog(s, false);
                       }});
    openers.push_back({"OverwriteQuestion",
                       [](DialogScene& s) -> QWidget& { return overwriteQuestion(s, false); }});
    openers.push_back({"ReadOnlyQuestion",
                       [](DialogScene& s) -> QWidget& { return overwriteQuestion(s, true); }});
    openers.push_back({"DeleteQuestion", [](DialogScene& s) -> QWidget& {
                           SaveLoadDialog& load = saveLoadDialog(s, false);
                           return box(s,
                                      makeYesNoMessageBox(&load, seLanguage::deleteDialogTitle,
                                                          seLanguage::deleteDialogText, "Warning"));
                       }});
    openers.push_back({"SaveChangesQuestion", [](DialogScene& s) -> QWidget& {
                           return shown(s, std::make_unique<ExitSave>(&s.owner(),
                                                                      ExitSaveMode::closing,
                                                                      ExitSaveCommands{}));
                       }});
    openers.push_back({"FrameLimitMessage", [](DialogScene& s) -> QWidget& {
                           return box(
                               s, makeMessageBox(&s.owner(), seLanguage::createFramesToolText,
                                                 seLanguage::numOfFramesLimitText, "Exclamation"));
                       }});
    openers.push_back({"PrintChoice", [](DialogScene& s) -> QWidget& {
                           return shown(s, std::make_unique<Print>(&s.owner(), true));
                       }});
    openers.push_back({"LessonDialog", [](DialogScene& s) -> QWidget& {
                           return shown(s, std::make_unique<LessonDialog>(
                                               &s.owner(), std::vector<LessonEntry>{
                                                               {"vf-first-shock",
                                                                "vf-first-shock.scn", "lessons/",
                                                                "VF converted by the first "
                                                                "shock.\r\nThe student shocks."}}));
                       }});
    openers.push_back(
        {"NotSavedMessage", [](DialogScene& s) -> QWidget& {
             return box(s, makeMessageBox(&s.owner(), seLanguage::saveScenarioText,
                                          fillIn(seLanguage::notSavedText, {"my_scenario.scn"}) +
                                              "\n" + seLanguage::notSavedNoPermissionText,
                                          "Exclamation"));
         }});
    openers.push_back(
        {"LoadFailedMessage", [](DialogScene& s) -> QWidget& {
             return box(s, makeMessageBox(&s.owner(), seLanguage::loadScenarioText,
                                          fillIn(seLanguage::loadFailedText, {"my_scenario.scn"}) +
                                              "\n" + seLanguage::loadDamagedText +
                                              "\nFrame3: the frame header cannot be read",
                                          "Exclamation"));
         }});
    openers.push_back({"LessonReadOnlyMessage", [](DialogScene& s) -> QWidget& {
                           return box(s, makeMessageBox(&s.owner(), seLanguage::saveScenarioText,
                                                        fillIn(seLanguage::lessonReadOnlyText,
                                                               {"vf-first-shock.scn"}),
                                                        "Exclamation"));
                       }});
    openers.push_back({"About", [](DialogScene& s) -> QWidget& {
                           return box(s, makeMessageBox(&s.owner(), seLanguage::menuItemAbout,
                                                        MainFrame::aboutText(), "NoIcon"));
                       }});
    openers.push_back(
        {"HelpWindow", [](DialogScene& s) -> QWidget& {
             const std::array<QString, 4> texts{QString::fromStdString(seLanguage::helpBack),
                                                QString::fromStdString(seLanguage::helpForward),
                                                QString::fromStdString(seLanguage::helpPrint),
                                                QString::fromStdString(seLanguage::helpClose)};
             return shown(s, std::make_unique<JBrowser>(dataFile("picts/ScenarioLogoBig.gif"),
                                                        dataFile("help/Se.html"), texts,
                                                        dataFile("")));
         }});
    return openers;
}

} // namespace

const std::vector<DialogOpener>& dialogOpeners() {
    static const std::vector<DialogOpener> openers = makeOpeners();
    return openers;
}

const DialogOpener& dialogOpener(const std::string& name) {
    for (const DialogOpener& opener : dialogOpeners()) {
        if (opener.name == name) {
            return opener;
        }
    }
    throw std::invalid_argument("no dialog opener " + name);
}

void useLanguageFile(const std::string& path) {
    seLanguage::restoreDefaults();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    seLanguage::translateBytes(bytes);
}

std::vector<std::string> shippedLanguageFiles() {
    std::vector<std::string> files;
    for (const auto& entry :
         fs::directory_iterator(fs::path(CRVL_SOURCE_DIR) / "builder/data/inits")) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("seTranslator") && name.ends_with(".ini")) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace crvl::test
