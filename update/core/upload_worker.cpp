#include "update/core/upload_worker.h"

#include "update/core/image_check.h"
#include "update/core/text_format.h"

#include <algorithm>
#include <thread>

namespace crvl::update {
namespace {

constexpr const char* kE1 = "Unable to get microcontroller into boot strap mode [E1]\r\n";
constexpr const char* kE2 = "Some com port error has occurred [E2]\r\n";
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

constexpr const char* kLeftInBootLoader =
    "The Corvel is still in its boot loader and needs a new upload.\r\n";

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

std::string UnknownChipMessage(int manufacturer, int device) {
    return Format("The Corvel's flash chip is not one the loaders serve (manufacturer %04X, "
                  "device %04X).\r\n%s",
                  manufacturer, device, kLeftInBootLoader);
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
    echoMismatches_ = 0;
    left_ = TrainerLeft::Untouched;
    if (!loaders_.Complete()) {
        // Nothing goes on the line without the right loaders.
        reporter_.AppendMessage("The loader images are missing or damaged; nothing was sent.\r\n");
        failure_ = 1;
        return Finish();
    }
    // The flash is erased before the first record goes out: an image the
    // loader would refuse halfway is refused before anything is sent.
    const Result<ImageSummary> checked = CheckImage(settings_.imageName);
    if (!checked.ok()) {
        reporter_.AppendMessage(checked.message());
        failure_ = 1;
        return Finish();
    }
    imageRecords_ = checked.value().records;
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
    left_ = TrainerLeft::InBootLoader;
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
    if (!OpenBootStrapLine() || !BootStrap() || !SendPreloaders() || !SendFlashLoader()) {
        return PassEnd::Finish;
    }
    reporter_.DebugMessage("Native Programloader transferred\r\n");
    // The flash loader runs the line at the programming speed.
    ClosePort();
    port_ = ports_.Open(settings_.portNumber, settings_.programmingSpeed, stop_);
    return ReplyPhase();
}

bool UploadWorker::OpenBootStrapLine() {
    if (!image_.Open(settings_.imageName)) {
        reporter_.AppendMessage(Format("%s %s.\r\n", kCannotFind, settings_.imageName.c_str()));
        failure_ = 1;
        return false;
    }
    const int n = settings_.portNumber;
    reporter_.DebugMessage(Format("Open port:%d\r\n", n));
    port_ = ports_.Open(n, boot::kBootStrapBaud, stop_);
    if (!port_->Usable()) {
        reporter_.AppendMessage(UnusablePortMessage(n));
        failure_ = 1;
        return false;
    }
    return true;
}

std::string UploadWorker::UnusablePortMessage(int n) const {
    const std::string device = ports_.DeviceName(n);
    switch (ports_.Trouble(n)) {
    case PortTrouble::Missing:
        return Format("There is no port COM%d (%s); nothing was sent.\r\n", n, device.c_str());
    case PortTrouble::NoAccess:
        return ports_.AccessAdvice(n) + "\r\n";
    case PortTrouble::NotASerialPort:
        return Format("COM%d (%s) is not a serial port; nothing was sent.\r\n", n, device.c_str());
    case PortTrouble::InUse:
        break;
    }
    return kE5;
}

bool UploadWorker::BootStrap() {
    reporter_.DebugMessage("Send break\r\n");
    if (!HoldBreak()) {
        return false;
    }
    sleep_(kSettleTime);
    reporter_.DebugMessage("Flush buffer\r\n");
    if (!DrainOrFail(kE6)) {
        return false;
    }

    reporter_.DebugMessage("Write 0\r\n");
    const std::uint8_t request = boot::kBootStrapRequest;
    if (!Send(&request, 1)) {
        return false;
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
        return false;
    }
    if (!got || StopRequested()) {
        failure_ = 1;
        return false;
    }
    CheckIdentity(identity);
    return true;
}

void UploadWorker::CheckIdentity(std::uint8_t identity) {
    // An unknown identity is only noted: the loaders go out all the same.
    if (identity == boot::kIdentityA5 || identity == boot::kIdentityC5 ||
        identity == boot::kIdentityD5) {
        reporter_.DebugMessage(Format("Target detected : %X\r\n", identity));
        bootstrapUnconfirmed_ = false;
        reporter_.StepProgressLarge();
    } else {
        reporter_.DebugMessage(Format("Unknown target detected : %X\r\n", identity));
    }
}

bool UploadWorker::SendPreloaders() {
    if (!SendByteWise(loaders_.preloaderOne)) {
        return false;
    }
    reporter_.DebugMessage("Preloader 1 transferred\r\n");
    if (!SendByteWise(loaders_.preloaderTwo)) {
        return false;
    }
    reporter_.DebugMessage("Preloader 2 transferred\r\n");
    return true;
}

bool UploadWorker::SendFlashLoader() {
    const std::vector<std::uint8_t>& loader = FlashLoader();
    reporter_.DebugMessage(
        Format("%s %d\r\n", "Length of ihexloader", static_cast<int>(loader.size())));
    reporter_.DebugMessage("Flush buffer\r\n");
    if (!DrainOrFail(nullptr)) {
        return false;
    }
    // The second preloader echoes every byte; a wrong echo is reported and
    // the transfer goes on.
    for (const std::uint8_t sent : loader) {
        if (!Send(&sent, 1)) {
            return false;
        }
        std::uint8_t echo = 0;
        if (!ReadReply(echo, settings_.stall, kE7)) {
            return false;
        }
        if (echo != sent) {
            ++echoMismatches_;
            reporter_.AppendMessage(
                Format("Echoed character (%x) != Send character (%x)\r\n", echo, sent));
        }
    }
    return true;
}

UploadWorker::PassEnd UploadWorker::ReplyPhase() {
    const auto deadline = clock_() + settings_.replyStall;
    std::uint8_t reply = 0;
    // The first reply comes before the flash codes and is taken like the
    // erase replies after them.
    if (!NextLoaderReply(deadline, true, reply)) {
        return PassEnd::Finish;
    }
    EraseStep step = OnEraseReply(reply);
    if (step == EraseStep::Waiting) {
        // Both codes come before the erase; a chip the loaders do not know
        // is named by both.
        int manufacturer = 0;
        int device = 0;
        if (!ReadCode(deadline, manufacturer) || !ReadCode(deadline, device)) {
            return PassEnd::Finish;
        }
        switch (CheckManufacturer(manufacturer)) {
        case FlashCheck::Accepted:
            break;
        case FlashCheck::Rejected:
            reporter_.AppendMessage(UnknownChipMessage(manufacturer, device));
            return PassEnd::Finish;
        case FlashCheck::SecondPass:
            return PassEnd::SecondPass;
        }
        if (!CheckDevice(device)) {
            reporter_.AppendMessage(UnknownChipMessage(manufacturer, device));
            return PassEnd::Finish;
        }
    }
    while (step == EraseStep::Waiting) {
        if (!NextLoaderReply(deadline, false, reply)) {
            return PassEnd::Finish;
        }
        step = OnEraseReply(reply);
    }
    return step == EraseStep::Erased ? RecordPhase() : PassEnd::Finish;
}

bool UploadWorker::NextLoaderReply(TimePoint deadline, bool first, std::uint8_t& reply) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_());
    if (left.count() <= 0) {
        // Progress replies without end: the erase never completes.
        reporter_.AppendMessage(EraseTooLongMessage(settings_.replyStall));
        failure_ = 1;
        return false;
    }
    const Wait wait = ReadByteWait(reply, left);
    if (wait == Wait::Stalled && !first) {
        reporter_.AppendMessage(EraseTooLongMessage(settings_.replyStall));
        failure_ = 1;
        return false;
    }
    if (wait != Wait::Byte) {
        EndWait(wait, settings_.replyStall, kE8);
        return false;
    }
    return true;
}

