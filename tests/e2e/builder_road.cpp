// The builder's part of the road: crvlbuilder as a process, driven through
// presses on its palette, its canvas and its frames, the element dialogs'
// controls and the save dialog.
#include "tests/e2e/road_steps.h"

#include <QPoint>

#include <gtest/gtest.h>

namespace crvl::e2e {

namespace {

const std::string kWindow = "crvl::MainFrame";
const std::string kCanvas = kWindow + "/bigPanel";

// A frame's parts, in the frame's own coordinates: its element list starts
// at the top left, its output boxes lie along its bottom edge (the first
// one at the left).
constexpr int kListX = 15;
constexpr int kListY = 8;
constexpr int kFirstOutputX = 42;
constexpr int kOutputFromBottom = 12;

class Builder {
public:
    explicit Builder(const std::filesystem::path& base) {
        started_ = program_.Start("crvlbuilder", QString::fromStdString(base.string()), {});
    }

    bool started() const { return started_; }
    RemoteProgram& program() { return program_; }

    std::string frame(const std::string& title) { return kCanvas + "/" + title; }
    bool hasFrame(const std::string& title) { return program_.Exists(frame(title)); }

    void press(const std::string& tool) { program_.Do({"click", kWindow + "/" + tool}); }

    void createFrame(int x, int y) {
        press("createFramesTool");
        program_.Do({"click", kCanvas, std::to_string(x), std::to_string(y)});
    }

    QPoint firstOutput(const std::string& title) {
        const std::vector<int> box = program_.Geometry(frame(title));
        return {kFirstOutputX, box[3] - kOutputFromBottom};
    }

    // Presses an element tool, then the frame at a point; fill sets the
    // element dialog's controls, then OK confirms it.
    void addElement(const std::string& tool, const std::string& title, QPoint at,
                    const std::function<void()>& fill) {
        press(tool);
        program_.Do({"click", frame(title), std::to_string(at.x()), std::to_string(at.y())});
        if (!program_.WaitForModal("crvl::ElementDialog")) {
            ADD_FAILURE() << tool << " on " << title << " opened no dialog";
            return;
        }
        dialogs_.push_back(program_.ModalTitle());
        fill();
        program_.Do({"click", "@modal/OK"});
        EXPECT_TRUE(WaitFor([&] { return program_.ModalClass().empty(); }))
            << "the dialog stayed open";
    }

    void addEcg(const std::string& title, const std::string& rhythm, bool pulse) {
        addElement("ecgActionTool", title, {kListX, kListY}, [&] {
            const std::string choice = "@modal/RhythmChoice";
            program_.Do({"key", choice, "Home"});
            for (int step = 0; step < 10 && program_.Text(choice) != rhythm; ++step)
                program_.Do({"key", choice, "Down"});
            EXPECT_EQ(program_.Text(choice), rhythm);
            const std::string box = "@modal/checkboxPulse";
            const std::string state = program_.Ask({"state", box}).value;
            const bool checked = state.find("checked=1") != std::string::npos;
            if (state.find("enabled=1") != std::string::npos && checked != pulse)
                program_.Do({"click", box});
        });
    }

    // Drags from the first output box of one frame onto another frame.
    void connect(const std::string& from, const std::string& to) {
        press("linkFramesTool");
        const QPoint start = firstOutput(from);
        const std::vector<int> source = program_.Geometry(frame(from));
        const std::vector<int> target = program_.Geometry(frame(to));
        const QPoint end(target[0] + target[2] / 2 - source[0],
                         target[1] + target[3] / 2 - source[1]);
        program_.Do({"drag", frame(from), std::to_string(start.x()), std::to_string(start.y()),
                     std::to_string(end.x()), std::to_string(end.y())});
    }

    // Save on the palette, the name typed into the save dialog, OK; true
    // once the file is there and the dialog has closed.
    bool save(const std::string& name, const std::filesystem::path& file) {
        press("saveTool");
        if (!program_.WaitForModal("crvl::SaveLoadDialog"))
            return false;
        program_.Do({"key", "@modal/textField1", "Ctrl+A"});
        program_.Do({"type", "@modal/textField1", name});
        program_.Do({"click", "@modal/okButton"});
        return WaitFor(
            [&] { return std::filesystem::exists(file) && program_.ModalClass().empty(); });
    }

    std::vector<std::string> dialogs() const { return dialogs_; }

private:
    RemoteProgram program_;
    bool started_ = false;
    std::vector<std::string> dialogs_;
};

} // namespace

BuilderRun DrawAndSaveScenario(const std::filesystem::path& base, const std::string& name) {
    BuilderRun run;
    Builder builder(base);
    if (!builder.started())
        return run;
    // The window's loop starts the editor, which loads the start frame.
    if (!WaitFor([&] { return builder.hasFrame("Frame0"); })) {
        ADD_FAILURE() << "the builder did not start: " << builder.program().Output();
        return run;
    }
    builder.createFrame(400, 40);
    builder.createFrame(400, 300);
    if (!WaitFor([&] { return builder.hasFrame("Frame1") && builder.hasFrame("Frame2"); })) {
        ADD_FAILURE() << "frames were not created";
        return run;
    }

    builder.addEcg("Frame0", "VF", false);
    builder.addEcg("Frame1", "Sinus", true);
    builder.addEcg("Frame2", "Asystole", false);
    RemoteProgram& ui = builder.program();
    builder.addElement("defibEventTool", "Frame0", builder.firstOutput("Frame0"), [&] {
        ui.Do({"key", "@modal/numericSpinner1", "Ctrl+A"});
        ui.Do({"type", "@modal/numericSpinner1", "1"});
    });
    builder.addElement("cprEventTool", "Frame1", builder.firstOutput("Frame1"), [&] {
        ui.Do({"click", "@modal/radioCPRstarted"});
    });
    builder.connect("Frame0", "Frame1");
    builder.connect("Frame1", "Frame2");

    run.saved = base / "scenarios" / (name + ".scn");
    EXPECT_TRUE(builder.save(name, run.saved)) << "the save dialog did not write " << run.saved;
    run.shownName = ui.Text(kWindow + "/labelScenarioName");
    run.dialogs = builder.dialogs();
    if (const std::string shot = ShotPath("demo-builder.png"); !shot.empty())
        ui.Do({"grab", kWindow, shot});
    run.output = ui.Output();
    return run;
}

} // namespace crvl::e2e
