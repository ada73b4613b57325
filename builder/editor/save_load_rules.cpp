#include "builder/editor/save_load_rules.h"

#include "builder/core/builder_console.h"
#include "builder/core/builder_settings.h"
#include "builder/core/tcl_control.h"

namespace crvl {

namespace {

constexpr std::string_view kCommentTag = "# Comment:";
// "# Comment:" and the two characters the generator writes after it.
constexpr std::size_t kCommentStart = 12;

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

} // namespace

std::string encodeComment(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            out += '\t';
        } else if (c == '\t') {
            out += "    ";
        } else {
            out += c;
        }
    }
    return out;
}

std::string decodeComment(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (char c : stored) {
        if (c == '\t') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string nameFromProposal(std::string name) {
    if (name.starts_with(Parameters::SCENARIO_DIR)) {
        name.erase(0, Parameters::SCENARIO_DIR.size());
    }
    if (endsWith(name, ".tcl") || endsWith(name, Parameters::SCENARIO_EXTENSION)) {
        name.resize(name.size() - 4);
    }
    return name;
}

std::string blanksToUnderscores(std::string name) {
    for (char& c : name) {
        if (c == ' ') {
            c = '_';
        }
    }
    return name;
}

bool acceptableScenarioName(std::string_view name) {
    const auto first = name.find_first_not_of(' ');
    return first != std::string_view::npos && name.find_first_of("/\\;") == std::string_view::npos;
}

std::optional<std::string> readScenarioComment(TclControl& io, const std::string& filename,
                                               const std::string& path) {
    const auto handle = io.openReadPath(filename, path);
    if (!handle) {
        consoleLine("Cannot open " + path + filename);
        return std::nullopt;
    }
    std::string comment;
    while (!io.eof(*handle)) {
        const auto line = io.readLine(*handle);
        if (!line || line->starts_with("#BeginSavedDiagram")) {
            break;
        }
        if (line->starts_with(kCommentTag)) {
            comment = line->size() > kCommentStart ? line->substr(kCommentStart) : std::string();
            break;
        }
    }
    io.close(*handle);
    return decodeComment(comment);
}

std::string MenuControl::getMenus() {
    io_.mkdir(directory_);
    const std::string files = io_.dir(directory_, "*" + extension_);
    std::string menus;
    std::size_t start = 0;
    while (start < files.size()) {
        auto end = files.find(';', start);
        if (end == std::string::npos) {
            end = files.size();
        }
        const std::string name = files.substr(start, end - start);
        const auto dot = name.rfind('.');
        menus += (dot == std::string::npos ? name : name.substr(0, dot)) + ";";
        start = end + 1;
    }
    return menus;
}

} // namespace crvl
