// crvlbuilder: the scenario builder.

#include "base/work_folder.h"
#include "builder/app/builder_hooks.h"
#include "builder/app/lesson_tools.h"
#include "builder/app/main_frame.h"
#include "builder/app/qt_language.h"
#include "builder/app/save_load_commands.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/app/scenario_tools.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_language.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/editor/builder_arguments.h"
#include "builder/widgets/builder_fonts.h"
#include "tools/remote_ui/remote_ui.h"

#include <QApplication>

#ifdef CRVL_TEST_HOOKS
#include "builder/support/printer_frame.h"

#include <QPrinter>
#endif

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

#ifdef CRVL_TEST_HOOKS
// Test builds: with CRVL_PRINT_TO_PDF set, print jobs go to that PDF file
// instead of through the system's print dialog, which has no printer to
// offer under Wine.
void printToPdfFromEnvironment() {
    const QString file = qEnvironmentVariable("CRVL_PRINT_TO_PDF");
    if (file.isEmpty())
        return;
    crvl::PrinterFrame::setJobSource([file](QWidget*, const QString& jobName) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setDocName(jobName);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        return printer;
    });
}
#endif

constexpr const char* kUsage =
    "Usage: crvlbuilder [width=N height=N] [barebones=true] [language=CODE]\n"
    "\n"
    "Draws training scenarios for the Corvel trainer and saves them into\n"
    "scenarios/ under the working directory.\n"
    "\n"
    "Arguments:\n"
    "  width=N height=N   the window's size in pixels (both or neither)\n"
    "  barebones=true     a window without menu bar\n"
    "  language=CODE      the language, such as de or en, instead of the one of\n"
    "                     the locale (LC_ALL, LC_MESSAGES, LANG); English when\n"
    "                     the builder has no texts in it\n"
    "  --help             show this text\n";

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            std::cout << kUsage;
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("crvlbuilder"));
    crvl::installBuilderFonts();

    const std::vector<std::string> argList(argv + 1, argv + argc);
    crvl::BuilderArguments args(argList);
    if (args.width(1) == -1 || args.height(1) == -1) {
        std::cerr << "Width and height must be specified." << std::endl;
        return 1;
    }

    // Started from its installation, the builder works in the user's folder
    // with its own copy of the data it reads beside the scenarios.
    const std::filesystem::path programDirectory(
        QApplication::applicationDirPath().toStdU16String());
    if (const crvl::Status entered = crvl::EnterUserWorkFolder(
            programDirectory, {"picts", "images", "inits", "template", "help", "lessons"},
            CRVL_VERSION);
        !entered.ok())
        std::cerr << "crvlbuilder: " << entered.message() << std::endl;
    std::error_code ec;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(ec);
    crvl::BuilderState::setDocumentBase(crvl::BuilderState::makeDocumentBase(
        crvl::chooseBaseDirectory(workingDirectory, programDirectory)));
    crvl::setConsoleSink(crvl::stdoutConsoleSink());
    // The language of the desktop, or the one asked for, when its texts ship.
    const std::string base = crvl::BuilderState::getBaseDirectory();
    crvl::seLanguage::chooseLanguage(
        base, args.getParameter("language")
                  .value_or(crvl::languageFromEnvironment(
                      std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"))));
    crvl::installQtTranslations(app, crvl::seLanguage::language());

    crvl::MainFrame window(new crvl::ScenarioEditorApplet, std::move(args), base);
    crvl::installSaveLoadDialogs(window);
    crvl::installBuilderSupport(window);
    crvl::installScenarioTools(window);
    crvl::installLessonTools(window);
    window.show();
#ifdef CRVL_TEST_HOOKS
    printToPdfFromEnvironment();
#endif
    crvl::RemoteUi::StartFromEnvironment(&app);
    return QApplication::exec();
}