bool UploadWorker::ReadCode(TimePoint deadline, int& code) {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    if (!NextLoaderReply(deadline, false, high) || !NextLoaderReply(deadline, false, low)) {
        return false;
    }
    code = (high << 8) | low;
    return true;
}

UploadWorker::FlashCheck UploadWorker::CheckManufacturer(int manufacturer) {
    if (pass_ == Pass::First) {
        if (manufacturer == boot::kManufacturerIntel) {
            reporter_.DebugMessage("Intel FLASH detected\r\n");
            return FlashCheck::Accepted;
        }
        // The first flash loader serves Intel flash only; the second pass
        // starts over with the other one.
        reporter_.DebugMessage(Format("%s %x\r\n", "Unknown manufacturer ID :", manufacturer));
        failure_ = 1;
        ClosePort();
        image_.Close();
        return FlashCheck::SecondPass;
    }
    if (manufacturer == boot::kManufacturerAmd) {
        reporter_.DebugMessage("AMD FLASH detected\r\n");
    } else if (manufacturer == boot::kManufacturerSt) {
        reporter_.DebugMessage("ST FLASH detected\r\n");
    } else if (manufacturer == boot::kManufacturerMacronix) {
        reporter_.DebugMessage("Macronix flash detected\r\n");
    } else {
        reporter_.DebugMessage(Format("%s %x\r\n", "Unknown manufacturer ID :", manufacturer));
        failure_ = 1;
        return FlashCheck::Rejected;
    }
    // The first pass's failure mark does not outlive a known chip.
    failure_ = 0;
    return FlashCheck::Accepted;
}

bool UploadWorker::CheckDevice(int device) {
    const bool accepted = pass_ == Pass::First ? device == boot::kDeviceIntel
                                               : device == boot::kDeviceSecondPassA ||
                                                     device == boot::kDeviceSecondPassB;
    if (!accepted) {
        reporter_.DebugMessage(Format("%s %x\r\n", "Unknown device ID :", device));
        failure_ = 1;
        return false;
    }
    reporter_.DebugMessage(Format("%s %x\r\n", "Device Code:", device));
    reporter_.StepProgressLarge();
    return true;
}

