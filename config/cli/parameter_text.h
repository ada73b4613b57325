// The trainer's parameter record as crvlctl names it: one "name = value" per
// parameter, in the order of the record, and the values a command line may
// give. The values are the ones the configuration dialog's controls allow,
// derived from the dialog's own ranges and time texts; times are seconds.
#pragma once

#include "base/status.h"
#include "config/cli/named_values.h"
#include "protocol/trainer_messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace crvl::cli {

// The twelve names (the option byte gives three), in the order of the record.
const std::vector<std::string_view>& ParameterNames();

// Every parameter of the record; a byte no control can show keeps its number.
NamedValues DescribeParameters(const ParameterRecord& record);

// Applies one "name=value" to the record, touching only that parameter's
// byte (or bit). Fails with the reason when the name is unknown or the
// value is not one the parameter allows; the record is then unchanged.
Status ApplyParameter(std::string_view assignment, ParameterRecord& record);

// One line per parameter with its allowed values, for --help.
std::string ParameterHelp();

} // namespace crvl::cli
