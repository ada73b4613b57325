#include "config/cli/commands.h"

#include "base/utf8_files.h"

#include "scenario/check_text.h"

#include "config/cli/named_values.h"
#include "config/cli/option_parser.h"
#include "config/cli/parameter_text.h"
#include "config/core/parameter_form.h"
#include "config/driver/trainer_session.h"
#include "config/session/session_log.h"
#include "scenario/scenario_check.h"
#include "scenario/scenario_file.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace crvl::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The trainer's texts are written for a message box; on one line the line
// break becomes a blank.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n')
            c = ' ';
    }
    return line;
}

// A device path stands for port 1: the port layer finds it through the
// same variable that maps COMn to a device.
void UsePortDevice(int port, const std::string& device) {
    const std::string name = std::string("CRVL_COM") + std::to_string(port);
#ifdef _WIN32
    _putenv_s(name.c_str(), device.c_str());
#else
    ::setenv(name.c_str(), device.c_str(), 1);
#endif
}

std::string VersionText(std::uint8_t number) {
    char text[8];
    std::snprintf(text, sizeof text, "%.2d", number);
    return text;
}

const char* BatteryState(std::uint8_t raw) {
    switch (LinkMachine::BatteryColour(raw)) {
    case LampColour::Green:
        return "ok";
    case LampColour::Yellow:
        return "low";
    default:
        return "depleted";
    }
}

// The longest run the monitor command takes: a day.
constexpr double kLongestMonitorSeconds = 24 * 60 * 60;

// A positive number of seconds (a fraction allowed) up to a day.
std::optional<std::chrono::milliseconds> ParseSeconds(const std::string& text) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(seconds > 0) ||
        seconds > kLongestMonitorSeconds)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

struct MonitorOptions {
    std::optional<std::chrono::milliseconds> duration; // --seconds
    std::optional<std::string> logPath;                // --log
};

// The monitor command's arguments; fails with the usage error.
Result<MonitorOptions> ParseMonitorOptions(const std::vector<std::string>& args) {
    MonitorOptions options;
    CLI::App app;
    std::optional<std::string> seconds;
    app.add_option("--seconds", seconds);
    app.add_option("--log", options.logPath);
    std::vector<std::string> left;
    if (const Status parsed = RunParser(app, args, left); !parsed.ok())
        return parsed;
    if (!left.empty())
        return Status::Error("unexpected argument '" + left.front() + "'");
    if (seconds) {
        options.duration = ParseSeconds(*seconds);
        if (!options.duration)
            return Status::Error("bad --seconds '" + *seconds + "' (a number of seconds above 0)");
    }
    return options;
}

// "1".."3" or "C1".."C3".
std::optional<int> ParseSlot(const std::string& text) {
    for (int n = 1; n <= kSlotCount; ++n) {
        const std::string number = std::to_string(n);
        if (text == number || text == "C" + number || text == "c" + number)
            return n;
    }
    return std::nullopt;
}

class Runner {
public:
    Runner(const Invocation& invocation, const Io& io, PortChoice ports)
        : invocation_(invocation), io_(io), ports_(std::move(ports)) {}

    int Run() {
        const std::string& command = invocation_.command;
        if (command == "find")
            return Find();
        if (command == "info")
            return Info();
        if (command == "params")
            return Params();
        if (command == "set")
            return Set();
        if (command == "defaults")
            return Defaults();
        if (command == "slots")
            return Slots();
        if (command == "upload")
            return Upload();
        if (command == "monitor")
            return Monitor();
        if (command == "check")
            return CheckFile();
        return Usage("unknown command '" + command + "'");
    }

private:
    // Output ------------------------------------------------------------

    void Print(const NamedValues& values) {
        if (invocation_.quiet)
            return;
        if (invocation_.json) {
            io_.out(FormatJson(values));
            return;
        }
        std::string lines = FormatLines(values);
        lines.pop_back();
        io_.out(lines);
    }
    // One line of a stream (find --all, monitor): name=value pairs or JSON.
    void PrintRecord(const NamedValues& values, const std::string& plain) {
        if (!invocation_.quiet)
            io_.out(invocation_.json ? FormatJson(values) : plain);
    }
    int Fail(int code, const std::string& where, const std::string& what) {
        io_.err("crvlctl: " + where + ": " + what);
        return code;
    }
    int Usage(const std::string& what) {
        io_.err("crvlctl: " + what + " (try 'crvlctl " + invocation_.command + " --help')");
        return kExitUsage;
    }
    std::string Label() const { return PortLabel(ports_, session_->Port()); }
    std::string RangeLabel(int first, int last) const {
        return first == last
                   ? PortLabel(ports_, first)
                   : std::string("COM") + std::to_string(first) + "..COM" + std::to_string(last);
    }

