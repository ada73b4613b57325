#include "config/app/ecg_plot.h"
#include "config/app/led_ctrl.h"
#include "config/app/monitor_dlg.h"
#include "config/app/upload_dlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace crvl {
namespace {

class MonitorDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        record_.scenario = 12;
        record_.frame = 17;
        record_.rhythm = 1;
        record_.shockable = 1;
        record_.battery = 1;
        dialog_ = std::make_unique<CMonitorDlg>(record_, [this] {
            const bool shock = shock_;
            shock_ = false;
            return shock;
        });
        dialog_->StepTimer()->stop(); // the test steps it
    }

    void Steps(int n) {
        for (int i = 0; i < n; ++i)
            dialog_->Step();
    }

    bool LampIs(MonitorLamp lamp, LampColour colour, LampLight light) {
        const CLedCtrl* led = dialog_->Lamp(lamp);
        return led->RowOffset() == static_cast<int>(colour) &&
               led->Column() == static_cast<int>(light);
    }

    MonitorRecord record_;
    bool shock_ = false;
    std::unique_ptr<CMonitorDlg> dialog_;
};

TEST_F(MonitorDlgTest, ControlsCarryTheirIdsAndNames) {
    EXPECT_EQ(dialog_->windowTitle(), "Scenario Monitor");
    for (const int id : kMonitorLampIds) {
        auto* lamp = dialog_->findChild<CLedCtrl*>(QString::number(id));
        ASSERT_NE(lamp, nullptr) << id;
        EXPECT_FALSE(lamp->accessibleName().isEmpty());
    }
    EXPECT_EQ(dialog_->findChild<CLedCtrl*>("1035")->accessibleName(), "Pads OK YES");
    EXPECT_EQ(dialog_->findChild<CLedCtrl*>("1052")->accessibleName(), "Battery DEP");
    ASSERT_NE(dialog_->findChild<QLineEdit*>("1000"), nullptr);
    ASSERT_NE(dialog_->findChild<QLineEdit*>("1001"), nullptr);
    ASSERT_NE(dialog_->findChild<CEcgPlot*>("1054"), nullptr);
    auto* exit = dialog_->findChild<QPushButton*>("2");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->text(), "Exit");
    EXPECT_EQ(dialog_->StepTimer()->interval(), 25);
    EXPECT_EQ(dialog_->Plot()->Layout().plot.left, 36);
}

TEST_F(MonitorDlgTest, TenthStepShowsTheRecord) {
    Steps(9);
    EXPECT_EQ(dialog_->ScenarioText(), "");
    Steps(1);
    EXPECT_EQ(dialog_->ScenarioText(), "C2");
    EXPECT_EQ(dialog_->FrameText(), "17");
    EXPECT_EQ(dialog_->CurrentWaveform(), Waveform::VT);
    EXPECT_TRUE(LampIs(kLampShockableYes, LampColour::Green, LampLight::Lit));
    EXPECT_TRUE(LampIs(kLampShockableNo, LampColour::Red, LampLight::Off));
    EXPECT_TRUE(LampIs(kLampBatteryLow, LampColour::Yellow, LampLight::Lit));
    EXPECT_TRUE(LampIs(kLampPadsYes, LampColour::Green, LampLight::Lit));
    // Screen readers hear the lamps and the curve.
    EXPECT_EQ(dialog_->Lamp(kLampShockableYes)->accessibleDescription(), "green, lit");
    EXPECT_EQ(dialog_->Lamp(kLampShockableNo)->accessibleDescription(), "red, off");
    EXPECT_EQ(dialog_->Plot()->accessibleDescription(), "Rhythm: VT");
}

TEST_F(MonitorDlgTest, LoosePadsFlattenTheCurve) {
    record_.electrodes = 1;
    Steps(10);
    EXPECT_TRUE(LampIs(kLampPadsNo, LampColour::Red, LampLight::Lit));
    const ChartLayout& l = dialog_->Plot()->Layout();
    const int zeroRow = l.plot.bottom - static_cast<int>(20.0 * l.verticalFactor);
    const QImage curve = dialog_->Plot()->CurveImage();
    for (int x = l.plot.left + 1; x < l.plot.right - 2; ++x)
        ASSERT_EQ(curve.pixel(x, zeroRow), qRgb(0, 255, 0)) << x;
}

TEST_F(MonitorDlgTest, ShockEventPlaysTheShock) {
    Steps(10);
    shock_ = true;
    Steps(1);
    EXPECT_EQ(record_.rhythm, kRhythmShock);
    Steps(1);
    EXPECT_EQ(dialog_->CurrentWaveform(), Waveform::Shock);
    EXPECT_EQ(dialog_->Plot()->accessibleDescription(), "Rhythm: Shock");
    Steps(11);
    EXPECT_EQ(dialog_->CurrentWaveform(), Waveform::Asystole);
    EXPECT_EQ(record_.rhythm, kRhythmAsystole);
}

TEST_F(MonitorDlgTest, ClosesWhenDisconnected) {
    dialog_->show();
    Steps(3);
    EXPECT_TRUE(dialog_->isVisible());
    dialog_->SetConnected(false);
    Steps(1);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

TEST_F(MonitorDlgTest, UploadDialogShowsTheSlotsAndCancelsWithTheFileDialog) {
    QString chosen;
    CUploadDlg upload({"alpha", "Download Error", "gamma"}, [&](QWidget*) { return chosen; });
    EXPECT_EQ(upload.windowTitle(), "Upload Custom Scenarios");
    EXPECT_EQ(upload.findChild<QLineEdit*>("1001")->text(), "Download Error");
    EXPECT_TRUE(upload.findChild<QLineEdit*>("1002")->isReadOnly());
    EXPECT_TRUE(upload.findChild<QRadioButton*>("1037")->isChecked());
    auto* selectNew = upload.findChild<QPushButton*>("1036");
    EXPECT_EQ(selectNew->toolTip(), "Select New Scenario");
    upload.SelectNew(); // the file dialog was cancelled
    EXPECT_EQ(upload.result(), QDialog::Rejected);

    chosen = "scenarios/case.scn";
    upload.findChild<QRadioButton*>("1039")->setChecked(true);
    upload.SelectNew();
    EXPECT_EQ(upload.result(), QDialog::Accepted);
    EXPECT_EQ(upload.SlotIndex(), 2);
    EXPECT_EQ(upload.FilePath(), chosen);
}

} // namespace
} // namespace crvl