UploadWorker::EraseStep UploadWorker::OnEraseReply(std::uint8_t reply) {
    switch (reply) {
    case boot::reply::kUpAndRunning:
        reporter_.DebugMessage("T_UPAND_RUNNING\r\n");
        return EraseStep::Waiting;
    case boot::reply::kPageErased:
        reporter_.DebugMessage("T_PAGE_ERASED\r\n");
        return EraseStep::Waiting;
    case boot::reply::kEraseFailed:
        reporter_.DebugMessage("T_ERASE_FAILED\r\n");
        reporter_.AppendMessage(kE10);
        failure_ = 1;
        return EraseStep::Failed;
    case boot::reply::kEraseComplete:
        reporter_.AppendMessage("Old program erased !\r\nProgramming new ....\r\n");
        return EraseStep::Erased;
    default:
        reporter_.AppendMessage(Format("%s %x\r\n", kE9, reply));
        reporter_.AppendMessage(kE10);
        failure_ = 1;
        return EraseStep::Failed;
    }
}

UploadWorker::PassEnd UploadWorker::RecordPhase() {
    std::uint8_t record[kMaxRecordSize];
    for (int number = 1;; ++number) {
        if (StopRequested()) {
            failure_ = 1;
            return PassEnd::Finish;
        }
        const std::size_t length = image_.NextRecord(record);
        if (length == 0) {
            break;
        }
        if (!SendRecord(record, length, number)) {
            return PassEnd::Finish;
        }
    }
    RamTest();
    return PassEnd::Finish;
}

bool UploadWorker::SendRecord(const std::uint8_t* record, std::size_t length, int number) {
    for (int sends = 0;;) {
        if (sends == settings_.maxRecordSends) {
            reporter_.AppendMessage(
                Format("The same record was sent %d times without being accepted.\r\n", sends));
            reporter_.AppendMessage(kE11);
            failure_ = 1;
            return false;
        }
        if (!Send(record, length)) {
            return false;
        }
        ++sends;
        std::uint8_t reply = 0;
        const Wait wait = ReadByteWait(reply, settings_.stall);
        if (wait == Wait::Error) {
            // A line that failed once fails for every record after it: say
            // so once, with the place, and end the run.
            reporter_.AppendMessage(kE2);
            reporter_.AppendMessage(Format("The line failed at record %d of %d.\r\n%s", number,
                                           imageRecords_, kLeftInBootLoader));
            failure_ = 1;
            return false;
        }
        if (wait != Wait::Byte) {
            EndWait(wait, settings_.stall, nullptr);
            return false;
        }
        switch (OnRecordReply(reply)) {
        case RecordStep::Taken:
            return true;
        case RecordStep::SendAgain:
            break;
        case RecordStep::Fatal:
            return false;
        }
    }
}

UploadWorker::RecordStep UploadWorker::OnRecordReply(std::uint8_t reply) {
    switch (reply) {
    case boot::reply::kRecordOk:
        // Accepted without being burnt (an address or end record): it
        // counts towards the bar as much as a burnt one.
        reporter_.DebugMessage("T_SERREC_OK\r\n");
        reporter_.StepProgressRecord(false);
        return RecordStep::Taken;
    case boot::reply::kBurned:
        reporter_.DebugMessage("T_BURNED\r\n");
        reporter_.StepProgressRecord(false);
        return RecordStep::Taken;
    case boot::reply::kChecksumError:
        reporter_.DebugMessage("Checksum error .. Retransmitting block\r\n");
        return RecordStep::SendAgain;
    case boot::reply::kUploadComplete:
        reporter_.StepProgressRecord(true);
        reporter_.AppendMessage("Program upload completed\r\n");
        bootstrapUnconfirmed_ = false;
        left_ = TrainerLeft::Programmed;
        return RecordStep::Taken;
    case boot::reply::kBurnFailed:
    case boot::reply::kOddRecord:
        reporter_.DebugMessage(reply == boot::reply::kBurnFailed ? "T_BURN_FAILED\r\n"
                                                                 : "T_ODD_RECORD\r\n");
        reporter_.AppendMessage(kE11);
        failure_ = 1;
        return RecordStep::Fatal;
    default:
        // An unknown reply is shown and the record sent again.
        reporter_.AppendMessage(Format("%s %02x\r\n", kE12, reply));
        return RecordStep::SendAgain;
    }
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
    if (reply == boot::reply::kRamOk) {
        reporter_.DebugMessage("\r\nRAM OK!\r\n");
    } else if (reply == boot::reply::kRamFailed) {
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
    if (echoMismatches_ > 0) {
        reporter_.AppendMessage(Format("%d %s of the flash loader came back different from the "
                                       "bytes sent.\r\n",
                                       echoMismatches_, echoMismatches_ == 1 ? "echo" : "echoes"));
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
