#include "update/core/upload_worker.h"

#include "update/core/text_format.h"

#include <algorithm>
#include <thread>

namespace crvl::update {
namespace {

constexpr std::uint8_t kIdentityA5 = 0xA5;
constexpr std::uint8_t kIdentityC5 = 0xC5;
constexpr std::uint8_t kIdentityD5 = 0xD5;

constexpr int kManufacturerIntel = 0x0089;
constexpr int kManufacturerAmd = 0x0001;
constexpr int kManufacturerSt = 0x0020;
constexpr int kManufacturerMacronix = 0x00C2;
constexpr int kDeviceFirstPass = 0x889C;
constexpr int kDeviceSecondPassA = 0x22D6;
constexpr int kDeviceSecondPassB = 0x22EC;

// Reply codes of the flash loader.
constexpr std::uint8_t T_UPAND_RUNNING = 'R';
constexpr std::uint8_t T_PAGE_ERASED = 'P';
constexpr std::uint8_t T_ERASE_FAILED = 'e';
constexpr std::uint8_t kEraseComplete = 'Z';
constexpr std::uint8_t T_SERREC_OK = 's';
constexpr std::uint8_t T_BURNED = 'b';
constexpr std::uint8_t kChecksumError = 'F';
constexpr std::uint8_t kUploadComplete = 'S';
constexpr std::uint8_t T_BURN_FAILED = '1';
constexpr std::uint8_t T_ODD_RECORD = 'o';
constexpr std::uint8_t kRamOk = 'A';
constexpr std::uint8_t kRamFailed = 'a';

constexpr const char* kE1 = "Unable to get microcontroller into boot strap mode [E1]\r\n";
constexpr const char* kE2 = "Some com port error has occurred [E2]\r\n";
constexpr const char* kE4 = "[E4]: Cannot find";
constexpr const char* kE5 =
    "Unable to connect [E5]\r\nThe comport might be in use by another process\r\n";
constexpr const char* kE6 =
    "Cannot connect to the serial port - Maybe some other\r\napplication is using it? [E6]\r\n";
constexpr const char* kE7 = "An error while reading from the Serial port has occurred. [E7]\r\n";
constexpr const char* kE8 = "An error while reading from the Serial port has occurred. [E8]\r\n";
constexpr const char* kE9 = "[E9] Unknown response received:";
constexpr const char* kE10 = "Flash Erase error [E10]\r\n";
constexpr const char* kE11 = "Fatal programming error, terminating! [E11]\r\n";
constexpr const char* kE12 = "Strange reposponse from microcontroller [E12]\r\n";
constexpr const char* kAccessError = "Error accessing the serial port\r\n";

constexpr auto kSettleTime = std::chrono::milliseconds(5);
// The break hold looks at the stop flag this often.
constexpr auto kBreakSlice = std::chrono::milliseconds(20);

int Seconds(std::chrono::milliseconds d) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

std::string BabblingMessage(int port) {
    return Format("COM%d keeps sending data and never goes quiet;\r\nis a Corvel connected? The "
                  "upload was stopped.\r\n",
                  port);
}

std::string EraseTooLongMessage(std::chrono::milliseconds limit) {
    return Format("The Corvel did not finish erasing within %d seconds; the upload was "
                  "stopped.\r\n",
                  Seconds(limit));
}

} // namespace

UploadWorker::UploadWorker(BootPortFactory& ports, UploadReporter& reporter,
                           const LoaderImages& loaders, UploadSettings settings, Clock clock,
                           Sleep sleep)
    : ports_(ports), reporter_(reporter), loaders_(loaders), settings_(std::move(settings)),
      clock_(clock ? std::move(clock) : Clock(SteadyNow)),
      sleep_(sleep ? std::move(sleep)
                   : Sleep([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); })) {}

int UploadWorker::Run() {
    pass_ = Pass::First;
    failure_ = 0;
    bootstrapUnconfirmed_ = false;
    identityReadFailed_ = false;
    if (!loaders_.Complete()) {
        // Nothing goes on the line without the right loaders.
        reporter_.AppendMessage("The loader images are missing or damaged; nothing was sent.\r\n");
        failure_ = 1;
        return Finish();
    }
    while (RunPass() == PassEnd::SecondPass) {
        pass_ = Pass::Second;
    }
    return Finish();
}

const std::vector<std::uint8_t>& UploadWorker::FlashLoader() const {
    return pass_ == Pass::First ? loaders_.flashLoaderIntel : loaders_.flashLoaderAmd;
}

