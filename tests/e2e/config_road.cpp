// The configuration tool's part of the road: its real main dialog over the
// real serial link (COM1 mapped to the simulator's terminal), driven by its
// buttons, the upload dialog, the file-open dialog and the message boxes.
#include "config_dlg.h"
#include "control_ids.h"
#include "led_ctrl.h"
#include "monitor_dlg.h"
#include "road_steps.h"
#include "upload_dlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace crvl::e2e {

namespace {

// The lamp strip's green row and its lit column.
constexpr int kGreenLamp = 16;
constexpr int kLampLit = 0;

const char* WaveformName(Waveform w) {
    switch (w) {
    case Waveform::Sinus:
        return "Sinus";
    case Waveform::VT:
        return "VT";
    case Waveform::VF:
        return "VF";
    case Waveform::Asystole:
        return "Asystole";
    case Waveform::Shock:
        return "Shock";
    }
    return "?";
}

} // namespace

struct ConfigSession::Impl {
    CConfigDlg dialog;
    CMonitorDlg* monitor = nullptr;

    template <typename T = QWidget> T* control(int id) {
        return dialog.findChild<T*>(QString::number(id));
    }
};

ConfigSession::ConfigSession() : impl_(new Impl) {
    impl_->dialog.show();
}

ConfigSession::~ConfigSession() {
    delete impl_;
}

bool ConfigSession::Connect(std::string& status) {
    auto* connect = impl_->control<QPushButton>(ids::kConnect);
    auto* lamp = impl_->control<CLedCtrl>(ids::kConnectionLamp);
    if (connect == nullptr || lamp == nullptr)
        return false;
    QTest::mouseClick(connect, Qt::LeftButton);
    // The connected view: a green lamp, the button offers Disconnect, the
    // parameter fields are filled in.
    const bool connected = WaitFor(
        [&] {
            return lamp->RowOffset() == kGreenLamp && lamp->Column() == kLampLit &&
                   connect->text() == "Disconnect" &&
                   !impl_->control<QLineEdit>(ids::kVolumeEdit)->text().isEmpty();
        },
        10000);
    if (auto* edit = impl_->control<QPlainTextEdit>(ids::kStatus))
        status = edit->toPlainText().toStdString();
    return connected;
}

std::string ConfigSession::Upload(int slot, const std::filesystem::path& file,
                                  QImage* dialogPicture) {
    std::string message;
    bool fileChosen = false;
    // The upload dialog: slot, then Select New, which opens the file dialog.
    OnNextModal("crvl::CUploadDlg", [&, slot](QWidget* modal) {
        auto* upload = qobject_cast<CUploadDlg*>(modal);
        ASSERT_NE(upload, nullptr) << modal->metaObject()->className();
        const int radioIds[] = {ids::kUploadSlot1, ids::kUploadSlot2, ids::kUploadSlot3};
        auto* radio = upload->findChild<QRadioButton*>(QString::number(radioIds[slot - 1]));
        ASSERT_NE(radio, nullptr);
        QTest::mouseClick(radio, Qt::LeftButton);
        if (dialogPicture != nullptr)
            *dialogPicture = upload->grab().toImage();
        OnNextModal("QFileDialog", [&](QWidget* chooser) {
            auto* files = qobject_cast<QFileDialog*>(chooser);
            ASSERT_NE(files, nullptr) << chooser->metaObject()->className();
            // The file's path typed into the name field, then Open.
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(file.string()));
            fileChosen = true;
            // Then the box that tells how the upload went.
            OnNextModal("QMessageBox", [&](QWidget* last) {
                auto* box = qobject_cast<QMessageBox*>(last);
                ASSERT_NE(box, nullptr) << last->metaObject()->className();
                message = (box->windowTitle() + ": " + box->text()).toStdString();
                box->accept();
            });
            QTimer::singleShot(0, files, [files] { QMetaObject::invokeMethod(files, "accept"); });
        });
        QTest::mouseClick(upload->findChild<QPushButton*>(QString::number(ids::kUploadSelectNew)),
                          Qt::LeftButton);
    });
    QTest::mouseClick(impl_->control<QPushButton>(ids::kCustomScenarios), Qt::LeftButton);
    WaitFor([&] { return !message.empty(); }, 15000);
    EXPECT_TRUE(fileChosen);
    return message;
}

bool ConfigSession::WithMonitor(const std::function<void()>& checks) {
    bool shown = false;
    OnNextModal("crvl::CMonitorDlg", [&](QWidget* modal) {
        impl_->monitor = qobject_cast<CMonitorDlg*>(modal);
        shown = true;
        checks();
        // Exit closes the monitor and ends the key press below.
        auto* exit = modal->findChild<QPushButton*>(QString::number(ids::kMonitorExit));
        if (exit != nullptr)
            QTest::mouseClick(exit, Qt::LeftButton);
        else
            impl_->monitor->reject();
        impl_->monitor = nullptr;
    });
    // The shortcut belongs to the active window; it returns when the
    // monitor has closed.
    QApplication::setActiveWindow(&impl_->dialog);
    QTest::keyClick(&impl_->dialog, Qt::Key_M, Qt::ControlModifier);
    return shown;
}

QString ConfigSession::MonitorScenario() const {
    return impl_->monitor->ScenarioText();
}
QString ConfigSession::MonitorFrame() const {
    return impl_->monitor->FrameText();
}
std::string ConfigSession::MonitorWaveform() const {
    return WaveformName(impl_->monitor->CurrentWaveform());
}
std::vector<int> ConfigSession::MonitorLitLamps() const {
    std::vector<int> lit;
    for (std::size_t lamp = 0; lamp < kMonitorLampCount; ++lamp)
        if (impl_->monitor->Lamp(static_cast<MonitorLamp>(lamp))->Column() == 0)
            lit.push_back(static_cast<int>(lamp));
    return lit;
}
QImage ConfigSession::MonitorPicture() const {
    return impl_->monitor->grab().toImage();
}
} // namespace crvl::e2e
