// crvlctl as its users run it: a process against simulated trainers, one
// port each. Every case looks at the exit code, the one line on standard
// error, and what the trainer received and stored.

#include "tests/cli/ctl_process.h"

#include "config/core/parameter_form.h"
#include "config/session/session_log.h"
#include "scenario/check_text.h"
#include "scenario/scenario_check.h"
#include "scenario/scenario_file.h"

#include <csignal>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crvl::cli::test {
namespace {

using crvl::test::ScenarioText;

std::vector<std::string> On(const Trainer& trainer, std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", trainer.Path()});
    return args;
}

ParameterRecord Record(const std::string& hex) {
    std::array<std::uint8_t, ParameterRecord::kSize> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(3 * i, 2), nullptr, 16));
    return *ParameterRecord::Decode(bytes);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, eol; (eol = text.find('\n', at)) != std::string::npos; at = eol + 1)
        lines.push_back(text.substr(at, eol - at));
    return lines;
}

// The trainer was attached while crvlctl talked to it and is detached now.
void ExpectLeftDetached(Trainer& trainer) {
    const auto received = trainer.Received();
    ASSERT_FALSE(received.empty());
    EXPECT_NE(std::find(received.begin(), received.end(), "SetAttached on"), received.end());
    EXPECT_EQ(received.back(), "SetAttached off");
    EXPECT_FALSE(trainer.Attached());
}

