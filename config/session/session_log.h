// The session log: every change a scenario monitor sees, appended to a CSV
// file as it happens and flushed line by line, so that a crash or a pulled
// adapter loses at most the line being written. docs/session-log.md
// describes the file.
//
// Use:
//   SessionWriter log;
//   if (Status s = log.Open("sessions"); !s.ok()) show(s.message()); // runs on
//   log.Report(record);   // every MonitorReport; writes only what changed
//   log.Shock();          // every ShockEvent
//   log.Lost();           // the trainer stopped answering, or the line failed
//   log.Detached();       // the trainer detached the tool (its own controls)
//   log.End();            // the monitor closes (also done by the destructor)
// Nothing here throws, prints or knows a window.
#pragma once

#include "base/status.h"
#include "protocol/trainer_messages.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace crvl {

// The first line of every session file.
inline constexpr std::string_view kSessionHeader =
    "time_s,event,scenario,frame,rhythm,shockable,pulse,pads,motion,failure,battery";
inline constexpr int kSessionColumns = 11;

enum class SessionEvent {
    Start,    // the first report of the run
    Frame,    // the scenario or the frame number changed
    State,    // a condition changed within the frame
    Shock,    // the trainer delivered a shock
    Lost,     // the trainer stopped answering or the line failed
    End,      // the monitor closed
    Detached, // the trainer detached the tool (its remote control or buttons)
};

// "start", "frame", "state", "shock", "lost", "end", "detached".
std::string_view SessionEventName(SessionEvent event);
std::optional<SessionEvent> SessionEventFromName(std::string_view name);

// The columns after the event, as the file holds them: scenario and frame as
// the monitor shows them ("C2", "03"), the rhythm by name ("Sinus", "VT",
// "VF", "Asystole", else its code as "0x07"), yes/no, and the battery as
// "ok", "low", "depleted" (else its code as "0x05"). All empty before the
// first report.
struct SessionFields {
    std::string scenario, frame, rhythm, shockable, pulse, pads, motion, failure, battery;
    bool Empty() const { return scenario.empty(); }
    bool operator==(const SessionFields&) const = default;
};

SessionFields FieldsForRecord(const MonitorRecord& record);

struct SessionLine {
    double time = 0.0; // seconds since the monitor opened
    SessionEvent event = SessionEvent::Start;
    SessionFields fields;
    bool operator==(const SessionLine&) const = default;
};

// The event a report writes after the fields of the last line (nullopt
// when it shows nothing new): start for the first, frame when the scenario
// or frame changed, else state.
std::optional<SessionEvent> ReportEvent(bool started, const SessionFields& last,
                                        const SessionFields& now);

// One line of the file, without its CR LF; fields are quoted when needed.
std::string FormatSessionLine(const SessionLine& line);

// "YYYY-MM-DD_HH-MM-SS.csv" in local time; a second run in the same second
// gets "_2", then "_3", ...
std::string SessionFileName(std::chrono::system_clock::time_point start, int run = 1);
// A classroom's run: "<trainer>_YYYY-MM-DD_HH-MM-SS.csv" ("_2", ... as above),
// the trainer's name made safe for a file name (TrainerFileStem); a name
// that leaves nothing gives the plain name above.
std::string SessionFileName(std::chrono::system_clock::time_point start, int run,
                            std::string_view trainerName);
// The name with each of < > : " / \ | ? * and every control character
// replaced by '-', and leading and trailing blanks and dots removed.
std::string TrainerFileStem(std::string_view trainerName);

// Time since the run began. The default counts on the steady clock from Open.
using SessionClock = std::function<std::chrono::milliseconds()>;

class SessionWriter {
public:
    explicit SessionWriter(SessionClock clock = {});
    ~SessionWriter(); // writes the end line of an open log
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    // Creates folder when missing and a new file in it named by start, and
    // writes the header. When that fails the other calls do nothing.
    // A classroom names the file after the trainer (trainerName).
    Status Open(const std::filesystem::path& folder,
                std::chrono::system_clock::time_point start = std::chrono::system_clock::now(),
                std::string_view trainerName = {});
    // Creates this file (never one that exists) and writes the header.
    Status OpenFile(const std::filesystem::path& file);

    // Each returns false once the log is not being written (never opened,
    // or a write failed: Error() then says why). Report writes start, frame or
    // state when what it shows differs from the last line, else nothing.
    bool Report(const MonitorRecord& record);
    bool Shock();
    // Lost and Detached end the run's events: once per run, and after one
    // of them the other writes nothing either.
    bool Lost();
    bool Detached();
    bool End(); // closes the file; later calls write nothing

    bool Recording() const { return file_.is_open(); }
    const std::string& Error() const { return error_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    bool Write(SessionEvent event);
    bool CutOff(SessionEvent event);
    double Now() const;

    SessionClock clock_;
    std::chrono::steady_clock::time_point opened_{};
    std::ofstream file_;
    std::filesystem::path path_;
    std::string error_;
    SessionFields last_;
    bool started_ = false;
    bool cutOff_ = false; // lost or detached written
};

} // namespace crvl
