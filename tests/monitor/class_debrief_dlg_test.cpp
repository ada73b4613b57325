// The Class Debrief window over a folder of logs: the period it shows, a
// column per run, its controls as assistive technology sees them, and the
// printed page read back from the PDF.
#include "config/app/class_debrief_dlg.h"
#include "tests/builder_support/pdf_pages.h"

#include <QAccessible>
#include <QApplication>
#include <QDateEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace crvl {
namespace {

namespace fs = std::filesystem;

class ClassDebriefDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "class_debrief_dlg_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override {
        fs::create_directories(dir_);
        // Eight groups of a morning class, each shocked once at its own time.
        for (int group = 1; group <= 8; ++group) {
            char name[64], shock[96];
            std::snprintf(name, sizeof name, "Group %d_2026-03-01_09-%02d-00.csv", group, group);
            std::snprintf(shock, sizeof shock, "%d.500,shock,C1,00,VF,yes,no,yes,no,no,ok\r\n",
                          group + 3);
            std::ofstream(dir_ / name, std::ios::binary)
                << kSessionHeader << "\r\n0.000,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                << shock << "20.000,frame,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                << "25.000,lost,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                << "40.000,end,C1,01,Sinus,no,yes,yes,no,no,ok\r\n";
        }
        // The afternoon's run is another period.
        std::ofstream(dir_ / "Group 1_2026-03-01_14-00-00.csv", std::ios::binary)
            << kSessionHeader << "\r\n0.000,start,C1,00,VF,yes,no,yes,no,no,ok\r\n";
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_ = fs::temp_directory_path() / ("crvl_class_dlg_" + std::to_string(::getpid()));
    const ClassPeriod morning_{{2026, 3, 1, 8, 0, 0}, {2026, 3, 1, 12, 0, 0}};
};

TEST_F(ClassDebriefDlgTest, ShowsTodayThenThePeriodChosenAColumnPerRun) {
    ClassDebriefDlg dialog(dir_, nullptr);
    auto* table = dialog.findChild<QTableWidget*>("runs");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 0) << "no run today";
    EXPECT_EQ(dialog.findChild<QDateEdit*>("Date")->date(), QDate::currentDate());

    dialog.SetPeriod(morning_);
    ASSERT_EQ(table->columnCount(), 8);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Group 1");
    EXPECT_EQ(table->item(1, 0)->text(), "40.0 s");  // length
    EXPECT_EQ(table->item(2, 0)->text(), "4.5 s");   // first shock
    EXPECT_EQ(table->item(4, 7)->text(), "C1 / 01"); // ended in
    EXPECT_EQ(table->item(6, 7)->text(), "lost 25.0 s to 40.0 s");

    // The whole day takes in the afternoon's run.
    dialog.findChild<QTimeEdit*>("To")->setTime(QTime(23, 59));
    EXPECT_EQ(table->columnCount(), 9);

    // Each control is named for assistive technology, with its role.
    for (const char* name : {"Date", "From", "To"}) {
        QAccessibleInterface* field =
            QAccessible::queryAccessibleInterface(dialog.findChild<QWidget*>(name));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(QAccessible::Name), name);
        EXPECT_EQ(field->role(), QAccessible::SpinBox);
    }
    for (const char* button : {"Print...", "Close"}) {
        QAccessibleInterface* b =
            QAccessible::queryAccessibleInterface(dialog.findChild<QPushButton*>(button));
        EXPECT_EQ(b->role(), QAccessible::Button);
        EXPECT_EQ(b->text(QAccessible::Name), QString(button).remove("..."));
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(table)->role(), QAccessible::Table);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(table)->text(QAccessible::Name), "Runs");
}

TEST_F(ClassDebriefDlgTest, PrintsTheClassOnOnePage) {
    const QString pdf = QString::fromStdString((dir_ / "class.pdf").string());
    ClassDebriefHooks hooks;
    hooks.choosePrinter = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    ClassDebriefDlg dialog(dir_, nullptr, hooks);
    dialog.SetPeriod(morning_);
    dialog.findChild<QPushButton*>("Print...")->click();

    EXPECT_EQ(test::pdfPageImages(pdf).size(), 1u);
    const QString page = test::pdfPageText(pdf, 1).normalized(QString::NormalizationForm_KC);
    for (const char* expected :
         {"Class Debrief, 2026-03-01, 08:00 to 12:00", "Group 1", "Group 8", "First shock",
          "Time in each frame", "Lost or detached", "4.5 s", "11.5 s", "C1 / 01"})
        EXPECT_TRUE(page.contains(expected)) << expected << "\n" << page.toStdString();
}

} // namespace
} // namespace crvl
