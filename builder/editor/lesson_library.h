#pragma once

// The lessons that ship beside the builder: ready scenarios in lessons/,
// read-only. Their comments are shown to the user, so every language has a
// folder of its own (the language table's lessonsFolder, "lessons/de/" for
// German); a language without one gets the English lessons/.

#include <string>
#include <vector>

namespace crvl {

class TclControl;

struct LessonEntry {
    std::string name;     // the file name without ".scn", e.g. "vf-first-shock"
    std::string filename; // "vf-first-shock.scn"
    std::string path;     // the folder, ending with "/"
    std::string comment;  // decoded: lines end in CR LF
};

// The English lessons' folder under the base directory.
inline const std::string kLessonsFolder = "lessons/";

// The lessons of folder (under the base directory), ordered by name; those
// of kLessonsFolder when folder holds none.
std::vector<LessonEntry> listLessons(TclControl& io, const std::string& folder);

// Whether path (a folder, ending with "/" or not) is kLessonsFolder under
// baseDirectory or one of its folders; nothing is ever saved
// there.
bool isLessonsPath(const std::string& baseDirectory, const std::string& path);

} // namespace crvl
