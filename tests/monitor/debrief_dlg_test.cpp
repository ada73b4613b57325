// The Session Debrief window over logs on disk, its printed page read back
// from the PDF, and the Session Logs list.
#include "config/app/debrief_chart.h"
#include "config/app/debrief_dlg.h"
#include "config/app/session_list_dlg.h"
#include "tests/builder_support/pdf_pages.h"
#include "tests/common/next_modal.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace crvl {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = std::string(kSessionHeader) + "\r\n";

class DebriefDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "debrief_dlg_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }

    void TearDown() override { fs::remove_all(dir_); }

    fs::path Write(const std::string& name, const std::string& text) {
        fs::create_directories(dir_);
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }

    fs::path dir_ = fs::temp_directory_path() /
                    ("crvl_debrief_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
};

TEST_F(DebriefDlgTest, DamagedLogShowsWhatCouldBeReadAndTheLineThatStoppedIt) {
    const fs::path log = Write("2026-03-01_09-15-00.csv",
                               kHeader + "0.250,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                         "6.750,shock,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                         "7.000,frame,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                                         "9.5\x01\x02garbage\r\n"
                                         "12.000,end,C1,01,Sinus,no,yes,yes,no,no,ok\r\n");
    QString openedFolder;
    DebriefHooks hooks;
    hooks.openFolder = [&](const QString& folder) {
        openedFolder = folder;
        return true;
    };
    CDebriefDlg dialog(log, nullptr, hooks);
    EXPECT_EQ(dialog.windowTitle(), "Session Debrief");
    const QString summary = dialog.SummaryText();
    EXPECT_TRUE(summary.contains("Run: 2026-03-01_09-15-00.csv")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Length: 7.0 s")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Time to first shock: 6.5 s")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Reading stopped at line 5: 11 fields expected, 1 found."))
        << summary.toStdString();

    auto* frames = dialog.findChild<QTreeWidget*>("frames");
    ASSERT_NE(frames, nullptr);
    ASSERT_EQ(frames->topLevelItemCount(), 2);
    EXPECT_EQ(frames->topLevelItem(1)->text(2), "01");
    EXPECT_EQ(frames->topLevelItem(0)->text(4), "6.8 s");
    EXPECT_EQ(dialog.findChild<QTreeWidget*>("shocks")->topLevelItemCount(), 1);

    for (const char* button : {"Print...", "Open Folder", "Close"})
        EXPECT_NE(dialog.findChild<QPushButton*>(button), nullptr) << button;
    dialog.findChild<QPushButton*>("Open Folder")->click();
    EXPECT_EQ(openedFolder.toStdString(), dir_.string());

    // Without a file manager the folder's path is shown instead.
    DebriefHooks bare;
    bare.openFolder = [](const QString&) { return false; };
    CDebriefDlg kiosk(log, nullptr, bare);
    QString shown;
    test::onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    kiosk.OpenFolder();
    EXPECT_EQ(shown, "No file manager could be started. The session logs are in:\n" +
                         QString::fromStdString(dir_.string()));

    // A file that is not a session log at all opens empty and says so.
    CDebriefDlg other(Write("notes.csv", "hello\r\n"));
    EXPECT_TRUE(other.SummaryText().contains("Reading stopped at line 1: not a session log"))
        << other.SummaryText().toStdString();
    EXPECT_EQ(other.findChild<QTreeWidget*>("frames")->topLevelItemCount(), 0);
}

