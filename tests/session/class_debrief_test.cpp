// The class debrief's figures from a known set of session logs, as a
// classroom and crvlconfig leave them in one folder.

#include "config/session/class_debrief.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace crvl {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = std::string(kSessionHeader) + "\r\n";

TEST(ClassDebrief, FileNamesGiveTrainerStartAndRun) {
    const auto plain = ParseSessionName("Group A_2026-03-01_09-15-00.csv");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->trainer, "Group A");
    EXPECT_EQ(plain->start, (LocalStamp{2026, 3, 1, 9, 15, 0}));
    EXPECT_EQ(plain->run, 1);

    const auto second = ParseSessionName("Table_2_2026-03-01_09-15-00_2.csv");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->trainer, "Table_2");
    EXPECT_EQ(second->run, 2);

    const auto tool = ParseSessionName("2026-03-01_09-15-00_3.csv");
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->trainer, "crvlconfig");
    EXPECT_EQ(tool->run, 3);

    for (const char* other : {"notes.csv", "Group A_2026-03-01_09-15.csv", "Group A.csv",
                              "Group A_2026-03-01_09-15-00.txt", "_2026-03-01_09-15-00.csv",
                              "GroupA2026-03-01_09-15-00.csv"})
        EXPECT_FALSE(ParseSessionName(other)) << other;
}

TEST(ClassDebrief, RunsOfThePeriodWithTheirFigures) {
    const fs::path dir = fs::temp_directory_path() / ("crvl_class_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& lines) {
        std::ofstream(dir / name, std::ios::binary) << kHeader << lines;
    };
    // Shocked, then sinus; back in frame 00 for a while.
    write("Group A_2026-03-01_09-15-00.csv", "0.250,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                             "6.750,shock,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                             "7.000,frame,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                                             "10.000,frame,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                             "12.000,frame,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                                             "31.500,end,C1,01,Sinus,no,yes,yes,no,no,ok\r\n");
    // Lost for a while, then the trainer came back.
    write("Group B_2026-03-01_09-16-00.csv", "1.000,start,02,00,VT,yes,no,yes,no,no,ok\r\n"
                                             "10.000,lost,02,00,VT,yes,no,yes,no,no,ok\r\n"
                                             "14.500,state,02,00,VT,yes,no,yes,no,no,low\r\n"
                                             "20.000,end,02,00,VT,yes,no,yes,no,no,low\r\n");
    // crvlconfig's run: the trainer let the tool go and the log stops.
    write("2026-03-01_09-17-00.csv", "0.500,start,C2,03,Asystole,no,no,yes,no,no,ok\r\n"
                                     "5.000,detached,C2,03,Asystole,no,no,yes,no,no,ok\r\n");
    // Damaged on its third line.
    write("Group A_2026-03-01_09-15-00_2.csv", "0.100,start,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                               "garbage\r\n");
    // Outside the period, and not a session log at all.
    write("Group C_2026-03-01_11-00-00.csv", "0.100,start,C1,00,VF,yes,no,yes,no,no,ok\r\n");
    std::ofstream(dir / "readme.txt") << "x";

    const auto runs = ReadClassRuns(dir, {{2026, 3, 1, 9, 0, 0}, {2026, 3, 1, 10, 0, 0}});
    fs::remove_all(dir);
    ASSERT_EQ(runs.size(), 4u);

    const ClassRun& a = runs[0];
    EXPECT_EQ(a.name.trainer, "Group A");
    EXPECT_EQ(a.debrief.shocks.size(), 1u);
    ASSERT_TRUE(a.debrief.timeToFirstShock);
    EXPECT_DOUBLE_EQ(*a.debrief.timeToFirstShock, 6.5);
    ASSERT_EQ(a.frameTimes.size(), 2u);
    EXPECT_EQ(a.frameTimes[0].frame, "00");
    EXPECT_DOUBLE_EQ(a.frameTimes[0].seconds, 6.75 + 2.0);
    EXPECT_EQ(a.frameTimes[1].frame, "01");
    EXPECT_DOUBLE_EQ(a.frameTimes[1].seconds, 3.0 + 19.5);
    EXPECT_EQ(a.endScenario + " " + a.endFrame, "C1 01");
    EXPECT_TRUE(a.stretches.empty());
    EXPECT_TRUE(a.problem.empty());
    EXPECT_TRUE(a.ended);

    const ClassRun& damaged = runs[1];
    EXPECT_EQ(damaged.name.run, 2);
    EXPECT_FALSE(damaged.problem.empty());
    EXPECT_EQ(damaged.stoppedAtLine, 3);
    EXPECT_EQ(damaged.endFrame, "00");

    const ClassRun& b = runs[2];
    EXPECT_EQ(b.name.trainer, "Group B");
    EXPECT_FALSE(b.debrief.timeToFirstShock);
    ASSERT_EQ(b.stretches.size(), 1u);
    EXPECT_EQ(b.stretches[0].event, SessionEvent::Lost);
    EXPECT_DOUBLE_EQ(b.stretches[0].from, 10.0);
    EXPECT_DOUBLE_EQ(b.stretches[0].to, 14.5);

    const ClassRun& tool = runs[3];
    EXPECT_EQ(tool.name.trainer, "crvlconfig");
    ASSERT_EQ(tool.stretches.size(), 1u);
    EXPECT_EQ(tool.stretches[0].event, SessionEvent::Detached);
    EXPECT_DOUBLE_EQ(tool.stretches[0].to, 5.0);
    EXPECT_EQ(tool.endScenario + " " + tool.endFrame, "C2 03");
    EXPECT_FALSE(tool.ended);
}

} // namespace
} // namespace crvl
