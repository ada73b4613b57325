// The trainersim program as a user runs it: first line the terminal, frames
// logged on standard error, commands on standard input, ends with its input.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/trainer_link.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

const std::string kProgram = std::string(CRVL_BIN_DIR) + "/trainersim";

// A child process with pipes on its three standard streams.
class Child {
public:
    explicit Child(const std::vector<std::string>& args) {
        int in[2], out[2], err[2];
        // Close-on-exec, so that the child holds no copy of the parent's ends
        // (it would never see the end of its input).
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(kProgram.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, kProgram.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        stderr_ = err[0];
    }
    ~Child() {
        CloseInput();
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(stdout_);
        ::close(stderr_);
    }

    bool Started() const { return pid_ > 0; }
    void Write(const std::string& text) {
        ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void CloseInput() {
        if (stdin_ >= 0)
            ::close(stdin_);
        stdin_ = -1;
    }
    // Reads a line of standard output (without its newline).
    std::string ReadLine(std::chrono::milliseconds timeout = 5s) {
        std::string line;
        const auto end = std::chrono::steady_clock::now() + timeout;
        char c = 0;
        while (std::chrono::steady_clock::now() < end) {
            struct pollfd p {
                stdout_, POLLIN, 0
            };
            if (::poll(&p, 1, 50) > 0) {
                if (::read(stdout_, &c, 1) != 1)
                    break;
                if (c == '\n')
                    return line;
                line += c;
            }
        }
        return line;
    }
    // Everything on standard error until it closes (or a time-out).
    std::string ReadErrors(std::chrono::milliseconds timeout = 5s) {
        std::string text;
        char chunk[512];
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            struct pollfd p {
                stderr_, POLLIN, 0
            };
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(stderr_, chunk, sizeof chunk);
            if (n <= 0)
                break;
            text.append(chunk, static_cast<std::size_t>(n));
        }
        return text;
    }
    // Waits for the exit; -1 when it does not end in time.
    int Wait(std::chrono::milliseconds timeout = 5s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
};

TEST(TrainersimProgram, ServesTheLinkAndEndsWithItsInput) {
    const std::string link = "/tmp/crvl-trainersim-test-" + std::to_string(::getpid());
    Child sim({"--link", link});
    ASSERT_TRUE(sim.Started());
    const std::string terminal = sim.ReadLine();
    EXPECT_EQ(terminal.rfind("/dev/pts/", 0), 0u) << terminal;
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), terminal);

    ::setenv("CRVL_COM5", link.c_str(), 1);
    crvl::LinkOptions options;
    options.serial.readTimeoutMs = 50;
    crvl::TrainerLink trainer(options);
    std::atomic<int> notes{0};
    ASSERT_EQ(trainer.Open(5, [&] { ++notes; }), 1);
    trainer.Send(crvl::MakeReadParameters());
    for (int i = 0; i < 300 && notes.load() == 0; ++i)
        std::this_thread::sleep_for(10ms);
    crvl::Bytes reply(crvl::kMaxPayload);
    reply.resize(trainer.Receive(reply.data()));
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[0], crvl::msg::kParametersReply);

    sim.Write("delay 5\n");
    EXPECT_EQ(sim.ReadLine(), "delay 5 ms");
    sim.Write("no-such-command\n");
    EXPECT_EQ(sim.ReadLine(), "unknown command 'no-such-command' (try 'help')");

    trainer.Close();
    ::unsetenv("CRVL_COM5");
    sim.CloseInput();
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_NE(sim.ReadErrors().find("rx ReadParameters [65 05]\n"), std::string::npos);
    struct stat st;
    EXPECT_NE(::lstat(link.c_str(), &st), 0); // the link is gone
}

// A link on COM5 to path that has sent ReadParameters and got its answer;
// empty when the trainer did not answer.
std::unique_ptr<crvl::TrainerLink> Handshake(const std::string& path) {
    ::setenv("CRVL_COM5", path.c_str(), 1);
    crvl::LinkOptions options;
    options.serial.readTimeoutMs = 50;
    auto trainer = std::make_unique<crvl::TrainerLink>(options);
    // The link outlives this function and may still notify.
    auto notes = std::make_shared<std::atomic<int>>(0);
    const int opened = trainer->Open(5, [notes] { ++*notes; });
    ::unsetenv("CRVL_COM5");
    if (opened != 1)
        return nullptr;
    trainer->Send(crvl::MakeReadParameters());
    for (int i = 0; i < 300 && notes->load() == 0; ++i)
        std::this_thread::sleep_for(10ms);
    crvl::Bytes reply(crvl::kMaxPayload);
    reply.resize(trainer->Receive(reply.data()));
    if (reply.size() != 11u || reply[0] != crvl::msg::kParametersReply)
        return nullptr;
    return trainer;
}

TEST(TrainersimProgram, SeveralTrainersWithLinksThatComeAndGo) {
    namespace fs = std::filesystem;
    const fs::path dir = "/tmp/crvl-trainersim-class-" + std::to_string(::getpid());
    Child sim({"--count", "3", "--link-dir", dir.string()});
    ASSERT_TRUE(sim.Started());
    std::vector<std::string> links;
    for (int n = 1; n <= 3; ++n)
        links.push_back(sim.ReadLine());
    EXPECT_EQ(links[0], (dir / "usb-Corvel_Trainer_SIM0001-if00-port0").string());
    EXPECT_EQ(links[2], (dir / "usb-Corvel_Trainer_SIM0003-if00-port0").string());
    for (const std::string& link : links)
        EXPECT_NE(Handshake(link), nullptr) << link;

    // Unplugged: the link goes and the program's open port hangs up.
    auto second = Handshake(links[1]);
    ASSERT_NE(second, nullptr);
    sim.Write("2 unplug\n");
    EXPECT_EQ(sim.ReadLine(), "unplugged");
    EXPECT_FALSE(fs::exists(fs::symlink_status(links[1])));
    for (int i = 0; i < 300 && !second->LineDead(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(second->LineDead());
    second->Close();

    // Plugged in again: a new terminal behind the same link.
    sim.Write("2 plug\n");
    EXPECT_EQ(sim.ReadLine().rfind("plugged in at /dev/pts/", 0), 0u);
    EXPECT_NE(Handshake(links[1]), nullptr);

    // A command without a number goes to each trainer.
    sim.Write("delay 0\n");
    EXPECT_EQ(sim.ReadLine(), "1: delay 0 ms");
    EXPECT_EQ(sim.ReadLine(), "2: delay 0 ms");
    EXPECT_EQ(sim.ReadLine(), "3: delay 0 ms");

    sim.CloseInput();
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(dir);
}

TEST(TrainersimProgram, HelpAndBadOptions) {
    Child help({"--help"});
    ASSERT_TRUE(help.Started());
    EXPECT_EQ(help.ReadLine(), "Usage: trainersim [options]");
    EXPECT_EQ(help.Wait(), 0);

    Child bad({"--frobnicate"});
    ASSERT_TRUE(bad.Started());
    EXPECT_EQ(bad.Wait(), 2);
    EXPECT_NE(bad.ReadErrors().find("unknown option --frobnicate"), std::string::npos);

    Child both({"--count", "2", "--link", "/tmp/x"});
    ASSERT_TRUE(both.Started());
    EXPECT_EQ(both.Wait(), 2);
    EXPECT_NE(both.ReadErrors().find("use --link-dir with --count"), std::string::npos);
}

} // namespace
