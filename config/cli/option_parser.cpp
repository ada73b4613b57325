#include "config/cli/option_parser.h"

#include <CLI/CLI.hpp>

#include <algorithm>

namespace crvl::cli {

namespace {

// CLI11's messages begin with the option they are about: "--log: 1 required
// TEXT missing".
std::string OptionOf(const CLI::ParseError& error) {
    const std::string message = error.what();
    const std::size_t colon = message.find(':');
    return colon == std::string::npos ? message : message.substr(0, colon);
}

} // namespace

Status RunParser(CLI::App& app, const std::vector<std::string>& args,
                 std::vector<std::string>& left) {
    app.allow_extras();
    app.set_help_flag(); // crvlctl's help texts are its own
    // CLI11 takes its arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        return Status::Error(OptionOf(error) + " needs a value");
    } catch (const CLI::ParseError& error) {
        return Status::Error(error.what());
    }
    left = app.remaining();
    return Status::Ok();
}

} // namespace crvl::cli
