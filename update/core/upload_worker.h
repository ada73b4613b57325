#pragma once

#include "protocol/boot_loader.h"
#include "update/core/boot_port.h"
#include "update/core/hex_image.h"
#include "update/core/loader_images.h"
#include "update/core/upload_reporter.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace crvl::update {

// Where a run left the trainer.
enum class TrainerLeft {
    Untouched,    // nothing reached the line
    InBootLoader, // the break went out: the trainer waits for a new upload
    Programmed,   // the loader took the whole image
};

struct UploadSettings {
    std::string imageName;
    int portNumber = 1;
    int programmingSpeed = boot::kProgrammingBaud;
    int breakHoldMs = 1500;
    // A flash erase keeps the line quiet for a long time; elsewhere the loader
    // answers at once. Past these limits the line is taken for dead. The
    // identification and erase must also be over within replyStall, however
    // many progress replies come meanwhile.
    std::chrono::milliseconds replyStall{std::chrono::seconds(120)};
    std::chrono::milliseconds stall{std::chrono::seconds(30)};
    // How often one record is sent before the run gives up on it.
    int maxRecordSends = 50;
    // A line that does not go quiet within these limits fails the run.
    DrainLimits drain;
};

// One upload run through the trainer's boot loader: boot-strap with a break,
// the two preloaders, the echoed flash loader at 19200 baud, then flash
// identification, erase, the image records and the RAM test at the
// programming speed. A first pass that finds no Intel flash is repeated once
// with the second flash loader.
class UploadWorker {
public:
    using Clock = update::Clock;
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    // clock and sleep default to the real ones; tests move a fake clock.
    UploadWorker(BootPortFactory& ports, UploadReporter& reporter, const LoaderImages& loaders,
                 UploadSettings settings, Clock clock = {}, Sleep sleep = {});

    // Runs to the end and returns the failure mark: 0 success, 1 failure.
    // Reports Finished(result) as its last act.
    int Run();

    // Asks a running Run() to stop, from any thread: the break is let go,
    // the current read ends within a few milliseconds, nothing more is
    // written, and the run ends as a failure without further messages.
    void RequestStop() { stop_.store(true, std::memory_order_release); }

    // Echoes of the flash loader that differed from the byte sent, in the
    // last run.
    int EchoMismatches() const { return echoMismatches_; }
    TrainerLeft Left() const { return left_; }

private:
    enum class Pass { First, Second };
    enum class PassEnd { Finish, SecondPass };
    enum class Wait { Byte, Error, Stalled, Stopped };
    // Where a reply before the records leaves the run.
    enum class EraseStep { Waiting, Erased, Failed };
    enum class FlashCheck { Accepted, Rejected, SecondPass };
    // Where a reply to a record leaves it.
    enum class RecordStep { Taken, SendAgain, Fatal };
    using TimePoint = std::chrono::steady_clock::time_point;

    // The steps of a pass; each false (or Finish) ends the run.
    PassEnd RunPass();
    bool OpenBootStrapLine();
    // Why port n could not be opened, for the message box.
    std::string UnusablePortMessage(int n) const;
    bool BootStrap();
    void CheckIdentity(std::uint8_t identity);
    bool SendPreloaders();
    bool SendFlashLoader();
    bool HoldBreak();
    // A drain that fails the run unless the line went quiet; readErrorMessage
    // null means a read error is let pass.
    bool DrainOrFail(const char* readErrorMessage);
    PassEnd ReplyPhase();
    // The flash loader's next reply before the records, within `deadline`.
    bool NextLoaderReply(TimePoint deadline, bool first, std::uint8_t& reply);
    // A 16-bit code, high byte first.
    bool ReadCode(TimePoint deadline, int& code);
    FlashCheck CheckManufacturer(int manufacturer);
    bool CheckDevice(int device);
    EraseStep OnEraseReply(std::uint8_t reply);
    PassEnd RecordPhase();
    // Sends one record until the loader takes it.
    // number counts the records from 1, for the message when the line fails.
    bool SendRecord(const std::uint8_t* record, std::size_t length, int number);
    RecordStep OnRecordReply(std::uint8_t reply);
    void RamTest();
    int Finish();

    // Reads until a byte arrives, a read fails, `limit` passes without a byte
    // or a stop is requested.
    Wait ReadByteWait(std::uint8_t& byte, std::chrono::milliseconds limit);
    // ReadByteWait that ends the run unless a byte came: a read error shows
    // readErrorMessage, a stall says how long the line was quiet.
    bool ReadReply(std::uint8_t& byte, std::chrono::milliseconds limit,
                   const char* readErrorMessage);
    void EndWait(Wait wait, std::chrono::milliseconds limit, const char* readErrorMessage);
    // Writes unless a stop was requested; false then.
    bool Send(const std::uint8_t* data, std::size_t length);
    bool SendByteWise(const std::vector<std::uint8_t>& image);
    void ClosePort();
    bool StopRequested() const { return stop_.load(std::memory_order_acquire); }
    const std::vector<std::uint8_t>& FlashLoader() const;

    BootPortFactory& ports_;
    UploadReporter& reporter_;
    const LoaderImages& loaders_;
    UploadSettings settings_;
    Clock clock_;
    Sleep sleep_;
    StopFlag stop_{false};

    std::unique_ptr<BootPort> port_;
    HexImage image_;
    Pass pass_ = Pass::First;
    int failure_ = 0;
    bool bootstrapUnconfirmed_ = false;
    bool identityReadFailed_ = false;
    int imageRecords_ = 0;
    TrainerLeft left_ = TrainerLeft::Untouched;
    int echoMismatches_ = 0;
};

} // namespace crvl::update
