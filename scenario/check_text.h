#pragma once

// The texts of scenario findings: one key per text with its English
// default. The builder takes these keys into its language table (so a
// translation file can replace them); the command-line tool uses the
// English defaults, so both say the same. In a text, %1, %2, ... stand for
// the finding's arguments.

#include "scenario/scenario_check.h"

#include <functional>
#include <string>
#include <string_view>

// X(key, English default) for every text of the checks.
#define CRVL_SCENARIO_CHECK_TEXTS(X)                                                               \
    X(checkUnreachableText, "%1 cannot be reached from Frame0.")                                   \
    X(checkEventNotConnectedText, "%1, output %2: the event has no connection and leads nowhere.") \
    X(checkConnectionWithoutEventText,                                                             \
      "%1, output %2: the connection has no event and is never followed.")                         \
    X(checkUnusedRowText, "%1: the %2 event leads to row %3, which no frame uses.")                \
    X(checkOutsideTableText, "%1: the %2 event leads to row %3, outside the table of 20 rows.")    \
    X(checkZeroTimeLoopText,                                                                       \
      "%1: the 0 s time event leads round a loop of 0 s time events; the trainer would spin.")     \
    X(checkNoRhythmText, "%1 sets no ECG rhythm; it keeps the rhythm of the frame before.")        \
    X(checkEndFrameText, "%1 has no way out: the scenario ends there.")                            \
    X(checkShockNotShockableText, "%1: a shock leads on, but the rhythm is not shockable.")        \
    X(checkFrameOutsideTableText, "%1 does not fit into the state table of 20 rows.")              \
    X(checkShockEventText, "shock")                                                                \
    X(checkCprEventText, "CPR")                                                                    \
    X(checkTimeEventText, "time")                                                                  \
    X(checkErrorText, "Error")                                                                     \
    X(checkWarningText, "Warning")                                                                 \
    X(checkNoteText, "Note")                                                                       \
    X(checkNoProblemsText, "No problems found.")                                                   \
    X(checkOnlyNotesText, "No errors or warnings found; the notes below may be intended.")

namespace crvl::scenario {

// The text of a key: the language table's, or the English default when
// lookup is empty or gives nullptr.
using TextLookup = std::function<const std::string*(std::string_view key)>;

// The English default of a key of the list above; nullptr for another key.
const char* EnglishDefault(std::string_view key);

// The pattern with %1..%9 replaced by args (a missing argument leaves the
// placeholder as it stands; text brought in is not searched again).
std::string FillText(std::string_view pattern, const std::vector<std::string>& args);

// The finding's sentence. An argument that is itself a key of the list (an
// event's name) is translated as well.
std::string FindingText(const Finding& finding, const TextLookup& lookup = {});

// "Error", "Warning" or "Note".
std::string SeverityText(Severity severity, const TextLookup& lookup = {});

// One line of a findings list: "Warning: Frame3 cannot be reached from Frame0."
std::string FindingLine(const Finding& finding, const TextLookup& lookup = {});

// "No problems found."
std::string NoProblemsText(const TextLookup& lookup = {});

// The line above findings without errors or warnings: "No problems found."
// when there are none at all, else that there are no errors or warnings
// (a note is not a problem, but "No problems found." beside one reads as
// a contradiction). Empty when an error or warning is among them.
std::string NoProblemsSummary(const std::vector<Finding>& findings, const TextLookup& lookup = {});

} // namespace crvl::scenario
