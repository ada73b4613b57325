// Printing: the choice dialog, and whole print runs into PDF files that are
// read back as page images (pdftoppm) and page text (pdftotext).

#include "builder/core/builder_console.h"
#include "builder/core/se_language.h"
#include "builder/model/scenario_element.h"
#include "builder/support/print_dialog.h"
#include "builder/support/printer_frame.h"
#include "tests/builder_model/test_canvas.h"
#include "tests/builder_support/pdf_pages.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace crvl {
namespace {

using test::TestCanvas;

TEST(PrintDialog, ShowsTheChoicesAtTheirPlaces) {
    seLanguage::restoreDefaults();
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    Print dialog(&owner, true);
    EXPECT_EQ(dialog.windowTitle(), "Select printing mode");
    EXPECT_EQ(dialog.size(), QSize(300, 150));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(192, 192, 220));
    EXPECT_EQ(dialog.OnePage->text(), "1 page");
    EXPECT_EQ(dialog.OnePage->geometry(), QRect(24, 36, 156, 22));
    EXPECT_TRUE(dialog.OnePage->isChecked());
    EXPECT_EQ(dialog.TwoPage->text(), "2 pages");
    EXPECT_EQ(dialog.TwoPage->geometry(), QRect(24, 72, 156, 25));
    EXPECT_EQ(dialog.OKButton->text(), "OK");
    EXPECT_EQ(dialog.OKButton->geometry(), QRect(204, 36, 75, 24));
    EXPECT_EQ(dialog.CancelButton->text(), "CANCEL");
    EXPECT_EQ(dialog.CancelButton->geometry(), QRect(204, 72, 75, 25));
    EXPECT_EQ(dialog.printingLabel->text(), "Printing...");
    EXPECT_EQ(dialog.panel1->geometry(), QRect(24, 60, 252, 32));
    EXPECT_TRUE(dialog.panel1->isHidden());

    owner.show();
    dialog.showCentred();
    const QRect o = owner.frameGeometry();
    EXPECT_EQ(dialog.pos(), QPoint(o.x() + (o.width() - 300) / 2, o.y() + (o.height() - 150) / 2));

    dialog.showPrinting();
    EXPECT_FALSE(dialog.panel1->isHidden());
    EXPECT_TRUE(dialog.OKButton->isHidden());
    EXPECT_TRUE(dialog.CancelButton->isHidden());
    EXPECT_TRUE(dialog.OnePage->isHidden());
    EXPECT_TRUE(dialog.TwoPage->isHidden());
}

TEST(PrintDialog, OkRequestsTheChosenModeAndCancelOnlyHides) {
    Print dialog(nullptr, true);
    int one = 0, two = 0;
    dialog.requestOnePage = [&] { ++one; };
    dialog.requestTwoPages = [&] { ++two; };
    dialog.show();
    dialog.CancelButton->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(one + two, 0);

    dialog.show();
    dialog.TwoPage->click();
    dialog.OKButton->click();
    EXPECT_EQ(two, 1);
    EXPECT_EQ(one, 0);
    // The dialog stays open, its buttons off, until the run hides it.
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    EXPECT_FALSE(dialog.CancelButton->isEnabled());

    Print other(nullptr, true);
    other.requestOnePage = [&] { ++one; };
    other.OKButton->click();
    EXPECT_EQ(one, 1);
}

