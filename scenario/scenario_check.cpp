#include "scenario/scenario_check.h"

#include "scenario/table_columns.h"

#include <algorithm>
#include <map>
#include <optional>

namespace crvl::scenario {

namespace {

struct EventCells {
    Event event;
    std::size_t trigger;
    std::size_t next;
    const char* nameKey;
};

constexpr std::array<EventCells, 3> kEvents = {{
    {Event::Shock, cell::kShockCount, cell::kShockNext, "checkShockEventText"},
    {Event::Cpr, cell::kCpr, cell::kCprNext, "checkCprEventText"},
    {Event::Time, cell::kTime, cell::kTimeNext, "checkTimeEventText"},
}};

// The frames being checked: row -> what the drawing (or the table) says.
struct Frames {
    std::map<int, DrawnFrame> byRow;

    bool Has(int row) const { return byRow.count(row) != 0; }
    std::string Name(int row) const {
        const auto it = byRow.find(row);
        return it != byRow.end() ? it->second.name : "Frame" + std::to_string(row);
    }
    int OutputOf(int row, Event event) const {
        const auto it = byRow.find(row);
        if (it == byRow.end())
            return 0;
        for (std::size_t k = 0; k < it->second.outputs.size(); ++k)
            if (it->second.outputs[k].event == event)
                return static_cast<int>(k) + 1;
        return 0;
    }
};

// The row an event of this row leads to, when the event is set and names one.
std::optional<std::uint8_t> NextOf(const ScenarioTable& table, int row, const EventCells& e) {
    const auto r = static_cast<std::size_t>(row);
    if (table.At(r, e.trigger) == cell::kUnset)
        return std::nullopt;
    const std::uint8_t next = table.At(r, e.next);
    if (next == cell::kUnset)
        return std::nullopt;
    return next;
}

class Checker {
public:
    Checker(const ScenarioTable& table, Frames frames)
        : table_(table), frames_(std::move(frames)) {}

    std::vector<Finding> Run() {
        for (const auto& [row, frame] : frames_.byRow) {
            if (row >= static_cast<int>(ScenarioTable::kRows)) {
                Add(FindingKind::FrameOutsideTable, Severity::Error, row, 0, Event::None,
                    "checkFrameOutsideTableText", {frame.name});
                continue;
            }
            CheckOutputs(frame);
            CheckEvents(row);
            CheckZeroTime(row);
            CheckFrameRow(row);
        }
        CheckReachable();
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             if (a.frame != b.frame)
                                 return a.frame < b.frame;
                             return a.kind < b.kind;
                         });
        return std::move(findings_);
    }

private:
    bool InTable(int row) const { return row >= 0 && row < int(ScenarioTable::kRows); }

    void Add(FindingKind kind, Severity severity, int frame, int output, Event event,
             const char* key, std::vector<std::string> args) {
        findings_.push_back(Finding{kind, severity, frame, output, event, key, std::move(args)});
    }

    void CheckOutputs(const DrawnFrame& frame) {
        for (std::size_t k = 0; k < frame.outputs.size(); ++k) {
            const DrawnOutput& out = frame.outputs[k];
            const int output = static_cast<int>(k) + 1;
            if (out.event != Event::None && !out.connected)
                Add(FindingKind::EventNotConnected, Severity::Warning, frame.row, output, out.event,
                    "checkEventNotConnectedText", {frame.name, std::to_string(output)});
            else if (out.event == Event::None && out.connected)
                Add(FindingKind::ConnectionWithoutEvent, Severity::Warning, frame.row, output,
                    Event::None, "checkConnectionWithoutEventText",
                    {frame.name, std::to_string(output)});
        }
    }

    void CheckEvents(int row) {
        for (const EventCells& e : kEvents) {
            const auto next = NextOf(table_, row, e);
            if (!next)
                continue;
            const int output = frames_.OutputOf(row, e.event);
            if (!IsFrame(*next))
                Add(FindingKind::LeadsOutsideTable, Severity::Error, row, output, e.event,
                    "checkOutsideTableText", {frames_.Name(row), e.nameKey, std::to_string(*next)});
            else if (!frames_.Has(*next))
                Add(FindingKind::LeadsToUnusedRow, Severity::Error, row, output, e.event,
                    "checkUnusedRowText", {frames_.Name(row), e.nameKey, std::to_string(*next)});
        }
    }

