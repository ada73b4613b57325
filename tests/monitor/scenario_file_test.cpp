#include "scenario/scenario_file.h"
#include "tests/monitor/scenario_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crvl {
namespace {

using test::Bytes;
using test::ScenarioText;

ScenarioFile Parse(const std::string& text, const std::string& path = "scenarios/case.scn") {
    const auto bytes = Bytes(text);
    return ParseScenarioFile(path, bytes);
}

void ReplaceOnce(std::string& text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST(ScenarioTableScan, BuilderFileGivesTheTable) {
    const ScenarioFile file = Parse(ScenarioText(0x3C));
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    for (std::size_t row = 0; row < ScenarioTable::kRows; ++row) {
        EXPECT_EQ(file.table.At(row, 0), row);
        for (std::size_t column = 1; column < ScenarioTable::kColumns; ++column)
            EXPECT_EQ(file.table.At(row, column), 0x3C);
    }
}

TEST(ScenarioTableScan, WrongRowNumberIsAFormatError) {
    std::string text = ScenarioText();
    ReplaceOnce(text, "\r\n  01   ", "\r\n  02   ");
    const ScenarioFile file = Parse(text);
    EXPECT_EQ(file.status, ScenarioFileStatus::FormatError);
    EXPECT_EQ(file.errorLine, 4u); // two comment lines, row 0, then row 1
}

TEST(ScenarioTableScan, FormatErrorsNameTheirLine) {
    EXPECT_EQ(Parse(ScenarioText(0xFF, "AB\r\n")).errorLine, 26u); // the 281st cell
    std::string text = ScenarioText();
    text.resize(text.find("\r\n  0A   ")); // ends after row 9, on line 12
    EXPECT_EQ(Parse(text).errorLine, 12u);
    EXPECT_EQ(Parse(ScenarioText()).errorLine, 0u);
}

TEST(ScenarioTableScan, RowZeroIsNotChecked) {
    std::string text = ScenarioText();
    ReplaceOnce(text, "  00   ", "  07   ");
    const ScenarioFile file = Parse(text);
    EXPECT_EQ(file.status, ScenarioFileStatus::Ok);
    EXPECT_EQ(file.table.At(0, 0), 7);
}

TEST(ScenarioTableScan, A281stCellIsAFormatError) {
    const TableScan scan = ScanScenarioTable(Bytes(ScenarioText(0xFF, "AB\r\n")));
    EXPECT_TRUE(scan.tooManyCells);
    EXPECT_EQ(scan.cellsStored, 280u);
    EXPECT_EQ(Parse(ScenarioText(0xFF, "AB\r\n")).status, ScenarioFileStatus::FormatError);
}

TEST(ScenarioTableScan, TextAfterTheTableEndsTheScan) {
    // 'H' is no hexadecimal digit: the scan stops there and the "AB" after it
    // never counts.
    EXPECT_EQ(Parse(ScenarioText(0xFF, "Hello AB\r\n")).status, ScenarioFileStatus::Ok);
}

TEST(ScenarioTableScan, RowNumbersCompareAsBytes) {
    std::string upper = ScenarioText();
    ASSERT_NE(upper.find("\r\n  0A   "), std::string::npos);
    EXPECT_EQ(Parse(upper).status, ScenarioFileStatus::Ok);
    std::string lower = upper;
    ReplaceOnce(lower, "\r\n  0A   ", "\r\n  0a   ");
    EXPECT_EQ(Parse(lower).status, ScenarioFileStatus::Ok);
    std::string decimal = upper;
    ReplaceOnce(decimal, "\r\n  0A   ", "\r\n  10   ");
    EXPECT_EQ(Parse(decimal).status, ScenarioFileStatus::FormatError);
}

TEST(ScenarioTableScan, NibbleStaysPendingAcrossBlanksAndComments) {
    const TableScan spaced = ScanScenarioTable(Bytes("4 1\r\n2"));
    EXPECT_EQ(spaced.cellsStored, 1u);
    EXPECT_EQ(spaced.table.cells[0], 0x41);
    const TableScan commented = ScanScenarioTable(Bytes("4# a comment 99\n1"));
    EXPECT_EQ(commented.cellsStored, 1u);
    EXPECT_EQ(commented.table.cells[0], 0x41);
}

TEST(ScenarioTableScan, CommentWithoutLineFeedRunsToTheEnd) {
    const TableScan scan = ScanScenarioTable(Bytes("12 # 34 56"));
    EXPECT_EQ(scan.cellsStored, 1u);
    EXPECT_FALSE(scan.tooManyCells);
}

TEST(ScenarioTableScan, TabOutsideACommentEndsTheScan) {
    std::string text = ScenarioText();
    ReplaceOnce(text, "\r\n  05   ", "\r\n\t05   ");
    const TableScan scan = ScanScenarioTable(Bytes(text));
    EXPECT_EQ(scan.cellsStored, 5u * 14u);
    // The rows that were never read stay zero, so the row check refuses it.
    EXPECT_EQ(Parse(text).status, ScenarioFileStatus::FormatError);
}

TEST(ScenarioTableScan, TabInsideACommentIsHarmless) {
    EXPECT_EQ(Parse("#\tcomment\r\n" + ScenarioText()).status, ScenarioFileStatus::Ok);
}

TEST(ScenarioTableScan, ShortFileIsAFormatError) {
    std::string text = ScenarioText();
    text.resize(text.find("\r\n  0A   "));
    EXPECT_EQ(Parse(text).status, ScenarioFileStatus::FormatError);
    EXPECT_EQ(Parse("").status, ScenarioFileStatus::FormatError);
}

TEST(ScenarioTableScan, OnlyTheFirst15000BytesCount) {
    std::string text = ScenarioText() + "#";
    text.append(kScenarioFileReadLimit - text.size(), 'x');
    text += "\nAB\n"; // a 281st cell, but beyond the limit
    EXPECT_EQ(Parse(text).status, ScenarioFileStatus::Ok);
    std::string within = text;
    within.erase(within.size() - 10, 5); // pull the cell inside the limit
    EXPECT_EQ(Parse(within).status, ScenarioFileStatus::FormatError);
}

TEST(ScenarioSlotNameTest, CutAtTheFirstDotAfterTheFirstCharacter) {
    EXPECT_EQ(ScenarioSlotName("scenarios/case.old.scn"), "case");
    EXPECT_EQ(ScenarioSlotName("C:\\data\\my.case.scn"), "my");
    EXPECT_EQ(ScenarioSlotName("/home/a.b/plain"), "plain");
    EXPECT_EQ(ScenarioSlotName(".hidden.scn"), ".hidden");
    EXPECT_EQ(ScenarioSlotName("x/abcdefghijklmnopqrstuvwxyz.scn"), "abcdefghijklmnopqrst");
    EXPECT_EQ(ScenarioSlotName("x/abcdefghijklmnopqrst.scn"), "abcdefghijklmnopqrst");
}

TEST(ScenarioSlotNameTest, NamesAreLatin1Characters) {
    // UTF-8 "Übung" and "Größe": one byte per character on the trainer.
    EXPECT_EQ(ScenarioSlotName("x/\xC3\x9C"
                               "bung.scn"),
              "\xDC"
              "bung");
    EXPECT_EQ(ScenarioSlotName("Gr\xC3\xB6\xC3\x9F"
                               "e.scn"),
              "Gr\xF6\xDF"
              "e");
    // The euro sign has no Latin-1 byte; a stray continuation byte is no character.
    EXPECT_EQ(ScenarioSlotName("\xE2\x82\xAC"
                               "5\x80.scn"),
              "?5?");
    // Twenty characters, not twenty bytes of UTF-8.
    EXPECT_EQ(ScenarioSlotName(std::string(12, 'a') + std::string(5, '\xC3') + ".scn"),
              std::string(12, 'a') + "?????");
    std::string umlauts;
    for (int i = 0; i < 22; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(ScenarioSlotName(umlauts), std::string(20, '\xE4'));
}

class ScenarioFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("crvl_scn_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    std::filesystem::path dir_;
};

TEST_F(ScenarioFileOnDisk, LoadsTableAndName) {
    const ScenarioFile file = LoadScenarioFile(Write("case.old.scn", ScenarioText(0x01)));
    ASSERT_EQ(file.status, ScenarioFileStatus::Ok);
    EXPECT_EQ(file.name, "case");
    EXPECT_EQ(file.table.At(19, 0), 19);
    EXPECT_EQ(file.table.At(19, 13), 0x01);
}

TEST_F(ScenarioFileOnDisk, ReadsOnlyTheFirst15000Bytes) {
    std::string text = ScenarioText() + "#";
    text.append(kScenarioFileReadLimit - text.size(), 'x');
    text += "\nAB\n";
    EXPECT_EQ(LoadScenarioFile(Write("big.scn", text)).status, ScenarioFileStatus::Ok);
}

TEST_F(ScenarioFileOnDisk, MissingFileCannotBeOpened) {
    EXPECT_EQ(LoadScenarioFile((dir_ / "gone.scn").string()).status,
              ScenarioFileStatus::CannotOpen);
}

TEST_F(ScenarioFileOnDisk, DirectoryCannotBeRead) {
    const ScenarioFile file = LoadScenarioFile(dir_.string());
    EXPECT_NE(file.status, ScenarioFileStatus::Ok);
    EXPECT_NE(file.status, ScenarioFileStatus::FormatError);
}

} // namespace
} // namespace crvl
