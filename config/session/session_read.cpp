#include "config/session/session_read.h"

#include "base/utf8_files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>

namespace crvl {

namespace {

// Splits one record (RFC 4180) off the front of text. Returns false with a
// reason when the record is malformed. lines counts the line breaks that
// the record spans, including its own end.
struct Record {
    std::vector<std::string> fields;
    int lines = 0;
    bool terminated = false;
};

bool SplitRecord(std::string_view& text, Record& record, std::string& problem) {
    record = {};
    std::string field;
    bool quoted = false;
    bool afterQuote = false; // the field's closing quote was seen
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == '\n')
                    ++record.lines;
                field += c;
            }
            continue;
        }
        if (c == ',') {
            record.fields.push_back(std::move(field));
            field.clear();
            afterQuote = false;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++record.lines;
            record.terminated = true;
            ++i;
            break;
        } else if (c == '"' && field.empty() && !afterQuote) {
            quoted = true;
        } else if (afterQuote || c == '"') {
            problem = "stray quote";
            return false;
        } else {
            field += c;
        }
    }
    if (quoted) {
        problem = "unterminated quoted field";
        return false;
    }
    record.fields.push_back(std::move(field));
    text.remove_prefix(i);
    return true;
}

bool ParseTime(const std::string& text, double& time) {
    // Digits, a point and three decimals, as the writer puts them; a few
    // more or fewer decimals are read too.
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos ||
        std::count(text.begin(), text.end(), '.') > 1 || text.front() == '.')
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), time);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(time);
}

bool IsHexCode(const std::string& text) {
    return text.size() == 4 && text[0] == '0' && text[1] == 'x' &&
           std::isxdigit(static_cast<unsigned char>(text[2])) &&
           std::isxdigit(static_cast<unsigned char>(text[3]));
}

bool IsYesNo(const std::string& text) {
    return text == "yes" || text == "no";
}

// Why the fields are not what the writer puts, or empty when they are.
std::string CheckFields(const SessionFields& f) {
    if (f.Empty()) {
        const bool allEmpty = f.frame.empty() && f.rhythm.empty() && f.shockable.empty() &&
                              f.pulse.empty() && f.pads.empty() && f.motion.empty() &&
                              f.failure.empty() && f.battery.empty();
        return allEmpty ? "" : "scenario missing";
    }
    if (f.frame.empty())
        return "frame missing";
    if (!(f.rhythm == "Sinus" || f.rhythm == "VT" || f.rhythm == "VF" || f.rhythm == "Asystole" ||
          IsHexCode(f.rhythm)))
        return "unknown rhythm \"" + f.rhythm + "\"";
    for (const std::string* yesNo : {&f.shockable, &f.pulse, &f.pads, &f.motion, &f.failure}) {
        if (!IsYesNo(*yesNo))
            return "\"" + *yesNo + "\" where yes or no belongs";
    }
    if (!(f.battery == "ok" || f.battery == "low" || f.battery == "depleted" ||
          IsHexCode(f.battery)))
        return "unknown battery state \"" + f.battery + "\"";
    return "";
}

std::string ParseLine(const std::vector<std::string>& fields, double previousTime,
                      SessionLine& line) {
    if (fields.size() != kSessionColumns)
        return std::to_string(kSessionColumns) + " fields expected, " +
               std::to_string(fields.size()) + " found";
    if (!ParseTime(fields[0], line.time))
        return "bad time \"" + fields[0] + "\"";
    if (line.time < previousTime)
        return "time runs backwards";
    const auto event = SessionEventFromName(fields[1]);
    if (!event)
        return "unknown event \"" + fields[1] + "\"";
    line.event = *event;
    line.fields = {fields[2], fields[3], fields[4], fields[5], fields[6],
                   fields[7], fields[8], fields[9], fields[10]};
    if (std::string problem = CheckFields(line.fields); !problem.empty())
        return problem;
    if (line.fields.Empty() &&
        (line.event == SessionEvent::Start || line.event == SessionEvent::Frame ||
         line.event == SessionEvent::State))
        return "a report line without its fields";
    return "";
}

