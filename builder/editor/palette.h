#pragma once

// The editor's tool palette: every entry with its place, pictures, tooltip
// text key and the kind of press it makes. The window builds its image
// buttons from this table; the editor decides from it what a press does.

#include "builder/model/geometry.h"

#include <span>
#include <string>
#include <string_view>

namespace crvl {

enum class PaletteTool {
    createFramesTool,
    linkFramesTool,
    selectTool,
    deleteTool,
    undoTool,
    newTool,
    loadTool,
    saveTool,
    printTool,
    helpTool,
    ecgActionTool,
    electrodesActionTool,
    motionActionTool,
    batteryActionTool,
    failureActionTool,
    defibEventTool,
    timeEventTool,
    cprEventTool,
};

enum class ToolKind {
    Mode,    // sets the draw state (create, link, select)
    Element, // an action or event tool: EDITING
    Command, // acts once, then hands the palette back to the select tool
    Button,  // acts on press and never becomes the selected entry (delete, help)
};

// Where an entry stands: the editor area or one of the two bordered groups.
enum class PaletteGroup { Editor, Action, Event };

struct PaletteEntry {
    PaletteTool tool;
    std::string_view name; // the entry's name, also its widget's object name
    ToolKind kind;
    PaletteGroup group;
    Point position; // top-left corner in the editor area or in its group
    std::string_view imageNotSelected;
    std::string_view imageSelected; // empty: the entry has a single picture
    std::string_view tooltipKey;    // key of the language table
};

inline constexpr int PALETTE_BUTTON_SIZE = 34;

// All entries, the editor area's first, then the action and event groups.
std::span<const PaletteEntry> paletteEntries();
const PaletteEntry& paletteEntry(PaletteTool tool);

// The picture an entry shows; the undo tool's depends on whether there is
// something to undo.
std::string_view paletteImage(PaletteTool tool, bool selected, bool undoAvailable);

// The tooltip (and accessible name) of an entry, from the language table.
std::string paletteTooltip(PaletteTool tool);

// The bordered groups, in the editor area.
struct PaletteGroupBox {
    PaletteGroup group;
    std::string_view name;
    Rect bounds;
    std::string_view captionKey;
};
std::span<const PaletteGroupBox> paletteGroups();

} // namespace crvl
