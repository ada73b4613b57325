// crvlupd as a program: unattended runs against the simulated trainer, with
// what they say on standard error, what reached the line and their exit
// codes; the command line; one run per port; the single window.

#include "tests/update/line_terminal.h"
#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crvl::update::test {
namespace {

namespace fs = std::filesystem;

const std::string kProgram = CRVL_BIN_DIR "/crvlupd";

struct Launch {
    std::vector<std::string> args;
    std::vector<std::string> env; // added to the test's own, less its display
    std::string errPath;          // standard error, when given
    std::string outPath;          // standard output, when given
    std::string cwd;
    std::string program = kProgram;
    bool window = false;       // give it Qt's offscreen platform
    std::optional<uid_t> user; // run as this user
};

bool KeptFromTheTest(const std::string& entry) {
    // No display: the unattended run must not need one. No port map of the
    // test's own.
    for (const char* dropped : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "CRVL_COM"}) {
        if (entry.rfind(dropped, 0) == 0)
            return false;
    }
    return true;
}

// Starts crvlupd; returns its process id. Everything the child needs is
// built before the fork.
pid_t Spawn(const Launch& launch) {
    std::vector<std::string> env = launch.env;
    if (launch.window)
        env.push_back("QT_QPA_PLATFORM=offscreen");
    for (char** e = environ; *e != nullptr; ++e) {
        if (KeptFromTheTest(*e))
            env.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {launch.program};
    words.insert(words.end(), launch.args.begin(), launch.args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto redirect = [](const std::string& path, int fd) {
            if (!path.empty())
                ::dup2(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), fd);
        };
        redirect(launch.errPath, 2);
        redirect(launch.outPath, 1);
        if (!launch.cwd.empty() && ::chdir(launch.cwd.c_str()) != 0)
            ::_exit(126);
        if (launch.user && (::setgroups(0, nullptr) != 0 || ::setgid(*launch.user) != 0 ||
                            ::setuid(*launch.user) != 0))
            ::_exit(125);
        ::execve(launch.program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

// The exit code, or -1 if the program has not ended within the time.
int WaitFor(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

int Finish(const Launch& launch) {
    return WaitFor(Spawn(launch), std::chrono::seconds(60));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A simulated trainer with trainersim's switches, its boot loader's log
// kept.
class Trainer {
public:
    explicit Trainer(std::vector<std::string> switches = {}) {
        sim::SimOptions options;
        EXPECT_EQ(sim::ParseArguments(switches, options).message(), "");
        sim_ = std::make_unique<sim::TrainerSim>(options.config);
        EXPECT_EQ(sim_->Open().message(), "");
        boot_ = sim::AttachBootloader(*sim_, options.config.bootloader,
                                      [this](const std::string& line) {
                                          std::lock_guard<std::mutex> lock(mutex_);
                                          log_ += line + "\n";
                                      });
        sim_->Start();
    }
    ~Trainer() { sim_->Stop(); }

    std::string Path() const { return sim_->SlavePath(); }
    sim::BootloaderSim& Boot() { return *boot_; }
    std::string Log() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }

private:
    std::unique_ptr<sim::TrainerSim> sim_;
    std::unique_ptr<sim::BootloaderSim> boot_;
    mutable std::mutex mutex_;
    std::string log_;
};

class UpdaterProgram : public ::testing::Test {
protected:
    std::string ErrText() const { return ReadFile(errPath); }

    // -p3 (COM4) against the trainer, unattended.
    Launch OnCom4(const Trainer& trainer, std::vector<std::string> args = {}) const {
        Launch launch;
        launch.args = {"-P3"};
        launch.args.insert(launch.args.end(), args.begin(), args.end());
        launch.args.push_back(image);
        launch.env = {"CRVL_COM4=" + trainer.Path()};
        launch.errPath = errPath;
        return launch;
    }

    TempDir dir;
    // Capitals in the name: it must be found as typed.
    std::string image = dir.Write("FW.hex", MakeHexImage(30)); // 32 records
    std::string errPath = (dir.Path() / "stderr.txt").string();
};

TEST_F(UpdaterProgram, UnattendedRunNeedsNoDisplayAndSaysWhatItUploads) {
    Trainer trainer;
    EXPECT_EQ(Finish(OnCom4(trainer)), 0);
    EXPECT_EQ(trainer.Boot().Records(), ImageRecords(image));
    const std::string err = ErrText();
    const std::string port = "COM4 (" + trainer.Path() + ")";
    EXPECT_EQ(err.rfind("crvlupd: uploading " + image + " (1348 bytes, 32 records) to " + port +
                            "\nUpload progress: 0 %\n",
                        0),
              0u)
        << err;
    EXPECT_NE(err.find("crvlupd: Program upload completed\nUpload progress: 100 %\n"),
              std::string::npos)
        << err;
    EXPECT_TRUE(err.ends_with("crvlupd: the upload to " + port + " succeeded\n")) << err;
}

TEST_F(UpdaterProgram, TheImageIsTheOneNamedFromTheFolderTheRunStartedIn) {
    // A copy of the program whose own folder holds another fw image.
    const fs::path program = dir.Path() / "program";
    fs::create_directories(program);
    fs::copy_file(kProgram, program / "crvlupd");
    fs::copy(CRVL_BIN_DIR "/loaders", program / "loaders");
    dir.Write("program/FW Image.hex", MakeHexImage(3));
    const fs::path work = dir.Path() / "my fw";
    fs::create_directories(work);
    const std::string named = dir.Write("my fw/FW Image.hex", MakeHexImage(12));

    Trainer trainer;
    Launch launch = OnCom4(trainer);
    launch.program = (program / "crvlupd").string();
    launch.args.back() = "FW Image.hex";
    launch.cwd = work.string();
    EXPECT_EQ(Finish(launch), 0);
    EXPECT_EQ(trainer.Boot().Records(), ImageRecords(named));
    EXPECT_NE(ErrText().find("crvlupd: uploading " + named + " (556 bytes, 14 records)"),
              std::string::npos)
        << ErrText();

    // Not in the starting folder: not found, though one lies beside the
    // program, and nothing is sent.
    launch.cwd = dir.Path().string();
    EXPECT_EQ(Finish(launch), 1);
    EXPECT_NE(ErrText().find("crvlupd: [E4]: Cannot find " +
                             (dir.Path() / "FW Image.hex").string() + ".\n"),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(trainer.Boot().BootRequests(), 1);
}

TEST_F(UpdaterProgram, RefusedCommandLinesSendNothingAndEndWithTwo) {
    LineTerminal wire(LineTerminal::Mode::Record);
    ASSERT_TRUE(wire.Ok());
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-p4", image}, "crvlupd: unknown option '-p4'\n"},
        {{"-p12", image}, "crvlupd: unknown option '-p12'\n"},
        {{"-x", image}, "crvlupd: unknown option '-x'\n"},
        {{image, "-p3"}, "crvlupd: the image file must be the last word, not '" + image + "'\n"},
        {{"--port", "COM17", image}, "crvlupd: port COM17 is not one of COM1..COM16\n"},
    };
    for (const auto& [args, reason] : cases) {
        Launch launch;
        launch.args = args;
        for (const int n : {1, 3, 4, 5, 12})
            launch.env.push_back("CRVL_COM" + std::to_string(n) + "=" + wire.SlavePath());
        launch.errPath = errPath;
        EXPECT_EQ(Finish(launch), 2) << reason;
        EXPECT_EQ(ErrText(), reason +
                                 "Usage: crvlupd [-debug] [-p1 | -p2 | -p3 | --port COMn | --port "
                                 "PATH] [IMAGE.hex]\n");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(wire.Received().empty());
}

TEST_F(UpdaterProgram, HelpListsThePortsTheExitCodesAndTheHeadlessRun) {
    Launch launch;
    launch.args = {"--help"};
    launch.outPath = (dir.Path() / "stdout.txt").string();
    EXPECT_EQ(Finish(launch), 0);
    const std::string help = ReadFile(launch.outPath);
    for (const char* part :
         {"--port COMn", "--port PATH", "-p2           COM3", "-p3           COM4",
          "no display is needed", "Exit codes: 0", "2 the command line was refused"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

TEST_F(UpdaterProgram, PortsGoWhereTheyAreNamed) {
    // -p2 is COM3.
    Trainer com3;
    Launch launch = OnCom4(com3);
    launch.args.front() = "-p2";
    launch.env = {"CRVL_COM3=" + com3.Path()};
    EXPECT_EQ(Finish(launch), 0);
    EXPECT_EQ(com3.Boot().Records(), ImageRecords(image));
    // --port PATH opens that device.
    Trainer device;
    launch.args = {"--port", device.Path(), image};
    launch.env = {};
    EXPECT_EQ(Finish(launch), 0) << ErrText();
    EXPECT_EQ(device.Boot().Records(), ImageRecords(image));
    EXPECT_TRUE(ErrText().ends_with("crvlupd: the upload to " + device.Path() + " succeeded\n"));
}

TEST_F(UpdaterProgram, AFailureSaysWhyOnStandardError) {
    Trainer silent({"--boot-silent"});
    EXPECT_EQ(Finish(OnCom4(silent)), 1);
    EXPECT_NE(ErrText().find("crvlupd: Unable to get microcontroller into boot strap mode [E1]\n"),
              std::string::npos)
        << ErrText();
    EXPECT_TRUE(ErrText().ends_with(" failed\n")) << ErrText();

    Trainer eraseFails({"--erase-reply", "e"});
    EXPECT_EQ(Finish(OnCom4(eraseFails)), 1);
    EXPECT_NE(ErrText().find("crvlupd: Flash Erase error [E10]\n"), std::string::npos) << ErrText();
    EXPECT_TRUE(eraseFails.Boot().Records().empty());
    // The simulator does not call a failed erase an erase.
    EXPECT_NE(eraseFails.Log().find("not erased, reply 65"), std::string::npos);
    EXPECT_EQ(eraseFails.Log().find(" erased\n"), std::string::npos) << eraseFails.Log();
}

TEST_F(UpdaterProgram, MissingLoadersAreNamedAndNothingIsSent) {
    const fs::path program = dir.Path() / "program";
    fs::create_directories(program);
    fs::copy_file(kProgram, program / "crvlupd");
    Trainer trainer;
    Launch launch = OnCom4(trainer);
    launch.program = (program / "crvlupd").string();
    EXPECT_EQ(Finish(launch), 1);
    EXPECT_NE(ErrText().find("crvlupd: Loader image " + (program / "loaders").string()),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(trainer.Boot().BootRequests(), 0);
}

TEST_F(UpdaterProgram, ImagesTheLoaderWouldRefuseAreRefusedBeforeAnythingIsSent) {
    LineTerminal wire(LineTerminal::Mode::Record);
    ASSERT_TRUE(wire.Ok());
    const std::string end = ":00000001FF\n";
    const std::string data = ":0300300002337A1E\n";
    const std::pair<std::string, std::string> cases[] = {
        {end, "holds no data record"},
        {data, "has no end record (:00000001FF)"},
        {data + ":0300300002337A1F\n" + end, "line 2 has the checksum 1F where 1E adds up"},
        {data + ":03003G0002337A1E\n" + end, "line 2 holds 'G', which is not a hexadecimal digit"},
        {data + "0300300002337A1E\n" + end, "line 2 does not begin with ':'"},
        {data + ":0300300002337A1\n" + end, "line 2 has an odd number of digits"},
        {data + ":0400300002337A1E\n" + end, "line 2 says 4 data bytes but holds 3"},
        {data + "\n" + end, "line 2 is empty"},
        {data + end + data, "line 3 follows the end record of line 2"},
        {"", "is empty"},
        // Data at 0 and at 1 MiB: more than the flash holds.
        {data + ":020000040010EA\n" + data + end,
         "spans 1048579 bytes of flash, more than the 1048576 bytes the flash holds"},
    };
    for (const auto& [content, reason] : cases) {
        const std::string bad = dir.Write("bad.hex", content);
        Launch launch;
        launch.args = {"-p3", bad};
        launch.env = {"CRVL_COM4=" + wire.SlavePath()};
        launch.errPath = errPath;
        EXPECT_EQ(Finish(launch), 1) << reason;
        EXPECT_EQ(ErrText().find("crvlupd: " + bad + ": " + reason + "; nothing was sent.\n"), 0u)
            << ErrText();
    }
    Launch folder;
    folder.args = {"-p3", dir.Path().string()};
    folder.env = {"CRVL_COM4=" + wire.SlavePath()};
    folder.errPath = errPath;
    EXPECT_EQ(Finish(folder), 1);
    EXPECT_NE(ErrText().find("is a folder, not an image file; nothing was sent.\n"),
              std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(wire.Received().empty());
}

TEST_F(UpdaterProgram, AnUnknownChipAndWrongEchoesAreNamed) {
    Trainer unknown({"--flash", "unknown"});
    EXPECT_EQ(Finish(OnCom4(unknown)), 1);
    EXPECT_NE(ErrText().find("crvlupd: The Corvel's flash chip is not one the loaders serve "
                             "(manufacturer 001F, device 22D6). The Corvel is still in its boot "
                             "loader and needs a new upload.\n"),
              std::string::npos)
        << ErrText();

    Trainer echo({"--echo-mismatch", "5"});
    EXPECT_EQ(Finish(OnCom4(echo)), 0);
    EXPECT_TRUE(ErrText().ends_with(
        " succeeded, with 1 flash loader echo that differed from the bytes sent\n"))
        << ErrText();
}

TEST_F(UpdaterProgram, OneRunAtATimeOnAPortAndSideBySideOnTwo) {
    Trainer first;
    Trainer second;
    Launch a = OnCom4(first);
    Launch b = a;
    b.errPath = (dir.Path() / "b.txt").string();
    Launch other = OnCom4(second);
    other.args.front() = "--port=COM5";
    other.env = {"CRVL_COM5=" + second.Path()};
    other.errPath = (dir.Path() / "other.txt").string();
    const pid_t pa = Spawn(a);
    const pid_t pb = Spawn(b);
    const pid_t po = Spawn(other);
    const int ca = WaitFor(pa, std::chrono::seconds(60));
    const int cb = WaitFor(pb, std::chrono::seconds(60));
    EXPECT_EQ(WaitFor(po, std::chrono::seconds(60)), 0) << ReadFile(other.errPath);
    EXPECT_EQ(second.Boot().Records(), ImageRecords(image));
    // One of the two on COM4 uploaded; the other said why it did not.
    EXPECT_EQ(std::min(ca, cb), 0);
    EXPECT_EQ(std::max(ca, cb), 1);
    const std::string loser = ca == 1 ? ErrText() : ReadFile(b.errPath);
    EXPECT_EQ(loser, "crvlupd: another crvlupd is running on COM4 (" + first.Path() +
                         "); nothing was uploaded\n");
    EXPECT_EQ(first.Boot().Records(), ImageRecords(image));
}

TEST_F(UpdaterProgram, ADeadLineIsOneMessageWithItsPlace) {
    Trainer trainer({"--boot-hang-up", "20"});
    EXPECT_EQ(Finish(OnCom4(trainer)), 1);
    const std::string err = ErrText();
    EXPECT_EQ(Count(err, "[E2]"), 1) << err;
    EXPECT_NE(err.find("crvlupd: The line failed at record 20 of 32. The Corvel is still in its "
                       "boot loader and needs a new upload.\n"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Upload progress: 63 %\n"), std::string::npos) << err; // where it stopped
}

TEST_F(UpdaterProgram, APortThatCannotBeUsedIsNamedForWhatItIs) {
    Launch launch;
    launch.args = {"-p3", image};
    launch.errPath = errPath;
    launch.env = {"CRVL_COM4=/nonexistent/ttyUSB9"};
    EXPECT_EQ(Finish(launch), 1);
    EXPECT_NE(ErrText().find("crvlupd: There is no port COM4 (/nonexistent/ttyUSB9); nothing was "
                             "sent.\n"),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(ErrText().find("[E5]"), std::string::npos);

    // Held by another program: in use.
    Trainer trainer;
    const int held = ::open(trainer.Path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Finish(OnCom4(trainer)), 1);
    ::close(held);
    EXPECT_NE(ErrText().find("crvlupd: Unable to connect [E5] The comport might be in use by "
                             "another process\n"),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(trainer.Boot().BootRequests(), 0);
}

// The advice names a group only when that group may read and write the
// device: run as a user without access.
TEST_F(UpdaterProgram, AccessAdviceNamesAGroupOnlyWhereItHelps) {
    const passwd* nobody = ::getpwnam("nobody");
    const group* dialout = ::getgrnam("dialout");
    if (::getuid() != 0 || nobody == nullptr || dialout == nullptr)
        GTEST_SKIP() << "needs root, the user nobody and the group dialout";
    Trainer trainer;
    // The test's folder is root's: the user must read the image and write
    // its standard error there.
    fs::permissions(dir.Path(), fs::perms::all);
    Launch launch = OnCom4(trainer);
    launch.user = nobody->pw_uid;

    ASSERT_EQ(::chown(trainer.Path().c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(trainer.Path().c_str(), 0600), 0);
    EXPECT_EQ(Finish(launch), 1);
    EXPECT_NE(ErrText().find("crvlupd: You may not use " + trainer.Path() +
                             ": only its owner, root, may. Ask your administrator for access.\n"),
              std::string::npos)
        << ErrText();

    ASSERT_EQ(::chown(trainer.Path().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(trainer.Path().c_str(), 0660), 0);
    EXPECT_EQ(Finish(launch), 1);
    EXPECT_NE(ErrText().find("belongs to the group \"dialout\". Ask your administrator to add you "
                             "(sudo adduser $USER dialout)"),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(trainer.Boot().BootRequests(), 0);
}

TEST_F(UpdaterProgram, AnUploadStoppedDuringTheEchoCanBeRepeated) {
    Trainer trainer({"--record-reply", "3:1"});
    // Killed while the flash loader is echoed.
    const pid_t killed = Spawn(OnCom4(trainer));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (trainer.Boot().CurrentStage() != sim::BootloaderSim::Stage::FlashLoader &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::kill(killed, SIGKILL);
    WaitFor(killed, std::chrono::seconds(10));
    // Fails at record 3 (two records taken), then succeeds: the loader
    // counts the records of each session from the first.
    EXPECT_EQ(Finish(OnCom4(trainer)), 1);
    EXPECT_EQ(trainer.Boot().Records().size(), 2u);
    EXPECT_EQ(Finish(OnCom4(trainer)), 0) << ErrText();
    EXPECT_EQ(trainer.Boot().Records(), ImageRecords(image));
    EXPECT_NE(trainer.Log().find("end of file after 32 records"), std::string::npos)
        << trainer.Log();
}

TEST_F(UpdaterProgram, ASignalEndsTheRunAtOnceAndSaysWhereTheTrainerIsLeft) {
    Trainer trainer;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t pid = Spawn(OnCom4(trainer));
        const int before = trainer.Boot().BootRequests();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((trainer.Boot().BootRequests() == before ||
                trainer.Boot().CurrentStage() != sim::BootloaderSim::Stage::FlashLoader) &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto sent = std::chrono::steady_clock::now();
        ::kill(pid, signal);
        EXPECT_EQ(WaitFor(pid, std::chrono::seconds(5)), 1) << signal;
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(1)) << signal;
        const std::string err = ErrText();
        EXPECT_NE(err.find("crvlupd: the upload was stopped; the Corvel is left in its boot loader "
                           "and needs a new upload\n"),
                  std::string::npos)
            << err;
        EXPECT_TRUE(err.ends_with(" failed\n")) << err;
    }
    // The port was let go: the next run has it.
    EXPECT_EQ(Finish(OnCom4(trainer)), 0);
}

TEST_F(UpdaterProgram, SecondWindowHandsOverToTheFirstAndEnds) {
    const std::string key = "CRVL_INSTANCE_KEY=updtest-" + std::to_string(::getpid());
    Launch window;
    window.env = {key};
    window.window = true;
    const pid_t first = Spawn(window);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(WaitFor(Spawn(window), std::chrono::seconds(10)), 0);
    // The first is still running, waiting for its user.
    int status = 0;
    EXPECT_EQ(::waitpid(first, &status, WNOHANG), 0);
    ::kill(first, SIGTERM);
    WaitFor(first, std::chrono::seconds(10));
}

} // namespace
} // namespace crvl::update::test
