#include "tests/update/fake_line.h"
#include "tests/update/temp_files.h"
#include "update/core/hex_image.h"
#include "update/core/progress.h"
#include "update/core/search_trainer.h"
#include "update/core/upload_worker.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace crvl::update::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::BootloaderSim;
using sim::FlashMaker;
using Stage = sim::BootloaderSim::Stage;

constexpr const char* kE1 = "Unable to get microcontroller into boot strap mode [E1]\r\n";
constexpr const char* kE2 = "Some com port error has occurred [E2]\r\n";
constexpr const char* kE10 = "Flash Erase error [E10]\r\n";
constexpr const char* kE11 = "Fatal programming error, terminating! [E11]\r\n";
constexpr const char* kErased = "Old program erased !\r\nProgramming new ....\r\n";
constexpr const char* kCompleted = "Program upload completed\r\n";
constexpr const char* kStillInBootLoader =
    "The Corvel is still in its boot loader and needs a new upload.\r\n";

LoaderImages TestLoaders() {
    LoaderImages l;
    l.preloaderOne.assign(32, 0x11);
    l.preloaderTwo.assign(78, 0x22);
    l.flashLoaderIntel.assign(2048, 0x33);
    l.flashLoaderAmd.assign(2048, 0x44);
    for (auto* image : {&l.flashLoaderIntel, &l.flashLoaderAmd}) {
        std::copy_n(Bytes{0xA5, 0x5A, 0xA5, 0xA5}.begin(), 4, image->begin());
    }
    return l;
}

Bytes Concat(std::initializer_list<const Bytes*> parts) {
    Bytes out;
    for (const Bytes* p : parts)
        out.insert(out.end(), p->begin(), p->end());
    return out;
}

class UploadWorkerTest : public ::testing::Test {
protected:
    int Run(sim::BootloaderOptions options = {}) {
        line = std::make_unique<FakeLine>(options);
        if (configure)
            configure(*line);
        UploadSettings settings;
        settings.imageName = image;
        settings.portNumber = 4;
        UploadWorker* running = nullptr;
        UploadWorker worker(*line, reporter, loaders, settings, line->WorkerClock(),
                            [this, &running](std::chrono::milliseconds d) {
                                line->Clock().Advance(d);
                                if (onSleep)
                                    onSleep(*running);
                            });
        running = &worker;
        return worker.Run();
    }

    TempDir dir;
    std::string image = dir.Write("fw.hex", MakeHexImage(10));
    LoaderImages loaders = TestLoaders();
    RecordingReporter reporter;
    std::unique_ptr<FakeLine> line;
    std::function<void(FakeLine&)> configure;
    std::function<void(UploadWorker&)> onSleep; // after every wait of the run
};

TEST_F(UploadWorkerTest, SuccessfulRunSendsEveryRecordOfTheFile) {
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(line->Sim().Records(), ImageRecords(image));
    EXPECT_EQ(reporter.shown, std::string(kErased) + kCompleted);
    EXPECT_EQ(reporter.finished, 0);
    EXPECT_EQ(reporter.enabled, 1);
    EXPECT_EQ(reporter.large, 2);    // identification byte and device code
    EXPECT_EQ(reporter.records, 11); // one per accepted record before the end record
    EXPECT_EQ(reporter.done, 1);
    EXPECT_EQ(line->opened, (std::vector<int>{19200, 56000}));
    EXPECT_EQ(line->portNumbers, (std::vector<int>{4, 4}));
    EXPECT_EQ(line->breakHeld,
              (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1500)}));
    ASSERT_EQ(line->Sim().Loaders().size(), 1u);
    EXPECT_EQ(line->Sim().Loaders()[0],
              Concat({&loaders.preloaderOne, &loaders.preloaderTwo, &loaders.flashLoaderIntel}));
}

TEST_F(UploadWorkerTest, DebugLinesFollowTheExchange) {
    ASSERT_EQ(Run(), 0);
    const std::string expected = "Open port:4\r\nSend break\r\nFlush buffer\r\nWrite 0\r\n"
                                 "Target detected : A5\r\n"
                                 "Preloader 1 transferred\r\nPreloader 2 transferred\r\n"
                                 "Length of ihexloader 2048\r\nFlush buffer\r\n"
                                 "Native Programloader transferred\r\n"
                                 "T_UPAND_RUNNING\r\nIntel FLASH detected\r\nDevice Code: 889c\r\n"
                                 "T_PAGE_ERASED\r\nT_PAGE_ERASED\r\n" +
                                 std::string(kErased) + "T_SERREC_OK\r\n";
    EXPECT_EQ(reporter.all.substr(0, expected.size()), expected);
    const std::string tail =
        "T_BURNED\r\n" + std::string(kCompleted) + "Testing RAM ...\r\nRAM OK!\r\n";
    EXPECT_EQ(reporter.all.substr(reporter.all.size() - tail.size()), tail);
}

