// crvlupd as a program: unattended runs against the simulated trainer, their
// exit codes, and the single instance.

#include "tests/update/line_terminal.h"
#include "tests/update/temp_files.h"
#include "tools/trainersim/bootloader_attach.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crvl::update::test {
namespace {

const std::string kProgram = CRVL_BIN_DIR "/crvlupd";

// Starts crvlupd with extra environment entries, its standard error into
// errPath when given; returns its process id. Everything the child needs is
// built before the fork.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
            const std::string& errPath = {}) {
    std::vector<std::string> env = extraEnv;
    env.push_back("QT_QPA_PLATFORM=offscreen");
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {kProgram};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!errPath.empty()) {
            const int fd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(fd, 2);
        }
        ::execve(kProgram.c_str(), argv.data(), envp.data());
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
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

std::string InstanceKey() {
    static int n = 0;
    return "CRVL_INSTANCE_KEY=updtest-" + std::to_string(::getpid()) + "-" + std::to_string(++n);
}

class UpdaterProgram : public ::testing::Test {
protected:
    // An unattended run of -p3 (COM4) against a trainer with these switches.
    std::string ErrText() const {
        std::ifstream in(errPath);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    int RunAutomatic(std::vector<std::string> switches) {
        sim::SimOptions options;
        EXPECT_EQ(sim::ParseArguments(switches, options).message(), "");
        sim::TrainerSim trainer{options.config};
        EXPECT_EQ(trainer.Open().message(), "");
        auto boot = sim::AttachBootloader(trainer, options.config.bootloader);
        trainer.Start();
        const pid_t pid =
            Spawn({"-P3", image}, {"CRVL_COM4=" + trainer.SlavePath(), InstanceKey()}, errPath);
        const int code = WaitFor(pid, std::chrono::seconds(60));
        trainer.Stop();
        records = boot->Records().size();
        return code;
    }

    TempDir dir;
    // Capitals in the name: it must be found as typed.
    std::string image = dir.Write("FW.hex", MakeHexImage(30));
    std::string errPath = (dir.Path() / "stderr.txt").string();
    std::size_t records = 0;
};

TEST_F(UpdaterProgram, AutomaticRunEndsWithZeroOnSuccess) {
    EXPECT_EQ(RunAutomatic({}), 0);
    EXPECT_EQ(records, 32u);
    // Where the run stands, for a log.
    EXPECT_NE(ErrText().find("Upload progress: 0 %\n"), std::string::npos) << ErrText();
}

TEST_F(UpdaterProgram, AutomaticRunOnALineThatNeverGoesQuietEndsWithOne) {
    LineTerminal babbling(LineTerminal::Mode::Babble);
    ASSERT_TRUE(babbling.Ok());
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid =
        Spawn({"-p3", image}, {"CRVL_COM4=" + babbling.SlavePath(), InstanceKey()}, errPath);
    EXPECT_EQ(WaitFor(pid, std::chrono::seconds(60)), 1);
    // Break, a drain of at most a few seconds, and the program's own start.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(UpdaterProgram, AutomaticRunEndsWithOneOnAFault) {
    EXPECT_EQ(RunAutomatic({"--erase-reply", "e"}), 1);
    EXPECT_EQ(records, 0u);
}

TEST_F(UpdaterProgram, SecondStartHandsOverToTheFirstAndEnds) {
    const std::string key = InstanceKey();
    const pid_t first = Spawn({}, {key});
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const pid_t second = Spawn({}, {key});
    EXPECT_EQ(WaitFor(second, std::chrono::seconds(10)), 0);
    // An unattended second start uploads nothing, and says so.
    const pid_t automatic = Spawn({"-p3", image}, {key}, errPath);
    EXPECT_EQ(WaitFor(automatic, std::chrono::seconds(10)), 1);
    // (Qt may add its own warnings.)
    EXPECT_NE(ErrText().find("crvlupd: another crvlupd is running; nothing was uploaded\n"),
              std::string::npos)
        << ErrText();
    EXPECT_EQ(ErrText().find("Upload progress"), std::string::npos);
    // The first is still running, waiting for its user.
    int status = 0;
    EXPECT_EQ(::waitpid(first, &status, WNOHANG), 0);
    ::kill(first, SIGTERM);
    WaitFor(first, std::chrono::seconds(10));
}

} // namespace
} // namespace crvl::update::test
