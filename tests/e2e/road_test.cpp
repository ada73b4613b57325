// The road of one scenario through the real programs, each a process of
// its own: crvlbuilder draws and saves it, crvlconfig uploads it into custom
// slot C3 of the simulated trainer (trainersim on a pseudo-terminal), the
// trainer plays it while the monitor watches, and crvlupd reloads the
// trainer's firmware unattended. Results are checked where the programs
// leave them: the file, the trainer's memory and log, the texts and lamps on
// screen, the exit code.
//
// With CRVL_E2E_SHOTS=DIR the builder, upload dialog and monitor are saved
// as pictures into DIR (scripts/demo-shots.sh runs this under Xvfb).
#include "config/core/monitor_logic.h"
#include "tests/e2e/road_steps.h"
#include "tests/e2e/sim_process.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace crvl::e2e {
namespace {

namespace fs = std::filesystem;

} // namespace

std::string ShotPath(const char* name) {
    const char* dir = std::getenv("CRVL_E2E_SHOTS");
    return dir == nullptr ? std::string() : std::string(dir) + "/" + name;
}

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "e2e_road_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// A scratch directory laid out as a user's working folder: links to the
// builder's data files and an empty scenarios/.
class WorkFolder {
public:
    WorkFolder() {
        char pattern[] = "/tmp/crvl-e2e-XXXXXX";
        path_ = ::mkdtemp(pattern);
        for (const char* data : {"picts", "images", "inits", "template", "help"})
            fs::create_directory_symlink(fs::path(CRVL_BIN_DIR) / data, path_ / data);
        fs::create_directory(path_ / "scenarios");
    }
    ~WorkFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The state table of a scenario file: the two-digit hexadecimal cells of
// its lines outside the comments.
std::vector<int> TableCells(const std::string& text) {
    std::vector<int> cells;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word.size() == 2 && std::isxdigit(static_cast<unsigned char>(word[0])) &&
                std::isxdigit(static_cast<unsigned char>(word[1])))
                cells.push_back(std::stoi(word, nullptr, 16));
        }
    }
    return cells;
}

// The table as the simulator's "table" command prints it.
std::string TableText(const std::vector<int>& cells) {
    std::string text;
    char cell[4];
    for (std::size_t i = 0; i < cells.size(); ++i) {
        std::snprintf(cell, sizeof cell, i % 14 == 0 ? "%02X" : " %02X", cells[i]);
        text += cell;
        if (i % 14 == 13)
            text += "\n";
    }
    return text;
}

// Columns of a state table row.
enum Column {
    kFrame = 0,
    kShockable = 3,
    kPulse = 4,
    kRhythm = 5,
    kShocks = 8,
    kShockNext = 9,
    kCpr = 10,
    kCprNext = 11
};
enum Rhythm { kSinus = 0, kVF = 2, kAsystole = 3 };

class Road : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        link_ = folder_.path() / "trainer";
    }

    WorkFolder folder_;
    fs::path link_;
};