    // The trainer ---------------------------------------------------------

    void MakeSession() {
        if (!ports_.device.empty())
            UsePortDevice(ports_.first, ports_.device);
        link_ = std::make_unique<TrainerLink>(LinkOptions::ForCommandLine());
        session_ = std::make_unique<TrainerSession>(*link_, io_.interrupted);
    }

    // Connects to the first trainer of first..last; 0 or the exit code
    // (with its error line).
    int Connect(int first, int last, bool report = true) {
        if (!session_)
            MakeSession();
        const Search found = session_->Connect(first, last);
        const std::string where = RangeLabel(first, last);
        switch (found) {
        case Search::Connected:
            return session_->LineLost() ? Lost() : kExitDone;
        case Search::Interrupted:
            return Fail(kExitInterrupted, where, "interrupted");
        case Search::CannotOpen:
            if (!report)
                return kExitNoTrainer;
            if (const std::string& advice = session_->AccessAdvice(); !advice.empty())
                return Fail(kExitNoTrainer, where, "cannot open the port: " + advice);
            return Fail(kExitNoTrainer, where,
                        first == last ? "cannot open the port (missing, or in use by another "
                                        "program)"
                                      : "no trainer found (no port could be opened)");
        case Search::NoTrainer:
            if (!report)
                return kExitNoTrainer;
            return Fail(kExitNoTrainer, where,
                        first == last ? "no trainer answered" : "no trainer found");
        case Search::LostInHandshake:
            return Fail(kExitTrainer, where, "the trainer was lost while connecting");
        }
        return kExitNoTrainer;
    }
    int Connect() { return Connect(ports_.first, ports_.last); }

    int Lost() { return Fail(kExitTrainer, Label(), "the connection to the trainer was lost"); }

    // Leaves the trainer detached and the port closed, whatever happened.
    int Leave(int code) {
        if (session_)
            session_->Leave();
        return code;
    }

    // The end of a request: 0, or the exit code with its error line.
    int Finished(Outcome outcome, const std::string& failed) {
        switch (outcome) {
        case Outcome::Done:
            return session_->LineLost() ? Lost() : kExitDone;
        case Outcome::Refused:
            return Fail(kExitTrainer, Label(),
                        failed + " (the trainer answered Result " +
                            std::to_string(session_->Machine().Result()) + ")");
        case Outcome::NotStored:
            return Fail(kExitTrainer, Label(),
                        failed + " (no Result; the trainer still holds what it held before)");
        case Outcome::NoAnswer:
            return Fail(kExitTrainer, Label(), failed + " (no answer from the trainer)");
        case Outcome::LineLost:
            return Lost();
        case Outcome::Detached:
            return Fail(kExitTrainer, Label(), "the trainer detached");
        case Outcome::Interrupted:
            return Fail(kExitInterrupted, Label(), "interrupted");
        }
        return kExitTrainer;
    }

    NamedValues Identity() const { return Identity(*session_, Label()); }
    static NamedValues Identity(const TrainerSession& session, const std::string& label) {
        NamedValues values{Value("port", label)};
        const LinkMachine& machine = session.Machine();
        if (machine.VersionReceived()) {
            const auto& v = machine.Version();
            values.push_back({"software", std::to_string(v[0]) + "." + std::to_string(v[1])});
            values.push_back(Value("hardware", VersionText(v[2])));
        }
        return values;
    }

    // "COM3 software=2.1 hardware=03"
    void PrintIdentity() { PrintIdentity(*session_, Label()); }
    void PrintIdentity(const TrainerSession& session, const std::string& label) {
        const NamedValues values = Identity(session, label);
        const NamedValues versions(values.begin() + 1, values.end());
        PrintRecord(values,
                    label + (versions.empty() ? "" : std::string(" ") + FormatPairs(versions)));
    }

    bool NoArguments() {
        if (!invocation_.args.empty()) {
            Usage("unexpected argument '" + invocation_.args.front() + "'");
            return false;
        }
        return true;
    }

    // Commands --------------------------------------------------------------

