// The session log writer: the file it makes, line by line, with a test clock.
#include "config/session/session_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace crvl {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

MonitorRecord Vf(std::uint8_t frame = 0) {
    MonitorRecord r;
    r.scenario = 12;
    r.frame = frame;
    r.shockable = 1;
    r.rhythm = 2;
    r.battery = 2;
    return r;
}

class SessionWriterTest : public ::testing::Test {
protected:
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }

    fs::path dir_ = fs::temp_directory_path() /
                    ("crvl_session_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::chrono::milliseconds now_{0};
    SessionClock clock_ = [this] { return now_; };
    // 2026-03-01 09:15:00 in local time.
    std::chrono::system_clock::time_point start_ = [] {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 2;
        t.tm_mday = 1;
        t.tm_hour = 9;
        t.tm_min = 15;
        t.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&t));
    }();
};

TEST_F(SessionWriterTest, WritesEveryChangeAndNothingElse) {
    SessionWriter log(clock_);
    const Status opened = log.Open(dir_ / "sessions", start_);
    ASSERT_TRUE(opened.ok()) << opened.message();
    EXPECT_EQ(log.Path(), dir_ / "sessions" / "2026-03-01_09-15-00.csv");

    now_ = 250ms;
    log.Report(Vf());
    now_ = 500ms;
    log.Report(Vf()); // nothing changed
    MonitorRecord spare = Vf();
    spare.spare1 = 7; // not shown, so no change either
    log.Report(spare);
    now_ = 1750ms;
    MonitorRecord loose = Vf();
    loose.electrodes = 1;
    loose.motion = 2;
    log.Report(loose);
    now_ = 2001ms;
    log.Shock();
    now_ = 2250ms;
    MonitorRecord sinus = Vf(1);
    sinus.shockable = 0;
    sinus.pulse = 1;
    sinus.rhythm = 0;
    sinus.battery = 1;
    log.Report(sinus);
    now_ = 3000ms;
    MonitorRecord odd = sinus;
    odd.rhythm = 0x07;
    odd.battery = 5;
    odd.failure = 1;
    log.Report(odd);
    now_ = 64500ms;
    log.Lost();
    log.Lost();     // once
    log.Detached(); // nor after it
    now_ = 64525ms;
    EXPECT_TRUE(log.End());
    EXPECT_FALSE(log.Recording());
    EXPECT_FALSE(log.Shock());

    EXPECT_EQ(Slurp(log.Path()),
              "time_s,event,scenario,frame,rhythm,shockable,pulse,pads,motion,failure,battery\r\n"
              "0.250,start,C2,00,VF,yes,no,yes,no,no,ok\r\n"
              "1.750,state,C2,00,VF,yes,no,no,yes,no,ok\r\n"
              "2.001,shock,C2,00,VF,yes,no,no,yes,no,ok\r\n"
              "2.250,frame,C2,01,Sinus,no,yes,yes,no,no,low\r\n"
              "3.000,state,C2,01,0x07,no,yes,yes,no,yes,0x05\r\n"
              "64.500,lost,C2,01,0x07,no,yes,yes,no,yes,0x05\r\n"
              "64.525,end,C2,01,0x07,no,yes,yes,no,yes,0x05\r\n");
}

TEST_F(SessionWriterTest, EachLineIsOnDiskAtOnceAndLinesBeforeAReportHaveNoFields) {
    SessionWriter log(clock_);
    ASSERT_TRUE(log.Open(dir_, start_).ok());
    now_ = 100ms;
    log.Shock();
    EXPECT_EQ(Slurp(log.Path()), std::string(kSessionHeader) + "\r\n0.100,shock,,,,,,,,,\r\n");
    now_ = 200ms;
    log.Report(Vf());
    EXPECT_EQ(Slurp(log.Path()).substr(Slurp(log.Path()).rfind("0.200")),
              "0.200,start,C2,00,VF,yes,no,yes,no,no,ok\r\n");
}

TEST_F(SessionWriterTest, SecondRunInTheSameSecondGetsItsOwnFile) {
    SessionWriter first(clock_), second(clock_), third(clock_);
    ASSERT_TRUE(first.Open(dir_, start_).ok());
    ASSERT_TRUE(second.Open(dir_, start_ + 400ms).ok());
    ASSERT_TRUE(third.Open(dir_, start_).ok());
    EXPECT_EQ(second.Path().filename(), "2026-03-01_09-15-00_2.csv");
    EXPECT_EQ(third.Path().filename(), "2026-03-01_09-15-00_3.csv");
    first.Report(Vf());
    EXPECT_EQ(Slurp(second.Path()), std::string(kSessionHeader) + "\r\n");
}

TEST_F(SessionWriterTest, FolderThatCannotBeWrittenIsReportedAndNothingIsWritten) {
    // A file where the folder belongs stops even a user who may write anywhere.
    fs::create_directories(dir_);
    std::ofstream(dir_ / "blocker") << "x";
    SessionWriter blocked(clock_);
    const Status blockedOpen = blocked.Open(dir_ / "blocker" / "sessions", start_);
    EXPECT_FALSE(blockedOpen.ok());
    EXPECT_NE(
        blockedOpen.message().find("cannot create " + (dir_ / "blocker" / "sessions").string()),
        std::string::npos)
        << blockedOpen.message();
    EXPECT_FALSE(blocked.Recording());
    EXPECT_FALSE(blocked.Report(Vf()));
    EXPECT_FALSE(blocked.End());

#if defined(_WIN32)
    GTEST_SKIP() << "a read-only mark on a Windows folder does not keep new files out";
#else
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir_.c_str(), W_OK) == 0)
        GTEST_SKIP() << "running as a user who may write into a read-only folder";
#endif
    SessionWriter readOnly(clock_);
    const Status readOnlyOpen = readOnly.Open(dir_, start_);
    EXPECT_FALSE(readOnlyOpen.ok());
    EXPECT_NE(readOnlyOpen.message().find("Permission denied"), std::string::npos)
        << readOnlyOpen.message();
}

TEST(SessionLineTest, FieldsWithCommasOrQuotesAreQuoted) {
    SessionLine line{
        1.5, SessionEvent::State, {"a,b", "say \"hi\"", "VT", "no", "no", "yes", "no", "no", "ok"}};
    EXPECT_EQ(FormatSessionLine(line),
              "1.500,state,\"a,b\",\"say \"\"hi\"\"\",VT,no,no,yes,no,no,ok");
}

} // namespace
} // namespace crvl
