// The classroom window as assistive technology sees it: each tile one group
// named after its trainer, its values as text, "Lost" once it has gone.
#include "config/app/class_debrief_dlg.h"
#include "config/app/control_ids.h"
#include "config/classapp/class_window.h"
#include "config/classapp/trainer_tile.h"
#include "tests/classapp/class_sims.h"

#include <QAccessible>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace crvl {
namespace {

// How many descriptors of this process have the device open.
int OpenedBy(const std::filesystem::path& device) {
    int count = 0;
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        if (std::filesystem::read_symlink(fd.path(), error) == device)
            ++count;
    }
    return count;
}

TEST(ClassWindow, EachTileIsAGroupNamedAfterItsTrainerAndSaysLost) {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QDir::temp().filePath(QStringLiteral("crvl-classapp-settings")));
    {
        QSettings settings;
        settings.setValue(QStringLiteral("trainerNames/usb-B"), QStringLiteral("Table 2"));
    }
    testing::ClassSims sims("classapp");
    sims.Plug("usb-A");
    sims.Plug("usb-B");
    ClassroomConfig config;
    config.station.sessionsFolder = sims.Sessions();
    config.station.retryInterval = std::chrono::milliseconds(300);
    ClassWindow window(config);
    window.show();

    const auto tileOf = [&](const std::string& port) -> TrainerTile* {
        for (std::size_t i = 0; i < window.Room().Count(); ++i) {
            if (window.Room().Station(i).Port().stableName == port)
                return window.Tile(i);
        }
        return nullptr;
    };
    QTRY_VERIFY_WITH_TIMEOUT(tileOf("usb-A") && tileOf("usb-B"), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(tileOf("usb-B")->ValuesText().contains(QStringLiteral("C3")), 4000);

    QAccessibleInterface* b = QAccessible::queryAccessibleInterface(tileOf("usb-B"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->role(), QAccessible::Grouping);
    EXPECT_EQ(b->text(QAccessible::Name), QStringLiteral("Table 2"));
    const QString values = b->text(QAccessible::Description);
    EXPECT_TRUE(values.startsWith(QStringLiteral("Connected; Port: usb-B; Software 2.1 (HW 03)")))
        << values.toStdString();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(tileOf("usb-A"));
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("usb-A"));

    sims.Unplug("usb-A");
    QTRY_VERIFY_WITH_TIMEOUT(a->text(QAccessible::Description).startsWith(QStringLiteral("Lost;")),
                             6000);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("usb-A"));
}

// Open... lends the trainer to crvlconfig's dialog: the station lets the
// port go before the dialog takes it, and connects again once it closes.
TEST(ClassWindow, OpenLendsTheTrainerToTheConfigDialogAndTakesItBack) {
    testing::ClassSims sims("classopen");
    sims.Plug("usb-A");
    const std::filesystem::path device = std::filesystem::canonical(sims.Port("usb-A"));
    const int simOwn = OpenedBy(device);
    ClassroomConfig config;
    config.station.retryInterval = std::chrono::milliseconds(300);
    ClassWindow window(config);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.Tile(0), 4000);
    TrainerStation& station = window.Room().Station(0);
    QTRY_VERIFY_WITH_TIMEOUT(station.Snapshot().state == StationState::Connected, 4000);

    // Sampled all along: never the station and the dialog at once.
    int most = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { most = std::max(most, OpenedBy(device) - simOwn); });
    sampler.start(5);

    QPushButton* open = nullptr;
    for (QPushButton* button : window.Tile(0)->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Open..."))
            open = button;
    }
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    QDialog* dialog = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((dialog = window.findChild<QDialog*>()) != nullptr, 4000);
    EXPECT_EQ(station.Snapshot().state, StationState::HandedOver);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::number(ids::kConnect)),
                      Qt::LeftButton);
    // Connected: the dialog's Update button comes on.
    QTRY_VERIFY_WITH_TIMEOUT(
        dialog->findChild<QPushButton*>(QString::number(ids::kUpdate))->isEnabled(), 4000);
    EXPECT_EQ(station.Snapshot().state, StationState::HandedOver);

    dialog->reject(); // Cancel: the exit procedure, then the dialog closes
    QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<QDialog*>(), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(station.Snapshot().state == StationState::Connected, 4000);
    sampler.stop();
    EXPECT_EQ(most, 1);
    EXPECT_EQ(OpenedBy(device) - simOwn, 1);
}

// Parameters to All starts from one trainer's record: the byte the user
// changed reaches every trainer, the others keep each trainer's own value.
TEST(ClassWindow, ParametersToAllWritesOnlyWhatTheUserChanged) {
    testing::ClassSims sims("classparams");
    sims.Plug("usb-A").Model().parameters.speakerVolume = 3;
    sims.Plug("usb-B").Model().parameters.speakerVolume = 6;
    ClassroomConfig config;
    ClassWindow window(config);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.Tile(0) && window.Tile(1), 4000);
    for (std::size_t i : {0u, 1u}) {
        QTRY_VERIFY_WITH_TIMEOUT(
            window.Room().Station(i).Snapshot().state == StationState::Connected, 4000);
    }

    window.ParametersToAll();
    QDialog* dialog = window.findChild<QDialog*>();
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialog->findChild<QRadioButton*>(QString::number(ids::kCprLong)),
                      Qt::LeftButton);
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);

    for (const char* port : {"usb-A", "usb-B"}) {
        QTRY_COMPARE_WITH_TIMEOUT(sims.Trainer(port).Model().parameters.cprPause, 1, 4000);
    }
    EXPECT_EQ(sims.Trainer("usb-A").Model().parameters.speakerVolume, 3);
    EXPECT_EQ(sims.Trainer("usb-B").Model().parameters.speakerVolume, 6);
}

// A monitored run is kept under the trainer's name, and the Class menu's
// Class Debrief... shows it among the class's runs of today.
TEST(ClassWindow, AMonitoredRunShowsInTheClassDebriefUnderItsTrainersName) {
    testing::ClassSims sims("classdebrief");
    sims.Plug("usb-A");
    ClassroomConfig config;
    config.station.sessionsFolder = sims.Sessions();
    ClassWindow window(config);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.Tile(0) && window.Room().Station(0).Snapshot().state ==
                                                   StationState::Connected,
                             4000);
    window.MonitorAll();
    QTRY_VERIFY_WITH_TIMEOUT(window.Room().Station(0).Snapshot().state == StationState::Monitoring,
                             4000);
    window.StopAll();
    QTRY_VERIFY_WITH_TIMEOUT(window.Room().Station(0).Snapshot().state == StationState::Connected,
                             6000);

    QAction* entry = nullptr;
    for (QAction* menu : window.menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == QStringLiteral("Class Debrief..."))
                entry = action;
        }
    }
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    auto* debrief = window.findChild<ClassDebriefDlg*>();
    ASSERT_NE(debrief, nullptr);
    ASSERT_EQ(debrief->Runs().size(), 1u);
    EXPECT_EQ(debrief->Runs()[0].name.trainer, "usb-A");
    EXPECT_TRUE(debrief->Runs()[0].ended);
}

} // namespace
} // namespace crvl