    int Find() {
        bool all = false;
        CLI::App app;
        app.add_flag("--all", all);
        std::vector<std::string> left;
        if (const Status parsed = RunParser(app, invocation_.args, left); !parsed.ok())
            return Usage(parsed.message());
        if (!left.empty())
            return Usage("unexpected argument '" + left.front() + "'");
        if (!all) {
            if (const int code = Connect())
                return Leave(code);
            PrintIdentity();
            return Leave(kExitDone);
        }
        return FindAll();
    }

    // Every port of the range is searched on a thread of its own, as
    // crvlconfig's search would try it, so a bench of trainers answers in
    // the time of one; each trainer found is left detached, and they are
    // printed in port order.
    int FindAll() {
        if (!ports_.device.empty())
            UsePortDevice(ports_.first, ports_.device);
        struct Probe {
            TrainerLink link{LinkOptions::ForCommandLine()};
            std::unique_ptr<TrainerSession> session;
            Search found = Search::CannotOpen;
        };
        std::vector<std::unique_ptr<Probe>> probes;
        std::vector<std::thread> threads;
        for (int port = ports_.first; port <= ports_.last; ++port) {
            auto probe = std::make_unique<Probe>();
            probe->session = std::make_unique<TrainerSession>(probe->link, io_.interrupted);
            threads.emplace_back([session = probe->session.get(), &found = probe->found, port] {
                found = session->Connect(port, port);
                if (found == Search::Connected)
                    session->Leave();
            });
            probes.push_back(std::move(probe));
        }
        for (std::thread& thread : threads)
            thread.join();
        int found = 0;
        bool interrupted = false;
        for (const auto& probe : probes) {
            interrupted = interrupted || probe->found == Search::Interrupted;
            if (probe->found != Search::Connected || probe->session->LineLost())
                continue;
            ++found;
            PrintIdentity(*probe->session, PortLabel(ports_, probe->session->Port()));
        }
        if (interrupted)
            return Fail(kExitInterrupted, RangeLabel(ports_.first, ports_.last), "interrupted");
        if (found == 0)
            return Fail(kExitNoTrainer, RangeLabel(ports_.first, ports_.last), "no trainer found");
        return kExitDone;
    }

    int Info() {
        if (!NoArguments())
            return kExitUsage;
        if (const int code = Connect())
            return Leave(code);
        const Outcome battery = session_->AwaitBattery();
        NamedValues values = Identity();
        if (battery == Outcome::Done) {
            const std::uint8_t raw = session_->Machine().BatteryRaw();
            char volts[16];
            std::snprintf(volts, sizeof volts, "%.1f",
                          static_cast<double>(raw * kBatteryVoltsPerStep));
            values.push_back(Value("battery-volts", volts));
            values.push_back(Value("battery-state", BatteryState(raw)));
        }
        Print(values);
        if (!session_->Machine().VersionReceived())
            return Leave(Fail(kExitTrainer, Label(), "the trainer did not send its version"));
        return Leave(Finished(battery, "no battery reading"));
    }

    int Params() {
        if (!NoArguments())
            return kExitUsage;
        if (const int code = Connect())
            return Leave(code);
        Print(DescribeParameters(session_->Machine().Parameters()));
        return Leave(kExitDone);
    }

    int Written(Outcome outcome, NamedValues values) {
        const int code = Finished(outcome, std::string(text::kUpdateFailed));
        if (code == kExitDone) {
            if (session_->StoredByReadBack())
                io_.err("crvlctl: " + Label() +
                        ": note: the trainer sent no Result; reading it back shows it stored");
            values.insert(values.begin(), Value("port", Label()));
            values.push_back(Value("result", "0"));
            std::string plain = Label() + ": ";
            for (std::size_t i = 1; i + 1 < values.size(); ++i)
                plain += values[i].value + " ";
            PrintRecord(values, plain + OneLine(text::kUpdated));
        }
        return Leave(code);
    }

    int Set() {
        if (invocation_.args.empty())
            return Usage("set needs at least one NAME=VALUE");
        // Every assignment is checked before the port is touched.
        ParameterRecord probe;
        for (const std::string& assignment : invocation_.args) {
            if (const Status applied = ApplyParameter(assignment, probe); !applied.ok())
                return Usage(applied.message());
        }
        if (const int code = Connect())
            return Leave(code);
        ParameterRecord record = session_->Machine().Parameters();
        for (const std::string& assignment : invocation_.args)
            (void)ApplyParameter(assignment, record); // checked above
        return Written(session_->Write(record), {});
    }

