#include "builder/editor/builder_arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>

namespace crvl {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

BuilderArguments::BuilderArguments(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        const auto eq = arg.find('=');
        if (eq == std::string::npos) {
            parameters_[lowerCase(arg)] = "";
        } else {
            parameters_[lowerCase(arg.substr(0, eq))] = arg.substr(eq + 1);
        }
    }
}

std::optional<std::string> BuilderArguments::getParameter(const std::string& name) const {
    const auto it = parameters_.find(lowerCase(name));
    if (it == parameters_.end()) {
        return std::nullopt;
    }
    return it->second;
}

int BuilderArguments::integer(const std::string& name, int fallback) const {
    const auto value = getParameter(name);
    if (!value) {
        return fallback;
    }
    int result = 0;
    const char* end = value->data() + value->size();
    const auto [ptr, ec] = std::from_chars(value->data(), end, result);
    return ec == std::errc() && ptr == end ? result : -1;
}

int BuilderArguments::width(int fallback) const {
    return integer("width", fallback);
}

int BuilderArguments::height(int fallback) const {
    return integer("height", fallback);
}

bool BuilderArguments::barebones() const {
    return getParameter("barebones") == "true";
}

std::filesystem::path chooseBaseDirectory(const std::filesystem::path& workingDirectory,
                                          const std::filesystem::path& programDirectory) {
    std::error_code ec;
    if (!std::filesystem::is_directory(workingDirectory / "template", ec) &&
        !programDirectory.empty() &&
        std::filesystem::is_directory(programDirectory / "template", ec)) {
        return programDirectory;
    }
    return workingDirectory;
}

} // namespace crvl
