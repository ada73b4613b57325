#include "tests/cli/ctl_process.h"

#include "tools/trainersim/sim_options.h"

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace crvl::cli::test {

namespace {

const std::string kProgram = CRVL_BIN_DIR "/crvlctl";

// Reads what the stream holds within the wait; false once it has closed.
bool ReadSome(int fd, std::string& into, int waitMs) {
    struct pollfd p {
        fd, POLLIN, 0
    };
    if (::poll(&p, 1, waitMs) <= 0)
        return true;
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0)
        return false;
    into.append(chunk, static_cast<std::size_t>(n));
    return true;
}

} // namespace

CtlProcess::CtlProcess(const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnv,
                       const std::vector<std::string>& runner) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return;
    std::vector<std::string> env = extraEnv;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (const std::string& r : runner)
        argv.push_back(const_cast<char*>(r.c_str()));
    argv.push_back(const_cast<char*>(kProgram.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid_ = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    stdout_ = out[0];
    stderr_ = err[0];
}

CtlProcess::~CtlProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(stdout_);
    ::close(stderr_);
}

std::string CtlProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (out_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
        if (!ReadSome(stdout_, out_, 50))
            break;
    }
    const auto eol = out_.find('\n');
    if (eol == std::string::npos)
        return {};
    std::string line = out_.substr(0, eol);
    out_.erase(0, eol + 1);
    return line;
}

void CtlProcess::Signal(int signal) {
    if (pid_ > 0)
        ::kill(pid_, signal);
}

CtlResult CtlProcess::Finish(std::chrono::milliseconds timeout) {
    CtlResult result;
    const auto end = std::chrono::steady_clock::now() + timeout;
    bool outOpen = true;
    bool errOpen = true;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < end) {
        if (outOpen)
            outOpen = ReadSome(stdout_, out_, 20);
        if (errOpen)
            errOpen = ReadSome(stderr_, result.err, 20);
    }
    result.out = out_;
    out_.clear();
    while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    return result;
}

CtlResult RunCtl(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
                 const std::vector<std::string>& runner) {
    CtlProcess ctl(args, extraEnv, runner);
    return ctl.Finish();
}

Trainer::Trainer(const std::vector<std::string>& switches) {
    sim::SimOptions options;
    EXPECT_EQ(sim::ParseArguments(switches, options).message(), "");
    sim_ = std::make_unique<sim::TrainerSim>(options.config, [this](const std::string& line) {
        const std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back(line);
    });
    EXPECT_EQ(sim_->Open().message(), "");
    sim_->Start();
}

Trainer::~Trainer() {
    sim_->Stop();
}

std::vector<std::string> Trainer::Log() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<std::string> Trainer::Received() const {
    std::vector<std::string> names;
    for (const std::string& line : Log()) {
        if (line.starts_with("rx ") && line.find(" [") != std::string::npos)
            names.push_back(line.substr(3, line.find(" [") - 3));
    }
    return names;
}

TempDir::TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("crvlctl-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file.string();
}

} // namespace crvl::cli::test
