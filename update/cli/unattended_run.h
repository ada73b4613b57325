#pragma once

#include "update/core/boot_port.h"
#include "update/core/command_line.h"
#include "update/core/upload_worker.h"

#include <cstdio>
#include <filesystem>

namespace crvl::update {

// A device path given with --port stands for its port number: the port
// layer finds it through the variable that maps COMn to a device.
void MapPortDevice(const PortChoice& port);

// The unattended upload of `crvlupd IMAGE.hex`, without a window: every
// message the dialog's box would show goes to `err` as one line, the
// progress as "Upload progress: N %" lines, and the last line says the
// result. Before anything is sent it names the image (full path, size,
// records) and refuses one that the loader could not take. One run at a
// time uses a port. The image name is taken from the working directory;
// programDir holds the loaders. Returns the exit code: 0 success, 1 failure.
class UnattendedRun {
public:
    UnattendedRun(const CommandLine& commandLine, std::filesystem::path programDir,
                  BootPortFactory& ports, std::FILE* err);

    // Time-outs and hold times; tests shorten them.
    UploadSettings settings;

    int Run();

    // From any thread, or a signal handler (it only stores to lock-free
    // atomics): the run stops as Quit would, the port is closed, and the
    // run ends with 1 after a line that says where the trainer was left.
    void RequestStop();

private:
    class StderrReporter;

    int Upload(const std::string& image, const std::string& portLabel);
    void Line(const std::string& text) const;

    CommandLine commandLine_;
    std::filesystem::path programDir_;
    BootPortFactory& ports_;
    std::FILE* err_;
    std::atomic<UploadWorker*> worker_{nullptr};
    StopFlag stopped_{false};
    int echoMismatches_ = 0;
    TrainerLeft left_ = TrainerLeft::Untouched;
};

} // namespace crvl::update