bool UploadWorker::Send(const std::uint8_t* data, std::size_t length) {
    if (StopRequested()) {
        failure_ = 1;
        return false;
    }
    port_->WriteBytes(data, length);
    return true;
}

bool UploadWorker::SendByteWise(const std::vector<std::uint8_t>& image) {
    for (const std::uint8_t byte : image) {
        if (!Send(&byte, 1)) {
            return false;
        }
    }
    return true;
}

bool UploadWorker::HoldBreak() {
    if (!port_->SetBreak(true)) {
        reporter_.AppendMessage(kE5);
        failure_ = 1;
        return false;
    }
    const auto hold = std::chrono::milliseconds(settings_.breakHoldMs);
    const auto start = clock_();
    for (;;) {
        const auto held = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - start);
        if (held >= hold || StopRequested()) {
            break;
        }
        sleep_(std::min(kBreakSlice, hold - held));
    }
    // Let go of the line also when stopping, so it is left idle.
    const bool cleared = port_->SetBreak(false);
    if (StopRequested()) {
        failure_ = 1;
        return false;
    }
    if (!cleared) {
        reporter_.AppendMessage(kE5);
        failure_ = 1;
        return false;
    }
    return true;
}

bool UploadWorker::DrainOrFail(const char* readErrorMessage) {
    const DrainEnd end = Drain(*port_, StopAtStx::Yes, stop_, clock_, settings_.drain);
    switch (end) {
    case DrainEnd::Quiet:
        return true;
    case DrainEnd::ReadError:
        if (readErrorMessage == nullptr) {
            return true;
        }
        reporter_.AppendMessage(readErrorMessage);
        break;
    case DrainEnd::Babbling:
        reporter_.AppendMessage(BabblingMessage(settings_.portNumber));
        break;
    case DrainEnd::Stopped:
        break;
    }
    failure_ = 1;
    return false;
}

UploadWorker::PassEnd UploadWorker::RunPass() {
    if (!image_.Open(settings_.imageName)) {
        reporter_.AppendMessage(Format("%s %s.\r\n", kE4, settings_.imageName.c_str()));
        failure_ = 1;
        return PassEnd::Finish;
    }
    const int n = settings_.portNumber;
    reporter_.DebugMessage(Format("Open port:%d\r\n", n));
    port_ = ports_.Open(n, kBootstrapBaud, stop_);
    if (!port_->Usable()) {
        // The break below fails on such a port; the user learns why first.
        if (const std::string advice = ports_.AccessAdvice(n); !advice.empty()) {
            reporter_.AppendMessage(advice + "\r\n");
        }
    }

    reporter_.DebugMessage("Send break\r\n");
    if (!HoldBreak()) {
        return PassEnd::Finish;
    }
    sleep_(kSettleTime);
    reporter_.DebugMessage("Flush buffer\r\n");
    if (!DrainOrFail(kE6)) {
        return PassEnd::Finish;
    }

    reporter_.DebugMessage("Write 0\r\n");
    const std::uint8_t zero = 0x00;
    if (!Send(&zero, 1)) {
        return PassEnd::Finish;
    }
    sleep_(kSettleTime);
    bootstrapUnconfirmed_ = true;

    bool ok = false;
    bool got = false;
    const std::uint8_t identity = port_->ReadByte(ok, got);
    if (!ok) {
        reporter_.AppendMessage(kAccessError);
        identityReadFailed_ = true;
        failure_ = 1;
        return PassEnd::Finish;
    }
    if (!got || StopRequested()) {
        failure_ = 1;
        return PassEnd::Finish;
    }
    if (identity == kIdentityA5 || identity == kIdentityC5 || identity == kIdentityD5) {
        reporter_.DebugMessage(Format("Target detected : %X\r\n", identity));
        bootstrapUnconfirmed_ = false;
        reporter_.StepProgressLarge();
    } else {
        reporter_.DebugMessage(Format("Unknown target detected : %X\r\n", identity));
    }

    if (!SendByteWise(loaders_.preloaderOne)) {
        return PassEnd::Finish;
    }
    reporter_.DebugMessage("Preloader 1 transferred\r\n");
    if (!SendByteWise(loaders_.preloaderTwo)) {
        return PassEnd::Finish;
    }
    reporter_.DebugMessage("Preloader 2 transferred\r\n");

    const std::vector<std::uint8_t>& loader = FlashLoader();
    reporter_.DebugMessage(
        Format("%s %d\r\n", "Length of ihexloader", static_cast<int>(loader.size())));
    reporter_.DebugMessage("Flush buffer\r\n");
    if (!DrainOrFail(nullptr)) {
        return PassEnd::Finish;
    }

    for (const std::uint8_t sent : loader) {
        if (!Send(&sent, 1)) {
            return PassEnd::Finish;
        }
        std::uint8_t echo = 0;
        if (!ReadReply(echo, settings_.stall, kE7)) {
            return PassEnd::Finish;
        }
        if (echo != sent) {
            reporter_.AppendMessage(
                Format("Echoed character (%x) != Send character (%x)\r\n", echo, sent));
        }
    }
    reporter_.DebugMessage("Native Programloader transferred\r\n");
    ClosePort();
    port_ = ports_.Open(n, settings_.programmingSpeed, stop_);
    return ReplyPhase();
}