TEST_F(DebriefDlgTest, PrintedDebriefIsOnePageWithTheFramesAndShocks) {
    // A long run: 45 frames, every fifth with a shock.
    std::string text = kHeader;
    char line[128];
    for (int i = 0; i < 45; ++i) {
        std::snprintf(line, sizeof line, "%d.000,%s,C2,%02d,VF,yes,no,yes,no,no,ok\r\n", i * 10,
                      i == 0 ? "start" : "frame", i % 20);
        text += line;
        if (i % 5 == 4) {
            std::snprintf(line, sizeof line, "%d.500,shock,C2,%02d,VF,yes,no,yes,no,no,ok\r\n",
                          i * 10, i % 20);
            text += line;
        }
    }
    text += "455.000,end,C2,04,VF,yes,no,yes,no,no,ok\r\n";
    const fs::path log = Write("2026-03-01_10-00-00.csv", text);
    const QString pdf = QString::fromStdString((dir_ / "debrief.pdf").string());

    DebriefHooks hooks;
    hooks.choosePrinter = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    CDebriefDlg dialog(log, nullptr, hooks);
    ASSERT_EQ(dialog.Figures().frames.size(), 45u);
    dialog.findChild<QPushButton*>("Print...")->click();

    EXPECT_EQ(test::pdfPageImages(pdf).size(), 1u);
    // Compatibility form: the printed "fi" may come back as its ligature.
    const QString page = test::pdfPageText(pdf, 1).normalized(QString::NormalizationForm_KC);
    for (const char* expected :
         {"Session Debrief", "Run: 2026-03-01_10-00-00.csv", "Length: 7:35.0",
          "Time to first shock: 40.5 s", "Shocks: 9", "Frames in order", "Time in frame"})
        EXPECT_TRUE(page.contains(expected)) << expected << "\n" << page.toStdString();
    // Every frame's entry time and every shock's time is on the page.
    for (const DebriefFrame& frame : dialog.Figures().frames)
        EXPECT_TRUE(page.contains(QString::fromStdString(DebriefTime(frame.entered))))
            << frame.entered;
    for (const DebriefShock& shock : dialog.Figures().shocks)
        EXPECT_TRUE(page.contains(QString::fromStdString(DebriefTime(shock.time)))) << shock.time;
    EXPECT_FALSE(page.contains("more")) << "a 45-frame run fits the page";

    // Cancelling the print dialog prints nothing.
    fs::remove(dir_ / "debrief.pdf");
    hooks.choosePrinter = [](QPrinter&, QWidget*) { return false; };
    CDebriefDlg(log, nullptr, hooks).Print();
    EXPECT_FALSE(fs::exists(dir_ / "debrief.pdf"));
}

TEST_F(DebriefDlgTest, SessionLogsListsRunsNewestFirstAndOpensTheChosenOne) {
    Write("2026-03-01_09-15-00.csv", kHeader + "0.250,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                               "1.000,shock,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                               "4.000,end,C1,00,VF,yes,no,yes,no,no,ok\r\n");
    Write("2026-03-01_09-15-00_2.csv", kHeader + "0.250,start,C1,00,VF,yes,no,yes,no,no,ok\r\n");
    Write("2026-03-02_14-00-00.csv", kHeader + "0.250,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                               "1.0,broken\r\n");
    fs::path shown;
    test::onNextModal([](QWidget* modal) {
        auto* list = modal->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(modal->windowTitle(), "Session Logs");
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(),
                  "2026-03-02_14-00-00.csv  (0.3 s, 0 shocks, damaged at line 3)");
        EXPECT_EQ(list->item(1)->text(), "2026-03-01_09-15-00_2.csv  (0.3 s, 0 shocks, cut short)");
        EXPECT_EQ(list->item(2)->text(), "2026-03-01_09-15-00.csv  (4.0 s, 1 shock)");
        list->setCurrentRow(2);
        for (QPushButton* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == "Open")
                button->click();
        }
    });
    RunSessionLogs(nullptr, dir_, [&](QWidget*, const fs::path& log) { shown = log; });
    EXPECT_EQ(shown, dir_ / "2026-03-01_09-15-00.csv");

    // An empty folder lists nothing and Open stays disabled.
    CSessionListDlg empty(dir_ / "none");
    EXPECT_EQ(empty.List()->count(), 0);
    for (QPushButton* button : empty.findChildren<QPushButton*>()) {
        if (button->text() == "Open") {
            EXPECT_FALSE(button->isEnabled());
        }
    }
}

} // namespace
} // namespace crvl
