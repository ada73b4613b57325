#include "builder/app/builder_hooks.h"

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_services.h"
#include "builder/editor/palette.h"
#include "builder/support/jbrowser.h"
#include "builder/support/print_dialog.h"
#include "builder/support/printer_frame.h"
#include "builder/support/tool_tip.h"

#include <QLabel>
#include <QPointer>
#include <QScrollArea>

namespace crvl {

namespace {

QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

// Registers every palette entry with its text; again after start-up, when
// the language file has replaced the built-in texts.
void registerPalette(ToolTip& tip, const ScenarioEditorApplet& editor) {
    for (const PaletteEntry& entry : paletteEntries()) {
        if (ImageButton* button = editor.paletteButton(entry.tool)) {
            tip.addTool(button, qstr(paletteTooltip(entry.tool)));
        }
    }
}

// The window starts the editor (and loads the language file) from its event
// loop; the texts are taken again once that has happened.
void registerWhenStarted(ToolTip* tip, MainFrame* window, int delayMs = 0) {
    QTimer::singleShot(delayMs, tip, [tip, window] {
        if (window->started()) {
            registerPalette(*tip, window->editor());
        } else {
            registerWhenStarted(tip, window, MainFrame::LOOP_INTERVAL_MS);
        }
    });
}

void installToolTip(MainFrame& window) {
    ScenarioEditorApplet& editor = window.editor();
    // The tooltip takes the place the editor keeps for it.
    if (auto* place = editor.findChild<QLabel*>(QStringLiteral("toolTip"))) {
        place->hide();
    }
    auto* tip = new ToolTip(&editor);
    tip->setGeometry(ScenarioEditorApplet::TOOLTIP_GEOMETRY);
    // Its place reaches over the scroll view's corner; the scroll bars stay
    // above it.
    tip->stackUnder(editor.scrollView());
    registerPalette(*tip, editor);
    registerWhenStarted(tip, &window);
}

} // namespace

void installBuilderSupport(MainFrame& window) {
    installToolTip(window);

    auto dialog = std::make_shared<QPointer<Print>>();
    MainFrame::Services& services = window.services();
    services.openPrintDialog = [&window, dialog] {
        if (*dialog == nullptr) {
            auto* print = new Print(&window, true);
            print->requestOnePage = [&window] { window.printOnePage(); };
            print->requestTwoPages = [&window] { window.printTwoPages(); };
            *dialog = print;
        }
        (*dialog)->showCentred();
    };
    services.hidePrintDialog = [dialog] {
        if (*dialog != nullptr) {
            (*dialog)->hide();
            (*dialog)->deleteLater();
            *dialog = nullptr;
        }
    };
    services.print = [&window, dialog](const std::string& mode) {
        ScenarioEditorApplet& applet = window.editor();
        ScenarioEditorCore& core = applet.core();
        PrintableEditor printable;
        printable.canvas = applet.bigPanel();
        printable.editor = &core;
        printable.setPrinting = [&core](bool on) { core.setPrinting(on); };
        printable.setPrintingFont = [&core](const FontSpec& font) { core.setPrintingFont(font); };
        printable.scenarioName = [&applet] { return applet.scenarioName(); };
        // The loop that asked for the print waits for it, as it does for
        // any of its steps: the system print dialog runs an event loop of
        // its own, in which the loop's timer must not start the same
        // request again or drop the choice dialog.
        QTimer& loop = window.loopTimer();
        const bool looping = loop.isActive();
        loop.stop();
        PrinterFrame printer(std::move(printable), dialog->data());
        printer.init();
        printer.printFrame(mode);
        if (looping) {
            loop.start();
        }
    };
    services.openHelp = [](const std::string& logo, const std::string& start,
                           const std::array<std::string, 4>& buttons) {
        // The window deletes itself when it is closed.
        new JBrowser(qstr(logo), qstr(start),
                     {qstr(buttons[0]), qstr(buttons[1]), qstr(buttons[2]), qstr(buttons[3])},
                     qstr(BuilderState::getBaseDirectory()));
    };
}

} // namespace crvl
