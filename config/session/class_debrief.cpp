#include "config/session/class_debrief.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <tuple>

namespace crvl {

namespace {

// "YYYY-MM-DD_HH-MM-SS"
constexpr std::size_t kStampLength = 19;

bool Number(std::string_view text, int& value) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::optional<LocalStamp> ParseStamp(std::string_view text) {
    if (text.size() != kStampLength || text[4] != '-' || text[7] != '-' || text[10] != '_' ||
        text[13] != '-' || text[16] != '-')
        return std::nullopt;
    LocalStamp s;
    if (!Number(text.substr(0, 4), s.year) || !Number(text.substr(5, 2), s.month) ||
        !Number(text.substr(8, 2), s.day) || !Number(text.substr(11, 2), s.hour) ||
        !Number(text.substr(14, 2), s.minute) || !Number(text.substr(17, 2), s.second))
        return std::nullopt;
    return s;
}

bool Reports(SessionEvent event) {
    return event == SessionEvent::Start || event == SessionEvent::Frame ||
           event == SessionEvent::State || event == SessionEvent::Shock;
}

} // namespace

std::optional<SessionName> ParseSessionName(const std::string& fileName) {
    constexpr std::string_view kExtension = ".csv";
    std::string_view rest(fileName);
    if (!rest.ends_with(kExtension))
        return std::nullopt;
    rest.remove_suffix(kExtension.size());
    SessionName name;
    // A run number is "_n" after the stamp; a trainer's name may itself end
    // in "_digits", so the stamp decides which reading holds.
    if (const auto underscore = rest.rfind('_');
        underscore != std::string_view::npos && underscore >= kStampLength &&
        Number(rest.substr(underscore + 1), name.run) && name.run >= 2 &&
        ParseStamp(rest.substr(underscore - kStampLength, kStampLength)))
        rest = rest.substr(0, underscore);
    else
        name.run = 1;
    if (rest.size() < kStampLength)
        return std::nullopt;
    const auto stamp = ParseStamp(rest.substr(rest.size() - kStampLength));
    if (!stamp)
        return std::nullopt;
    name.start = *stamp;
    rest.remove_suffix(kStampLength);
    if (rest.empty()) {
        name.trainer = kUnnamedTrainer;
    } else {
        if (rest.back() != '_' || rest.size() == 1)
            return std::nullopt;
        name.trainer = rest.substr(0, rest.size() - 1);
    }
    return name;
}

ClassRun MakeClassRun(const std::filesystem::path& file, const SessionName& name,
                      const SessionRun& run) {
    ClassRun result;
    result.file = file;
    result.name = name;
    result.problem = run.problem;
    result.stoppedAtLine = run.stoppedAtLine;
    result.ended = !run.lines.empty() && run.lines.back().event == SessionEvent::End;
    result.debrief = MakeDebrief(run);
    for (const DebriefFrame& frame : result.debrief.frames) {
        auto same = std::find_if(result.frameTimes.begin(), result.frameTimes.end(),
                                 [&](const FrameTime& t) {
                                     return t.scenario == frame.scenario && t.frame == frame.frame;
                                 });
        if (same == result.frameTimes.end())
            result.frameTimes.push_back({frame.scenario, frame.frame, frame.duration});
        else
            same->seconds += frame.duration;
    }
    if (!result.debrief.frames.empty()) {
        result.endScenario = result.debrief.frames.back().scenario;
        result.endFrame = result.debrief.frames.back().frame;
    }
    for (const SessionLine& line : run.lines) {
        const bool open =
            !result.stretches.empty() && result.stretches.back().to < result.stretches.back().from;
        if (line.event == SessionEvent::Lost || line.event == SessionEvent::Detached) {
            if (!open)
                result.stretches.push_back({line.event, line.time, -1.0});
        } else if (open && Reports(line.event)) {
            result.stretches.back().to = line.time;
        }
    }
    if (!result.stretches.empty() && result.stretches.back().to < result.stretches.back().from)
        result.stretches.back().to = run.lines.back().time;
    return result;
}

std::vector<ClassRun> ReadClassRuns(const std::filesystem::path& folder,
                                    const ClassPeriod& period) {
    std::vector<ClassRun> runs;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto name = ParseSessionName(it->path().filename().string());
        if (!name || name->start < period.from || period.to < name->start ||
            !it->is_regular_file(ec))
            continue;
        runs.push_back(MakeClassRun(it->path(), *name, ReadSession(it->path())));
    }
    std::sort(runs.begin(), runs.end(), [](const ClassRun& a, const ClassRun& b) {
        return std::tie(a.name.trainer, a.name.start, a.name.run) <
               std::tie(b.name.trainer, b.name.start, b.name.run);
    });
    return runs;
}

} // namespace crvl