class SecondPassTest : public UploadWorkerTest,
                       public ::testing::WithParamInterface<std::pair<FlashMaker, const char*>> {};

TEST_P(SecondPassTest, OtherFlashMakersAreServedByTheSecondLoader) {
    sim::BootloaderOptions options;
    options.maker = GetParam().first;
    ASSERT_EQ(Run(options), 0);
    EXPECT_EQ(line->opened, (std::vector<int>{19200, 56000, 19200, 56000}));
    EXPECT_EQ(line->breaks, 2);
    const auto received = line->Sim().Loaders();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1],
              Concat({&loaders.preloaderOne, &loaders.preloaderTwo, &loaders.flashLoaderAmd}));
    EXPECT_NE(reporter.all.find("Unknown manufacturer ID :"), std::string::npos);
    EXPECT_NE(reporter.all.find(GetParam().second), std::string::npos);
    EXPECT_EQ(line->Sim().Records(), ImageRecords(image)); // the file was read from its start
    EXPECT_EQ(reporter.shown, std::string(kErased) + kCompleted);
    EXPECT_EQ(reporter.large, 3); // two identification bytes, one device code
}

INSTANTIATE_TEST_SUITE_P(
    Makers, SecondPassTest,
    ::testing::Values(
        std::make_pair(FlashMaker::Amd, "AMD FLASH detected\r\nDevice Code: 22d6\r\n"),
        std::make_pair(FlashMaker::St, "ST FLASH detected\r\nDevice Code: 22d6\r\n"),
        std::make_pair(FlashMaker::Macronix, "Macronix flash detected\r\nDevice Code: 22ec\r\n")));

TEST_F(UploadWorkerTest, UnknownSecondPassMakerIsNamedWithItsCodes) {
    sim::BootloaderOptions options;
    options.maker = FlashMaker::Unknown;
    EXPECT_EQ(Run(options), 1);
    EXPECT_EQ(reporter.shown, std::string("The Corvel's flash chip is not one the loaders serve "
                                          "(manufacturer 001F, device 22D6).\r\n") +
                                  kStillInBootLoader);
    const std::string text = "Unknown manufacturer ID : 1f\r\n";
    const auto first = reporter.all.find(text);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(reporter.all.find(text, first + 1), std::string::npos); // once in each pass
    EXPECT_EQ(line->breaks, 2);
}

TEST_F(UploadWorkerTest, ReplyBytesTwoToFiveAreCodeHalves) {
    // 'R' 'P' as the device code is a number, not two reply codes.
    sim::BootloaderOptions options;
    options.deviceCode = 0x5250;
    EXPECT_EQ(Run(options), 1);
    EXPECT_NE(reporter.all.find("Unknown device ID : 5250\r\n"), std::string::npos);
    EXPECT_EQ(reporter.all.find("T_PAGE_ERASED"), std::string::npos);
    EXPECT_TRUE(line->Sim().Records().empty());
}

TEST_F(UploadWorkerTest, SilenceAfterTheZeroByteShowsE1Only) {
    sim::BootloaderOptions options;
    options.silent = true;
    EXPECT_EQ(Run(options), 1);
    EXPECT_EQ(reporter.shown, kE1);
    EXPECT_EQ(line->opened.size(), 1u);
}

TEST_F(UploadWorkerTest, UnknownIdentificationByteIsForgivenByTheUploadCompleting) {
    sim::BootloaderOptions options;
    options.identity = 0x33;
    EXPECT_EQ(Run(options), 0);
    EXPECT_NE(reporter.all.find("Unknown target detected : 33\r\n"), std::string::npos);
    EXPECT_EQ(reporter.shown.find("[E1]"), std::string::npos);
    EXPECT_EQ(reporter.large, 1);
}

TEST_F(UploadWorkerTest, UnknownIdentificationByteAndLaterFailureShowE1AtTheEnd) {
    sim::BootloaderOptions options;
    options.identity = 0x33;
    options.eraseReply = 'e';
    EXPECT_EQ(Run(options), 1);
    EXPECT_EQ(reporter.shown, std::string(kE10) + kE1);
}

