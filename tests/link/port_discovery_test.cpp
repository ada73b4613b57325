// Finding the ports in a folder of links (CRVL_PORT_DIR) and hearing them
// come and go, as a classroom sees adapters plugged and pulled.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "serial/port_discovery.h"
#include "tests/link/link_test_util.h"
#include "tools/trainersim/pty.h"

namespace crvl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A plugged trainer must have its tile within 3 s.
constexpr auto kPrompt = 3s;

// A temporary CRVL_PORT_DIR inside a folder of its own, so that the port
// folder itself can vanish and come back.
class PortDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/crvl-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        dir_ = root_ / "by-id";
        fs::create_directory(dir_);
        ::setenv("CRVL_PORT_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("CRVL_PORT_DIR");
        fs::remove_all(root_);
    }

    // A pseudo-terminal with a link named name in the port folder.
    void Plug(sim::PseudoTerminal& pty, const std::string& name) {
        ASSERT_TRUE(pty.Open().ok());
        ASSERT_TRUE(pty.MakeLink((dir_ / name).string()).ok());
    }

    // Waits until a change was reported and the list has count ports.
    bool ChangedTo(test::Notifications& changes, int before, std::size_t count) {
        const auto end = std::chrono::steady_clock::now() + kPrompt;
        for (int seen = before + 1; changes.WaitFor(seen, kPrompt); seen = changes.Count() + 1) {
            if (ListCandidatePorts().size() == count)
                return true;
            if (std::chrono::steady_clock::now() > end)
                break;
        }
        return false;
    }

    fs::path root_, dir_;
};

TEST_F(PortDirTest, ListsTheFolderSortedWithWhatEachLinkLeadsTo) {
    sim::PseudoTerminal second, first;
    Plug(second, "usb-Corvel_Trainer_SIM0002-if00-port0");
    Plug(first, "usb-Corvel_Trainer_SIM0001-if00-port0");
    fs::create_symlink("/dev/null", dir_ / ".hidden");

    const auto ports = ListCandidatePorts();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].stableName, "usb-Corvel_Trainer_SIM0001-if00-port0");
    EXPECT_EQ(ports[0].devicePath, (dir_ / "usb-Corvel_Trainer_SIM0001-if00-port0").string());
    EXPECT_EQ(fs::canonical(ports[0].devicePath), fs::canonical(first.SlavePath()));
    EXPECT_EQ(ports[1].stableName, "usb-Corvel_Trainer_SIM0002-if00-port0");
    EXPECT_EQ(fs::canonical(ports[1].devicePath), fs::canonical(second.SlavePath()));

    fs::remove_all(dir_);
    EXPECT_TRUE(ListCandidatePorts().empty());
}

TEST_F(PortDirTest, WatchHearsLinksComeAndGoAndTheFolderVanishAndReturn) {
    test::Notifications changes;
    PortWatch watch([&] { changes(); });

    sim::PseudoTerminal pty;
    int before = changes.Count();
    Plug(pty, "usb-Corvel_Trainer_SIM0001-if00-port0");
    EXPECT_TRUE(ChangedTo(changes, before, 1));

    // The last adapter goes, and the folder with it.
    before = changes.Count();
    fs::remove_all(dir_);
    pty.HangUp();
    EXPECT_TRUE(ChangedTo(changes, before, 0));

    // The folder comes back with a link made at once.
    before = changes.Count();
    fs::create_directory(dir_);
    sim::PseudoTerminal again;
    Plug(again, "usb-Corvel_Trainer_SIM0003-if00-port0");
    ASSERT_TRUE(ChangedTo(changes, before, 1));
    EXPECT_EQ(ListCandidatePorts()[0].stableName, "usb-Corvel_Trainer_SIM0003-if00-port0");

    // And it is still watched after coming back.
    before = changes.Count();
    fs::remove(dir_ / "usb-Corvel_Trainer_SIM0003-if00-port0");
    EXPECT_TRUE(ChangedTo(changes, before, 0));
}

TEST_F(PortDirTest, WatchStartsWithoutTheFolderAndStopsAtOnce) {
    fs::remove_all(dir_);
    test::Notifications changes;
    const auto start = std::chrono::steady_clock::now();
    {
        PortWatch watch([&] { changes(); });
        const int before = changes.Count();
        fs::create_directory(dir_);
        sim::PseudoTerminal pty;
        Plug(pty, "usb-Corvel_Trainer_SIM0001-if00-port0");
        EXPECT_TRUE(ChangedTo(changes, before, 1));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPrompt);
}

} // namespace
} // namespace crvl