    int Defaults() {
        if (!NoArguments())
            return kExitUsage;
        if (const int code = Connect())
            return Leave(code);
        return Written(session_->WriteDefaults(), {});
    }

    int Slots() {
        if (!NoArguments())
            return kExitUsage;
        if (const int code = Connect())
            return Leave(code);
        const Outcome outcome = session_->ReadSlots();
        if (outcome == Outcome::NoAnswer)
            return Leave(Fail(kExitTrainer, Label(), OneLine(text::kSlotTimeout)));
        if (outcome != Outcome::Done)
            return Leave(Finished(outcome, ""));
        NamedValues values;
        int mismatch = 0;
        for (int slot = 1; slot <= kSlotCount; ++slot) {
            const std::string name(session_->Machine().Slot(slot).Name());
            values.push_back(
                {std::string("C") + std::to_string(slot), Utf8FromLatin1(name), false});
            if (mismatch == 0 && session_->Machine().SlotMismatch(slot))
                mismatch = slot;
        }
        Print(values);
        if (mismatch != 0)
            return Leave(Fail(kExitTrainer, Label(),
                              std::string("the trainer answered C") + std::to_string(mismatch) +
                                  " with another slot's reply (" +
                                  std::string(text::kDownloadError) + ")"));
        return Leave(Finished(Outcome::Done, ""));
    }

    // 0, or exit 2 with the line for a scenario file that cannot be used.
    int FileError(const ScenarioFile& file, const std::string& path) {
        switch (file.status) {
        case ScenarioFileStatus::Ok:
            return kExitDone;
        case ScenarioFileStatus::FormatError:
            return Fail(kExitUsage, path + std::string(" line ") + std::to_string(file.errorLine),
                        "Format error in scenario file");
        case ScenarioFileStatus::CannotOpen:
        case ScenarioFileStatus::ReadFailed:
            break;
        }
        return Fail(kExitUsage, path, "the scenario file could not be read");
    }

    // The scenario checks of the file's table, in the builder's English.
    int CheckFile() {
        if (invocation_.args.size() != 1 || invocation_.args[0].starts_with("--"))
            return Usage("check needs FILE");
        const std::string& path = invocation_.args[0];
        const ScenarioFile file = LoadScenarioFile(path);
        if (const int code = FileError(file, path))
            return code;
        const auto findings = scenario::CheckTable(file.table);
        if (!scenario::HasProblems(findings) && !invocation_.json && !invocation_.quiet)
            io_.out(scenario::NoProblemsText());
        for (const scenario::Finding& finding : findings) {
            const NamedValues values{
                {"severity", scenario::SeverityText(finding.severity), false},
                Value("frame", std::to_string(finding.frame)),
                {"text", scenario::FindingText(finding), false},
            };
            PrintRecord(values, scenario::FindingLine(finding));
        }
        return scenario::CountOf(findings, scenario::Severity::Error) > 0 ? kExitTrainer
                                                                          : kExitDone;
    }

    int Upload() {
        std::optional<std::string> name;
        CLI::App app;
        app.add_option("--name", name);
        std::vector<std::string> positional;
        if (const Status parsed = RunParser(app, invocation_.args, positional); !parsed.ok())
            return Usage(parsed.message());
        for (const std::string& arg : positional) {
            if (arg.starts_with("--"))
                return Usage("unknown option " + arg);
        }
        if (positional.size() != 2)
            return Usage("upload needs SLOT and FILE");
        const std::optional<int> slot = ParseSlot(positional[0]);
        if (!slot)
            return Usage("bad slot '" + positional[0] + "' (1, 2, 3 or C1, C2, C3)");
        const std::string& path = positional[1];
        ScenarioFile file = LoadScenarioFile(path);
        if (const int code = FileError(file, path))
            return code;
        if (name) {
            const std::string latin1 = Latin1FromUtf8(*name);
            if (latin1.empty() || latin1.size() > SlotInfo::kNameSize ||
                Utf8FromLatin1(latin1) != *name)
                return Usage("--name needs 1 to 20 characters of Latin-1");
            file.name = latin1;
        }
        if (const int code = Connect())
            return Leave(code);
        return Written(session_->Upload(*slot, file.name, file.table),
                       {Value("slot", std::string("C") + std::to_string(*slot)),
                        Value("name", Utf8FromLatin1(file.name))});
    }