TEST_F(UploadWorkerTest, EchoMismatchIsReportedAndTheRunGoesOn) {
    sim::BootloaderOptions options;
    options.echoMismatchAt = 1; // the loader's second byte, 5A
    EXPECT_EQ(Run(options), 0);
    EXPECT_EQ(reporter.shown, "Echoed character (a5) != Send character (5a)\r\n" +
                                  std::string(kErased) + kCompleted +
                                  "1 echo of the flash loader came back different from the bytes "
                                  "sent.\r\n");
}

struct ReplyFault {
    const char* name;
    sim::BootloaderOptions options;
    std::string shownEnd; // how the message box ends
};

class ReplyFaultTest : public UploadWorkerTest, public ::testing::WithParamInterface<ReplyFault> {};

TEST_P(ReplyFaultTest, EndsTheRunWithItsMessage) {
    EXPECT_EQ(Run(GetParam().options), 1);
    EXPECT_EQ(reporter.finished, 1);
    const std::string& end = GetParam().shownEnd;
    ASSERT_GE(reporter.shown.size(), end.size()) << reporter.shown;
    EXPECT_EQ(reporter.shown.substr(reporter.shown.size() - end.size()), end) << reporter.shown;
    EXPECT_EQ(reporter.shown.find("[E1]"), std::string::npos);
}

sim::BootloaderOptions With(std::function<void(sim::BootloaderOptions&)> f) {
    sim::BootloaderOptions o;
    f(o);
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReplyFaultTest,
    ::testing::Values(ReplyFault{"EraseFailed", With([](auto& o) { o.eraseReply = 'e'; }), kE10},
                      ReplyFault{"UnknownEraseReply", With([](auto& o) { o.eraseReply = 'X'; }),
                                 "[E9] Unknown response received: 58\r\n" + std::string(kE10)},
                      ReplyFault{"BurnFailed", With([](auto& o) {
                                     o.recordReplyAt = 3;
                                     o.recordReply = '1';
                                 }),
                                 std::string(kErased) + kE11},
                      ReplyFault{"OddRecord", With([](auto& o) {
                                     o.recordReplyAt = 3;
                                     o.recordReply = 'o';
                                 }),
                                 std::string(kErased) + kE11},
                      ReplyFault{"RamTestFailed", With([](auto& o) { o.ramReply = 'a'; }),
                                 std::string(kCompleted) + "\r\nRAM test FAILED !\r\n"},
                      ReplyFault{"StrangeRamReply", With([](auto& o) { o.ramReply = 'x'; }),
                                 std::string(kCompleted) +
                                     "Strange reposponse from microcontroller [E12]\r\n 78\r\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(UploadWorkerTest, ChecksumErrorResendsTheSameBytes) {
    sim::BootloaderOptions options;
    options.checksumErrorAt = 4;
    EXPECT_EQ(Run(options), 0);
    const auto sent = line->Sim().Transmissions();
    const auto file = ImageRecords(image);
    ASSERT_EQ(sent.size(), file.size() + 1);
    EXPECT_EQ(sent[3], file[3]);
    EXPECT_EQ(sent[4], file[3]);
    EXPECT_NE(reporter.all.find("Checksum error .. Retransmitting block\r\n"), std::string::npos);
    EXPECT_EQ(line->Sim().Records(), file);
}

TEST_F(UploadWorkerTest, StrangeReplyToARecordResendsIt) {
    sim::BootloaderOptions options;
    options.recordReplyAt = 2;
    options.recordReply = '?';
    EXPECT_EQ(Run(options), 0);
    const auto sent = line->Sim().Transmissions();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[1], sent[2]);
    EXPECT_EQ(reporter.shown, std::string(kErased) +
                                  "Strange reposponse from microcontroller [E12]\r\n 3f\r\n" +
                                  kCompleted);
}

TEST_F(UploadWorkerTest, RecordRejectedFiftyTimesEndsWithE11) {
    // The file changes after its check: a record with a wrong checksum is
    // refused every time.
    image = dir.Write("bad.hex", ":0300300002337A1E\n:00000001FF\n");
    onSleep = [this](UploadWorker&) { dir.Write("bad.hex", ":0300300002337A1F\n:00000001FF\n"); };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(line->Sim().Transmissions().size(), 50u);
    EXPECT_EQ(reporter.shown, std::string(kErased) +
                                  "The same record was sent 50 times without being accepted.\r\n" +
                                  kE11);
}

TEST_F(UploadWorkerTest, ReadErrorDuringRecordsEndsTheRunWithOneE2) {
    sim::BootloaderOptions options;
    options.hangUpAt = 9; // of 12 records
    EXPECT_EQ(Run(options), 1);
    EXPECT_EQ(reporter.shown, std::string(kErased) + kE2 +
                                  "The line failed at record 9 of 12.\r\n" + kStillInBootLoader);
    EXPECT_EQ(reporter.all.find("Testing RAM"), std::string::npos);
    EXPECT_EQ(line->Sim().Records().size(), 8u);
}

TEST_F(UploadWorkerTest, MissingImageFileIsE4) {
    image = (dir.Path() / "FW.hex").string();
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "[E4]: Cannot find " + image + ".\r\n");
    EXPECT_TRUE(line->opened.empty());
}

