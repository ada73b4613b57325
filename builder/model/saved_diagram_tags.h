#pragma once

// The tag lines of a saved diagram (docs/scenario-file.md), each without its
// line end: the frames and the saver write them; the loader, the history and
// copy and paste read them.

#include <string_view>

namespace crvl::saved_diagram {

constexpr std::string_view kDiagram = "#BeginSavedDiagram";
constexpr std::string_view kDiagramEnd = "#EndSavedDiagram";
constexpr std::string_view kFrames = "#FrameIconComponents";
constexpr std::string_view kFramesEnd = "#EndFrameIconComponents";
// A frame's header line: the tag, then title, x and y, each after a tab.
constexpr std::string_view kFrameHeader = "#FrameIconComponent\t";
constexpr std::string_view kFrameEnd = "#EndFrameIconComponent";
constexpr std::string_view kActionList = "#listOfactionItems";
constexpr std::string_view kActionListEnd = "#End";
// Followed by the output's number, 1 to 3.
constexpr std::string_view kOutput = "#Output";
constexpr std::string_view kConnections = "#Connections";
constexpr std::string_view kConnectionsEnd = "#EndConnections";

} // namespace crvl::saved_diagram
