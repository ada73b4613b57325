#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "update/core/command_line.h"
#include "update/core/language_ini.h"
#include "update/core/loader_images.h"
#include "update/core/progress.h"

#include <gtest/gtest.h>

namespace crvl::update::test {
namespace {

CommandLine Parsed(std::vector<std::string> args) {
    const Result<CommandLine> parsed = ParseCommandLine(args);
    EXPECT_TRUE(parsed.ok()) << parsed.message();
    return parsed.ok() ? parsed.value() : CommandLine{};
}

TEST(CommandLineTest, NoArgumentsStartsNothingOnCom1) {
    const CommandLine c = Parsed({});
    EXPECT_FALSE(c.debug);
    EXPECT_FALSE(c.help);
    EXPECT_EQ(c.port.Label(), "COM1");
    EXPECT_EQ(c.automaticFile, "");
}

TEST(CommandLineTest, OptionsInAnyCaseAndSpelling) {
    for (const char* arg : {"-debug", "/debug", "-DEBUG", "/Debug"}) {
        const CommandLine c = Parsed({arg});
        EXPECT_TRUE(c.debug) << arg;
        EXPECT_EQ(c.automaticFile, "") << arg;
    }
    for (const char* arg : {"-help", "/help", "-h", "/H"})
        EXPECT_TRUE(Parsed({arg}).help) << arg;
    EXPECT_TRUE(Parsed({"--help"}).printHelp);
}

TEST(CommandLineTest, PortsAsNamed) {
    // -p1 is COM1, -p2 COM3 and -p3 COM4; -p3 wins over -p2 wherever it stands.
    EXPECT_EQ(Parsed({"-p1", "x.hex"}).port.number, 1);
    EXPECT_EQ(Parsed({"/P2"}).port.number, 3);
    EXPECT_EQ(Parsed({"-p3", "-p2"}).port.number, 4);
    EXPECT_EQ(Parsed({"--port", "com12"}).port.number, 12);
    EXPECT_EQ(Parsed({"--port=COM5"}).port.number, 5);
    const CommandLine path = Parsed({"--port", "/dev/ttyUSB1", "fw.hex"});
    EXPECT_EQ(path.port.device, "/dev/ttyUSB1");
    EXPECT_EQ(path.port.Label(), "/dev/ttyUSB1");
}

TEST(CommandLineTest, TheImageIsTheLastWordAsTyped) {
    const CommandLine c = Parsed({"-P3", "-Debug", "/home/h/My FW/fw-debug.HEX"});
    EXPECT_EQ(c.automaticFile, "/home/h/My FW/fw-debug.HEX");
    EXPECT_TRUE(c.debug);
    EXPECT_EQ(c.port.number, 4);
}

TEST(CommandLineTest, RefusedWithTheReason) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-p4", "fw.hex"}, "unknown option '-p4'"},
        {{"/p12"}, "unknown option '/p12'"},
        {{"-x"}, "unknown option '-x'"},
        {{"fw.hex", "-p3"}, "the image file must be the last word, not 'fw.hex'"},
        {{"--port"}, "--port needs COMn or a device path"},
        {{"--port", "COM17"}, "port COM17 is not one of COM1..COM16"},
        {{"-p2", "--port", "COM2"}, "give the port once: --port or one of -p1, -p2, -p3"},
    };
    for (const auto& [args, reason] : cases)
        EXPECT_EQ(ParseCommandLine(args).message(), reason) << args.front();
}

TEST(LanguageIniTest, EntriesInFileOrder) {
    const auto entries = ParseLanguageIni("English = eng.hex\nDeutsch = deu.hex\n").entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "English");
    EXPECT_EQ(entries[0].fileName, "eng.hex");
    EXPECT_EQ(entries[1].name, "Deutsch");
    EXPECT_EQ(entries[1].fileName, "deu.hex");
}

TEST(LanguageIniTest, SpacingBlankLinesAndMalformedLines) {
    const LanguageIni ini = ParseLanguageIni("\n  Francais\t=fra.hex\r\n\nEnglish= eng.hex\n"
                                             "Dansk = \nNorsk = nor.hex trailing\n");
    const auto& entries = ini.entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Francais");
    EXPECT_EQ(entries[0].fileName, "fra.hex");
    // "English=" has no white space before '=': not an entry. Neither is a
    // line without a file name.
    EXPECT_EQ(entries[1].name, "Norsk");
    EXPECT_EQ(entries[1].fileName, "nor.hex");
    // The lines left out are named.
    EXPECT_EQ(ini.unreadable,
              (std::vector<std::string>{
                  "crvlupd.ini, line 4 cannot be read (it should be \"Language = file.hex\"): "
                  "English= eng.hex\r\n",
                  "crvlupd.ini, line 5 cannot be read (it should be \"Language = file.hex\"): "
                  "Dansk = \r\n"}));
}

TEST(LanguageIniTest, AtMostEightyEntriesAndLongNamesCut) {
    std::string text;
    for (int i = 0; i < 90; ++i)
        text += "L" + std::to_string(i) + " = f" + std::to_string(i) + ".hex\n";
    const LanguageIni ini = ParseLanguageIni(text);
    EXPECT_EQ(ini.entries.size(), 80u);
    EXPECT_EQ(ini.unreadable, (std::vector<std::string>{
                                  "crvlupd.ini, line 81 and the lines after it were left out: "
                                  "the list takes 80 languages.\r\n"}));
    const auto entries = ParseLanguageIni(std::string(100, 'N') + " = x.hex\n").entries;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name.size(), kMaxLanguageNameLength);
}

TEST(LanguageIniTest, MissingFile) {
    const Result<LanguageIni> entries = ReadLanguageIni("/nonexistent/crvlupd.ini");
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