TEST_F(UploadWorkerTest, BreakRefusedIsE5) {
    configure = [](FakeLine& l) { l.failBreak = true; };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown,
              "Unable to connect [E5]\r\nThe comport might be in use by another process\r\n");
}

TEST_F(UploadWorkerTest, APortThatCannotBeOpenedSaysWhyAndSendsNothing) {
    configure = [](FakeLine& l) { l.accessAdvice = "You may not use /dev/ttyUSB0."; };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "You may not use /dev/ttyUSB0.\r\n");
    EXPECT_EQ(line->breaks, 0);
    reporter = {};
    configure = [](FakeLine& l) { l.unusable = PortTrouble::Missing; };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "There is no port COM4 (/dev/fake4); nothing was sent.\r\n");
    reporter = {};
    configure = [](FakeLine& l) { l.unusable = PortTrouble::InUse; };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown,
              "Unable to connect [E5]\r\nThe comport might be in use by another process\r\n");
    EXPECT_EQ(line->Sim().BootRequests(), 0);
}

TEST_F(UploadWorkerTest, ReadErrorWhileDrainingIsE6) {
    configure = [](FakeLine& l) { l.failRead = [&l] { return l.Sim().BootRequests() == 0; }; };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "Cannot connect to the serial port - Maybe some other\r\n"
                              "application is using it? [E6]\r\n");
}

TEST_F(UploadWorkerTest, ReadErrorOnTheIdentificationByteShowsNoE1) {
    configure = [](FakeLine& l) {
        l.failRead = [&l] { return l.Sim().CurrentStage() == Stage::Preloaders; };
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "Error accessing the serial port\r\n");
}

TEST_F(UploadWorkerTest, ReadErrorDuringTheEchoIsE7) {
    configure = [](FakeLine& l) {
        l.failRead = [&l] { return l.Sim().CurrentStage() == Stage::FlashLoader; };
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "An error while reading from the Serial port has occurred. [E7]\r\n");
}

TEST_F(UploadWorkerTest, ReadErrorInTheReplyPhaseIsE8) {
    configure = [](FakeLine& l) {
        // After the port was reopened at the programming speed.
        l.failRead = [&l] { return l.opened.size() == 2; };
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown, "An error while reading from the Serial port has occurred. [E8]\r\n");
}

struct StallCase {
    const char* name;
    std::function<bool(FakeLine&)> dead; // from when on the line is quiet
    int seconds;
};

class StallTest : public UploadWorkerTest, public ::testing::WithParamInterface<StallCase> {};

TEST_P(StallTest, DeadLineEndsTheRunAfterItsLimit) {
    const auto dead = GetParam().dead;
    configure = [dead](FakeLine& l) { l.muteReads = [&l, dead] { return dead(l); }; };
    const auto start = std::chrono::steady_clock::time_point(std::chrono::hours(1));
    EXPECT_EQ(Run(), 1);
    const std::string text = "The Corvel has not answered for " +
                             std::to_string(GetParam().seconds) +
                             " seconds; the upload was stopped.\r\n";
    ASSERT_GE(reporter.shown.size(), text.size());
    EXPECT_EQ(reporter.shown.substr(reporter.shown.size() - text.size()), text);
    EXPECT_EQ(reporter.shown.find("[E1]"), std::string::npos);
    const auto waited = line->Clock().now - start;
    EXPECT_GE(waited, std::chrono::seconds(GetParam().seconds));
    EXPECT_LT(waited, std::chrono::seconds(GetParam().seconds + 10));
}

