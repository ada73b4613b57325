// Takes the pictures of the builder as a user of the desktop's language sees
// it: desktop_language_shots <directory> writes window.png (the main
// window), browse.png (the save dialog's Browse file dialog) and help.png
// (the help window) there, in the language of LANG, as crvlbuilder chooses
// it. Run it under a display with a screen to grab (xvfb-run); see
// scripts/desktop-language-shots.sh.

#include "builder/app/builder_hooks.h"
#include "builder/app/lesson_tools.h"
#include "builder/app/main_frame.h"
#include "builder/app/qt_language.h"
#include "builder/app/save_load_commands.h"
#include "builder/app/save_load_dialog.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/app/scenario_tools.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/support/jbrowser.h"
#include "tests/common/builder_shots.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace crvl;

using test::grabScreen;
using test::settle;

namespace {

// Runs action on the next modal widget of type W, polling.
template <class W> void onNextModal(std::function<void(W*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* modal = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(50);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: desktop_language_shots <directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    namespace fs = std::filesystem;
    const fs::path scratch =
        test::scratchBuilderData(CRVL_SOURCE_DIR, "crvl_desktop_language_shots");
    fs::create_directories(scratch / "scenarios");
    const std::string base = scratch.generic_string() + "/";
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase(scratch));

    // As crvlbuilder's main does.
    seLanguage::chooseLanguage(base, languageFromEnvironment(std::getenv("LC_ALL"),
                                                             std::getenv("LC_MESSAGES"),
                                                             std::getenv("LANG")));
    installQtTranslations(app, seLanguage::language());
    MainFrame window(new ScenarioEditorApplet, BuilderArguments(), base);
    installSaveLoadDialogs(window);
    installBuilderSupport(window);
    installScenarioTools(window);
    installLessonTools(window);
    window.move(0, 0);
    window.show();
    settle(1500);
    grabScreen(window.frameGeometry()).save(out.filePath(QStringLiteral("window.png")));

    // Save, then Browse: the file dialog is Qt's own.
    QDir::setCurrent(QString::fromStdString(base));
    onNextModal<SaveLoadDialog>([&](SaveLoadDialog* dialog) {
        onNextModal<QFileDialog>([&, dialog](QFileDialog* files) {
            settle(800);
            grabScreen(files->frameGeometry()).save(out.filePath(QStringLiteral("browse.png")));
            files->reject();
            QTimer::singleShot(700, dialog, [dialog] {
                dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
            });
        });
        dialog->findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
    });
    window.save();
    settle(800);

    window.doHelp(BuilderState::getDocumentBase());
    settle(1500);
    JBrowser* help = test::lastTopLevel<JBrowser>();
    if (help == nullptr) {
        std::fprintf(stderr, "desktop_language_shots: no help window\n");
        return 1;
    }
    grabScreen(help->frameGeometry()).save(out.filePath(QStringLiteral("help.png")));
    std::printf("wrote window.png, browse.png and help.png in %s (language %s)\n", argv[1],
                seLanguage::language().c_str());
    delete help;
    fs::remove_all(scratch);
    return 0;
}
