#pragma once

// The builder's language table: every text the user sees, by key, with its
// English default, and the few fixed constants the editor and its dialogs
// share. Texts are UTF-8; translateText replaces the defaults from the
// translation file once at start-up.

#include "scenario/check_text.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

// X(key, English default) for every translatable text; the scenario checks
// bring their own (check_text.h). The key is the name of
// the variable and, exactly, the key in the translation file.
#define CRVL_SE_LANGUAGE_TEXTS(X)                                                                  \
    X(menuFile, "File")                                                                            \
    X(menuHelp, "Help")                                                                            \
    X(menuItemNew, "New Scenario")                                                                 \
    X(menuItemLoad, "Load Scenario")                                                               \
    X(menuItemSave, "Save Scenario")                                                               \
    X(menuItemPrint, "Print Scenario")                                                             \
    X(menuItemExit, "Exit")                                                                        \
    X(menuItemAbout, "About")                                                                      \
    X(menuItemHelp, "Show Help")                                                                   \
    X(labelOkText, "OK")                                                                           \
    X(labelCancelText, "CANCEL")                                                                   \
    X(yesText, "Yes")                                                                              \
    X(noText, "No")                                                                                \
    X(labelBrowseText, "Browse...")                                                                \
    X(labelDeleteText, "Delete")                                                                   \
    X(labelCommentText, "Comment:")                                                                \
    X(labelFilenameText, "Filename:")                                                              \
    X(saveLoadProgressText, "Please wait...")                                                      \
    X(filenameExistsText, "Filename exists, overwrite?")                                           \
    X(fileReadOnlyText, "File is Read-only, overwrite?")                                           \
    X(defaultSavedFile, "Filename")                                                                \
    X(defaultLoadedFile, "NewFile")                                                                \
    X(actionPanelText, "Action")                                                                   \
    X(eventPanelText, "Event")                                                                     \
    X(newScenarioText, "New Scenario")                                                             \
    X(titleStateTransitionText, "Connect to frame")                                                \
    X(frameNameText, "Name = ")                                                                    \
    X(frameName, "Frame")                                                                          \
    X(saveScenarioText, "Save Scenario")                                                           \
    X(loadScenarioText, "Load Scenario")                                                           \
    X(saveChangesText, "Do you want to save changes ?")                                            \
    X(ecgActionToolText, "ECG and BP")                                                             \
    X(motionActionToolText, "Motion")                                                              \
    X(electrodesActionToolText, "Electrodes")                                                      \
    X(batteryActionToolText, "Battery")                                                            \
    X(failureActionToolText, "Failure")                                                            \
    X(createFramesToolText, "Create Frames")                                                       \
    X(linkFramesToolText, "Connect Frames")                                                        \
    X(selectToolText, "Select Frames")                                                             \
    X(defibEventToolText, "Defibrillation performed")                                              \
    X(cprEventToolText, "CPR performed")                                                           \
    X(timeEventToolText, "Time event")                                                             \
    X(newToolText, "New Scenario")                                                                 \
    X(loadToolText, "Load Scenario")                                                               \
    X(saveToolText, "Save Scenario")                                                               \
    X(printToolText, "Print Scenario")                                                             \
    X(helpToolText, "Help index")                                                                  \
    X(deleteToolText, "Delete object")                                                             \
    X(undoToolText, "Undo previous deletion")                                                      \
    X(manikinButtonText, "Return to manikin page")                                                 \
    X(twoOfSameEventText, "Can only have one event of this type in a frame.")                      \
    X(numOfFramesLimitText, "Can not have more than 20 frames in a scenario.")                     \
    X(titleECGAndBPText, "ECG")                                                                    \
    X(choiceBasicRhythmText, "Basic Rhythm")                                                       \
    X(radioShockableText, "Shockable")                                                             \
    X(radioNonShockableText, "Non Shockable")                                                      \
    X(pulseText, "Pulse")                                                                          \
    X(noPulseText, "No Pulse")                                                                     \
    X(SinusText, "Sinus")                                                                          \
    X(VTText, "VT")                                                                                \
    X(VFText, "VF")                                                                                \
    X(AsystoleText, "Asystole")                                                                    \
    X(titleMotionText, "Motion")                                                                   \
    X(radioMotionText, "Motion")                                                                   \
    X(radioNoMotionText, "No Motion")                                                              \
    X(titleElectrodesText, "Electrodes")                                                           \
    X(radioElectrodesOKText, "Electrodes OK")                                                      \
    X(radioElectrodesLooseText, "Electrodes Loose")                                                \
    X(titleBatteryText, "Battery")                                                                 \
    X(radioBatteryOKText, "Battery OK")                                                            \
    X(radioLowBatteryText, "Low Battery")                                                          \
    X(radioReplaceBatteryText, "Replace battery now")                                              \
    X(titleFailureText, "Failure")                                                                 \
    X(radioFailureText, "Failure")                                                                 \
    X(radioNoFailureText, "No Failure")                                                            \
    X(titleTimeEventText, "Time")                                                                  \
    X(checkTimeInStateText, "Time in this state equals")                                           \
    X(labelTimeUnitText, "Seconds")                                                                \
    X(timeEventText, "StateTime=")                                                                 \
    X(timeEventUnitText, "s")                                                                      \
    X(titleDefibEvent, "Defibrillation performed")                                                 \
    X(defibLabelShocks, "Shocks Delivered")                                                        \
    X(defibShocks, "shocks")                                                                       \
    X(titleCPR, "CPR")                                                                             \
    X(radioCPRstartedText, "CPR started")                                                          \
    X(radioCPRstoppedText, "CPR stopped")                                                          \
    X(radioCPRaccumulatedText, "CPR perfomed (accumulated) for")                                   \
    X(labelCPRtimeUnitText, "Seconds")                                                             \
    X(CPRstartedText, "CPR started")                                                               \
    X(CPRstoppedText, "CPR stopped")                                                               \
    X(CPRaccumulatedText, "CPR ")                                                                  \
    X(shortForCPRTime, "s")                                                                        \
    X(printTitle, "Select printing mode")                                                          \
    X(onePageText, "1 page")                                                                       \
    X(twoPageText, "2 pages")                                                                      \
    X(printingLabel, "Printing...")                                                                \
    X(deleteDialogTitle, "Delete Scenario")                                                        \
    X(deleteDialogText, "Do you really want to delete this scenario ?")                            \
    X(helpBack, "Back")                                                                            \
    X(helpForward, "Forward")                                                                      \
    X(helpPrint, "Print")                                                                          \
    X(helpClose, "Close")                                                                          \
    X(numberRangeText, "Please enter a whole number from %1 to %2.")                               \
    X(notSavedText, "The scenario was not saved as %1. Your drawing is still open.")               \
    X(notSavedNoPermissionText, "You have no permission to write there.")                          \
    X(notSavedFolderNotWritableText, "The scenario's folder must be writable: saving writes a "    \
                                     "new file beside the old one and then renames it.")           \
    X(notSavedDiskFullText, "The disk is full.")                                                   \
    X(notSavedTooManyFramesText, "A scenario can have no more than 20 frames.")                    \
    X(notSavedNoTemplateText, "The template file %1 is missing.")                                  \
    X(notSavedFolderText, "A folder of that name is in the way.")                                  \
    X(notSavedWriteErrorText, "The file could not be written.")                                    \
    X(loadFailedText, "The scenario %1 could not be loaded.")                                      \
    X(loadCannotOpenText, "The file cannot be read.")                                              \
    X(loadDamagedText, "Its drawing is damaged:")                                                  \
    X(loadNoDiagramText, "It holds no saved drawing (the lines from #BeginSavedDiagram to "        \
                         "#EndSavedDiagram). The start frame is shown instead.")                   \
    X(loadDiagramCutText, "Its saved drawing ends early: the line #EndSavedDiagram is missing. "   \
                          "The start frame is shown instead.")                                     \
    X(loadSkippedText, "These lines of %1 could not be read and were left out:")                   \
    X(scenarioFilesText, "Scenario files")                                                         \
    X(editorAccessibleText, "Scenario editor")                                                     \
    X(canvasAccessibleText, "Scenario canvas")                                                     \
    X(canvasViewAccessibleText, "Scenario canvas view")                                            \
    X(scenarioNameAccessibleText, "Scenario name")                                                 \
    X(tooltipAccessibleText, "Tooltip")                                                            \
    X(helpPageAccessibleText, "Help page")                                                         \
    X(helpStatusText, "Status")                                                                    \
    X(helpProgressAccessibleText, "Download progress")                                             \
    X(unencodableText, "These characters cannot be stored in the encoding %2 of the scenario "     \
                       "files: %1\nPlease remove or replace them.")                                \
    X(menuEdit, "Edit")                                                                            \
    X(menuItemUndo, "Undo")                                                                        \
    X(menuItemRedo, "Redo")                                                                        \
    X(undoStepText, "Undo %1")                                                                     \
    X(redoStepText, "Redo %1")                                                                     \
    X(menuItemCopy, "Copy")                                                                        \
    X(menuItemPaste, "Paste")                                                                      \
    X(menuRecent, "Recent Scenarios")                                                              \
    X(stepCreateFrame, "Create %1")                                                                \
    X(stepMoveFrame, "Move %1")                                                                    \
    X(stepDeleteFrame, "Delete %1")                                                                \
    X(stepDeleteAction, "Delete Action in %1")                                                     \
    X(stepClearOutput, "Clear Output of %1")                                                       \
    X(stepEditFrame, "Edit %1")                                                                    \
    X(stepCreateConnection, "Create Connection")                                                   \
    X(stepDeleteConnection, "Delete Connection")                                                   \
    X(stepPaste, "Paste")                                                                          \
    X(menuScenario, "Scenario")                                                                    \
    X(menuItemCheckScenario, "Check Scenario")                                                     \
    X(menuItemTryScenario, "Try Scenario")                                                         \
    X(checkWindowTitle, "Scenario Check")                                                          \
    X(tryWindowTitle, "Try Scenario")                                                              \
    X(tryFrameLabel, "Frame")                                                                      \
    X(tryRhythmLabel, "Rhythm")                                                                    \
    X(tryPadsLabel, "Pads")                                                                        \
    X(tryMotionLabel, "Motion")                                                                    \
    X(tryShockableLabel, "Shockable")                                                              \
    X(tryPulseLabel, "Pulse")                                                                      \
    X(tryBatteryLabel, "Battery")                                                                  \
    X(tryFailureLabel, "Failure")                                                                  \
    X(tryPadsAttachedText, "attached")                                                             \
    X(tryPadsLooseText, "loose")                                                                   \
    X(tryBatteryOkText, "OK")                                                                      \
    X(tryBatteryLowText, "low")                                                                    \
    X(tryBatteryReplaceText, "replace now")                                                        \
    X(tryShockButton, "Shock")                                                                     \
    X(tryCprStartButton, "CPR Start")                                                              \
    X(tryCprStopButton, "CPR Stop")                                                                \
    X(tryWaitButton, "Wait")                                                                       \
    X(tryRestartButton, "Restart")                                                                 \
    X(trySecondsLabel, "seconds")                                                                  \
    X(tryWaitStep, "Wait %1 s")                                                                    \
    X(tryStartStep, "Start")                                                                       \
    X(tryStepsLabel, "Steps")                                                                      \
    CRVL_SCENARIO_CHECK_TEXTS(X)                                                                   \
    X(addCommentsText, "Add your comments here")                                                   \
    X(menuItemOpenLesson, "Open Lesson...")                                                        \
    X(lessonWindowTitle, "Open Lesson")                                                            \
    X(lessonListLabel, "Lessons")                                                                  \
    X(lessonCommentLabel, "What the lesson teaches")                                               \
    X(lessonOpenButton, "Open")                                                                    \
    X(lessonsFolder, "lessons/")                                                                   \
    X(noLessonsText, "No lessons were found in %1.")                                               \
    X(lessonReadOnlyText, "%1 was not saved: the shipped lessons cannot be changed. Save the "     \
                          "scenario under a name of your own in scenarios/.")

