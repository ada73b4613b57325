#pragma once

// Checks of a scenario before class: what in its state table (and, for the
// builder, its drawing) would surprise the instructor on the trainer. The
// checks return findings and never print; check_text.h turns a finding into
// a sentence, in English or through a language table.

#include "protocol/trainer_messages.h"

#include <array>
#include <string>
#include <vector>

namespace crvl::scenario {

enum class Severity {
    Error,   // the trainer would misbehave (spin, jump into nothing)
    Warning, // part of the scenario does nothing or never happens
    Note,    // often intended, but worth knowing
};

enum class Event { None, Shock, Cpr, Time };

enum class FindingKind {
    Unreachable,            // warning: no chain of events leads from Frame0 to the frame
    EventNotConnected,      // warning: an output holds an event but has no connection
    ConnectionWithoutEvent, // warning: an output has a connection but no event
    LeadsToUnusedRow,       // error: an event leads to a row no frame uses
    LeadsOutsideTable,      // error: an event names a row beyond the 20 of the table
    ZeroTimeLoop,           // error: 0 s time events lead round in a circle
    NoRhythm,               // warning: the frame's row leaves the ECG rhythm unset
    EndFrame,               // note: no event leads out of the frame
    ShockNotShockable,      // note: a shock event in a frame whose rhythm is not shockable
    FrameOutsideTable,      // error: a drawn frame's number is 20 or more
};

struct Finding {
    FindingKind kind = FindingKind::Unreachable;
    Severity severity = Severity::Warning;
    int frame = -1; // row of the frame concerned
    int output = 0; // output box 1..3 in a drawing, 0 when not known
    Event event = Event::None;
    std::string key;               // text key, see check_text.h
    std::vector<std::string> args; // %1, %2, ... of the text

    bool operator==(const Finding&) const = default;
};

// What a drawing knows beyond the table: which frames exist (a frame with no
// actions and no events leaves its row looking unused), their names, and
// the outputs whose event or connection the table cannot show.
struct DrawnOutput {
    Event event = Event::None; // None for an empty box
    bool connected = false;

    bool operator==(const DrawnOutput&) const = default;
};

struct DrawnFrame {
    int row = 0;      // the frame's row in the table the generator writes
    std::string name; // as the user sees it, e.g. "Frame3"
    std::array<DrawnOutput, 3> outputs;

    bool operator==(const DrawnFrame&) const = default;
};

struct Drawing {
    std::vector<DrawnFrame> frames;

    bool operator==(const Drawing&) const = default;
};

// Checks a table on its own (as read from a scenario file): the frames are
// row 0 and every row with a cell set; they are named "Frame" + row.
std::vector<Finding> CheckTable(const ScenarioTable& table);

// Checks the table a drawing generates, with the drawing's frames and names.
std::vector<Finding> CheckDrawing(const ScenarioTable& table, const Drawing& drawing);

// Findings come ordered by frame, then by kind.
int CountOf(const std::vector<Finding>& findings, Severity severity);
// Errors and warnings are problems; notes are not ("No problems found." may
// stand above notes).
bool HasProblems(const std::vector<Finding>& findings);

} // namespace crvl::scenario
