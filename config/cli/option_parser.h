// CLI11 under crvlctl's words: a parser for the global options and one for
// each command's own, with its errors turned into crvlctl's one-line usage
// messages. Arguments the parser does not know are left, in order, for the
// caller.
#pragma once

#include "base/status.h"

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace crvl::cli {

// Runs app over args (in their order) without CLI11's own help flag; an
// app that adds -h must drop that flag first (set_help_flag()). On success left holds what app did
// not take, in order; a failure names the option (for example "--seconds
// needs a value").
Status RunParser(CLI::App& app, const std::vector<std::string>& args,
                 std::vector<std::string>& left);

} // namespace crvl::cli
