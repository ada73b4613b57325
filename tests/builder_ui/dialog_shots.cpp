// Pictures of builder dialogs as a user sees them under a language file:
//   dialog_shots <directory> <language file> <name>=<dialog>...
// opens each dialog of dialog_openers.cpp under the language file and saves
// it as <directory>/<name>.png. Run it under a display (see
// dialog_shots.sh).

#include "builder/widgets/builder_fonts.h"
#include "tests/builder_ui/dialog_openers.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QThread>

#include <cstdio>
#include <stdexcept>
#include <string>

using namespace crvl::test;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: dialog_shots <directory> <language file> <name>=<dialog>...\n");
        return 2;
    }
    crvl::installBuilderFonts();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    useLanguageFile(argv[2]);
    int failures = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string shot = argv[i];
        const std::size_t equals = shot.find('=');
        if (equals == std::string::npos) {
            std::fprintf(stderr, "dialog_shots: %s is not <name>=<dialog>\n", shot.c_str());
            return 2;
        }
        DialogScene scene;
        // A few scenarios, so the list shows what a user's would.
        for (const char* name : {"cpr_training", "first_shock", "sinus_only"}) {
            scene.addScenario(name);
        }
        try {
            QWidget& window = dialogOpener(shot.substr(equals + 1)).open(scene);
            for (int pass = 0; pass < 10; ++pass) {
                QApplication::processEvents();
                QThread::msleep(20);
            }
            const QString file = out.filePath(QString::fromStdString(shot.substr(0, equals)) +
                                              QStringLiteral(".png"));
            if (!window.grab().save(file)) {
                std::fprintf(stderr, "dialog_shots: cannot write %s\n", qPrintable(file));
                ++failures;
            }
        } catch (const std::invalid_argument& error) {
            std::fprintf(stderr, "dialog_shots: %s\n", error.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
