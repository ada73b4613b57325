// The steps of one scenario's road, each through one program's windows. The
// builder's and the configuration tool's headers stay apart (both define
// control ids), so each program's steps live in a file of their own.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace crvl::e2e {

// Runs action on the next modal window of the class (a dialog or message
// box) that becomes the active one.
void OnNextModal(const char* className, std::function<void(QWidget*)> action);
// Lets the event loop run until done() or the time is up; true when done.
bool WaitFor(const std::function<bool()>& done, int waitMs = 5000);

// ---- crvlbuilder -------------------------------------------------------------

// What the builder's window showed and wrote.
struct BuilderRun {
    std::filesystem::path saved;      // the scenario file
    std::vector<std::string> console; // the builder's console lines
    std::vector<std::string> dialogs; // titles of the element dialogs, in order
    QString shownName;                // the scenario name above the canvas
    QImage picture;                   // the window after saving
};

// In a builder started on base (its data files and scenarios/ there): three
// frames, an ECG action in each (VF, Sinus with pulse, Asystole), a shock
// event on Frame0 and a CPR-started event on Frame1, connections Frame0 ->
// Frame1 -> Frame2, saved as name through the save dialog.
BuilderRun DrawAndSaveScenario(const std::filesystem::path& base, const std::string& name);

// ---- crvlconfig ----------------------------------------------------------------

// The configuration tool's main dialog, with COM1 mapped to the simulator.
class ConfigSession {
public:
    ConfigSession();
    ~ConfigSession();

    // Presses Connect and waits for the connected view; the status text.
    bool Connect(std::string& status);
    // Custom Scenarios: picks slot (1..3) and file in the upload dialog and
    // returns the text of the message box that ends the upload.
    std::string Upload(int slot, const std::filesystem::path& file, QImage* dialogPicture);

    // Opens the monitor (Ctrl+M), runs checks while it is open, then closes
    // it with its Exit button; false when it did not open.
    bool WithMonitor(const std::function<void()>& checks);
    // The monitor's scenario and frame fields and waveform name.
    QString MonitorScenario() const;
    QString MonitorFrame() const;
    std::string MonitorWaveform() const;
    // The lamps lit (column 0) among the monitor's lamps, by index.
    std::vector<int> MonitorLitLamps() const;
    QImage MonitorPicture() const;

private:
    struct Impl;
    Impl* impl_;
};

} // namespace crvl::e2e
