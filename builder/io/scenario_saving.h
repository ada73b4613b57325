#pragma once

// Saving the open diagram: the frames are renumbered without gaps, the
// saved-diagram text is built from the frames and connections, and the
// generator writes the scenario file.

#include "builder/io/tcl_code_generator.h"

#include <string>
#include <vector>

namespace crvl {

class Connection;
class DiagramHost;
class FrameEditor;
class ScenarioFrame;
class TclControl;

// The saved-diagram text of frames and connections as they stand: the
// frames' blocks in the order of their numbers, then the connections in
// list order.
std::string diagramText(std::vector<const ScenarioFrame*> frames,
                        const std::vector<Connection*>& connections);

// Renumbers the frames 0, 1, 2 ... in the order of their numbers (so the
// start frame stays "Frame0"), updates the next frame number, clears the
// undo and returns the saved-diagram text: the frames' blocks in number
// order, then the connections in list order.
std::string createStringFromDiagram(FrameEditor& editor, DiagramHost& host);

// What the state table needs of one frame.
FrameSnapshot snapshotOf(const ScenarioFrame& frame);

// Renumbers, builds the diagram text and writes fileName into directory.
// On failure the editor beeps and the console shows "Code generation error: "
// followed by the reason, which is also returned.
GenerationResult saveDiagram(FrameEditor& editor, DiagramHost& host, TclControl& hostIO,
                             const std::string& fileName, const std::string& directory,
                             const std::string& comment, GeneratorHooks hooks = {});

} // namespace crvl
