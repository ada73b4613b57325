// Reading session logs back: one case per kind of damage, the folder
// listing, and the debrief figures of a run.
#include "config/session/session_read.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace crvl {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = std::string(kSessionHeader) + "\r\n";
const std::string kRun = kHeader + "0.250,start,01,00,VF,yes,no,yes,no,no,ok\r\n"
                                   "3.000,frame,C1,00,VF,yes,no,yes,no,no,ok\r\n"
                                   "5.500,state,C1,00,VF,yes,no,no,no,no,ok\r\n"
                                   "8.000,shock,C1,00,VF,yes,no,no,no,no,ok\r\n"
                                   "8.250,frame,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                                   "20.000,shock,C1,01,Sinus,no,yes,yes,no,no,ok\r\n"
                                   "38.250,frame,C1,02,Asystole,no,no,yes,no,no,low\r\n"
                                   "40.000,end,C1,02,Asystole,no,no,yes,no,no,low\r\n";

TEST(SessionReadTest, ReadsWhatTheWriterWrites) {
    const SessionRun run = ParseSession(kRun);
    ASSERT_TRUE(run.Complete()) << run.problem;
    ASSERT_EQ(run.lines.size(), 8u);
    EXPECT_EQ(run.lines[4],
              (SessionLine{8.25,
                           SessionEvent::Frame,
                           {"C1", "01", "Sinus", "no", "yes", "yes", "no", "no", "ok"}}));
    EXPECT_EQ(FormatSessionLine(run.lines[4]), "8.250,frame,C1,01,Sinus,no,yes,yes,no,no,ok");
    // LF line ends, quoted fields and a byte order mark are read too.
    const SessionRun lf = ParseSession("\xEF\xBB\xBF" + std::string(kSessionHeader) +
                                       "\n1.000,\"shock\",,,,,,,,,\n2.000,end,,,,,,,,,");
    ASSERT_TRUE(lf.Complete()) << lf.problem;
    EXPECT_EQ(lf.lines.size(), 2u);
}

struct Damage {
    const char* name;
    std::string text;
    int line;
    const char* problem;
    std::size_t linesRead;
};

class SessionDamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(SessionDamageTest, KeepsWhatCameBeforeAndNamesTheLine) {
    const Damage& damage = GetParam();
    const SessionRun run = ParseSession(damage.text);
    EXPECT_FALSE(run.Complete());
    EXPECT_EQ(run.stoppedAtLine, damage.line);
    EXPECT_NE(run.problem.find(damage.problem), std::string::npos) << run.problem;
    EXPECT_EQ(run.lines.size(), damage.linesRead);
}

const std::string kTwo = kHeader + "0.250,start,01,00,VF,yes,no,yes,no,no,ok\r\n"
                                   "1.000,state,01,00,VF,yes,no,no,no,no,ok\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionDamageTest,
    ::testing::Values(
        Damage{"Empty", "", 1, "empty", 0},
        Damage{"OtherFile", "a,b,c\r\n1,2,3\r\n", 1, "not a session log", 0},
        Damage{"CutMidLine", kTwo + "1.250,fra", 4, "11 fields expected, 2 found", 2},
        Damage{"ExtraField", kTwo + "2.000,end,01,00,VF,yes,no,no,no,no,ok,x\r\n", 4, "12 found",
               2},
        Damage{"BadTime", kTwo + "2.0s,end,01,00,VF,yes,no,no,no,no,ok\r\n", 4, "bad time", 2},
        Damage{"NegativeTime", kHeader + "-1.000,end,,,,,,,,,\r\n", 2, "bad time", 0},
        Damage{"Backwards", kTwo + "0.500,end,01,00,VF,yes,no,no,no,no,ok\r\n", 4, "backwards", 2},
        Damage{"UnknownEvent", kTwo + "2.000,pause,01,00,VF,yes,no,no,no,no,ok\r\n", 4,
               "unknown event", 2},
        Damage{"NotYesNo", kHeader + "1.000,start,01,00,VF,maybe,no,no,no,no,ok\r\n", 2,
               "\"maybe\"", 0},
        Damage{"UnknownRhythm", kTwo + "2.000,state,01,00,Flutter,yes,no,no,no,no,ok\r\n", 4,
               "unknown rhythm", 2},
        Damage{"UnknownBattery", kTwo + "2.000,state,01,00,VF,yes,no,no,no,no,full\r\n", 4,
               "battery", 2},
        Damage{"ReportWithoutFields", kTwo + "2.000,frame,,,,,,,,,\r\n", 4, "without its fields",
               2},
        Damage{"HalfFields", kTwo + "2.000,shock,01,,,,,,,,\r\n", 4, "frame missing", 2},
        Damage{"StrayQuote", kTwo + "2.000,sh\"ock,,,,,,,,,\r\n", 4, "stray quote", 2},
        Damage{"OpenQuote", kTwo + "2.000,\"shock,,,,,,,,,\r\n", 4, "unterminated", 2},
        Damage{"Garbage", kTwo + std::string("\0\x01\xff", 3), 4, "fields expected", 2}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SessionReadTest, MissingFileSaysSo) {
    const SessionRun run = ReadSession("/nonexistent/crvl/none.csv");
    EXPECT_FALSE(run.Complete());
    EXPECT_NE(run.problem.find("cannot open"), std::string::npos);
}

