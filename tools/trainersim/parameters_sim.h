#pragma once

// The trainer's parameter record and identity as the configuration tool sees
// them: ReadParameters, WriteParameters with its Result, ReadVersion, and the
// switches and commands that make these answers fail.

#include <string>
#include <vector>

#include "tools/trainersim/sim_commands.h"
#include "tools/trainersim/sim_options.h"
#include "tools/trainersim/trainer_protocol.h"

namespace crvl::sim {

// Replaces the basic ReadParameters and ReadVersion answers with ones that
// honour the fault switches, and answers WriteParameters: the record is
// stored and Result carries FaultSwitches::writeResult (0 = success).
void InstallParameterFeature(TrainerProtocol& protocol);

// --parameters, --version, --battery, --write-result, --no-result,
// --no-version, --no-parameters, --attached-report.
void AddParameterSwitches(std::vector<SwitchSpec>& table);
// parameters, write-result, no-result, no-version, no-parameters,
// attached-report, battery.
void AddParameterCommands(CommandTable& table);

// "08 01 00 01 3c 78 78 3c aa 00" (or without blanks) to a record.
bool ParseParameterRecord(const std::string& text, ParameterRecord& record);

} // namespace crvl::sim
