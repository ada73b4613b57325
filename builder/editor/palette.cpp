#include "builder/editor/palette.h"

#include "builder/core/se_language.h"

#include <array>
#include <stdexcept>

namespace crvl {

namespace {

using enum PaletteTool;
using enum ToolKind;
using enum PaletteGroup;

constexpr std::array<PaletteEntry, 18> kEntries{{
    {createFramesTool,
     "createFramesTool",
     Mode,
     Editor,
     {9, 4},
     "picts/no_create.gif",
     "picts/create.gif",
     "createFramesToolText"},
    {linkFramesTool,
     "linkFramesTool",
     Mode,
     Editor,
     {54, 4},
     "picts/no_link.gif",
     "picts/link.gif",
     "linkFramesToolText"},
    {selectTool,
     "selectTool",
     Mode,
     Editor,
     {99, 4},
     "picts/no_select.gif",
     "picts/select.gif",
     "selectToolText"},
    {deleteTool,
     "deleteTool",
     Button,
     Editor,
     {144, 4},
     "picts/no_delete.gif",
     "",
     "deleteToolText"},
    {undoTool,
     "undoTool",
     Command,
     Editor,
     {189, 4},
     "picts/no_Undo.gif",
     "picts/Undo.gif",
     "undoToolText"},
    {newTool,
     "newTool",
     Command,
     Editor,
     {573, 4},
     "picts/no_newScen.gif",
     "picts/newScen.gif",
     "newToolText"},
    {loadTool,
     "loadTool",
     Command,
     Editor,
     {618, 4},
     "picts/no_load.gif",
     "picts/load.gif",
     "loadToolText"},
    {saveTool,
     "saveTool",
     Command,
     Editor,
     {663, 4},
     "picts/no_save.gif",
     "picts/save.gif",
     "saveToolText"},
    {printTool,
     "printTool",
     Command,
     Editor,
     {708, 4},
     "picts/no_print.gif",
     "picts/print.gif",
     "printToolText"},
    {helpTool, "helpTool", Button, Editor, {753, 4}, "picts/no_help.gif", "", "helpToolText"},
    {ecgActionTool,
     "ecgActionTool",
     Element,
     Action,
     {0, 0},
     "picts/no_ecg.gif",
     "picts/ecg.gif",
     "ecgActionToolText"},
    {electrodesActionTool,
     "electrodesActionTool",
     Element,
     Action,
     {0, 37},
     "picts/no_Electrodes.gif",
     "picts/Electrodes.gif",
     "electrodesActionToolText"},
    {motionActionTool,
     "motionActionTool",
     Element,
     Action,
     {0, 74},
     "picts/no_Motion.gif",
     "picts/Motion.gif",
     "motionActionToolText"},
    {batteryActionTool,
     "batteryActionTool",
     Element,
     Action,
     {0, 111},
     "picts/no_Battery.gif",
     "picts/Battery.gif",
     "batteryActionToolText"},
    {failureActionTool,
     "failureActionTool",
     Element,
     Action,
     {0, 148},
     "picts/no_Failure.gif",
     "picts/Failure.gif",
     "failureActionToolText"},
    {defibEventTool,
     "defibEventTool",
     Element,
     Event,
     {2, 1},
     "picts/no_Shock.gif",
     "picts/shock.gif",
     "defibEventToolText"},
    {timeEventTool,
     "timeEventTool",
     Element,
     Event,
     {2, 39},
     "picts/no_time.gif",
     "picts/time.gif",
     "timeEventToolText"},
    {cprEventTool,
     "cprEventTool",
     Element,
     Event,
     {2, 78},
     "picts/no_cpr.gif",
     "picts/cpr.gif",
     "cprEventToolText"},
}};

constexpr std::array<PaletteGroupBox, 2> kGroups{{
    // Four pixels below the drawn place, so that the top row's tools (down
    // to y 38) do not cover the ECG tool's upper edge.
    {Action, "actionPanel", {-1, 38, 65, 223}, "actionPanelText"},
    {Event, "eventPanel", {-1, 291, 65, 115}, "eventPanelText"},
}};

} // namespace

std::span<const PaletteEntry> paletteEntries() {
    return kEntries;
}

std::span<const PaletteGroupBox> paletteGroups() {
    return kGroups;
}

const PaletteEntry& paletteEntry(PaletteTool tool) {
    for (const PaletteEntry& entry : kEntries) {
        if (entry.tool == tool) {
            return entry;
        }
    }
    throw std::logic_error("palette entry missing");
}

std::string_view paletteImage(PaletteTool tool, bool selected, bool undoAvailable) {
    if (tool == undoTool && !undoAvailable) {
        return selected ? "picts/UndoDisabled.gif" : "picts/no_UndoDisabled.gif";
    }
    const PaletteEntry& entry = paletteEntry(tool);
    return selected && !entry.imageSelected.empty() ? entry.imageSelected : entry.imageNotSelected;
}

std::string paletteTooltip(PaletteTool tool) {
    const std::string* text = seLanguage::text(paletteEntry(tool).tooltipKey);
    return text != nullptr ? *text : std::string();
}

} // namespace crvl
