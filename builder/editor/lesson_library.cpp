#include "lesson_library.h"

#include "parameters.h"
#include "save_load_rules.h"
#include "tcl_control.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace crvl {

namespace {

const std::string kEnglishLessons = "lessons/";

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::vector<std::string> lessonFiles(TclControl& io, const std::string& folder) {
    std::vector<std::string> files;
    const std::string names = io.dir(folder, "*" + Parameters::SCENARIO_EXTENSION);
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) {
            end = names.size();
        }
        if (end > start) {
            files.push_back(names.substr(start, end - start));
        }
        start = end + 1;
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The canonical form of a path that may not exist, so that "a/./b" and a
// link to the folder compare equal.
std::filesystem::path normalised(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : canonical;
}

} // namespace

std::string lessonsFolder(TclControl& io, const std::string& folder) {
    const std::string wanted = withSlash(folder);
    // A folder name leading out of the base directory is not a lessons folder.
    if (wanted.find("..") == std::string::npos && !lessonFiles(io, wanted).empty()) {
        return wanted;
    }
    return kEnglishLessons;
}

std::vector<LessonEntry> listLessons(TclControl& io, const std::string& folder) {
    const std::string chosen = lessonsFolder(io, folder);
    const std::string path = io.baseDirectory() + chosen;
    std::vector<LessonEntry> lessons;
    for (const std::string& filename : lessonFiles(io, chosen)) {
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
    const std::filesystem::path lessons =
        normalised(std::filesystem::path(baseDirectory) / "lessons");
    const std::filesystem::path folder = normalised(std::filesystem::path(path));
    const auto [l, f] = std::mismatch(lessons.begin(), lessons.end(), folder.begin(), folder.end());
    return l == lessons.end() || (l->empty() && std::next(l) == lessons.end());
}

} // namespace crvl
