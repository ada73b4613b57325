// The updater against the simulated trainer on a pseudo-terminal, through the
// real serial port code: what goes over the line, and each fault switch.

#include "tests/update/fake_line.h"
#include "tests/update/line_terminal.h"
#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/trainer_sim.h"
#include "update/core/hex_image.h"
#include "update/core/search_trainer.h"
#include "update/core/serial_boot_port.h"
#include "update/core/upload_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace crvl::update::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kPort = 4;
constexpr const char* kE1 = "Unable to get microcontroller into boot strap mode [E1]\r\n";
constexpr const char* kE2 = "Some com port error has occurred [E2]\r\n";
constexpr const char* kE10 = "Flash Erase error [E10]\r\n";
constexpr const char* kE11 = "Fatal programming error, terminating! [E11]\r\n";
constexpr const char* kErased = "Old program erased !\r\nProgramming new ....\r\n";
constexpr const char* kCompleted = "Program upload completed\r\n";
constexpr const char* kStillInBootLoader =
    "The Corvel is still in its boot loader and needs a new upload.\r\n";

LoaderImages ShippedLoaders() {
    Result<LoaderImages> loaders = LoadLoaderImages(CRVL_SOURCE_DIR "/update/loaders");
    EXPECT_TRUE(loaders.ok()) << loaders.message();
    return loaders.ok() ? std::move(loaders).value() : LoaderImages{};
}

// One simulated trainer, configured by the same switches as trainersim's
// command line, and one upload run against it.
class SimulatedUpload : public ::testing::Test {
protected:
    void StartSim(std::vector<std::string> switches) {
        sim::SimOptions options;
        ASSERT_EQ(sim::ParseArguments(switches, options).message(), "");
        // The drains here wait 200 ms, so the line counts as quiet sooner.
        options.config.bootloader.quietLine = std::chrono::milliseconds(100);
        trainer = std::make_unique<sim::TrainerSim>(options.config);
        ASSERT_EQ(trainer->Open().message(), "");
        boot = sim::AttachBootloader(*trainer, options.config.bootloader);
        trainer->Start();
        ::setenv(("CRVL_COM" + std::to_string(kPort)).c_str(), trainer->SlavePath().c_str(), 1);
    }

    int Upload(std::vector<std::string> switches = {}) {
        StartSim(std::move(switches));
        if (HasFatalFailure())
            return -1;
        SerialBootPortFactory ports({}, 200);
        UploadSettings settings;
        settings.imageName = image;
        settings.portNumber = kPort;
        settings.breakHoldMs = 10;
        UploadWorker worker(ports, reporter, loaders, settings);
        return worker.Run();
    }

    void TearDown() override {
        if (trainer)
            trainer->Stop();
    }

    TempDir dir;
    std::string image = dir.Write("fw.hex", MakeHexImage(40));
    LoaderImages loaders = ShippedLoaders();
    RecordingReporter reporter;
    std::unique_ptr<sim::TrainerSim> trainer;
    std::unique_ptr<sim::BootloaderSim> boot;
};

TEST_F(SimulatedUpload, RecordsReceivedEqualTheFile) {
    ASSERT_EQ(Upload(), 0);
    EXPECT_EQ(boot->Records(), ImageRecords(image));
    EXPECT_EQ(reporter.shown, std::string(kErased) + kCompleted);
    ASSERT_EQ(boot->Loaders().size(), 1u);
    Bytes expected = loaders.preloaderOne;
    expected.insert(expected.end(), loaders.preloaderTwo.begin(), loaders.preloaderTwo.end());
    expected.insert(expected.end(), loaders.flashLoaderIntel.begin(),
                    loaders.flashLoaderIntel.end());
    EXPECT_EQ(boot->Loaders()[0], expected);
}

class SimulatedSecondPass : public SimulatedUpload,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(SimulatedSecondPass, SucceedsWithTheSecondLoader) {
    ASSERT_EQ(Upload({"--flash", GetParam()}), 0);
    EXPECT_EQ(boot->BootRequests(), 2);
    ASSERT_EQ(boot->Loaders().size(), 2u);
    EXPECT_TRUE(std::equal(loaders.flashLoaderAmd.begin(), loaders.flashLoaderAmd.end(),
                           boot->Loaders()[1].end() - 2048));
    EXPECT_EQ(boot->Records(), ImageRecords(image));
    EXPECT_EQ(reporter.shown, std::string(kErased) + kCompleted);
}

INSTANTIATE_TEST_SUITE_P(Makers, SimulatedSecondPass, ::testing::Values("amd", "st", "macronix"));

struct SimFault {
    const char* name;
    std::vector<std::string> switches;
    std::string shown; // the whole message box
};

class SimulatedFault : public SimulatedUpload, public ::testing::WithParamInterface<SimFault> {};

