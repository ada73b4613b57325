// The steps of one scenario's road, each through one program's windows: the
// program runs as a process of its own and the steps drive it through its
// remote control, as a user would with mouse and keyboard.
#pragma once

#include "tests/e2e/remote_program.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace crvl::e2e {

// Where a step saves a picture of a window, or "" when pictures are not
// wanted (CRVL_E2E_SHOTS names the directory).
std::string ShotPath(const char* name);

// ---- crvlbuilder -------------------------------------------------------------

// What the builder showed and wrote.
struct BuilderRun {
    std::filesystem::path saved;      // the scenario file
    std::vector<std::string> dialogs; // titles of the element dialogs, in order
    std::string shownName;            // the scenario name above the canvas
    std::string output;               // the builder's console lines
};

// crvlbuilder started in base (its data files and scenarios/ there): three
// frames, an ECG action in each (VF, Sinus with pulse, Asystole), a shock
// event on Frame0 and a CPR-started event on Frame1, connections Frame0 ->
// Frame1 -> Frame2, saved as name through the save dialog.
BuilderRun DrawAndSaveScenario(const std::filesystem::path& base, const std::string& name);

// ---- crvlconfig ----------------------------------------------------------------

// crvlconfig started in workDir, its COM1 mapped to the simulator.
class ConfigSession {
public:
    ConfigSession(const std::filesystem::path& workDir, const std::string& com1);

    // Presses Connect and waits for the connected view; the status text.
    bool Connect(std::string& status);
    // Custom Scenarios: picks slot (1..3) and file in the upload dialog and
    // returns the title and text of the message box that ends the upload.
    std::string Upload(int slot, const std::filesystem::path& file);

    // Opens the monitor from the window's right-click menu, runs checks while
    // it is open, then closes it with its Exit button; false when it did not
    // open.
    bool WithMonitor(const std::function<void()>& checks);
    // The monitor's scenario and frame fields and the chart's rhythm.
    std::string MonitorScenario();
    std::string MonitorFrame();
    std::string MonitorWaveform();
    // Whether the monitor's lamp (index into its lamp table) is lit.
    bool MonitorLampLit(int lamp);
    void MonitorShot(const std::string& file);

    std::string Output() const { return program_.Output(); }

private:
    RemoteProgram program_;
};

} // namespace crvl::e2e
