// The class debrief: the runs of one period, a column per trainer, from the
// session logs in one folder. A classroom's log is named after its trainer,
// "<trainer>_YYYY-MM-DD_HH-MM-SS[_n].csv"; a log without a trainer's name
// is crvlconfig's and counts as the trainer "crvlconfig". The figures of each
// run are those of its own debrief (MakeDebrief). Nothing here throws,
// prints or knows a window.
#pragma once

#include "config/session/session_read.h"

#include <compare>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

// The trainer a log without a trainer's name is counted under.
inline constexpr std::string_view kUnnamedTrainer = "crvlconfig";

// A local date and time to the second, as session file names hold it.
struct LocalStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const LocalStamp&) const = default;
};

// What a session file's name says.
struct SessionName {
    std::string trainer; // kUnnamedTrainer for crvlconfig's logs
    LocalStamp start;
    int run = 1; // "_2" for the second run of the same second
};

// Reads "<trainer>_YYYY-MM-DD_HH-MM-SS[_n].csv" or "YYYY-MM-DD_HH-MM-SS[_n].csv";
// nullopt for any other name.
std::optional<SessionName> ParseSessionName(const std::string& fileName);

// The runs that started from `from` to `to`, both included.
struct ClassPeriod {
    LocalStamp from, to;
};

struct FrameTime {
    std::string scenario, frame;
    double seconds = 0.0; // all the time the run spent in it
};

// A stretch in which the trainer was lost or had detached the tool: from
// that line to the next report, or to the end of the log.
struct Stretch {
    SessionEvent event = SessionEvent::Lost; // Lost or Detached
    double from = 0.0, to = 0.0;
};

struct ClassRun {
    std::filesystem::path file;
    SessionName name;
    Debrief debrief;                   // the run's own figures
    std::vector<FrameTime> frameTimes; // in the order first entered
    std::vector<Stretch> stretches;
    std::string problem;   // why reading stopped early; empty when the log was whole
    int stoppedAtLine = 0; // the line that stopped it (1-based); 0: none
    bool ended = false;    // the log has its end line (the monitor closed)
    // The frame the run ended in ("C1 03"); empty without a report.
    std::string endScenario, endFrame;
};

// Figures of one run.
ClassRun MakeClassRun(const std::filesystem::path& file, const SessionName& name,
                      const SessionRun& run);

// The runs of folder that started in period, by trainer name, then by start.
std::vector<ClassRun> ReadClassRuns(const std::filesystem::path& folder, const ClassPeriod& period);

} // namespace crvl
