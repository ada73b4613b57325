#pragma once

// The trainer's three custom scenario slots as the configuration tool sees
// them: ReadSlotInfo answered with SlotReply, UploadScenario stored and
// answered with Result, and the switches that preload a slot from a scenario
// file or make the answers go wrong.

#include <string>
#include <vector>

#include "base/status.h"

#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {

// Answers ReadSlotInfo and UploadScenario from the model's slots. With
// FaultSwitches::wrongSlot = N, the reply for slot N carries the number of
// the next slot; FaultSwitches::uploadResult is the Result of an upload.
void InstallSlotFeature(TrainerProtocol& protocol);

// --scenario FILE, --lesson NAME, --slot N, --slot-name N=TEXT, --wrong-slot N, --upload-result N.
void AddSlotSwitches(std::vector<SwitchSpec>& table);
// slots, slot-name, wrong-slot, upload-result, load.
void AddSlotCommands(CommandTable& table);

// Reads a scenario file into slot 1..3 (name from the file name); fails with
// the reason when the file cannot be read or its table is not valid.
Status LoadSlotFromFile(TrainerModel& model, int slot, const std::string& path);

// The folders a lesson is looked for in: "lessons/" beside the program (as
// in build/bin/), then the installed lessons.
std::vector<std::string> LessonDirectories();

// The file of the lesson NAME ("vf-first-shock", with or without ".scn") in
// the first of dirs that holds it; empty when none does or the name is not
// a plain lesson name (letters, digits and "-" only).
std::string FindLesson(const std::string& name, const std::vector<std::string>& dirs);

// "1: Custom 1 | 2: case | 3: Custom 3"
std::string SlotSummary(const TrainerModel& model);

} // namespace crvl::sim