    // A 0 s time event moves on at once; following such events from this
    // frame must end in a frame that stays.
    void CheckZeroTime(int row) {
        std::vector<bool> seen(ScenarioTable::kRows, false);
        int at = row;
        while (InTable(at) && table_.At(std::size_t(at), cell::kTime) == 0) {
            if (seen[std::size_t(at)]) {
                Add(FindingKind::ZeroTimeLoop, Severity::Error, row,
                    frames_.OutputOf(row, Event::Time), Event::Time, "checkZeroTimeLoopText",
                    {frames_.Name(row)});
                return;
            }
            seen[std::size_t(at)] = true;
            const std::uint8_t next = table_.At(std::size_t(at), cell::kTimeNext);
            if (!IsFrame(next))
                return;
            at = next;
        }
    }

    void CheckFrameRow(int row) {
        const auto r = static_cast<std::size_t>(row);
        if (table_.At(r, cell::kRhythm) == cell::kUnset)
            Add(FindingKind::NoRhythm, Severity::Warning, row, 0, Event::None, "checkNoRhythmText",
                {frames_.Name(row)});
        bool wayOut = false;
        for (const EventCells& e : kEvents)
            wayOut = wayOut || NextOf(table_, row, e).has_value();
        if (!wayOut)
            Add(FindingKind::EndFrame, Severity::Note, row, 0, Event::None, "checkEndFrameText",
                {frames_.Name(row)});
        if (table_.At(r, cell::kShockCount) != cell::kUnset &&
            table_.At(r, cell::kShockable) == 0 && NextOf(table_, row, kEvents[0]))
            Add(FindingKind::ShockNotShockable, Severity::Note, row,
                frames_.OutputOf(row, Event::Shock), Event::Shock, "checkShockNotShockableText",
                {frames_.Name(row)});
    }

    void CheckReachable() {
        std::vector<bool> reached(ScenarioTable::kRows, false);
        std::vector<int> queue{0};
        reached[0] = true;
        while (!queue.empty()) {
            const int row = queue.back();
            queue.pop_back();
            for (const EventCells& e : kEvents) {
                const auto next = NextOf(table_, row, e);
                if (next && IsFrame(*next) && !reached[*next]) {
                    reached[*next] = true;
                    queue.push_back(*next);
                }
            }
        }
        for (const auto& [row, frame] : frames_.byRow)
            if (InTable(row) && !reached[std::size_t(row)])
                Add(FindingKind::Unreachable, Severity::Warning, row, 0, Event::None,
                    "checkUnreachableText", {frame.name});
    }

    const ScenarioTable& table_;
    Frames frames_;
    std::vector<Finding> findings_;
};

} // namespace

std::vector<Finding> CheckTable(const ScenarioTable& table) {
    Frames frames;
    for (std::size_t row = 0; row < ScenarioTable::kRows; ++row) {
        if (row == 0 || RowInUse(table, row)) {
            DrawnFrame frame;
            frame.row = static_cast<int>(row);
            frame.name = "Frame" + std::to_string(row);
            frames.byRow.emplace(frame.row, frame);
        }
    }
    return Checker(table, std::move(frames)).Run();
}

std::vector<Finding> CheckDrawing(const ScenarioTable& table, const Drawing& drawing) {
    Frames frames;
    for (const DrawnFrame& frame : drawing.frames)
        frames.byRow.emplace(frame.row, frame);
    return Checker(table, std::move(frames)).Run();
}

int CountOf(const std::vector<Finding>& findings, Severity severity) {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(),
                      [severity](const Finding& f) { return f.severity == severity; }));
}

bool HasProblems(const std::vector<Finding>& findings) {
    return CountOf(findings, Severity::Error) + CountOf(findings, Severity::Warning) > 0;
}

} // namespace crvl::scenario
