// The builder's command line and the choice of its base directory.

#include "builder/editor/builder_arguments.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crvl {
namespace {

TEST(BuilderArguments, NamesAreLowerCasedAndValuesKept) {
    const BuilderArguments args({"Width=640", "HEIGHT=480", "Debug", "Title=A=B"});
    EXPECT_EQ(args.width(1), 640);
    EXPECT_EQ(args.height(1), 480);
    EXPECT_EQ(args.getParameter("debug"), "");
    EXPECT_EQ(args.getParameter("TITLE"), "A=B");
    EXPECT_EQ(args.getParameter("missing"), std::nullopt);
    EXPECT_FALSE(args.barebones());
}

TEST(BuilderArguments, SizeFallsBackAndBadNumbersGiveMinusOne) {
    EXPECT_EQ(BuilderArguments().width(1), 1);
    EXPECT_EQ(BuilderArguments({"width=12px"}).width(1), -1);
    EXPECT_EQ(BuilderArguments({"height="}).height(1), -1);
    EXPECT_EQ(BuilderArguments({"width=-1"}).width(1), -1);
}

TEST(BuilderArguments, BarebonesOnlyForTrue) {
    EXPECT_TRUE(BuilderArguments({"barebones=true"}).barebones());
    EXPECT_TRUE(BuilderArguments({"BAREBONES=true"}).barebones());
    EXPECT_FALSE(BuilderArguments({"barebones=yes"}).barebones());
    EXPECT_FALSE(BuilderArguments({"barebones"}).barebones());
}

class BaseDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::temp_directory_path() /
               ("crvl_base_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "work");
        std::filesystem::create_directories(root / "program");
    }
    void TearDown() override { std::filesystem::remove_all(root); }
    std::filesystem::path root;
};

TEST_F(BaseDirectoryTest, WorkingDirectoryWinsWhenItHasTemplates) {
    std::filesystem::create_directories(root / "work/template");
    std::filesystem::create_directories(root / "program/template");
    EXPECT_EQ(chooseBaseDirectory(root / "work", root / "program"), root / "work");
}

TEST_F(BaseDirectoryTest, ProgramDirectoryWhenOnlyItHasTemplates) {
    std::filesystem::create_directories(root / "program/template");
    EXPECT_EQ(chooseBaseDirectory(root / "work", root / "program"), root / "program");
}

TEST_F(BaseDirectoryTest, WorkingDirectoryWhenNeitherHasTemplates) {
    EXPECT_EQ(chooseBaseDirectory(root / "work", root / "program"), root / "work");
    // A file named "template" is not a template directory.
    std::ofstream(root / "program/template") << "x";
    EXPECT_EQ(chooseBaseDirectory(root / "work", root / "program"), root / "work");
}

} // namespace
} // namespace crvl
