// Reading session logs back: one file into its lines, a folder into its
// runs (newest first), and a run into the figures of its debrief.
// A damaged file gives every line before the damage and says which line
// stopped the reading. Nothing here throws, prints or knows a window.
#pragma once

#include "config/session/session_log.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

struct SessionRun {
    std::vector<SessionLine> lines; // every line read, in file order
    int stoppedAtLine = 0;          // 1-based line of the file that stopped the reading; 0: none
    std::string problem;            // why it stopped (or why the file could not be read)
    bool Complete() const { return problem.empty(); }
};

// Parses a whole file's text (CR LF or LF line ends).
SessionRun ParseSession(std::string_view text);
SessionRun ReadSession(const std::filesystem::path& path);

// The .csv files of folder, newest run first (by the start time in their
// names; "_2" after the first run of the same second).
std::vector<std::filesystem::path> ListSessions(const std::filesystem::path& folder);

struct DebriefFrame {
    std::string scenario, frame;
    double entered = 0.0;  // seconds since the monitor opened
    double duration = 0.0; // time spent in the frame
};

struct DebriefShock {
    double time = 0.0;
    std::string scenario, frame; // where it was delivered (empty before the first report)
};

struct Debrief {
    double length = 0.0; // time of the last line
    std::vector<DebriefFrame> frames;
    std::vector<DebriefShock> shocks;
    // From the first line of the scenario in which the first shock was
    // delivered; empty without a shock.
    std::optional<double> timeToFirstShock;
    bool lost = false;     // the run ended because the trainer was lost
    bool detached = false; // the run ended because the trainer detached the tool
};

// Frames in order: every start and frame line opens one, which lasts until
// the next, or until the line was lost, the trainer detached the tool or
// the monitor closed.
Debrief MakeDebrief(const SessionRun& run);

// A time as the debrief shows it: "23.3 s" below a minute, "1:23.3" from
// one minute on.
std::string DebriefTime(double seconds);

} // namespace crvl