    // One line of the session: the log's columns as name=value pairs (the
    // values never hold a comma, see the session log's format).
    void PrintSessionLine(SessionEvent event, double time, const SessionFields& fields) {
        const std::string csv = FormatSessionLine({time, event, fields});
        const std::string_view header = kSessionHeader;
        NamedValues values;
        std::size_t name = 0;
        std::size_t value = 0;
        while (name <= header.size()) {
            const std::size_t nameEnd = std::min(header.find(',', name), header.size());
            const std::size_t valueEnd = std::min(csv.find(',', value), csv.size());
            values.push_back(Value(std::string(header.substr(name, nameEnd - name)),
                                   csv.substr(value, valueEnd - value)));
            name = nameEnd + 1;
            value = valueEnd + 1;
        }
        PrintRecord(values, FormatPairs(values));
    }

    int Monitor() {
        const Result<MonitorOptions> options = ParseMonitorOptions(invocation_.args);
        if (!options.ok())
            return Usage(options.message());
        const std::optional<std::chrono::milliseconds> duration = options.value().duration;
        const std::optional<std::string> logPath = options.value().logPath;
        if (const int code = Connect())
            return Leave(code);

        // The run's time counts from the moment the reports are switched on,
        // for the lines printed and the log alike.
        std::optional<Clock::time_point> start;
        // One reading of the clock per event, so that a printed line and its
        // line in the log carry the same time.
        std::optional<std::chrono::milliseconds> eventTime;
        const auto elapsed = [&] {
            if (eventTime)
                return *eventTime;
            return start ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                                 *start)
                         : std::chrono::milliseconds(0);
        };
        const auto readClock = [&] {
            eventTime.reset();
            eventTime = elapsed();
        };
        const auto seconds = [&] { return static_cast<double>(elapsed().count()) / 1000.0; };
        SessionWriter log(elapsed);
        if (logPath) {
            if (const Status opened = log.OpenFile(PathFromUtf8(*logPath)); !opened.ok())
                return Leave(Fail(kExitUsage, "--log", opened.message()));
        }

        bool started = false;
        SessionFields last;
        std::uint32_t seen = session_->Machine().MonitorReports();
        const auto step = [&] {
            if (!start)
                start = Clock::now();
            readClock();
            const LinkMachine& machine = session_->Machine();
            if (machine.MonitorReports() != seen) {
                seen = machine.MonitorReports();
                SessionFields fields = FieldsForRecord(machine.Monitor());
                if (const auto event = ReportEvent(started, last, fields)) {
                    started = true;
                    last = std::move(fields);
                    PrintSessionLine(*event, seconds(), last);
                }
                log.Report(machine.Monitor());
            }
            if (session_->TakeShock()) {
                PrintSessionLine(SessionEvent::Shock, seconds(), last);
                log.Shock();
            }
            eventTime.reset();
        };
        const Outcome outcome = session_->Monitor(duration, step);
        if (outcome == Outcome::NoAnswer || outcome == Outcome::LineLost) {
            readClock();
            PrintSessionLine(SessionEvent::Lost, seconds(), last);
            log.Lost();
        } else if (outcome == Outcome::Detached) {
            readClock();
            PrintSessionLine(SessionEvent::Detached, seconds(), last);
            log.Detached();
        }
        readClock();
        PrintSessionLine(SessionEvent::End, seconds(), last);
        const bool logged = !logPath || log.End();
        if (outcome == Outcome::Detached)
            return Leave(Fail(kExitTrainer, Label(),
                              "the trainer detached (its remote control or buttons)"));
        const int code = Finished(outcome, "the trainer stopped answering");
        if (code == kExitDone && !logged)
            return Leave(Fail(kExitUsage, "--log", log.Error()));
        return Leave(code);
    }

    const Invocation& invocation_;
    const Io& io_;
    PortChoice ports_;
    std::unique_ptr<TrainerLink> link_;
    std::unique_ptr<TrainerSession> session_;
};

} // namespace

int RunInvocation(const Invocation& invocation, const Io& io) {
    if (invocation.version) {
        io.out("crvlctl " CRVL_VERSION);
        return kExitDone;
    }
    if (invocation.help) {
        std::string text =
            invocation.command.empty() ? ProgramHelp() : CommandHelp(invocation.command);
        text.pop_back();
        io.out(text);
        return kExitDone;
    }
    const Result<PortChoice> ports = ResolvePort(invocation.port);
    if (!ports.ok()) {
        io.err("crvlctl: " + ports.message());
        return kExitUsage;
    }
    return Runner(invocation, io, ports.value()).Run();
}

} // namespace crvl::cli