// The text with "%1", "%2" ... "%9" replaced by the values in order, in one
// pass from the left: a value is never searched for placeholders. A
// placeholder without a value stays as it is.
std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values);

class seLanguage {
public:
    seLanguage() = delete;

    static inline const std::string TRANSLATOR_NAME = "inits/seTranslator.ini";
    static inline const std::string REFRESHSCREEN_ACTION = "RefreshScreenAction";
    static inline const std::string READ_EVENT_ACTION = "ReadEvent";
    static inline const std::string READ_ACTION_ACTION = "ReadAction";
    static inline const std::string SAVELOAD_CANCEL_ACTION = "SaveLoadCancel";
    static inline const std::string SAVE_OK_ACTION = "SaveDialogOk";
    static inline const std::string LOAD_OK_ACTION = "LoadDialogOk";
    static inline const std::string READ_CANCEL_ACTION = "ReadCancel";
    static inline const std::string READ_OK_ACTION = "ReadOk";
    static inline const std::string NAME_STARTFRAME = "Frame0";

    // The last ECG attribute text the editor stored, offered again by the
    // ECG dialog. Empty at start.
    static inline std::string lastECGAttributes;

#define CRVL_SE_LANGUAGE_DECLARE(key, text) static inline std::string key = text;
    CRVL_SE_LANGUAGE_TEXTS(CRVL_SE_LANGUAGE_DECLARE)
#undef CRVL_SE_LANGUAGE_DECLARE