UploadWorker::PassEnd UploadWorker::ReplyPhase() {
    int manufacturer = 0;
    int device = 0;
    const auto deadline = clock_() + settings_.replyStall;
    for (int k = 0;; ++k) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_());
        if (left.count() <= 0) {
            // Progress replies without end: the erase never completes.
            reporter_.AppendMessage(EraseTooLongMessage(settings_.replyStall));
            failure_ = 1;
            return PassEnd::Finish;
        }
        std::uint8_t c = 0;
        const Wait wait = ReadByteWait(c, left);
        if (wait == Wait::Stalled && k > 0) {
            reporter_.AppendMessage(EraseTooLongMessage(settings_.replyStall));
            failure_ = 1;
            return PassEnd::Finish;
        }
        if (wait != Wait::Byte) {
            EndWait(wait, settings_.replyStall, kE8);
            return PassEnd::Finish;
        }
        switch (k) {
        case 1:
            manufacturer = c * 256;
            continue;
        case 2:
            manufacturer += c;
            if (pass_ == Pass::First) {
                if (manufacturer == kManufacturerIntel) {
                    reporter_.DebugMessage("Intel FLASH detected\r\n");
                    continue;
                }
                reporter_.DebugMessage(
                    Format("%s %x\r\n", "Unknown manufacturer ID :", manufacturer));
                failure_ = 1;
                ClosePort();
                image_.Close();
                return PassEnd::SecondPass;
            }
            if (manufacturer == kManufacturerAmd) {
                reporter_.DebugMessage("AMD FLASH detected\r\n");
            } else if (manufacturer == kManufacturerSt) {
                reporter_.DebugMessage("ST FLASH detected\r\n");
            } else if (manufacturer == kManufacturerMacronix) {
                reporter_.DebugMessage("Macronix flash detected\r\n");
            } else {
                reporter_.DebugMessage(
                    Format("%s %x\r\n", "Unknown manufacturer ID :", manufacturer));
                failure_ = 1;
                return PassEnd::Finish;
            }
            failure_ = 0;
            continue;
        case 3:
            device = c * 256;
            continue;
        case 4: {
            device += c;
            const bool accepted =
                pass_ == Pass::First ? device == kDeviceFirstPass
                                     : device == kDeviceSecondPassA || device == kDeviceSecondPassB;
            if (!accepted) {
                reporter_.DebugMessage(Format("%s %x\r\n", "Unknown device ID :", device));
                failure_ = 1;
                return PassEnd::Finish;
            }
            reporter_.DebugMessage(Format("%s %x\r\n", "Device Code:", device));
            reporter_.StepProgressLarge();
            continue;
        }
        default:
            break;
        }
        switch (c) {
        case T_UPAND_RUNNING:
            reporter_.DebugMessage("T_UPAND_RUNNING\r\n");
            break;
        case T_PAGE_ERASED:
            reporter_.DebugMessage("T_PAGE_ERASED\r\n");
            break;
        case T_ERASE_FAILED:
            reporter_.DebugMessage("T_ERASE_FAILED\r\n");
            reporter_.AppendMessage(kE10);
            failure_ = 1;
            return PassEnd::Finish;
        case kEraseComplete:
            reporter_.AppendMessage("Old program erased !\r\nProgramming new ....\r\n");
            return RecordPhase();
        default:
            reporter_.AppendMessage(Format("%s %x\r\n", kE9, c));
            reporter_.AppendMessage(kE10);
            failure_ = 1;
            return PassEnd::Finish;
        }
    }
}

