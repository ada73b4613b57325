// The classroom window as assistive technology sees it: each tile one group
// named after its trainer, its values as text, "Lost" once it has gone.
#include "config/classapp/class_window.h"
#include "config/classapp/trainer_tile.h"
#include "tests/classapp/class_sims.h"

#include <QAccessible>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace crvl {
namespace {

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

} // namespace
} // namespace crvl