    // Reads base + the chosen language's file, TRANSLATOR_NAME unless
    // chooseLanguage chose another (base is a "file:" location or a plain
    // directory, ending with a separator), sets Parameters::ENCODING and the
    // texts the file names. Diagnostics go to the builder console. Never
    // fails: without a usable file everything keeps its value.
    static void translateText(const std::string& base);

    // Chooses the language: translateText reads that language's file when
    // base ships it (builder_language.h), the English one otherwise.
    // restoreDefaults goes back to English.
    static void chooseLanguage(const std::string& base, const std::string& wanted);
    // The language chosen: "en" unless another one's file ships.
    static const std::string& language() {
        return language_;
    }

    // Parses translation file contents already in memory (what translateText
    // does after reading the file). Used by the fuzz target and tests.
    static void translateBytes(std::string_view bytes);

    // How many keys the first table had; keys() lists them first, then the
    // added ones, each listed in docs/language-file.md.
    static constexpr std::size_t ORIGINAL_KEY_COUNT = 102;

    // All keys, in table order.
    static const std::vector<std::string>& keys();
    // The current text of a key, or nullptr for an unknown key.
    static const std::string* text(std::string_view key);
    // The built-in English default of a key, or nullptr.
    static const char* defaultText(std::string_view key);
    // Puts every text, lastECGAttributes, Parameters::ENCODING and the
    // language back to their start values.
    static void restoreDefaults();

private:
    static inline std::string language_ = "en";
    static inline std::string translatorName_ = TRANSLATOR_NAME;

    // Sets the text of a known key; unknown keys are ignored.
    static void setTheParameter(std::string_view key, const std::string& text);
};

} // namespace crvl
