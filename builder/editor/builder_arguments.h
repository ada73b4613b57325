#pragma once

// The builder's command line and where it finds its data files.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace crvl {

// name=value arguments; the name is lower-cased, and an argument without
// "=" names a parameter with the empty value.
class BuilderArguments {
public:
    BuilderArguments() = default;
    explicit BuilderArguments(const std::vector<std::string>& args);

    // The value of a parameter by its name (any letter case), or nothing.
    std::optional<std::string> getParameter(const std::string& name) const;

    // "width" and "height" as integers, falling back to the given size; -1
    // when a value is not an integer.
    int width(int fallback) const;
    int height(int fallback) const;
    // "barebones=true": no menu bar.
    bool barebones() const;

private:
    int integer(const std::string& name, int fallback) const;
    std::map<std::string, std::string> parameters_;
};

// The directory the builder reads its data files from: the working
// directory, unless it holds no "template/" directory while the program's
// own directory does (a desktop launcher starts programs elsewhere).
std::filesystem::path chooseBaseDirectory(const std::filesystem::path& workingDirectory,
                                          const std::filesystem::path& programDirectory);

} // namespace crvl