UploadWorker::PassEnd UploadWorker::RecordPhase() {
    std::uint8_t record[kMaxRecordSize];
    for (;;) {
        if (StopRequested()) {
            failure_ = 1;
            return PassEnd::Finish;
        }
        const std::size_t length = image_.NextRecord(record);
        if (length == 0) {
            break;
        }
        int sends = 0;
        bool nextLine = false;
        while (!nextLine) {
            if (sends == settings_.maxRecordSends) {
                reporter_.AppendMessage(
                    Format("The same record was sent %d times without being accepted.\r\n", sends));
                reporter_.AppendMessage(kE11);
                failure_ = 1;
                return PassEnd::Finish;
            }
            if (!Send(record, length)) {
                return PassEnd::Finish;
            }
            ++sends;
            std::uint8_t reply = 0;
            const Wait wait = ReadByteWait(reply, settings_.stall);
            if (wait == Wait::Error) {
                // The remaining records still go out; the RAM test is skipped.
                reporter_.AppendMessage(kE2);
                failure_ = 1;
                nextLine = true;
                continue;
            }
            if (wait != Wait::Byte) {
                EndWait(wait, settings_.stall, nullptr);
                return PassEnd::Finish;
            }
            switch (reply) {
            case T_SERREC_OK:
                // Accepted without being burnt (an address or end record):
                // it counts towards the bar as much as a burnt one.
                reporter_.DebugMessage("T_SERREC_OK\r\n");
                reporter_.StepProgressRecord(false);
                nextLine = true;
                break;
            case T_BURNED:
                reporter_.DebugMessage("T_BURNED\r\n");
                reporter_.StepProgressRecord(false);
                nextLine = true;
                break;
            case kChecksumError:
                reporter_.DebugMessage("Checksum error .. Retransmitting block\r\n");
                break;
            case kUploadComplete:
                reporter_.StepProgressRecord(true);
                reporter_.AppendMessage("Program upload completed\r\n");
                bootstrapUnconfirmed_ = false;
                nextLine = true;
                break;
            case T_BURN_FAILED:
            case T_ODD_RECORD:
                reporter_.DebugMessage(reply == T_BURN_FAILED ? "T_BURN_FAILED\r\n"
                                                              : "T_ODD_RECORD\r\n");
                reporter_.AppendMessage(kE11);
                failure_ = 1;
                return PassEnd::Finish;
            default:
                reporter_.AppendMessage(Format("%s %02x\r\n", kE12, reply));
                break;
            }
        }
    }
    RamTest();
    return PassEnd::Finish;
}

void UploadWorker::RamTest() {
    if (failure_ != 0) {
        return;
    }
    reporter_.DebugMessage("Testing RAM ...");
    std::uint8_t reply = 0;
    if (!ReadReply(reply, settings_.stall, kE2)) {
        return;
    }
    if (reply == kRamOk) {
        reporter_.DebugMessage("\r\nRAM OK!\r\n");
    } else if (reply == kRamFailed) {
        reporter_.AppendMessage("\r\nRAM test FAILED !\r\n");
        failure_ = 1;
    } else {
        reporter_.AppendMessage(Format("%s %02x\r\n", kE12, reply));
        failure_ = 1;
    }
}

int UploadWorker::Finish() {
    if (bootstrapUnconfirmed_ && !identityReadFailed_ && !StopRequested()) {
        reporter_.AppendMessage(kE1);
    }
    reporter_.EnableStartAndSearch();
    ClosePort();
    image_.Close();
    reporter_.Finished(failure_);
    return failure_;
}

UploadWorker::Wait UploadWorker::ReadByteWait(std::uint8_t& byte, std::chrono::milliseconds limit) {
    const auto start = clock_();
    for (;;) {
        if (StopRequested()) {
            return Wait::Stopped;
        }
        bool ok = false;
        bool got = false;
        const std::uint8_t value = port_->ReadByte(ok, got);
        if (!ok) {
            return Wait::Error;
        }
        if (got) {
            byte = value;
            return Wait::Byte;
        }
        if (clock_() - start >= limit) {
            return Wait::Stalled;
        }
    }
}

bool UploadWorker::ReadReply(std::uint8_t& byte, std::chrono::milliseconds limit,
                             const char* readErrorMessage) {
    const Wait wait = ReadByteWait(byte, limit);
    if (wait == Wait::Byte) {
        return true;
    }
    EndWait(wait, limit, readErrorMessage);
    return false;
}

void UploadWorker::EndWait(Wait wait, std::chrono::milliseconds limit,
                           const char* readErrorMessage) {
    failure_ = 1;
    if (wait == Wait::Error && readErrorMessage != nullptr) {
        reporter_.AppendMessage(readErrorMessage);
    } else if (wait == Wait::Stalled) {
        reporter_.AppendMessage(
            Format("The Corvel has not answered for %d seconds; the upload was stopped.\r\n",
                   Seconds(limit)));
    }
}

void UploadWorker::ClosePort() {
    if (port_) {
        port_->Close();
        port_.reset();
    }
}

} // namespace crvl::update
