// crvlctl as a child process: its output read while it runs or after it
// ended, its exit code, and a simulated trainer in this process whose log
// and state the tests look at.
#pragma once

#include "tests/monitor/scenario_text.h"
#include "tools/trainersim/trainer_sim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <sys/types.h>

namespace crvl::cli::test {

using namespace std::chrono_literals;

struct CtlResult {
    int code = -1; // -1: did not end in time (then killed)
    std::string out;
    std::string err;
};

class CtlProcess {
public:
    // Starts build/bin/crvlctl with args; extraEnv entries are NAME=VALUE.
    // A runner (a program and its arguments, such as setpriv) starts it
    // instead, with the program's path and args behind its own arguments.
    explicit CtlProcess(const std::vector<std::string>& args,
                        const std::vector<std::string>& extraEnv = {},
                        const std::vector<std::string>& runner = {});
    ~CtlProcess();
    CtlProcess(const CtlProcess&) = delete;
    CtlProcess& operator=(const CtlProcess&) = delete;

    // One line of standard output (without its newline); empty on time-out.
    std::string ReadLine(std::chrono::milliseconds timeout = 15s);
    void Signal(int signal);
    // Waits for the end and collects what is left of both streams.
    CtlResult Finish(std::chrono::milliseconds timeout = 30s);

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    std::string out_;
};

// Runs crvlctl to its end.
CtlResult RunCtl(const std::vector<std::string>& args,
                 const std::vector<std::string>& extraEnv = {},
                 const std::vector<std::string>& runner = {});

// A simulated trainer on a pseudo-terminal of its own, with the log of what
// it received.
class Trainer {
public:
    explicit Trainer(const std::vector<std::string>& switches = {});
    ~Trainer();

    const std::string& Path() const { return sim_->SlavePath(); }
    // The log so far, one line per entry ("rx ReadParameters [65 05]").
    std::vector<std::string> Log() const;
    // The log lines of received messages, by name ("ReadParameters").
    std::vector<std::string> Received() const;

    // Runs fn on the simulator's thread and returns its result.
    template <typename Fn> auto Query(Fn fn) {
        std::promise<decltype(fn(*sim_))> answer;
        auto result = answer.get_future();
        sim_->Post([&] { answer.set_value(fn(*sim_)); });
        return result.get();
    }
    ParameterRecord Parameters() {
        return Query([](sim::TrainerSim& s) { return s.Model().parameters; });
    }
    SlotInfo Slot(int n) {
        return Query([n](sim::TrainerSim& s) { return s.Model().slots[n - 1]; });
    }
    bool Attached() {
        return Query([](sim::TrainerSim& s) { return s.Model().attached; });
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> log_;
    std::unique_ptr<sim::TrainerSim> sim_;
};

// A folder of its own for one test, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

} // namespace crvl::cli::test