// A canvas of 600 x 500 with an unreached (pink) frame in each half, the
// upper one at the left, the lower one to the right.
class PrintRun : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        previousSink =
            setConsoleSink([this](std::string_view line) { console.emplace_back(line); });
        ASSERT_TRUE(dir.isValid());
        // CRVL_KEEP_PRINTS=1 keeps the printed files to look at.
        dir.setAutoRemove(!qEnvironmentVariableIsSet("CRVL_KEEP_PRINTS"));
        pdf = dir.filePath(QStringLiteral("scenario.pdf"));
        previousSource = PrinterFrame::setJobSource([this](QWidget*, const QString& name) {
            jobNames.push_back(name);
            if (cancel) {
                return std::unique_ptr<QPrinter>();
            }
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(QPageSize::A4));
            printer->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
            return printer;
        });
        upper = &canvas.addFrameWidget("Frame1", {20, 20});
        lower = &canvas.addFrameWidget("Frame2", {330, 300});
        for (const char* action : {"MotionAction", "BatteryAction", "ElectrodesAction"}) {
            auto element = getScenarioElement(action, "").value();
            upper->frame().onRequestFinished(element.get(), inputField);
        }
        canvas.canvasWidget.show();
    }
    void TearDown() override {
        PrinterFrame::setJobSource(previousSource);
        setConsoleSink(previousSink);
    }

    PrintableEditor printable() {
        PrintableEditor e;
        e.canvas = &canvas.canvasWidget;
        e.editor = &canvas;
        e.setPrinting = [this](bool on) { printingSwitches.push_back(on); };
        e.setPrintingFont = [this](const FontSpec& f) { fonts.push_back(f); };
        e.scenarioName = [] { return QStringLiteral("Cardiac Arrest"); };
        return e;
    }
    bool print(const std::string& mode, Print* dialog = nullptr) {
        PrinterFrame printer(printable(), dialog);
        printer.init();
        return printer.printFrame(mode);
    }
    int count(std::string_view prefix) const {
        return static_cast<int>(std::count_if(console.begin(), console.end(), [&](const auto& l) {
            return l.rfind(prefix, 0) == 0;
        }));
    }

    static bool near(QRgb a, QColor b, int tolerance = 24) {
        return std::abs(qRed(a) - b.red()) <= tolerance &&
               std::abs(qGreen(a) - b.green()) <= tolerance &&
               std::abs(qBlue(a) - b.blue()) <= tolerance;
    }
    // The bounding box of the pixels near a colour; empty if none.
    static QRect areaOf(const QImage& page, QColor colour, int tolerance = 24) {
        QRect box;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                if (near(page.pixel(x, y), colour, tolerance)) {
                    box |= QRect(x, y, 1, 1);
                }
            }
        }
        return box;
    }

    TestCanvas canvas;
    FrameIconComponent* upper = nullptr;
    FrameIconComponent* lower = nullptr;
    QTemporaryDir dir;
    QString pdf;
    bool cancel = false;
    std::vector<QString> jobNames;
    std::vector<bool> printingSwitches;
    std::vector<FontSpec> fonts;
    std::vector<std::string> console;
    ConsoleSink previousSink;
    PrinterFrame::JobSource previousSource;
};

const QColor pink(228, 148, 152);

TEST_F(PrintRun, OnePageHoldsTitleWholeCanvasAndPageNumber) {
    Print dialog(nullptr, true);
    ASSERT_TRUE(print(PrinterFrame::PRINT_ONE_PAGE, &dialog));
    EXPECT_EQ(jobNames, std::vector<QString>{"Cardiac Arrest"}); // the scenario names the job
    EXPECT_FALSE(dialog.panel1->isHidden());
    EXPECT_EQ(printingSwitches, (std::vector<bool>{true, false}));
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts.front(), (FontSpec{"Dialog", 10, false}));

    EXPECT_EQ(count("Panel: (width,height) 600 500 "), 1);
    EXPECT_EQ(count("Page: (width,height) "), 1);
    EXPECT_EQ(count("setPageDim: (width,height) "), 1);
    const auto page = std::find_if(console.begin(), console.end(),
                                   [](const auto& l) { return l.rfind("Page:", 0) == 0; });
    EXPECT_NE(page->find("   Resolution: 72"), std::string::npos) << *page;

    const auto pages = test::pdfPageImages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    const QString text = test::pdfPageText(pdf, 1);
    EXPECT_TRUE(text.contains("Cardiac Arrest")) << text.toStdString();
    EXPECT_TRUE(text.contains("1/1"));
    EXPECT_FALSE(text.contains("1/2"));

    // Both frames' pink lists: the upper one left and high, the lower one
    // right and low.
    const QImage& sheet = pages[0];
    const QRect all = areaOf(sheet, pink);
    ASSERT_FALSE(all.isEmpty());
    const QRect upperHalf = areaOf(sheet.copy(0, 0, sheet.width(), all.center().y()), pink);
    const QRect lowerHalf = areaOf(
        sheet.copy(0, all.center().y(), sheet.width(), sheet.height() - all.center().y()), pink);
    EXPECT_FALSE(upperHalf.isEmpty());
    EXPECT_FALSE(lowerHalf.isEmpty());
    EXPECT_LT(upperHalf.center().x(), sheet.width() / 2);
    EXPECT_GT(lowerHalf.center().x(), sheet.width() / 2);
}

