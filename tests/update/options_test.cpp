#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "update/core/command_line.h"
#include "update/core/language_ini.h"
#include "update/core/loader_images.h"
#include "update/core/progress.h"

#include <gtest/gtest.h>

namespace crvl::update::test {
namespace {

TEST(CommandLineTest, NoArgumentsStartsNothing) {
    const CommandLine c = ParseCommandLine({});
    EXPECT_FALSE(c.debug);
    EXPECT_FALSE(c.help);
    EXPECT_EQ(c.portIndex, 0);
    EXPECT_EQ(c.automaticFile, "");
}

TEST(CommandLineTest, DebugInEitherSpellingIsNoFileName) {
    for (const char* arg : {"-debug", "/debug", "-DEBUG", "/Debug"}) {
        const CommandLine c = ParseCommandLine({arg});
        EXPECT_TRUE(c.debug) << arg;
        EXPECT_EQ(c.automaticFile, "") << arg;
        EXPECT_FALSE(c.help) << arg;
    }
}

TEST(CommandLineTest, PortOptionsAndTheLastWord) {
    CommandLine c = ParseCommandLine({"-p3", "fw.hex"});
    EXPECT_EQ(c.portIndex, 3);
    EXPECT_EQ(c.automaticFile, "fw.hex");
    EXPECT_EQ(ParseCommandLine({"/P2"}).portIndex, 2);
    // -p3 wins over -p2 wherever it stands.
    EXPECT_EQ(ParseCommandLine({"-p3", "-p2"}).portIndex, 3);
    EXPECT_EQ(ParseCommandLine({"-p1", "x.hex"}).portIndex, 0);
}

TEST(CommandLineTest, FileNameKeepsItsLetterCase) {
    const CommandLine c = ParseCommandLine({"-P3", "-Debug", "FW.hex"});
    EXPECT_EQ(c.automaticFile, "FW.hex");
    EXPECT_TRUE(c.debug);
    EXPECT_EQ(c.portIndex, 3);
}

TEST(CommandLineTest, AbsolutePathsAreFileNamesAndNotSearchedForOptions) {
    const CommandLine c = ParseCommandLine({"-p2", "/home/h/fw-debug.hex"});
    EXPECT_EQ(c.automaticFile, "/home/h/fw-debug.hex");
    EXPECT_FALSE(c.debug);
    EXPECT_FALSE(c.help);
    EXPECT_EQ(ParseCommandLine({"/h"}).automaticFile, "");
    EXPECT_TRUE(ParseCommandLine({"/h"}).help);
}

TEST(CommandLineTest, HelpSpellings) {
    for (const char* arg : {"-help", "/help", "-h", "/H"})
        EXPECT_TRUE(ParseCommandLine({arg}).help) << arg;
    EXPECT_STREQ(kHelpLines[0], "Available commandline options:\r\n");
    EXPECT_STREQ(kHelpLines[1], "-p1, -p2, -p3 default: -p1\r\n");
    EXPECT_STREQ(kHelpLines[2], "Append filename at end to invoke automatic download\r\n");
}

TEST(LanguageIniTest, EntriesInFileOrder) {
    const auto entries = ParseLanguageIni("English = eng.hex\nDeutsch = deu.hex\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "English");
    EXPECT_EQ(entries[0].fileName, "eng.hex");
    EXPECT_EQ(entries[1].name, "Deutsch");
    EXPECT_EQ(entries[1].fileName, "deu.hex");
}

TEST(LanguageIniTest, SpacingBlankLinesAndMalformedLines) {
    const auto entries = ParseLanguageIni("\n  Francais\t=fra.hex\r\n\nEnglish= eng.hex\n"
                                          "Dansk = \nNorsk = nor.hex trailing\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Francais");
    EXPECT_EQ(entries[0].fileName, "fra.hex");
    // "English=" has no white space before '=': not an entry. Neither is a
    // line without a file name.
    EXPECT_EQ(entries[1].name, "Norsk");
    EXPECT_EQ(entries[1].fileName, "nor.hex");
}

TEST(LanguageIniTest, AtMostEightyEntriesAndLongNamesCut) {
    std::string text;
    for (int i = 0; i < 90; ++i)
        text += "L" + std::to_string(i) + " = f" + std::to_string(i) + ".hex\n";
    EXPECT_EQ(ParseLanguageIni(text).size(), 80u);
    const auto entries = ParseLanguageIni(std::string(100, 'N') + " = x.hex\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name.size(), kMaxLanguageNameLength);
}

TEST(LanguageIniTest, MissingFile) {
    const Result<std::vector<LanguageEntry>> entries = ReadLanguageIni("/nonexistent/crvlupd.ini");
    EXPECT_FALSE(entries.ok());
    EXPECT_EQ(entries.message(), "The ini-file could not be opened\n");
}

TEST(ProgressTest, RecordsAfterTwoLargeSteps) {
    ProgressModel p;
    p.Reset(1600); // records
    EXPECT_EQ(p.Total(), 1600 + 2 * 100);
    p.StepLarge();
    p.StepLarge();
    p.StepLarge(); // a second pass does not push the bar on
    EXPECT_EQ(p.Position(), 200);
    p.StepRecord();
    EXPECT_EQ(p.BarValue(), 201);
    EXPECT_EQ(p.BarMaximum(), 1800);
    p.MarkDone();
    EXPECT_EQ(p.BarValue(), 1800);
    EXPECT_EQ(p.Position(), 201); // the stored position stays
    EXPECT_EQ(p.Percent(), 100);
}

TEST(ProgressTest, LargeTotalsAreScaledNotWrapped) {
    ProgressModel p;
    p.Reset(150000);
    EXPECT_EQ(p.BarMaximum(), 65535);
    for (int i = 0; i < 168750 / 2; ++i)
        p.StepRecord();
    EXPECT_EQ(p.BarValue(), 32767);
    for (int i = 0; i < 100000; ++i)
        p.StepRecord();
    EXPECT_EQ(p.BarValue(), 65535); // past the end the bar stays full
    p.Reset(std::nullopt);          // unreadable file: still a range
    EXPECT_EQ(p.BarMaximum(), 1);
}

TEST(ProgressTest, LogLinesAtMostOnceASecondAndOnlyOnChange) {
    ProgressLog log;
    const std::chrono::steady_clock::time_point t0{std::chrono::hours(1)};
    using std::chrono::milliseconds;
    EXPECT_EQ(log.Update(0, t0), "Upload progress: 0 %\n");
    EXPECT_EQ(log.Update(5, t0 + milliseconds(999)), std::nullopt);
    EXPECT_EQ(log.Update(5, t0 + milliseconds(1000)), "Upload progress: 5 %\n");
    EXPECT_EQ(log.Update(5, t0 + milliseconds(5000)), std::nullopt);
    EXPECT_EQ(log.Update(6, t0 + milliseconds(5001)), "Upload progress: 6 %\n");
}

TEST(LoaderImagesTest, ShippedPlaceholdersAreComplete) {
    const Result<LoaderImages> images = LoadLoaderImages(CRVL_SOURCE_DIR "/update/loaders");
    ASSERT_TRUE(images.ok()) << images.message();
    EXPECT_TRUE(images.value().Complete());
}

TEST(LoaderImagesTest, WrongSizeMissingOrUnsignedImageIsAnError) {
    TempDir dir;
    const std::string loaders = (dir.Path() / "loaders").string();
    std::filesystem::create_directories(loaders);
    const std::string signature = "\xA5\x5A\xA5\xA5";
    dir.Write("loaders/preloader1.bin", std::string(32, 'a'));
    dir.Write("loaders/preloader2.bin", std::string(78, 'b'));
    dir.Write("loaders/flashloader_intel.bin", signature + std::string(2044, 'c'));

    EXPECT_EQ(LoadLoaderImages(loaders).message(),
              "Loader image " + loaders + "/flashloader_amd.bin cannot be opened.\r\n");

    dir.Write("loaders/flashloader_amd.bin", signature + std::string(2045, 'd'));
    EXPECT_EQ(LoadLoaderImages(loaders).message(),
              "Loader image " + loaders +
                  "/flashloader_amd.bin has the wrong size (2048 bytes expected).\r\n");

    dir.Write("loaders/flashloader_amd.bin", std::string(2048, 'd'));
    EXPECT_EQ(LoadLoaderImages(loaders).message(),
              "Loader image " + loaders +
                  "/flashloader_amd.bin does not begin with A5 5A A5 A5.\r\n");

    dir.Write("loaders/flashloader_amd.bin", signature + std::string(2044, 'd'));
    const Result<LoaderImages> images = LoadLoaderImages(loaders);
    ASSERT_TRUE(images.ok()) << images.message();
    EXPECT_TRUE(images.value().Complete());
}

} // namespace
} // namespace crvl::update::test

namespace crvl::update::test {
namespace {

TEST(BootloaderSwitchesTest, SitBesideTheTrainersOwn) {
    sim::SimOptions o;
    ASSERT_EQ(sim::ParseArguments({"--flash", "st", "--silent", "--record-reply=4:o", "--ram-reply",
                                   "61", "--baud-pacing"},
                                  o)
                  .message(),
              "");
    const sim::BootloaderOptions& boot = o.config.bootloader;
    EXPECT_TRUE(o.config.faults.silent);
    EXPECT_EQ(boot.maker, sim::FlashMaker::St);
    EXPECT_EQ(boot.recordReplyAt, 4);
    EXPECT_EQ(boot.recordReply, 'o');
    EXPECT_EQ(boot.ramReply, 0x61);
    EXPECT_TRUE(boot.baudPacing);
    EXPECT_NE(sim::HelpText().find("--boot-hang-up N"), std::string::npos);
}

TEST(BootloaderSwitchesTest, BadValuesAreRefusedWithAReason) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--flash", "atmel"}, "bad value for --flash: atmel"},
        {{"--record-reply", "4"}, "bad value for --record-reply: 4"},
        {{"--checksum-error", "0"}, "bad value for --checksum-error: 0"},
        {{"--echo-mismatch", "2048"}, "bad value for --echo-mismatch: 2048"},
        {{"--boot-id", "1FF"}, "bad value for --boot-id: 1FF"},
        {{"--boot-hang-up"}, "--boot-hang-up needs N"},
    };
    for (const auto& [args, reason] : cases) {
        sim::SimOptions o;
        const Status parsed = sim::ParseArguments(args, o);
        EXPECT_FALSE(parsed.ok()) << args[0];
        EXPECT_EQ(parsed.message(), reason);
    }
}

} // namespace
} // namespace crvl::update::test
