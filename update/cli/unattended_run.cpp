#include "update/cli/unattended_run.h"

#include "base/utf8_files.h"

#include "serial/port_names.h"
#include "update/core/image_check.h"
#include "update/core/loader_images.h"
#include "update/core/port_lock.h"
#include "update/core/progress.h"
#include "update/core/text_format.h"

#include <cstdlib>

namespace crvl::update {
namespace {

constexpr const char* kPrefix = "crvlupd: ";

// A message of the box as one line: its own line ends become spaces.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

} // namespace

void MapPortDevice(const PortChoice& port) {
    if (port.device.empty()) {
        return;
    }
    const std::string name = "CRVL_COM" + std::to_string(port.number);
#if defined(_WIN32)
    _putenv_s(name.c_str(), port.device.c_str());
#else
    ::setenv(name.c_str(), port.device.c_str(), 1);
#endif
}

// The message box and the progress bar of an unattended run, on standard
// error. The run reports from the thread it runs on.
class UnattendedRun::StderrReporter : public UploadReporter {
public:
    StderrReporter(const UnattendedRun& run, int records) : run_(run) {
        progress_.Reset(records);
        Progress();
    }

    void AppendMessage(const std::string& text) override {
        if (const std::string line = OneLine(text); !line.empty()) {
            run_.Line(line);
        }
    }
    void DebugMessage(const std::string& text) override {
        if (run_.commandLine_.debug) {
            AppendMessage(text);
        }
    }
    void StepProgressLarge() override {
        progress_.StepLarge();
        Progress();
    }
    void StepProgressRecord(bool done) override {
        if (done) {
            progress_.MarkDone();
        } else {
            progress_.StepRecord();
        }
        Progress();
    }
    void EnableStartAndSearch() override {}
    void Finished(int) override {
        // The figure where the run ended, also within a second of the last.
        if (const auto line = log_.Last(progress_.Percent())) {
            Write(*line);
        }
    }

private:
    void Progress() {
        if (const auto line = log_.Update(progress_.Percent(), std::chrono::steady_clock::now())) {
            Write(*line);
        }
    }
    void Write(const std::string& line) const {
        std::fputs(line.c_str(), run_.err_);
        std::fflush(run_.err_);
    }

    const UnattendedRun& run_;
    ProgressModel progress_;
    ProgressLog log_;
};

UnattendedRun::UnattendedRun(const CommandLine& commandLine, std::filesystem::path programDir,
                             BootPortFactory& ports, std::FILE* err)
    : commandLine_(commandLine), programDir_(std::move(programDir)), ports_(ports), err_(err) {}

void UnattendedRun::Line(const std::string& text) const {
    std::fputs((kPrefix + text + "\n").c_str(), err_);
    std::fflush(err_);
}

void UnattendedRun::RequestStop() {
    stopped_.store(true);
    if (UploadWorker* worker = worker_.load()) {
        worker->RequestStop();
    }
}

int UnattendedRun::Run() {
    const PortChoice& port = commandLine_.port;
    MapPortDevice(port);
    const std::string device = PortDevicePath(port.number);
    const std::string portLabel =
        port.device.empty() ? Format("COM%d (%s)", port.number, device.c_str()) : device;

    // The name as typed, from the folder the run was started in.
    std::error_code ec;
    const std::filesystem::path typed = PathFromUtf8(commandLine_.automaticFile);
    const std::filesystem::path absolute = std::filesystem::absolute(typed, ec);
    const std::string image = ec ? Utf8FromPath(typed) : Utf8FromPath(absolute.lexically_normal());

    const PortLock lock(device);
    if (!lock.Held()) {
        Line("another crvlupd is running on " + portLabel + "; nothing was uploaded");
        return 1;
    }
    const int result = Upload(image, portLabel);
    if (stopped_.load()) {
        // A signal or the caller stopped the run: the port is closed; say
        // what the trainer is left with.
        Line(left_ == TrainerLeft::InBootLoader
                 ? "the upload was stopped; the Corvel is left in its boot loader and needs a new "
                   "upload"
                 : "the upload was stopped");
    }
    std::string outcome = "the upload to " + portLabel + (result == 0 ? " succeeded" : " failed");
    if (echoMismatches_ > 0) {
        outcome += Format(", with %d flash loader %s that differed from the bytes sent",
                          echoMismatches_, echoMismatches_ == 1 ? "echo" : "echoes");
    }
    Line(outcome);
    return result;
}

int UnattendedRun::Upload(const std::string& image, const std::string& portLabel) {
    Result<LoaderImages> loaders = LoadLoaderImages(Utf8FromPath(programDir_ / kLoaderDir));
    if (!loaders.ok()) {
        Line(OneLine(loaders.message()) + "; nothing was sent");
        return 1;
    }
    const Result<ImageSummary> checked = CheckImage(image);
    if (!checked.ok()) {
        Line(OneLine(checked.message()));
        return 1;
    }
    Line(Format("uploading %s (%llu bytes, %d records) to %s", image.c_str(),
                static_cast<unsigned long long>(checked.value().bytes), checked.value().records,
                portLabel.c_str()));

    StderrReporter reporter(*this, checked.value().records);
    UploadSettings runSettings = settings;
    runSettings.imageName = image;
    runSettings.portNumber = commandLine_.port.number;
    UploadWorker worker(ports_, reporter, loaders.value(), runSettings);
    worker_.store(&worker);
    if (stopped_.load()) {
        worker.RequestStop();
    }
    const int result = worker.Run();
    worker_.store(nullptr);
    echoMismatches_ = worker.EchoMismatches();
    left_ = worker.Left();
    return result;
}

} // namespace crvl::update