TEST_F(PrintRun, TwoPagesSplitTheCanvasUnderOneTitle) {
    ASSERT_TRUE(print(PrinterFrame::PRINT_TWO_PAGES));
    EXPECT_EQ(count("Panel: (width,height) 600 500 "), 2);
    EXPECT_EQ(count("Page: (width,height) "), 2);
    EXPECT_EQ(count("setPageDim: (width,height) "), 2);

    const auto pages = test::pdfPageImages(pdf);
    ASSERT_EQ(pages.size(), 2u);
    const QString first = test::pdfPageText(pdf, 1);
    const QString second = test::pdfPageText(pdf, 2);
    EXPECT_TRUE(first.contains("Cardiac Arrest"));
    EXPECT_TRUE(first.contains("1/2"));
    EXPECT_FALSE(second.contains("Cardiac Arrest"));
    EXPECT_TRUE(second.contains("2/2"));

    // Page 1 holds the upper frame (left), page 2 the lower one (right),
    // and neither holds the other.
    const QRect onFirst = areaOf(pages[0], pink);
    const QRect onSecond = areaOf(pages[1], pink);
    ASSERT_FALSE(onFirst.isEmpty());
    ASSERT_FALSE(onSecond.isEmpty());
    EXPECT_LT(onFirst.right(), pages[0].width() / 2);
    EXPECT_GT(onSecond.left(), pages[1].width() / 3);
    // The lower half starts under the title band, near the top of its page.
    EXPECT_LT(onSecond.top(), pages[1].height() / 2);
}

TEST_F(PrintRun, SelectedFramesPrintWithoutSelectionMarks) {
    upper->frame().select();
    lower->frame().select();
    const QImage onScreen = canvas.render();
    EXPECT_FALSE(areaOf(onScreen, QColor(0, 0, 255), 10).isEmpty());

    ASSERT_TRUE(print(PrinterFrame::PRINT_ONE_PAGE));
    const auto pages = test::pdfPageImages(pdf, 100);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(areaOf(pages[0], QColor(0, 0, 255), 40).isEmpty());
    EXPECT_FALSE(upper->frame().isSelected());
}

TEST_F(PrintRun, ActionLinesStandFifteenUnitsApart) {
    ASSERT_TRUE(print(PrinterFrame::PRINT_ONE_PAGE));
    const std::vector<std::string> lines = upper->frame().getActions();
    ASSERT_GE(lines.size(), 4u);
    const auto words = test::pdfPageWords(pdf, 1);
    std::vector<double> ys;
    for (const std::string& line : lines) {
        const QString firstWord = QString::fromStdString(line).section(' ', 0, 0);
        const auto it = std::find_if(words.begin(), words.end(), [&](const test::PdfWord& w) {
            return w.text == firstWord &&
                   std::none_of(ys.begin(), ys.end(), [&](double y) { return y == w.y; });
        });
        ASSERT_NE(it, words.end()) << line;
        ys.push_back(it->y);
    }
    std::sort(ys.begin(), ys.end());
    const double step = ys[1] - ys[0];
    EXPECT_GT(step, 5.0);
    for (std::size_t i = 2; i < ys.size(); ++i) {
        EXPECT_NEAR(ys[i] - ys[i - 1], step, 0.6);
    }
}

TEST_F(PrintRun, CancelledJobPrintsNothing) {
    cancel = true;
    Print dialog(nullptr, true);
    EXPECT_FALSE(print(PrinterFrame::PRINT_TWO_PAGES, &dialog));
    EXPECT_EQ(jobNames.size(), 1u);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(printingSwitches.empty());
    EXPECT_TRUE(dialog.panel1->isHidden());
    EXPECT_EQ(count("Panel:"), 0);

    cancel = false;
    EXPECT_FALSE(print("print3Pages"));
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
} // namespace crvl