// The part of a session file name that orders runs: the start time, then
// the run number within that second ("_2" in "2026-03-01_09-15-00_2").
std::pair<std::string, int> RunKey(const std::filesystem::path& path) {
    constexpr std::size_t kStampLength = 19; // YYYY-MM-DD_HH-MM-SS
    std::string stem = Utf8FromPath(path.stem());
    int run = 1;
    if (stem.size() > kStampLength + 1 && stem[kStampLength] == '_') {
        const std::string_view digits = std::string_view(stem).substr(kStampLength + 1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), run);
        if (ec == std::errc() && end == digits.data() + digits.size())
            stem.resize(kStampLength);
        else
            run = 1;
    }
    return {stem, run};
}

} // namespace

SessionRun ParseSession(std::string_view text) {
    SessionRun run;
    // A byte order mark is no part of the header.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    int lineNumber = 1;
    Record record;
    std::string problem;
    bool header = true;
    double previousTime = 0.0;
    while (!text.empty()) {
        if (!SplitRecord(text, record, problem)) {
            run.stoppedAtLine = lineNumber;
            run.problem = problem;
            return run;
        }
        if (header) {
            std::string joined;
            for (std::size_t i = 0; i < record.fields.size(); ++i)
                joined += (i ? "," : "") + record.fields[i];
            if (joined != kSessionHeader) {
                run.stoppedAtLine = lineNumber;
                run.problem = "not a session log (unexpected first line)";
                return run;
            }
            header = false;
        } else {
            SessionLine line;
            problem = ParseLine(record.fields, previousTime, line);
            if (!problem.empty()) {
                run.stoppedAtLine = lineNumber;
                run.problem = problem;
                return run;
            }
            previousTime = line.time;
            run.lines.push_back(std::move(line));
        }
        lineNumber += std::max(record.lines, 1);
    }
    if (header) {
        run.stoppedAtLine = 1;
        run.problem = "the file is empty";
    }
    return run;
}

SessionRun ReadSession(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        SessionRun run;
        run.problem = "cannot open " + Utf8FromPath(path);
        return run;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        SessionRun run;
        run.problem = "cannot read " + Utf8FromPath(path);
        return run;
    }
    return ParseSession(text.str());
}

std::vector<std::filesystem::path> ListSessions(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->path().extension() == ".csv" && it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return RunKey(a) > RunKey(b); });
    return files;
}

Debrief MakeDebrief(const SessionRun& run) {
    Debrief debrief;
    if (run.lines.empty())
        return debrief;
    debrief.length = run.lines.back().time;
    bool ended = false; // lost, detached or closed: no frame runs on after this
    double scenarioSince = 0.0;
    std::string currentScenario;
    auto closeFrame = [&](double time) {
        if (!debrief.frames.empty())
            debrief.frames.back().duration = time - debrief.frames.back().entered;
    };
    for (const SessionLine& line : run.lines) {
        switch (line.event) {
        case SessionEvent::Start:
        case SessionEvent::Frame:
            if (ended)
                break;
            closeFrame(line.time);
            debrief.frames.push_back({line.fields.scenario, line.fields.frame, line.time, 0.0});
            if (line.fields.scenario != currentScenario) {
                currentScenario = line.fields.scenario;
                scenarioSince = line.time;
            }
            break;
        case SessionEvent::State:
            break;
        case SessionEvent::Shock:
            debrief.shocks.push_back({line.time, line.fields.scenario, line.fields.frame});
            if (!debrief.timeToFirstShock)
                debrief.timeToFirstShock =
                    line.time - (currentScenario.empty() ? 0.0 : scenarioSince);
            break;
        case SessionEvent::Lost:
        case SessionEvent::Detached:
        case SessionEvent::End:
            debrief.lost = debrief.lost || line.event == SessionEvent::Lost;
            debrief.detached = debrief.detached || line.event == SessionEvent::Detached;
            if (!ended)
                closeFrame(line.time);
            ended = true;
            break;
        }
    }
    if (!ended)
        closeFrame(debrief.length);
    return debrief;
}

std::string DebriefTime(double seconds) {
    seconds = std::round(seconds * 10.0) / 10.0;
    char text[32];
    if (seconds < 60.0) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    } else {
        const int minutes = static_cast<int>(seconds / 60.0);
        std::snprintf(text, sizeof text, "%d:%04.1f", minutes, seconds - 60.0 * minutes);
    }
    return text;
}

} // namespace crvl