TEST_P(SimulatedFault, ShowsItsMessage) {
    EXPECT_EQ(Upload(GetParam().switches), 1);
    EXPECT_EQ(reporter.shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SimulatedFault,
    ::testing::Values(SimFault{"Silent", {"--boot-silent"}, kE1},
                      SimFault{"EraseFailed", {"--erase-reply", "e"}, kE10},
                      SimFault{"UnknownEraseReply",
                               {"--erase-reply=51"},
                               "[E9] Unknown response received: 51\r\n" + std::string(kE10)},
                      SimFault{
                          "BurnFailed", {"--record-reply", "5:1"}, std::string(kErased) + kE11},
                      SimFault{"OddRecord", {"--record-reply", "5:o"}, std::string(kErased) + kE11},
                      SimFault{"RamFailed",
                               {"--ram-reply", "a"},
                               std::string(kErased) + kCompleted + "\r\nRAM test FAILED !\r\n"},
                      SimFault{"StrangeRamReply",
                               {"--ram-reply", "7E"},
                               std::string(kErased) + kCompleted +
                                   "Strange reposponse from microcontroller [E12]\r\n 7e\r\n"},
                      SimFault{"UnknownIdThenEraseFailed",
                               {"--boot-id", "33", "--erase-reply", "e"},
                               std::string(kE10) + kE1},
                      SimFault{"UnknownSecondMaker",
                               {"--flash", "unknown"},
                               "The Corvel's flash chip is not one the loaders serve "
                               "(manufacturer 001F, device 22D6).\r\n" +
                                   std::string(kStillInBootLoader)},
                      SimFault{"UnknownDevice",
                               {"--device", "1234"},
                               "The Corvel's flash chip is not one the loaders serve "
                               "(manufacturer 0089, device 1234).\r\n" +
                                   std::string(kStillInBootLoader)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SimulatedUpload, StrangeRecordReplyResendsAndSucceeds) {
    ASSERT_EQ(Upload({"--record-reply", "3:3F"}), 0);
    EXPECT_EQ(reporter.shown, std::string(kErased) +
                                  "Strange reposponse from microcontroller [E12]\r\n 3f\r\n" +
                                  kCompleted);
    EXPECT_EQ(boot->Records(), ImageRecords(image));
}

TEST_F(SimulatedUpload, UnknownIdentificationByteThenSuccessShowsNoE1) {
    ASSERT_EQ(Upload({"--boot-id", "33"}), 0);
    EXPECT_EQ(reporter.shown, std::string(kErased) + kCompleted);
    EXPECT_NE(reporter.all.find("Unknown target detected : 33\r\n"), std::string::npos);
}

TEST_F(SimulatedUpload, EchoMismatchIsShownOnce) {
    ASSERT_EQ(Upload({"--echo-mismatch", "0"}), 0);
    EXPECT_EQ(reporter.shown, "Echoed character (5a) != Send character (a5)\r\n" +
                                  std::string(kErased) + kCompleted +
                                  "1 echo of the flash loader came back different from the bytes "
                                  "sent.\r\n");
}

TEST_F(SimulatedUpload, ChecksumErrorResendsTheSameBytes) {
    ASSERT_EQ(Upload({"--checksum-error", "7"}), 0);
    const auto sent = boot->Transmissions();
    const auto file = ImageRecords(image);
    ASSERT_EQ(sent.size(), file.size() + 1);
    EXPECT_EQ(sent[6], file[6]);
    EXPECT_EQ(sent[7], file[6]);
    EXPECT_EQ(boot->Records(), file);
}

TEST_F(SimulatedUpload, HangUpDuringRecordsIsOneE2WithThePlace) {
    ASSERT_EQ(Upload({"--boot-hang-up", "40"}), 1);
    EXPECT_EQ(reporter.shown, std::string(kErased) + kE2 +
                                  "The line failed at record 40 of 42.\r\n" + kStillInBootLoader);
    EXPECT_EQ(reporter.all.find("Testing RAM"), std::string::npos);
    EXPECT_EQ(boot->Records().size(), 39u);
}

TEST_F(SimulatedUpload, SearchPassesOverLinesThatAreNoTrainer) {
    StartSim({});
    ASSERT_FALSE(HasFatalFailure());
    // COM1 never stops sending, COM2 is silent (and shows what the search
    // sends), COM7 is the trainer.
    LineTerminal babbling(LineTerminal::Mode::Babble);
    LineTerminal silent(LineTerminal::Mode::Record);
    ASSERT_TRUE(babbling.Ok() && silent.Ok());
    for (int n = 1; n <= 16; ++n) {
        const std::string name = "CRVL_COM" + std::to_string(n);
        std::string device = (dir.Path() / ("none" + std::to_string(n))).string();
        if (n == 1)
            device = babbling.SlavePath();
        else if (n == 2)
            device = silent.SlavePath();
        else if (n == 7)
            device = trainer->SlavePath();
        ::setenv(name.c_str(), device.c_str(), 1);
    }
    SerialBootPortFactory ports({}, 200);
    const StopFlag stop{false};
    std::string shown;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SearchTrainer(
                  ports, [&](const std::string& s) { shown += s; }, stop),
              7);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(shown, "Corvel found on COM7\r\n");
    EXPECT_EQ(silent.ReceivedBytes(),
              (Bytes{0x02, 0x2A, 0x10, 0x40, 0x10, 0x40, 0x03, 0x2A, 0x0D}));

    ::setenv("CRVL_COM7", (dir.Path() / "gone").c_str(), 1);
    shown.clear();
    EXPECT_EQ(SearchTrainer(
                  ports, [&](const std::string& s) { shown += s; }, stop),
              0);
    EXPECT_EQ(shown, "No Corvel found !\r\nComport has to be manually selected.\r\n");
}

} // namespace
} // namespace crvl::update::test
