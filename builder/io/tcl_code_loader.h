#pragma once

// Reading a scenario back from the saved-diagram lines of its file (see
// docs/scenario-file.md). The state table in the same file is not read: the
// frames' actions and events are rebuilt from their saved type and attribute
// strings, and their codes computed afresh.

#include "base/status.h"
#include "builder/model/geometry.h"
#include "builder/model/scenario_element.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

class FrameEditor;
class ScenarioFrame;
class TclControl;

// What loading needs of the editor beyond the frames' own interface.
class DiagramHost {
public:
    virtual ~DiagramHost() = default;
    // Removes every connection and frame and clears the undo.
    virtual void deleteCurrentDiagram() = 0;
    // A new empty frame at the location, on the canvas, with the editor
    // listening to it.
    virtual ScenarioFrame& addLoadedFrame(const std::string& title, Point location) = 0;
    // Recomputes the next frame number from the frames on the canvas.
    virtual void setNindex() = 0;
    // Progress shown as the count followed by "...".
    virtual void showLoadSaveStatus(int count) = 0;
};

// The non-empty lines of a text, one after the other; carriage returns and
// line feeds separate lines.
class SavedLineReader {
public:
    explicit SavedLineReader(std::string text) : text_(std::move(text)) {}
    std::optional<std::string> next();

private:
    std::string text_;
    std::size_t pos_ = 0;
};

// One element as the saved diagram holds it, with the element made from it.
struct SavedElement {
    std::string type;
    std::string attributes;
    std::unique_ptr<ScenarioElement> element;
};

// A frame's block of the saved diagram, read but not yet on the canvas.
struct SavedFrame {
    std::string title;
    Point location;
    std::vector<SavedElement> actions; // element types known, in file order
    std::array<std::optional<SavedElement>, 3> outputs;
    // Element pairs that could not be read, as "title: type attributes".
    std::vector<std::string> skipped;
};

// Reads the frame whose header line ("#FrameIconComponent<TAB>title<TAB>x<TAB>y")
// was just taken from lines, up to and including "#EndFrameIconComponent".
// Pairs naming no element are passed over; a pair that names an element but
// cannot be read (a line without "#", a value the element refuses) is left
// out and listed in skipped. A failure when the frame itself cannot be read.
Result<SavedFrame> readFrameIconComponent(const std::string& header, SavedLineReader& lines);

// Puts the saved actions and events into a frame.
void fillFrame(ScenarioFrame& frame, const SavedFrame& saved);

class TCLCodeLoader {
public:
    explicit TCLCodeLoader(TclControl& hostIO) : hostIO_(hostIO) {}

    // The text of the file up to and including the line "#EndSavedDiagram"
    // (the whole file without it), each non-empty line followed by a line
    // feed. The failure "Cannot open " + fileName.
    Result<std::string> loadFile(const std::string& fileName, const std::string& directory);

private:
    TclControl& hostIO_;
};

// How a scenario file was loaded.
struct LoadReport {
    enum class Outcome {
        Loaded,     // the file's drawing is on the canvas, perhaps without skipped
        CannotOpen, // the file cannot be read: the start frame instead
        Damaged,    // the drawing cannot be read: the start frame instead
        NoDiagram,  // no saved drawing in the file: the start frame instead
        DiagramCut, // the drawing ends before "#EndSavedDiagram": the start frame instead
    };
    Outcome outcome = Outcome::Loaded;
    std::string error; // the reason when not loaded
    // Element pairs and connection lines left out, as the user may find them
    // in the file.
    std::vector<std::string> skipped;
};

// The editor's loading operations: they rebuild the diagram on the canvas
// of editor through host. Console lines and beeps go through editor.
class DiagramLoader {
public:
    static constexpr const char* TEMPLATE_DIR = "template/";
    static constexpr const char* DEFAULT_FRAME0 = "DefaultFrame0.scn";
    // Where the start frame stands when its template cannot be read.
    static constexpr Point EMPTY_FRAME0_LOCATION{100, 20};

    DiagramLoader(FrameEditor& editor, DiagramHost& host, TclControl& hostIO)
        : editor_(editor), host_(host), hostIO_(hostIO) {}

    // Replaces the open diagram by the one in the file. An unreadable
    // element or connection line is left out; any other error clears what
    // was read and falls back to the default start frame.
    LoadReport createDiagramFromFile(const std::string& fileName, const std::string& directory);
    // The default start frame from "template/DefaultFrame0.scn", or an empty
    // "Frame0" at EMPTY_FRAME0_LOCATION when that file cannot be read.
    void loadFrame0();
    void loadEmptyFrame0();

    // The three steps of rebuilding. The frame steps fail at a frame that
    // cannot be read; the frames before it stay on the canvas.
    Status loadFrameIconComponents(SavedLineReader& lines);
    Status loadFrameIconComponent(const std::string& header, SavedLineReader& lines);
    // A line that cannot be read, or that names a frame not on the canvas,
    // is left out with a console line: no connection is kept without both
    // of its frames.
    void loadConnections(SavedLineReader& lines);

    // What the steps left out since the loader was made.
    const std::vector<std::string>& skipped() const { return skipped_; }

private:
    // How far a scan of a saved text came.
    enum class ScanEnd { NoFrames, NoDiagramEnd, DiagramEnd };
    // Scans a saved text for its sections and rebuilds them.
    Result<ScanEnd> scanDiagram(const std::string& text);
    // The file's drawing on the canvas. A file without its whole drawing
    // fails, with outcome set to what was missing.
    Status loadDiagram(const std::string& text, LoadReport::Outcome& outcome);
    void fallBack(const std::string& error);

    FrameEditor& editor_;
    DiagramHost& host_;
    TclControl& hostIO_;
    std::vector<std::string> skipped_;
};

} // namespace crvl
