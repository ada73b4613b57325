#include <gtest/gtest.h>

#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/slots_sim.h"

namespace crvl::sim {
namespace {

using namespace std::chrono_literals;

TEST(SimOptions, ParsesEverySwitch) {
    SimOptions o;
    ASSERT_EQ(ParseArguments({"--link", "/tmp/x", "--silent", "--bad-checksum", "--garbage",
                              "--hang-up-after", "3", "--delay=250"},
                             o)
                  .message(),
              "");
    EXPECT_EQ(o.config.linkPath, "/tmp/x");
    EXPECT_TRUE(o.config.faults.silent);
    EXPECT_TRUE(o.config.faults.badChecksum);
    EXPECT_TRUE(o.config.faults.garbage);
    EXPECT_EQ(o.config.faults.hangUpAfter, 3);
    EXPECT_EQ(o.config.faults.replyDelay, 250ms);
    EXPECT_FALSE(o.help);
}

TEST(SimOptions, RejectsBadInput) {
    const std::vector<std::vector<std::string>> bad = {
        {"--nonsense"},    {"--link"},          {"--link="},
        {"--delay", "-5"}, {"--delay", "10x"},  {"--hang-up-after", "0"},
        {"--silent=yes"},  {"--hang-up-after"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        const Status parsed = ParseArguments(args, o);
        EXPECT_FALSE(parsed.ok()) << args[0];
        EXPECT_FALSE(parsed.message().empty());
    }
}

TEST(SimOptions, LessonIsFoundByItsName) {
    const std::string shipped = std::string(CRVL_SOURCE_DIR) + "/builder/data/lessons";
    const std::vector<std::string> dirs = {"/nonexistent", shipped};
    EXPECT_EQ(FindLesson("vf-first-shock", dirs), shipped + "/vf-first-shock.scn");
    EXPECT_EQ(FindLesson("asystole-cpr.scn", dirs), shipped + "/asystole-cpr.scn");
    // Only plain names: no way out of the lesson folders.
    for (const char* name :
         {"", "no-such-lesson", "../lessons/vf-first-shock", "de/vf-first-shock", ".scn"}) {
        EXPECT_EQ(FindLesson(name, dirs), "") << name;
    }
    SimOptions o;
    const Status parsed = ParseArguments({"--lesson", "no-such-lesson"}, o);
    EXPECT_FALSE(parsed.ok());
    EXPECT_FALSE(parsed.message().empty());
}

TEST(SimOptions, HelpListsEverySwitch) {
    const std::string help = HelpText();
    for (const SwitchSpec& s : Switches())
        EXPECT_NE(help.find(s.name), std::string::npos) << s.name;
}

TEST(SimCommands, SwitchFaultsAndReportErrors) {
    TrainerSim sim({});
    CommandTable commands;
    EXPECT_EQ(commands.Execute(sim, "silent on"), "silent on");
    EXPECT_TRUE(sim.Protocol().Faults().silent);
    EXPECT_EQ(commands.Execute(sim, "  garbage   1 "), "garbage on");
    EXPECT_EQ(commands.Execute(sim, "bad-checksum off"), "bad-checksum off");
    EXPECT_EQ(commands.Execute(sim, "delay 40"), "delay 40 ms");
    EXPECT_EQ(sim.Protocol().Faults().replyDelay, 40ms);
    EXPECT_EQ(commands.Execute(sim, "delay soon"), "usage: delay MS");
    EXPECT_EQ(commands.Execute(sim, "silent maybe"), "usage: silent on|off");
    EXPECT_EQ(commands.Execute(sim, "fly"), "unknown command 'fly' (try 'help')");
    EXPECT_EQ(commands.Execute(sim, ""), "");
    EXPECT_NE(commands.Execute(sim, "help").find("hang-up"), std::string::npos);
    EXPECT_NE(commands.Execute(sim, "status").find("frames 0"), std::string::npos);
}

TEST(SimCommands, FeaturesAddTheirOwn) {
    TrainerSim sim({});
    CommandTable commands;
    commands.Add("battery", "battery RAW  set the battery byte",
                 [](TrainerSim& s, const std::vector<std::string>& args) {
                     s.Model().batteryRaw = static_cast<std::uint8_t>(std::stoi(args.at(0)));
                     return std::string("ok");
                 });
    EXPECT_EQ(commands.Execute(sim, "battery 17"), "ok");
    EXPECT_EQ(sim.Model().batteryRaw, 17);
    EXPECT_NE(commands.HelpText().find("battery RAW"), std::string::npos);
}

} // namespace
} // namespace crvl::sim