TEST(Crvlctl, HelpAndBadUsage) {
    const CtlResult help = RunCtl({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: crvlctl [--port COMn | --port PATH]")) << help.out;
    for (const char* word : {"find", "info", "params", "set", "defaults", "slots", "upload",
                             "monitor", "Exit codes:", "130"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    const CtlResult set = RunCtl({"set", "--help"});
    EXPECT_EQ(set.code, 0);
    EXPECT_NE(set.out.find("pad-tolerance     50, 60, 70"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("no-shock-pause    30, 60, 90, 120, 150, 180, monitoring"),
              std::string::npos);

    const CtlResult none = RunCtl({});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.err, "crvlctl: no command given (try 'crvlctl --help')\n");
    EXPECT_EQ(RunCtl({"frobnicate"}).code, 2);
    const CtlResult port = RunCtl({"--port", "COM17", "params"});
    EXPECT_EQ(port.code, 2);
    EXPECT_EQ(port.err, "crvlctl: port COM17 is not one of COM1..COM16\n");
    // An option without its value names the option; one crvlctl, one port.
    const CtlResult noValue = RunCtl({"monitor", "--seconds"});
    EXPECT_EQ(noValue.code, 2);
    EXPECT_EQ(noValue.err, "crvlctl: --seconds needs a value (try 'crvlctl monitor --help')\n");
    const CtlResult noPort = RunCtl({"params", "--port"});
    EXPECT_EQ(noPort.err, "crvlctl: --port needs COMn or a device path (try 'crvlctl --help')\n");
    const CtlResult twoPorts = RunCtl({"--port", "COM1", "--port", "COM2", "params"});
    EXPECT_EQ(twoPorts.code, 2);
    EXPECT_EQ(twoPorts.err, "crvlctl: --port given 2 times; one crvlctl uses one port (start one "
                            "per port) (try 'crvlctl --help')\n");
}

TEST(Crvlctl, ParamsInfoAndFindReadTheTrainer) {
    Trainer trainer({"--parameters", "05 0c 01 02 00 b4 00 5a 96 05", "--version", "2.1.3",
                     "--battery", "190"});
    const CtlResult params = RunCtl(On(trainer, {"params"}));
    EXPECT_EQ(params.code, 0) << params.err;
    EXPECT_EQ(params.out, "volume = 5\n"
                          "default-scenario = C2\n"
                          "cpr-pause = long\n"
                          "shock-series = 2\n"
                          "protocol-timeout = unlimited\n"
                          "cpr-timer = 180\n"
                          "no-shock-pause = monitoring\n"
                          "prompt-interval = 90\n"
                          "pad-tolerance = 150\n"
                          "lamp-indication = off\n"
                          "volume-buttons = on\n"
                          "remote-response = off\n");
    EXPECT_EQ(params.err, "");
    ExpectLeftDetached(trainer);
    EXPECT_EQ(trainer.Received().front(), "ReadParameters");

    const CtlResult info = RunCtl(On(trainer, {"--json", "info"}));
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.out, "{\"port\":\"" + trainer.Path() +
                            "\",\"software\":\"2.1\",\"hardware\":\"03\",\"battery-volts\":7.6,"
                            "\"battery-state\":\"low\"}\n");

    const CtlResult find = RunCtl(On(trainer, {"find"}));
    EXPECT_EQ(find.code, 0) << find.err;
    EXPECT_EQ(find.out, trainer.Path() + " software=2.1 hardware=03\n");
    ExpectLeftDetached(trainer);
}

TEST(Crvlctl, SetWritesOnlyTheNamedBytes) {
    // 45 s and a tolerance of 175 are values no dialog control shows, and
    // option bit 3 is none of the three boxes: all must go back as read.
    Trainer trainer({"--parameters", "03 01 00 01 2d 78 78 3c af 08"});
    const CtlResult set = RunCtl(On(trainer, {"set", "volume=7", "remote-response=off"}));
    EXPECT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out, trainer.Path() +
                           ": The new configuration was successfully transferred to the Corvel.\n");
    EXPECT_EQ(trainer.Parameters(), Record("07 01 00 01 2d 78 78 3c af 0c"));
    ExpectLeftDetached(trainer);

    // A bad name or value: nothing is written, the port is not even opened.
    const std::size_t before = trainer.Received().size();
    const CtlResult name = RunCtl(On(trainer, {"set", "volume=2", "colour=red"}));
    EXPECT_EQ(name.code, 2);
    EXPECT_EQ(name.err, "crvlctl: unknown parameter 'colour' (try 'crvlctl set --help')\n");
    const CtlResult value = RunCtl(On(trainer, {"set", "pad-tolerance=55"}));
    EXPECT_EQ(value.code, 2);
    EXPECT_TRUE(value.err.starts_with("crvlctl: bad value '55' for pad-tolerance (allowed: 50, "
                                      "60,"))
        << value.err;
    EXPECT_EQ(RunCtl(On(trainer, {"set", "cpr-timer=15"})).code, 2);
    EXPECT_EQ(trainer.Received().size(), before);
    EXPECT_EQ(trainer.Parameters(), Record("07 01 00 01 2d 78 78 3c af 0c"));

    // The word params prints for a zero byte is taken back.
    EXPECT_EQ(RunCtl(On(trainer, {"--quiet", "set", "cpr-timer=unlimited"})).code, 0);
    EXPECT_EQ(trainer.Parameters(), Record("07 01 00 01 2d 00 78 3c af 0c"));
}

TEST(Crvlctl, RefusedOrUnansweredWritesExitWithOne) {
    Trainer trainer({"--parameters", "03 01 00 01 3c 78 78 3c aa 00", "--write-result", "1"});
    const ParameterRecord stored = trainer.Parameters();
    const CtlResult refused = RunCtl(On(trainer, {"set", "volume=2"}));
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "crvlctl: " + trainer.Path() +
                               ": Configuration update failed ! (the trainer answered Result 1)\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(trainer.Parameters(), stored);
    ExpectLeftDetached(trainer);

    // No Result: the record read back tells the truth.
    trainer.Query([](sim::TrainerSim& s) {
        s.Protocol().Faults().noResult = true;
        return 0;
    });
    const CtlResult notStored = RunCtl(On(trainer, {"--quiet", "defaults"}));
    EXPECT_EQ(notStored.code, 1);
    EXPECT_EQ(notStored.err, "crvlctl: " + trainer.Path() +
                                 ": Configuration update failed ! (no Result; the trainer still "
                                 "holds what it held before)\n");
    EXPECT_EQ(trainer.Parameters(), stored);
    trainer.Query([](sim::TrainerSim& s) {
        s.Protocol().Faults().writeResult = 0;
        return 0;
    });
    const CtlResult readBack = RunCtl(On(trainer, {"--quiet", "defaults"}));
    EXPECT_EQ(readBack.code, 0);
    EXPECT_EQ(readBack.err, "crvlctl: " + trainer.Path() +
                                ": note: the trainer sent no Result; reading it back shows it "
                                "stored\n");
    EXPECT_EQ(trainer.Parameters(), DefaultParameters());
    // A Result 1.5 s late is waited for.
    trainer.Query([](sim::TrainerSim& s) {
        s.Protocol().Faults().noResult = false;
        s.Protocol().Faults().resultDelay = std::chrono::milliseconds(1500);
        return 0;
    });
    const std::size_t before = trainer.Received().size();
    const CtlResult late = RunCtl(On(trainer, {"--quiet", "set", "volume=2"}));
    EXPECT_EQ(late.code, 0) << late.err;
    EXPECT_EQ(late.err, "");
    const auto received = trainer.Received();
    EXPECT_EQ(std::count(received.begin() + static_cast<std::ptrdiff_t>(before), received.end(),
                         "ReadParameters"),
              1); // the connection's own, no read-back

    trainer.Query([](sim::TrainerSim& s) {
        s.Model().parameters = *ParameterRecord::Decode(std::array<std::uint8_t, 10>{3, 2});
        s.Protocol().Faults().resultDelay = {};
        return 0;
    });
    const CtlResult defaults = RunCtl(On(trainer, {"--json", "defaults"}));
    EXPECT_EQ(defaults.code, 0) << defaults.err;
    EXPECT_EQ(defaults.out, "{\"port\":\"" + trainer.Path() + "\",\"result\":0}\n");
    EXPECT_EQ(trainer.Parameters(), DefaultParameters());
}

TEST(Crvlctl, SlotsNamesAndAWrongSlotReply) {
    Trainer trainer;
    trainer.Query([](sim::TrainerSim& s) {
        s.Model().slots[0].SetName("\xDC"
                                   "bung"); // Latin-1 on the trainer
        return 0;
    });
    const CtlResult slots = RunCtl(On(trainer, {"slots"}));
    EXPECT_EQ(slots.code, 0) << slots.err;
    EXPECT_EQ(slots.out, "C1 = \xC3\x9C"
                         "bung\nC2 = Custom 2\nC3 = Custom 3\n");
    const auto received = trainer.Received();
    EXPECT_EQ(std::count(received.begin(), received.end(), "ReadSlotInfo slot 2"), 1);

    trainer.Query([](sim::TrainerSim& s) { return s.Protocol().Faults().wrongSlot = 2; });
    const CtlResult wrong = RunCtl(On(trainer, {"slots"}));
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(Lines(wrong.out)[1], "C2 = Download Error");
    EXPECT_EQ(wrong.err, "crvlctl: " + trainer.Path() +
                             ": the trainer answered C2 with another slot's reply (Download "
                             "Error)\n");
    ExpectLeftDetached(trainer);
}

TEST(Crvlctl, UploadSendsTheFilesTable) {
    TempDir dir;
    const std::string file = dir.Write("Drill.old.scn", ScenarioText(0x3C));
    const ScenarioTable table = LoadScenarioFile(file).table;
    Trainer trainer;

    const CtlResult upload = RunCtl(On(trainer, {"upload", "C2", file}));
    EXPECT_EQ(upload.code, 0) << upload.err;
    EXPECT_EQ(upload.out, trainer.Path() +
                              ": C2 Drill The new configuration was successfully transferred to "
                              "the Corvel.\n");
    EXPECT_EQ(trainer.Slot(2).Name(), "Drill");
    EXPECT_EQ(trainer.Slot(2).table, table);
    EXPECT_EQ(trainer.Slot(1).Name(), "Custom 1");
    ExpectLeftDetached(trainer);

    const CtlResult named = RunCtl(On(trainer, {"upload", "3", file, "--name",
                                                "\xC3\x9C"
                                                "bung 1"}));
    EXPECT_EQ(named.code, 0) << named.err;
    EXPECT_EQ(trainer.Slot(3).Name(), "\xDC"
                                      "bung 1");

    // A malformed file sends nothing; neither does a name the trainer cannot hold.
    std::string text = ScenarioText();
    text.replace(text.find("\r\n  01   "), 9, "\r\n  02   ");
    const std::string bad = dir.Write("bad.scn", text);
    const std::size_t before = trainer.Received().size();
    const CtlResult format = RunCtl(On(trainer, {"upload", "1", bad}));
    EXPECT_EQ(format.code, 2);
    EXPECT_EQ(format.err, "crvlctl: " + bad + " line 4: Format error in scenario file\n");
    EXPECT_EQ(RunCtl(On(trainer, {"upload", "1", file, "--name", std::string(21, 'x')})).code, 2);
    EXPECT_EQ(RunCtl(On(trainer, {"upload", "4", file})).code, 2);
    EXPECT_EQ(trainer.Received().size(), before);

    trainer.Query([](sim::TrainerSim& s) { return s.Protocol().Faults().uploadResult = 1; });
    const CtlResult refused = RunCtl(On(trainer, {"upload", "1", file}));
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "crvlctl: " + trainer.Path() +
                               ": Configuration update failed ! (the trainer answered Result 1)\n");
    EXPECT_EQ(trainer.Slot(1).Name(), "Custom 1");
}

TEST(Crvlctl, NoTrainerOrAMissingAnswer) {
    Trainer silent({"--silent"});
    const CtlResult none = RunCtl(On(silent, {"params"}));
    EXPECT_EQ(none.code, 3);
    EXPECT_EQ(none.err, "crvlctl: " + silent.Path() + ": no trainer answered\n");
    const auto asked = silent.Received();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "ReadParameters"), 3);

    const CtlResult missing = RunCtl({"--port", "/nonexistent/crvlctl-port", "info"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_EQ(missing.err, "crvlctl: /nonexistent/crvlctl-port: cannot open the port (missing, or "
                           "in use by another program)\n");
    const CtlResult notSerial = RunCtl({"--port", "/dev/null", "params"});
    EXPECT_EQ(notSerial.code, 3);
    EXPECT_EQ(notSerial.err,
              "crvlctl: /dev/null: cannot open the port: /dev/null is not a serial port\n");

    Trainer noVersion({"--no-version"});
    const CtlResult info = RunCtl(On(noVersion, {"info"}));
    EXPECT_EQ(info.code, 1);
    EXPECT_EQ(info.err,
              "crvlctl: " + noVersion.Path() + ": the trainer did not send its version\n");
    ExpectLeftDetached(noVersion);
}

// A device that is there but not this user's to open: the error line says
// how to get access. Root may open anything, so as root the program runs as
// nobody against a device of root's and dialout's.
TEST(Crvlctl, APortTheUserMayNotOpenSaysHowToGetAccess) {
    TempDir dir;
    const std::string device = dir.Write("ttyForbidden", "");
    std::vector<std::string> runner;
    if (::geteuid() == 0) {
        const struct group* dialout = ::getgrnam("dialout");
        if (dialout == nullptr)
            GTEST_SKIP() << "no dialout group";
        ASSERT_EQ(::chown(device.c_str(), 0, dialout->gr_gid), 0);
        ASSERT_EQ(::chmod(device.c_str(), 0660), 0);
        runner = {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
    } else {
        ASSERT_EQ(::chmod(device.c_str(), 0), 0);
    }
    struct stat info {};
    ASSERT_EQ(::stat(device.c_str(), &info), 0);
    const std::string group = ::getgrgid(info.st_gid)->gr_name;

    const CtlResult denied = RunCtl({"--port", device, "info"}, {}, runner);
    EXPECT_EQ(denied.code, 3);
    EXPECT_EQ(denied.err, "crvlctl: " + device + ": cannot open the port: You may not use " +
                              device + ": it belongs to the group \"" + group +
                              "\". Ask your administrator to add you (sudo adduser $USER " + group +
                              "), then log out and back in.\n");
}

TEST(Crvlctl, AHangUpEndsWithOne) {
    // Gone after ReadParameters, ReadVersion, SetAttached on and ReadBattery.
    Trainer trainer({"--hang-up-after", "4"});
    const CtlResult set = RunCtl(On(trainer, {"set", "volume=2"}));
    EXPECT_EQ(set.code, 1);
    EXPECT_EQ(set.err, "crvlctl: " + trainer.Path() + ": the connection to the trainer was lost\n");
    EXPECT_EQ(trainer.Received().size(), 4u);

    // Gone right after ReadVersion, its answer to ReadParameters read: the
    // handshake ends there, the command does not wait for it.
    Trainer early({"--hang-up-after", "2"});
    const CtlResult info = RunCtl(On(early, {"info"}));
    EXPECT_EQ(info.code, 1);
    EXPECT_EQ(info.err, "crvlctl: " + early.Path() + ": the trainer was lost while connecting\n");
}

// The columns after time_s, as the session log has them.
std::string Columns(const std::string& line) {
    return line.substr(line.find(' ') + 1);
}

TEST(Crvlctl, MonitorPrintsEachChangeAndLeavesOnCtrlC) {
    Trainer trainer;
    CtlProcess monitor(On(trainer, {"monitor"}));
    const std::string first = monitor.ReadLine();
    ASSERT_TRUE(first.starts_with("time_s=")) << first;
    // The built-in scenario starts in VF.
    EXPECT_EQ(Columns(first), "event=start scenario=01 frame=00 rhythm=VF shockable=yes pulse=no "
                              "pads=yes motion=no failure=no battery=ok");
    trainer.Query([](sim::TrainerSim& s) {
        s.Player().Shock();
        return 0;
    });
    const std::string shock = monitor.ReadLine();
    EXPECT_EQ(Columns(shock), "event=shock scenario=01 frame=00 rhythm=VF shockable=yes pulse=no "
                              "pads=yes motion=no failure=no battery=ok");
    EXPECT_EQ(Columns(monitor.ReadLine()), "event=frame scenario=01 frame=01 rhythm=Sinus "
                                           "shockable=no pulse=yes pads=yes motion=no failure=no "
                                           "battery=ok");

    monitor.Signal(SIGINT);
    const CtlResult end = monitor.Finish();
    EXPECT_EQ(end.code, 0) << end.err;
    EXPECT_EQ(end.err, "");
    EXPECT_TRUE(end.out.find(" event=end scenario=01 frame=01 ") != std::string::npos) << end.out;
    const auto received = trainer.Received();
    ASSERT_GE(received.size(), 3u);
    EXPECT_EQ(
        std::vector<std::string>(received.end() - 3, received.end()),
        (std::vector<std::string>{"SetMonitorReports off", "SetAttached on", "SetAttached off"}));
    EXPECT_FALSE(trainer.Attached());
}

TEST(Crvlctl, AClosedTerminalOrAServiceStopEndsTheMonitorCleanly) {
    for (const int signal : {SIGHUP, SIGTERM}) {
        Trainer trainer;
        CtlProcess monitor(On(trainer, {"monitor"}));
        ASSERT_TRUE(monitor.ReadLine().starts_with("time_s=")) << signal;
        const auto sent = std::chrono::steady_clock::now();
        monitor.Signal(signal);
        const CtlResult end = monitor.Finish();
        EXPECT_LT(std::chrono::steady_clock::now() - sent, 2s) << signal;
        EXPECT_EQ(end.code, 0) << end.err;
        EXPECT_TRUE(end.out.find(" event=end ") != std::string::npos) << end.out;
        EXPECT_EQ(trainer.Received().back(), "SetAttached off");
        EXPECT_FALSE(trainer.Attached());
    }
}

TEST(Crvlctl, MonitorSaysWhenTheTrainerDetaches) {
    Trainer trainer;
    CtlProcess monitor(On(trainer, {"monitor"}));
    ASSERT_TRUE(monitor.ReadLine().starts_with("time_s=")); // start
    trainer.Query([](sim::TrainerSim& s) {
        s.Protocol().Reply(MakeAttachedReport(false)); // its own remote control
        return 0;
    });
    EXPECT_EQ(Columns(monitor.ReadLine()), "event=detached scenario=01 frame=00 rhythm=VF "
                                           "shockable=yes pulse=no pads=yes motion=no failure=no "
                                           "battery=ok");
    const CtlResult end = monitor.Finish();
    EXPECT_EQ(end.code, 1);
    EXPECT_EQ(end.err, "crvlctl: " + trainer.Path() +
                           ": the trainer detached (its remote control or buttons)\n");
    EXPECT_TRUE(end.out.find(" event=end ") != std::string::npos) << end.out;
}

TEST(Crvlctl, MonitorWritesTheSessionLog) {
    TempDir dir;
    const std::string log = dir.Write("run.csv", "");
    std::filesystem::remove(log);
    Trainer trainer;
    const CtlResult timed =
        RunCtl(On(trainer, {"--json", "monitor", "--seconds", "0.5", "--log", log}));
    EXPECT_EQ(timed.code, 0) << timed.err;
    const auto lines = Lines(timed.out);
    ASSERT_EQ(lines.size(), 2u) << timed.out;
    EXPECT_TRUE(lines[0].starts_with("{\"time_s\":0.")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(",\"event\":\"start\",\"scenario\":\"01\",\"frame\":\"00\","
                                   "\"rhythm\":\"VF\",\"shockable\":\"yes\",\"pulse\":\"no\","
                                   "\"pads\":\"yes\",\"motion\":\"no\",\"failure\":\"no\","
                                   "\"battery\":\"ok\"}"))
        << lines[0];
    std::ifstream in(log, std::ios::binary);
    const std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto rows = Lines(csv);
    ASSERT_EQ(rows.size(), 3u) << csv;
    EXPECT_EQ(rows[0], std::string(kSessionHeader) + "\r");
    EXPECT_TRUE(rows[1].ends_with(",start,01,00,VF,yes,no,yes,no,no,ok\r")) << rows[1];
    EXPECT_TRUE(rows[2].ends_with(",end,01,00,VF,yes,no,yes,no,no,ok\r")) << rows[2];
    // The time of each printed line is the time in the log.
    EXPECT_DOUBLE_EQ(std::stod(rows[1].substr(0, rows[1].find(','))),
                     std::stod(lines[0].substr(10, lines[0].find(',') - 10)));

    // An existing log is never overwritten.
    const CtlResult again = RunCtl(On(trainer, {"monitor", "--seconds", "0.5", "--log", log}));
    EXPECT_EQ(again.code, 2);
    EXPECT_EQ(again.err, "crvlctl: --log: " + log + " exists already\n");
    ExpectLeftDetached(trainer);
}

TEST(Crvlctl, CheckPrintsTheScenarioChecksWithoutATrainer) {
    TempDir dir;
    // Row 0 leads on a shock (cells 8, 9) to row 5, which no frame uses.
    std::string text = ScenarioText();
    text.replace(text.find("00   FF   FF   FF   FF   FF   FF   FF   FF   FF"), 49,
                 "00   01   01   01   01   01   01   01   01   05");
    const std::string file = dir.Write("jump.scn", text);
    const auto findings = scenario::CheckTable(LoadScenarioFile(file).table);
    ASSERT_FALSE(findings.empty());
    std::string expected;
    for (const scenario::Finding& finding : findings)
        expected += scenario::FindingLine(finding) + "\n";
    const CtlResult check = RunCtl({"check", file});
    EXPECT_EQ(check.out, expected);
    EXPECT_EQ(check.code, scenario::CountOf(findings, scenario::Severity::Error) > 0 ? 1 : 0);

    // A shipped lesson has no errors or warnings; its end frame is a note.
    const CtlResult clean =
        RunCtl({"check", CRVL_SOURCE_DIR "/builder/data/lessons/vf-first-shock.scn"});
    EXPECT_EQ(clean.code, 0);
    EXPECT_TRUE(clean.out.starts_with(scenario::NoProblemsText() + "\n")) << clean.out;
}

TEST(Crvlctl, ThreeTrainersAtOnce) {
    TempDir dir;
    std::vector<std::unique_ptr<Trainer>> trainers;
    std::vector<std::unique_ptr<CtlProcess>> uploads;
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        trainers.push_back(std::make_unique<Trainer>());
        files.push_back(dir.Write("room" + std::to_string(i) + ".scn",
                                  ScenarioText(static_cast<std::uint8_t>(0x10 + i))));
    }
    for (int i = 0; i < 3; ++i)
        uploads.push_back(
            std::make_unique<CtlProcess>(On(*trainers[i], {"upload", "2", files[i]})));
    for (int i = 0; i < 3; ++i) {
        const CtlResult result = uploads[i]->Finish();
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(trainers[i]->Slot(2).Name(), "room" + std::to_string(i));
        EXPECT_EQ(trainers[i]->Slot(2).table, LoadScenarioFile(files[i]).table);
    }
}

TEST(Crvlctl, SearchFindsTrainersOnTheirPorts) {
    Trainer fourth;
    Trainer ninth;
    std::vector<std::string> env;
    for (int n = 1; n <= 16; ++n) {
        const std::string device = n == 4   ? fourth.Path()
                                   : n == 9 ? ninth.Path()
                                            : "/nonexistent/crvlctl-com" + std::to_string(n);
        env.push_back("CRVL_COM" + std::to_string(n) + "=" + device);
    }
    const CtlResult first = RunCtl({"find"}, env);
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.out, "COM4 software=2.1 hardware=03\n");

    const CtlResult all = RunCtl({"find", "--all", "--json"}, env);
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.out, "{\"port\":\"COM4\",\"software\":\"2.1\",\"hardware\":\"03\"}\n"
                       "{\"port\":\"COM9\",\"software\":\"2.1\",\"hardware\":\"03\"}\n");
    ExpectLeftDetached(fourth);
    ExpectLeftDetached(ninth);

    const CtlResult named = RunCtl({"--port", "COM9", "params", "--quiet"}, env);
    EXPECT_EQ(named.code, 0);
    EXPECT_EQ(named.out, "");
}

} // namespace
} // namespace crvl::cli::test
