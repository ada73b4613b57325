#include "base/work_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace crvl {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Apart from other runs of the same test (other build folders).
        root_ = fs::temp_directory_path() /
                ("crvl-work-folder-" + std::to_string(std::random_device()()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        program_ = root_ / "Program Files" / "Corvel";
        work_ = root_ / "Documents" / "Corvel";
        Write(program_ / "template" / "main.tcl", "template 1");
        Write(program_ / "help" / "index.html", "help 1");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_, program_, work_;
};

// A first start makes the folders and copies the data; a later start of the
// same version leaves the copy alone; a new version replaces it as a whole,
// and the user's scenarios and logs stay as they were.
TEST_F(WorkFolderTest, CopiesTheDataOncePerVersionAndKeepsTheUsersWork) {
    ASSERT_TRUE(PrepareWorkFolder(work_, program_, {"template", "help"}, "1.0.0").ok());
    EXPECT_TRUE(fs::is_directory(work_ / "scenarios"));
    EXPECT_TRUE(fs::is_directory(work_ / "sessions"));
    EXPECT_EQ(Read(work_ / "template" / "main.tcl"), "template 1");
    EXPECT_EQ(Read(work_ / "help" / "index.html"), "help 1");

    Write(work_ / "scenarios" / "mine.scn", "the instructor's");
    Write(work_ / "sessions" / "run.log", "a run");
    Write(program_ / "template" / "main.tcl", "template 2");
    ASSERT_TRUE(PrepareWorkFolder(work_, program_, {"template", "help"}, "1.0.0").ok());
    EXPECT_EQ(Read(work_ / "template" / "main.tcl"), "template 1");

    Write(work_ / "template" / "dropped.tcl", "from 1.0.0 only");
    ASSERT_TRUE(PrepareWorkFolder(work_, program_, {"template", "help"}, "1.1.0").ok());
    EXPECT_EQ(Read(work_ / "template" / "main.tcl"), "template 2");
    EXPECT_FALSE(fs::exists(work_ / "template" / "dropped.tcl"));
    EXPECT_EQ(Read(work_ / "scenarios" / "mine.scn"), "the instructor's");
    EXPECT_EQ(Read(work_ / "sessions" / "run.log"), "a run");
}

TEST_F(WorkFolderTest, AMissingDataFolderIsReported) {
    const Status prepared = PrepareWorkFolder(work_, program_, {"lessons"}, "1.0.0");
    ASSERT_FALSE(prepared.ok());
    EXPECT_NE(prepared.message().find("cannot copy"), std::string::npos) << prepared.message();
    EXPECT_NE(prepared.message().find("lessons"), std::string::npos) << prepared.message();
}

} // namespace
} // namespace crvl
