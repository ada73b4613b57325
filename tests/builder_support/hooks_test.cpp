// The tooltip, printing and help as the builder's main window uses them:
// palette registration, print requests from the menu through the choice
// dialog to the PDF, and help windows.

#include "builder/app/builder_hooks.h"
#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/core/builder_console.h"
#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/editor/palette.h"
#include "builder/support/jbrowser.h"
#include "builder/support/print_dialog.h"
#include "builder/support/printer_frame.h"
#include "builder/support/tool_tip.h"
#include "tests/builder_support/pdf_pages.h"

#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crvl {
namespace {

const std::string kDataDir = std::string(CRVL_SOURCE_DIR) + "/builder/data/";

class BuilderHooks : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink = setConsoleSink({});
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(kDataDir));
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath(QStringLiteral("run.pdf"));
        previousSource = PrinterFrame::setJobSource([this](QWidget*, const QString&) {
            ++jobs;
            loopRanDuringDialog = loopRanDuringDialog || window->loopTimer().isActive();
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* help = qobject_cast<JBrowser*>(w)) {
                delete help;
            }
        }
        window.reset();
        PrinterFrame::setJobSource(previousSource);
        setConsoleSink(previousSink);
        seLanguage::restoreDefaults();
    }
    void open(const std::string& base = kDataDir) {
        window = std::make_unique<MainFrame>(new ScenarioEditorApplet, BuilderArguments(), base);
        installBuilderSupport(*window);
        window->show();
        QCoreApplication::processEvents(); // start-up
        window->loopTimer().stop();        // the tests tick by hand
        ASSERT_TRUE(window->started());
    }
    ToolTip* toolTip() const { return window->editor().findChild<ToolTip*>(); }
    std::vector<Print*> printDialogs() const {
        std::vector<Print*> visible;
        for (Print* p : window->findChildren<Print*>()) {
            if (p->isVisible()) {
                visible.push_back(p);
            }
        }
        return visible;
    }
    static std::vector<JBrowser*> helpWindows() {
        std::vector<JBrowser*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* help = qobject_cast<JBrowser*>(w); help != nullptr && help->isVisible()) {
                found.push_back(help);
            }
        }
        return found;
    }

    std::unique_ptr<MainFrame> window;
    QTemporaryDir dir;
    QString pdf;
    int jobs = 0;
    bool loopRanDuringDialog = false;
    ConsoleSink previousSink;
    PrinterFrame::JobSource previousSource;
};

TEST_F(BuilderHooks, EveryPaletteEntryHasItsTooltipInTheLoadedLanguage) {
    const auto base = std::filesystem::temp_directory_path() / "crvl_tooltip_language/";
    std::filesystem::create_directories(base / "inits");
    std::ofstream(base / "inits/seTranslator.ini")
        << "ENCODING\tUTF-8\n\"createFramesToolText\"\t\"Rahmen anlegen\"\n";
    std::filesystem::copy(kDataDir + "picts", base / "picts",
                          std::filesystem::copy_options::overwrite_existing |
                              std::filesystem::copy_options::recursive);
    open(base.string());
    QCoreApplication::processEvents();
    ToolTip* tip = toolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->geometry(), ScenarioEditorApplet::TOOLTIP_GEOMETRY);
    for (const PaletteEntry& entry : paletteEntries()) {
        EXPECT_EQ(tip->textOf(window->editor().paletteButton(entry.tool)),
                  QString::fromStdString(paletteTooltip(entry.tool)))
            << entry.name;
    }
    EXPECT_EQ(tip->textOf(window->editor().paletteButton(PaletteTool::createFramesTool)),
              "Rahmen anlegen");
    window.reset();
    std::filesystem::remove_all(base);
}

TEST_F(BuilderHooks, PrintMenuRunsTheChosenModeOnceAndHidesTheDialog) {
    open();
    window->menuItem(MainFrame::MenuCommand::Print)->trigger();
    auto dialogs = printDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    Print* print = dialogs.front();
    print->TwoPage->click();
    print->OKButton->click();
    // A second request while one is pending is refused.
    window->menuItem(MainFrame::MenuCommand::Print)->trigger();
    EXPECT_EQ(printDialogs().size(), 1u);

    window->loopTimer().start();
    window->tick();
    EXPECT_EQ(jobs, 1);
    // The system print dialog's event loop must not tick the window again.
    EXPECT_FALSE(loopRanDuringDialog);
    EXPECT_TRUE(window->loopTimer().isActive());
    window->loopTimer().stop();
    EXPECT_TRUE(printDialogs().empty());
    EXPECT_EQ(test::pdfPageImages(pdf, 20).size(), 2u);
    EXPECT_TRUE(test::pdfPageText(pdf, 1).contains("1/2"));
    EXPECT_FALSE(window->editor().core().getPrinting());

    // The next request opens a fresh dialog; Cancel prints nothing.
    QFile::remove(pdf);
    window->menuItem(MainFrame::MenuCommand::Print)->trigger();
    ASSERT_EQ(printDialogs().size(), 1u);
    EXPECT_TRUE(printDialogs().front()->OnePage->isChecked());
    printDialogs().front()->CancelButton->click();
    EXPECT_TRUE(printDialogs().empty());
    window->tick();
    EXPECT_EQ(jobs, 1);
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(BuilderHooks, EveryHelpRequestOpensAWindowAndClosingOneKeepsTheBuilder) {
    open();
    window->menuItem(MainFrame::MenuCommand::Help)->trigger();
    window->menuItem(MainFrame::MenuCommand::Help)->trigger();
    QCoreApplication::processEvents();
    auto windows = helpWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->view()->source().fileName(), "Se.html");
    EXPECT_EQ(windows[0]->button(JBrowser::BandButton::Back)->text(), "Back");
    EXPECT_FALSE(windows[0]->windowIcon().isNull());
    windows[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(helpWindows().size(), 1u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->closed());
}

} // namespace
} // namespace crvl