INSTANTIATE_TEST_SUITE_P(
    Stages, StallTest,
    ::testing::Values(
        StallCase{"Echo", [](FakeLine& l) { return l.Sim().CurrentStage() == Stage::FlashLoader; },
                  30},
        StallCase{"Erase", [](FakeLine& l) { return l.opened.size() == 2; }, 120},
        StallCase{"Records", [](FakeLine& l) { return l.Sim().Transmissions().size() >= 2; }, 30}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(UploadWorkerTest, LineThatNeverGoesQuietEndsTheRun) {
    const std::string text = "COM4 keeps sending data and never goes quiet;\r\nis a Corvel "
                             "connected? The upload was stopped.\r\n";
    // After the break, and after the preloaders (a drain whose read errors
    // the run lets pass, but not a line that keeps talking).
    const std::function<bool(FakeLine&)> from[] = {
        [](FakeLine&) { return true; },
        [](FakeLine& l) { return l.Sim().CurrentStage() == Stage::FlashLoader; }};
    for (const auto& babbling : from) {
        configure = [babbling](FakeLine& l) { l.babble = [&l, babbling] { return babbling(l); }; };
        const auto start = std::chrono::steady_clock::time_point(std::chrono::hours(1));
        reporter = {};
        EXPECT_EQ(Run(), 1);
        EXPECT_EQ(reporter.shown.substr(reporter.shown.size() - text.size()), text);
        EXPECT_LT(line->Clock().now - start, std::chrono::seconds(10));
    }
    EXPECT_TRUE(line->Sim().Records().empty());
}

TEST_F(UploadWorkerTest, ProgressRepliesWithoutEndFailTheErase) {
    // 'P' (page erased) for ever after 'R' and the flash codes.
    configure = [](FakeLine& l) {
        l.babble = [&l, reads = 0]() mutable { return l.opened.size() == 2 && ++reads > 5; };
        l.babbleByte = 'P';
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(reporter.shown,
              "The Corvel did not finish erasing within 120 seconds; the upload was stopped.\r\n");
}

TEST_F(UploadWorkerTest, StopDuringTheBreakLetsGoAndSendsNothing) {
    onSleep = [this](UploadWorker& worker) {
        if (line->Clock().now - std::chrono::steady_clock::time_point(std::chrono::hours(1)) >=
            std::chrono::milliseconds(200))
            worker.RequestStop();
    };
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(line->breakHeld,
              (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(200)}));
    EXPECT_EQ(line->Sim().BootRequests(), 0); // not even the 0x00 byte
    EXPECT_EQ(reporter.shown, "");
    EXPECT_EQ(reporter.finished, 1);
}

TEST_F(UploadWorkerTest, BarIsFullExactlyWhenTheLastRecordIsAccepted) {
    image = dir.Write("big.hex", MakeHexImage(40)); // 42 records
    struct BarReporter : RecordingReporter {
        ProgressModel bar;
        FakeLine** line = nullptr;
        std::vector<std::pair<std::size_t, bool>> steps; // records accepted, bar full
        void StepProgressLarge() override { bar.StepLarge(); }
        void StepProgressRecord(bool isDone) override {
            isDone ? bar.MarkDone() : bar.StepRecord();
            steps.emplace_back((*line)->Sim().Transmissions().size(),
                               bar.BarValue() == bar.BarMaximum());
        }
    };
    BarReporter bars;
    FakeLine* current = nullptr;
    bars.line = &current;
    bars.bar.Reset(HexImage::RecordCount(image));
    EXPECT_EQ(bars.bar.BarMaximum(), 42 + 2 * (42 / 16));
    configure = [&current](FakeLine& l) { current = &l; };
    line = std::make_unique<FakeLine>();
    configure(*line);
    UploadSettings settings;
    settings.imageName = image;
    UploadWorker worker(*line, bars, loaders, settings, line->WorkerClock(), line->WorkerSleep());
    ASSERT_EQ(worker.Run(), 0);
    ASSERT_EQ(bars.steps.size(), 42u);
    for (std::size_t i = 0; i < bars.steps.size(); ++i) {
        EXPECT_EQ(bars.steps[i].first, i + 1);
        EXPECT_EQ(bars.steps[i].second, i + 1 == 42) << i;
    }
}

TEST_F(UploadWorkerTest, IncompleteLoadersSendNothing) {
    loaders.flashLoaderAmd.resize(100);
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(line->opened.empty());
    EXPECT_EQ(reporter.shown, "The loader images are missing or damaged; nothing was sent.\r\n");
    EXPECT_EQ(reporter.enabled, 1);
}

// Ports this user may not open: the search says so after its not-found
// line, once.
TEST(Search, NoTrainerFoundNamesAPortTheUserMayNotOpen) {
    FakeLine line;
    line.accessAdvice = "You may not use /dev/ttyUSB0.";
    const StopFlag stop{false};
    std::string shown;
    EXPECT_EQ(SearchTrainer(
                  line, [&](const std::string& s) { shown += s; }, stop),
              0);
    EXPECT_EQ(shown, "No Corvel found !\r\nComport has to be manually selected.\r\n"
                     "You may not use /dev/ttyUSB0.\r\n");
}

} // namespace
} // namespace crvl::update::test
