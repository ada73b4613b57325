#include "builder/editor/lesson_library.h"

#include "base/utf8_files.h"

#include "builder/core/builder_services.h"
#include "builder/core/builder_settings.h"
#include "builder/core/tcl_control.h"
#include "builder/editor/save_load_rules.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace crvl {

namespace {

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::vector<std::string> lessonFiles(TclControl& io, const std::string& folder) {
    const std::string names = io.dir(folder, "*" + Parameters::SCENARIO_EXTENSION);
    return sortStrings(names);
}

// The canonical form of a path that may not exist, so that "a/./b" and a
// link to the folder compare equal.
std::filesystem::path normalised(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : canonical;
}

} // namespace

std::vector<LessonEntry> listLessons(TclControl& io, const std::string& folder) {
    std::string chosen = withSlash(folder);
    // A folder name leading out of the base directory is not a lessons folder.
    std::vector<std::string> files;
    if (chosen.find("..") == std::string::npos) {
        files = lessonFiles(io, chosen);
    }
    if (files.empty() && chosen != kLessonsFolder) {
        chosen = kLessonsFolder;
        files = lessonFiles(io, chosen);
    }
    const std::string path = io.baseDirectory() + chosen;
    std::vector<LessonEntry> lessons;
    for (const std::string& filename : files) {
        LessonEntry lesson;
        lesson.filename = filename;
        lesson.name = filename.substr(0, filename.size() - Parameters::SCENARIO_EXTENSION.size());
        lesson.path = path;
        lesson.comment = readScenarioComment(io, filename, path).value_or(std::string());
        lessons.push_back(std::move(lesson));
    }
    return lessons;
}

bool isLessonsPath(const std::string& baseDirectory, const std::string& path) {
    const std::filesystem::path lessons = normalised(PathFromUtf8(baseDirectory + kLessonsFolder));
    const std::filesystem::path folder = normalised(PathFromUtf8(path));
    const auto [l, f] = std::mismatch(lessons.begin(), lessons.end(), folder.begin(), folder.end());
    return l == lessons.end() || (l->empty() && std::next(l) == lessons.end());
}

} // namespace crvl