TEST_F(Road, DrawnScenarioReachesSlotC3AndPlaysOnTheMonitor) {
    // 1. The builder draws and saves "road".
    const BuilderRun drawn = DrawAndSaveScenario(folder_.path(), "road");
    ASSERT_FALSE(HasFailure()) << drawn.output;
    EXPECT_EQ(drawn.dialogs,
              (std::vector<std::string>{"ECG", "ECG", "ECG", "Defibrillation performed", "CPR"}));
    EXPECT_EQ(drawn.shownName, "road.scn");
    const std::string file = ReadFile(drawn.saved);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.find("\n"), file.find("\r\n") + 1) << "lines end with CR LF";
    const std::vector<int> cells = TableCells(file);
    ASSERT_EQ(cells.size(), 280u);
    auto at = [&](int row, int column) {
        return cells[static_cast<std::size_t>(row * 14 + column)];
    };
    // Frame0: VF, shockable; one shock leads to Frame1.
    EXPECT_EQ(at(0, kRhythm), kVF);
    EXPECT_EQ(at(0, kShockable), 1);
    EXPECT_EQ(at(0, kShocks), 1);
    EXPECT_EQ(at(0, kShockNext), 1);
    // Frame1: sinus with a pulse; CPR started leads to Frame2.
    EXPECT_EQ(at(1, kFrame), 1);
    EXPECT_EQ(at(1, kRhythm), kSinus);
    EXPECT_EQ(at(1, kPulse), 1);
    EXPECT_EQ(at(1, kCpr), 1);
    EXPECT_EQ(at(1, kCprNext), 2);
    // Frame2: asystole, no way out.
    EXPECT_EQ(at(2, kFrame), 2);
    EXPECT_EQ(at(2, kRhythm), kAsystole);
    EXPECT_EQ(at(2, kShockNext), 0xFF);
    EXPECT_EQ(at(2, kCprNext), 0xFF);
    for (int row = 3; row < 20; ++row)
        EXPECT_EQ(at(row, kFrame), row);

    // 2. crvlconfig connects to the simulated trainer on COM1.
    SimProcess trainer;
    ASSERT_TRUE(trainer.Start(QString::fromStdString(link_.string()), {}));
    ConfigSession config(folder_.path(), link_.string());
    std::string status;
    ASSERT_TRUE(config.Connect(status)) << trainer.Log() << config.Output();
    EXPECT_NE(status.find("SW-Ver: 2.1"), std::string::npos) << status;
    EXPECT_NE(status.find("HW-Ver: 03"), std::string::npos) << status;
    EXPECT_TRUE(trainer.WaitForLog("rx ReadParameters")) << trainer.Log();

    // 3. Custom Scenarios: "road" into C3; the trainer holds exactly the table.
    EXPECT_EQ(config.Upload(3, drawn.saved),
              "Corvel Updated: The new configuration was successfully\ntransferred to the "
              "Corvel.");
    EXPECT_TRUE(trainer.WaitForLog("rx UploadScenario slot 3")) << trainer.Log();
    EXPECT_EQ(trainer.Command("table 3", 20), TableText(cells));
    EXPECT_NE(trainer.Command("slots").find("3: road"), std::string::npos);

    // 4. The trainer plays C3; shock and CPR move it along the drawing.
    const bool monitored = config.WithMonitor([&] {
        trainer.Command("play 13");
        EXPECT_TRUE(WaitFor([&] { return config.MonitorScenario() == "C3"; })) << trainer.Log();
        EXPECT_TRUE(WaitFor([&] { return config.MonitorFrame() == "00"; }));
        EXPECT_TRUE(WaitFor([&] { return config.MonitorWaveform() == "VF"; }));
        EXPECT_TRUE(config.MonitorLampLit(kLampShockableYes));
        EXPECT_FALSE(config.MonitorLampLit(kLampPulseYes));

        trainer.Command("shock");
        EXPECT_TRUE(WaitFor([&] { return config.MonitorFrame() == "01"; }));
        EXPECT_TRUE(WaitFor([&] { return config.MonitorWaveform() == "Sinus"; }))
            << config.MonitorWaveform();
        EXPECT_TRUE(WaitFor([&] { return config.MonitorLampLit(kLampPulseYes); }));
        EXPECT_FALSE(config.MonitorLampLit(kLampShockableYes));
        if (const std::string shot = ShotPath("demo-monitor.png"); !shot.empty())
            config.MonitorShot(shot);

        trainer.Command("cpr start");
        EXPECT_TRUE(WaitFor([&] { return config.MonitorFrame() == "02"; }));
        EXPECT_TRUE(WaitFor([&] { return config.MonitorWaveform() == "Asystole"; }))
            << config.MonitorWaveform();
    });
    EXPECT_TRUE(monitored);
}

// crvlupd, unattended, reloads the simulated trainer (the trainersim
// program with its boot loader) on COM4 and ends with exit code 0.
TEST_F(Road, UpdaterReloadsTheTrainerUnattended) {
    const fs::path image = folder_.path() / "FW.hex";
    std::ofstream(image) << ":020000040001F9\r\n"
                            ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                            ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
                            ":00000001FF\r\n";
    SimProcess trainer;
    const fs::path link = folder_.path() / "boot";
    ASSERT_TRUE(trainer.Start(QString::fromStdString(link.string()), {"--flash", "amd"}));
    QProcess updater;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CRVL_COM4", QString::fromStdString(link.string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("CRVL_INSTANCE_KEY", QString("e2e-%1").arg(QCoreApplication::applicationPid()));
    updater.setProcessEnvironment(env);
    updater.start(CRVL_BIN_DIR "/crvlupd", {"-p3", QString::fromStdString(image.string())});
    ASSERT_TRUE(updater.waitForStarted(5000));
    ASSERT_TRUE(updater.waitForFinished(60000)) << trainer.Log();
    EXPECT_EQ(updater.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(updater.exitCode(), 0) << trainer.Log();
    // The trainer's boot loader saw every record of the image.
    EXPECT_TRUE(trainer.WaitForLog("boot: end of file after 4 records")) << trainer.Log();
}

} // namespace
} // namespace crvl::e2e
