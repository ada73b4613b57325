// Settings and small services: base location, hex conversion, name sorting,
// file attributes.

#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "tests/builder_services/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace crvl {
namespace {

namespace fs = std::filesystem;

TEST(Parameters, Defaults) {
    EXPECT_EQ(Parameters::ENCODING, "Cp1252");
    EXPECT_EQ(Parameters::NUM_OF_EVENTBOXES, 2);
    EXPECT_EQ(Parameters::MAX_NUM_OF_FRAMES, 20);
    EXPECT_EQ(Parameters::SCENARIO_DIR, "scenarios/");
    EXPECT_EQ(Parameters::SCENARIO_EXTENSION, ".scn");
    EXPECT_EQ(Parameters::DEFAULT_FILENAME, "Default");
    EXPECT_EQ(Parameters::SCENARIO_EDIT_HELP, "help/Se.html");
}

TEST(DocumentBase, FileLocationOfTheWorkingDirectory) {
    EXPECT_EQ(BuilderState::makeDocumentBase("/home/anna/crvl"), "file://home/anna/crvl/");
    EXPECT_EQ(BuilderState::makeDocumentBase("/home/anna/crvl/"), "file://home/anna/crvl/");
    EXPECT_EQ(BuilderState::makeDocumentBase("C:\\Program Files\\crvl"),
              "file:/C:/Program Files/crvl/");

    BuilderState::initDocumentBase();
    const std::string cwd = fs::current_path().generic_string() + "/";
    EXPECT_EQ(BuilderState::getDocumentBase(), "file:/" + cwd);
    // The data directory is the base location without its first six characters.
    EXPECT_EQ(BuilderState::getBaseDirectory(), cwd);
}

TEST(DocumentBase, PathFromFileLocation) {
    EXPECT_EQ(pathFromFileLocation("file://work/x/"), "/work/x/");
    // The generator's "file://" + directory names "/" + directory.
    EXPECT_EQ(pathFromFileLocation("file:///work/x/"), "//work/x/");
    EXPECT_EQ(pathFromFileLocation("/plain/dir/"), "/plain/dir/");
    EXPECT_EQ(pathFromFileLocation("file"), "");
}

TEST(FileChanged, SetAndCleared) {
    BuilderState::clearFileChanged();
    EXPECT_FALSE(BuilderState::isFileChanged());
    BuilderState::file_changed();
    EXPECT_TRUE(BuilderState::isFileChanged());
    BuilderState::clearFileChanged();
    EXPECT_FALSE(BuilderState::isFileChanged());
}

TEST(IntStringToHexString, DecimalToUpperCaseHex) {
    EXPECT_EQ(intStringToHexString("9"), "09");
    EXPECT_EQ(intStringToHexString("0"), "00");
    EXPECT_EQ(intStringToHexString("30"), "1E");
    EXPECT_EQ(intStringToHexString("250"), "FA");
    EXPECT_EQ(intStringToHexString("255"), "FF");
    EXPECT_EQ(intStringToHexString("256"), "100");
    EXPECT_EQ(intStringToHexString("007"), "07");
    EXPECT_EQ(intStringToHexString("+12"), "0C");
    EXPECT_EQ(intStringToHexString("2147483647"), "7FFFFFFF");
}

TEST(IntStringToHexString, NotADecimalNumberGivesEmptyText) {
    for (const char* bad :
         {"", "abc", "1E", " 9", "9 ", "-", "+", "1.5", "0x10", "99999999999", "2147483648"}) {
        EXPECT_EQ(intStringToHexString(bad), "") << bad;
    }
}

TEST(SortStrings, CaseInsensitiveAscending) {
    EXPECT_EQ(sortStrings("b;A;c"), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(sortStrings("Zeta.scn;alpha.scn;Beta.scn;beta2.scn"),
              (std::vector<std::string>{"alpha.scn", "Beta.scn", "beta2.scn", "Zeta.scn"}));
    EXPECT_EQ(sortStrings("one"), (std::vector<std::string>{"one"}));
    EXPECT_TRUE(sortStrings("").empty());
    EXPECT_LT(compare("abc", "ABD"), 0);
    EXPECT_EQ(compare("Default", "dEFAULT"), 0);
    EXPECT_GT(compare("ab", "A"), 0);
}

TEST(FileAttributes, MissingFileReportsReadOnly) {
    test::TempDir tmp;
    const std::string missing = tmp.dir() + "nothing.scn";
    EXPECT_EQ(getFileAttributes(missing), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(getFileReadOnly(missing));
    // Making a missing file writable has no effect and reports nothing.
    setFileAttributeNormal(missing);
    EXPECT_FALSE(fs::exists(missing));
}

TEST(FileAttributes, ReadOnlyMeansTheOwnerCannotWrite) {
    test::TempDir tmp;
    const std::string file = tmp.write("a.scn", "x");
    EXPECT_EQ(getFileAttributes(file), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(getFileReadOnly(file));

    fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(getFileReadOnly(file));

    setFileAttributeNormal(file);
    EXPECT_FALSE(getFileReadOnly(file));
    EXPECT_EQ(getFileAttributes(tmp.dir()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FileAttributes, DeleteFile) {
    test::TempDir tmp;
    const std::string file = tmp.write("gone.scn", "x");
    deleteFile(file);
    EXPECT_FALSE(fs::exists(file));
    deleteFile(file);      // a second time: nothing to report
    deleteFile(tmp.dir()); // a directory is left alone
    EXPECT_TRUE(fs::exists(tmp.dir()));
}

TEST(ReadFileBytes, TheWholeFileOrAFailure) {
    test::TempDir tmp;
    const std::string file = tmp.write("bytes.scn", std::string("a\0b\r\n", 5));
    const Result<std::string> read = readFileBytes(file);
    ASSERT_TRUE(read.ok()) << read.message();
    EXPECT_EQ(read.value(), std::string("a\0b\r\n", 5));
    EXPECT_FALSE(readFileBytes(tmp.dir() + "nothing.scn").ok());
    EXPECT_FALSE(readFileBytes(tmp.dir()).ok()); // a directory
}

} // namespace
} // namespace crvl
