// Takes the documentation pictures of the tooltip and the help window from
// the builder itself: support_shots <directory> writes tooltip.png (the
// window with the tip of a palette entry showing), tooltip-palette.png (the
// palette part of it) and help-window.png there. Run it under a display with
// a screen to grab (xvfb-run); see support_shots.sh.

#include "builder/app/builder_hooks.h"
#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_services.h"
#include "builder/support/jbrowser.h"
#include "builder/support/printer_frame.h"
#include "builder/support/tool_tip.h"
#include "tests/common/builder_shots.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QPrinter>
#include <QProcess>

#include <cstdio>
#include <filesystem>

using namespace crvl;

using test::grabScreen;
using test::settle;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: support_shots <directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    // A scratch copy of the data files whose start frame is a small drawn
    // scenario.
    namespace fs = std::filesystem;
    const fs::path scratch = test::scratchBuilderData(CRVL_SOURCE_DIR, "crvl_support_shots");
    const std::string base = scratch.generic_string() + "/";
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase(scratch));

    MainFrame window(new ScenarioEditorApplet, BuilderArguments(), base);
    installBuilderSupport(window);
    window.move(0, 0);
    window.show();
    settle(1500);

    // The pointer rests on the connect tool.
    ScenarioEditorApplet& editor = window.editor();
    QWidget* tool = editor.paletteButton(PaletteTool::linkFramesTool);
    ToolTip* tip = editor.findChild<ToolTip*>();
    if (tool == nullptr || tip == nullptr) {
        std::fprintf(stderr, "support_shots: no palette or tooltip\n");
        return 1;
    }
    const QPoint at(20, 24);
    QEnterEvent enter(at, tool->mapTo(tool->window(), at), tool->mapToGlobal(at));
    QCoreApplication::sendEvent(tool, &enter);
    tip->timer().stop();
    for (int i = 0; i < 6; ++i) {
        tip->tick();
    }
    settle(500);
    const QRect frame = window.frameGeometry();
    const QPixmap withTip = grabScreen(frame);
    withTip.save(out.filePath(QStringLiteral("tooltip.png")));
    const QPoint origin =
        editor.mapTo(&window, QPoint(0, 0)) + window.geometry().topLeft() - frame.topLeft();
    withTip.copy(QRect(origin, QSize(260, 120)))
        .save(out.filePath(QStringLiteral("tooltip-palette.png")));
    tip->removeTipWindow();

    // One printed page of the scenario, as a PDF file and as a picture.
    const QString pdf = out.filePath(QStringLiteral("printed-page.pdf"));
    PrinterFrame::setJobSource([pdf](QWidget*, const QString&) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    });
    window.printOnePage();
    window.tick();
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), pdf,
                       out.filePath(QStringLiteral("printed-page"))});

    window.doHelp(BuilderState::getDocumentBase());
    settle(1500);
    JBrowser* help = test::lastTopLevel<JBrowser>();
    if (help == nullptr) {
        std::fprintf(stderr, "support_shots: no help window\n");
        return 1;
    }
    grabScreen(help->frameGeometry()).save(out.filePath(QStringLiteral("help-window.png")));
    std::printf(
        "wrote tooltip.png, tooltip-palette.png, printed-page.png and help-window.png in %s\n",
        argv[1]);
    delete help;
    fs::remove_all(scratch);
    return 0;
}
