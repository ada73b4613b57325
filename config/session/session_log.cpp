#include "config/session/session_log.h"

#include "base/utf8_files.h"

#include "config/core/monitor_logic.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>

namespace crvl {

namespace {

constexpr std::array<std::string_view, 7> kEventNames = {"start", "frame", "state",   "shock",
                                                         "lost",  "end",   "detached"};

std::string Hex(std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(code));
    return text;
}

std::string RhythmName(std::uint8_t code) {
    switch (code) {
    case 0:
        return "Sinus";
    case 1:
        return "VT";
    case 2:
        return "VF";
    case 3:
        return "Asystole";
    default:
        return Hex(code);
    }
}

std::string BatteryName(std::uint8_t code) {
    switch (code) {
    case 2:
        return "ok";
    case 1:
        return "low";
    case 0:
        return "depleted";
    default:
        return Hex(code);
    }
}

std::string YesNo(bool yes) {
    return yes ? "yes" : "no";
}

// RFC 4180: a field holding a comma, a quote or a line break is quoted, and
// its quotes doubled.
void AppendField(std::string& line, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (const char c : field) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

std::tm LocalTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

} // namespace

std::string_view SessionEventName(SessionEvent event) {
    return kEventNames[static_cast<std::size_t>(event)];
}

std::optional<SessionEvent> SessionEventFromName(std::string_view name) {
    for (std::size_t i = 0; i < kEventNames.size(); ++i) {
        if (kEventNames[i] == name)
            return static_cast<SessionEvent>(i);
    }
    return std::nullopt;
}

SessionFields FieldsForRecord(const MonitorRecord& r) {
    // The same readings as the monitor's lamps.
    return {ScenarioNumberText(r.scenario), FrameNumberText(r.frame), RhythmName(r.rhythm),
            YesNo(r.shockable == 1),        YesNo(r.pulse == 1),      YesNo(r.electrodes == 0),
            YesNo(r.motion != 0),           YesNo(r.failure != 0),    BatteryName(r.battery)};
}

std::string FormatSessionLine(const SessionLine& line) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", line.time);
    std::string text = time;
    const SessionFields& f = line.fields;
    for (const std::string_view field :
         {SessionEventName(line.event), std::string_view(f.scenario), std::string_view(f.frame),
          std::string_view(f.rhythm), std::string_view(f.shockable), std::string_view(f.pulse),
          std::string_view(f.pads), std::string_view(f.motion), std::string_view(f.failure),
          std::string_view(f.battery)}) {
        text += ',';
        AppendField(text, field);
    }
    return text;
}

std::string SessionFileName(std::chrono::system_clock::time_point start, int run) {
    const std::tm t = LocalTime(start);
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    if (const std::size_t used = std::strlen(name); run > 1)
        std::snprintf(name + used, sizeof name - used, "_%d", run);
    return std::string(name) + ".csv";
}

std::string TrainerFileStem(std::string_view trainerName) {
    std::string stem;
    for (const char c : trainerName) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = byte < 0x20 || byte == 0x7F ||
                            std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        stem += unsafe ? '-' : c;
    }
    const std::size_t first = stem.find_first_not_of(" .");
    if (first == std::string::npos)
        return {};
    return stem.substr(first, stem.find_last_not_of(" .") - first + 1);
}

std::string SessionFileName(std::chrono::system_clock::time_point start, int run,
                            std::string_view trainerName) {
    const std::string stem = TrainerFileStem(trainerName);
    const std::string name = SessionFileName(start, run);
    return stem.empty() ? name : stem + "_" + name;
}

SessionWriter::SessionWriter(SessionClock clock) : clock_(std::move(clock)) {}

SessionWriter::~SessionWriter() {
    End();
}

Status SessionWriter::Open(const std::filesystem::path& folder,
                           std::chrono::system_clock::time_point start,
                           std::string_view trainerName) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return Status::Error("cannot create " + Utf8FromPath(folder) + ": " + ec.message());
    }
    // A run that started in the same second as an earlier one gets the
    // next free number, so no file is ever overwritten.
    std::filesystem::path path;
    for (int run = 1;; ++run) {
        path = folder / SessionFileName(start, run, trainerName);
        if (!std::filesystem::exists(path, ec))
            break;
    }
    return OpenFile(path);
}

Status SessionWriter::OpenFile(const std::filesystem::path& file) {
    path_ = file;
    std::error_code ec;
    if (std::filesystem::exists(path_, ec)) {
        return Status::Error(Utf8FromPath(path_) + " exists already");
    }
    errno = 0;
    file_.open(path_, std::ios::binary | std::ios::out);
    if (!file_.is_open()) {
        const int err = errno;
        return Status::Error("cannot write " + Utf8FromPath(path_) +
                             (err ? ": " + std::string(std::strerror(err)) : ""));
    }
    opened_ = std::chrono::steady_clock::now();
    file_ << kSessionHeader << "\r\n";
    file_.flush();
    if (!file_) {
        file_.close();
        return Status::Error("cannot write " + Utf8FromPath(path_));
    }
    return Status::Ok();
}

double SessionWriter::Now() const {
    const auto elapsed = clock_ ? clock_()
                                : std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - opened_);
    return static_cast<double>(elapsed.count()) / 1000.0;
}

bool SessionWriter::Write(SessionEvent event) {
    if (!file_.is_open())
        return false;
    file_ << FormatSessionLine({Now(), event, last_}) << "\r\n";
    file_.flush();
    if (!file_) {
        error_ = "writing " + Utf8FromPath(path_) + " failed";
        file_.close();
        return false;
    }
    return true;
}

bool SessionWriter::Report(const MonitorRecord& record) {
    if (!file_.is_open())
        return false;
    SessionFields fields = FieldsForRecord(record);
    const std::optional<SessionEvent> event = ReportEvent(started_, last_, fields);
    if (!event)
        return true;
    started_ = true;
    last_ = std::move(fields);
    return Write(*event);
}

std::optional<SessionEvent> ReportEvent(bool started, const SessionFields& last,
                                        const SessionFields& now) {
    if (!started)
        return SessionEvent::Start;
    if (now == last)
        return std::nullopt;
    if (now.scenario != last.scenario || now.frame != last.frame)
        return SessionEvent::Frame;
    return SessionEvent::State;
}

bool SessionWriter::Shock() {
    return Write(SessionEvent::Shock);
}

bool SessionWriter::Lost() {
    return CutOff(SessionEvent::Lost);
}

bool SessionWriter::Detached() {
    return CutOff(SessionEvent::Detached);
}

bool SessionWriter::CutOff(SessionEvent event) {
    if (cutOff_)
        return file_.is_open();
    cutOff_ = true;
    return Write(event);
}

bool SessionWriter::End() {
    const bool written = Write(SessionEvent::End);
    if (file_.is_open())
        file_.close();
    return written;
}

} // namespace crvl
