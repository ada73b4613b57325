// The configuration tool's part of the road: crvlconfig as a process over
// the real serial link (COM1 mapped to the simulator's terminal), driven by
// its buttons, the upload dialog, the file dialog, the message boxes and its
// right-click menu.
#include "config/app/control_ids.h"
#include "config/core/monitor_logic.h"
#include "tests/e2e/road_steps.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace crvl::e2e {

namespace {

const std::string kDialog = "crvl::CConfigDlg";

std::string Control(int id) {
    return kDialog + "/" + std::to_string(id);
}

std::string InModal(int id) {
    return "@modal/" + std::to_string(id);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

ConfigSession::ConfigSession(const std::filesystem::path& workDir, const std::string& com1) {
    program_.Start(
        "crvlconfig", QString::fromStdString(workDir.string()),
        {QString::fromStdString("CRVL_COM1=" + com1),
         QStringLiteral("CRVL_INSTANCE_KEY=e2e-%1").arg(QCoreApplication::applicationPid())});
}

bool ConfigSession::Connect(std::string& status) {
    program_.Do({"click", Control(ids::kConnect)});
    // The connected view: a green lamp, the button offers Disconnect, the
    // parameter fields are filled in.
    const bool connected = WaitFor(
        [&] {
            return program_.Description(Control(ids::kConnectionLamp)) == "green, lit" &&
                   program_.Text(Control(ids::kConnect)) == "Disconnect" &&
                   !program_.Text(Control(ids::kVolumeEdit)).empty();
        },
        10000);
    status = program_.Text(Control(ids::kStatus));
    return connected;
}

std::string ConfigSession::Upload(int slot, const std::filesystem::path& file) {
    program_.Do({"click", Control(ids::kCustomScenarios)});
    if (!program_.WaitForModal("crvl::CUploadDlg")) {
        ADD_FAILURE() << "no upload dialog";
        return {};
    }
    const int radioIds[] = {ids::kUploadSlot1, ids::kUploadSlot2, ids::kUploadSlot3};
    program_.Do({"click", InModal(radioIds[slot - 1])});
    EXPECT_TRUE(WaitFor([&] {
        return program_.Ask({"state", InModal(radioIds[slot - 1])}).value.find("checked=1") !=
               std::string::npos;
    }));
    if (const std::string shot = ShotPath("demo-upload.png"); !shot.empty())
        program_.Do({"grab", "@modal", shot});
    // Select New opens the file dialog: the file's path typed into its name
    // field, then Return.
    program_.Do({"click", InModal(ids::kUploadSelectNew)});
    if (!program_.WaitForModal("QFileDialog")) {
        ADD_FAILURE() << "no file dialog";
        return {};
    }
    program_.Do({"type", "@modal/fileNameEdit", file.string()});
    program_.Do({"key", "@modal/fileNameEdit", "Return"});
    // The box that tells how the upload went.
    if (!program_.WaitForModal("QMessageBox", 15000)) {
        ADD_FAILURE() << "no message after the upload; the window shows " << program_.ModalClass();
        return {};
    }
    const std::string message =
        program_.ModalTitle() + ": " + program_.Text("@modal/qt_msgbox_label");
    program_.Do({"click", "@modal/OK"});
    EXPECT_TRUE(program_.WaitForModal("crvl::CConfigDlg"));
    return message;
}

bool ConfigSession::WithMonitor(const std::function<void()>& checks) {
    program_.Do({"contextmenu", kDialog});
    if (!program_.WaitForPopup("QMenu")) {
        ADD_FAILURE() << "no right-click menu";
        return false;
    }
    program_.Do({"click", "@popup/Crvl Scenario Monitor"});
    if (!program_.WaitForModal("crvl::CMonitorDlg"))
        return false;
    checks();
    program_.Do({"click", InModal(ids::kMonitorExit)});
    return program_.WaitForModal("crvl::CConfigDlg");
}

std::string ConfigSession::MonitorScenario() {
    return program_.Text(InModal(ids::kMonitorScenarioEdit));
}

std::string ConfigSession::MonitorFrame() {
    return program_.Text(InModal(ids::kMonitorFrameEdit));
}

std::string ConfigSession::MonitorWaveform() {
    const std::string described = program_.Description(InModal(ids::kMonitorPlotFrame));
    const std::string prefix = "Rhythm: ";
    return described.rfind(prefix, 0) == 0 ? described.substr(prefix.size()) : described;
}

bool ConfigSession::MonitorLampLit(int lamp) {
    return EndsWith(program_.Description(InModal(kMonitorLampIds[static_cast<std::size_t>(lamp)])),
                    ", lit");
}

void ConfigSession::MonitorShot(const std::string& file) {
    program_.Do({"grab", "@modal", file});
}

} // namespace crvl::e2e