TEST(SessionReadTest, ListsRunsNewestFirst) {
    const fs::path dir = fs::temp_directory_path() / ("crvl_list_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub.csv");
    for (const char* name :
         {"2026-03-01_09-15-00.csv", "2026-03-01_09-15-00_2.csv", "2026-03-01_09-15-00_10.csv",
          "2025-12-31_23-59-59.csv", "2026-03-02_08-00-00.csv", "notes.txt"})
        std::ofstream(dir / name) << kHeader;
    std::vector<std::string> names;
    for (const fs::path& path : ListSessions(dir))
        names.push_back(path.filename().string());
    EXPECT_EQ(names,
              (std::vector<std::string>{"2026-03-02_08-00-00.csv", "2026-03-01_09-15-00_10.csv",
                                        "2026-03-01_09-15-00_2.csv", "2026-03-01_09-15-00.csv",
                                        "2025-12-31_23-59-59.csv"}));
    EXPECT_TRUE(ListSessions(dir / "missing").empty());
    fs::remove_all(dir);
}

TEST(DebriefTest, FramesInOrderShocksAndTimeToFirstShock) {
    const Debrief debrief = MakeDebrief(ParseSession(kRun));
    EXPECT_DOUBLE_EQ(debrief.length, 40.0);
    EXPECT_FALSE(debrief.lost);
    ASSERT_EQ(debrief.frames.size(), 4u);
    const std::pair<const char*, double> expected[] = {
        {"00", 2.75}, {"00", 5.25}, {"01", 30.0}, {"02", 1.75}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(debrief.frames[i].frame, expected[i].first) << i;
        EXPECT_DOUBLE_EQ(debrief.frames[i].duration, expected[i].second) << i;
    }
    EXPECT_EQ(debrief.frames[0].scenario, "01");
    EXPECT_EQ(debrief.frames[1].scenario, "C1");
    ASSERT_EQ(debrief.shocks.size(), 2u);
    EXPECT_DOUBLE_EQ(debrief.shocks[0].time, 8.0);
    EXPECT_EQ(debrief.shocks[0].frame, "00");
    EXPECT_EQ(debrief.shocks[1].frame, "01");
    // Counted from the start of scenario C1, not from the monitor's opening.
    ASSERT_TRUE(debrief.timeToFirstShock);
    EXPECT_DOUBLE_EQ(*debrief.timeToFirstShock, 5.0);
}

TEST(DebriefTest, LostRunEndsItsLastFrameThereAndDamagedRunShowsWhatWasRead) {
    const Debrief lost =
        MakeDebrief(ParseSession(kTwo + "6.000,lost,01,00,VF,yes,no,no,no,no,ok\r\n"
                                        "10.000,end,01,00,VF,yes,no,no,no,no,ok\r\n"));
    EXPECT_TRUE(lost.lost);
    EXPECT_DOUBLE_EQ(lost.length, 10.0);
    ASSERT_EQ(lost.frames.size(), 1u);
    EXPECT_DOUBLE_EQ(lost.frames[0].duration, 5.75);
    EXPECT_FALSE(lost.timeToFirstShock);
    EXPECT_FALSE(lost.detached);

    // A trainer that let the tool go ends the frame the same way, not lost.
    const Debrief detached =
        MakeDebrief(ParseSession(kTwo + "6.000,detached,01,00,VF,yes,no,no,no,no,ok\r\n"
                                        "10.000,end,01,00,VF,yes,no,no,no,no,ok\r\n"));
    EXPECT_TRUE(detached.detached);
    EXPECT_FALSE(detached.lost);
    EXPECT_DOUBLE_EQ(detached.frames[0].duration, 5.75);

    const Debrief cut =
        MakeDebrief(ParseSession(kTwo + "4.000,shock,01,00,VF,yes,no,no,no,no,ok\r\n"
                                        "4.2"));
    EXPECT_DOUBLE_EQ(cut.length, 4.0);
    ASSERT_EQ(cut.frames.size(), 1u);
    EXPECT_DOUBLE_EQ(cut.frames[0].duration, 3.75);
    ASSERT_EQ(cut.shocks.size(), 1u);
    EXPECT_DOUBLE_EQ(*cut.timeToFirstShock, 3.75);
}

TEST(DebriefTest, TimesReadAsSecondsThenMinutes) {
    EXPECT_EQ(DebriefTime(8.04), "8.0 s");
    EXPECT_EQ(DebriefTime(59.99), "1:00.0");
    EXPECT_EQ(DebriefTime(83.25), "1:23.3");
}

} // namespace
} // namespace crvl
