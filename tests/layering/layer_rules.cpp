#include "tests/layering/layer_rules.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace crvl::layering {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line.substr(1));
    std::string cell;
    while (std::getline(in, cell, '|'))
        cells.push_back(cell);
    return cells;
}

// The room names in backticks of one cell: "`base/`, `serial/`".
std::vector<std::string> RoomNames(const std::string& cell) {
    static const std::regex name("`([a-z_/]+?)/?`");
    std::vector<std::string> names;
    for (std::sregex_iterator it(cell.begin(), cell.end(), name), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

// Each room with everything it may reach, directly or through the rooms it
// may include; fails on a circle, which would let two rooms include each other.
Result<std::map<std::string, std::set<std::string>>> Reach(const std::vector<Room>& rooms) {
    std::map<std::string, const Room*> byPath;
    for (const Room& room : rooms)
        byPath[room.path] = &room;
    std::map<std::string, std::set<std::string>> reach;
    std::set<std::string> open;
    std::string circle;
    std::function<void(const Room&)> visit = [&](const Room& room) {
        if (reach.count(room.path) || !circle.empty())
            return;
        if (!open.insert(room.path).second) {
            circle = room.path;
            return;
        }
        std::set<std::string> below;
        for (const std::string& lower : room.mayInclude) {
            visit(*byPath.at(lower));
            below.insert(lower);
            below.insert(reach[lower].begin(), reach[lower].end());
        }
        open.erase(room.path);
        reach[room.path] = below;
    };
    for (const Room& room : rooms)
        visit(room);
    if (!circle.empty())
        return Status::Error("the rooms include each other in a circle through " + circle);
    return reach;
}

const Room* RoomOf(const std::string& file, const std::vector<Room>& rooms) {
    const Room* best = nullptr;
    for (const Room& room : rooms) {
        if (file.rfind(room.path + "/", 0) == 0 && (!best || room.path.size() > best->path.size()))
            best = &room;
    }
    return best;
}

bool Skipped(const fs::path& relative) {
    const std::string top = relative.begin()->string();
    return top == "tests" || top.rfind("build", 0) == 0 || top.front() == '.';
}

void CheckFile(const fs::path& root, const std::string& file, const Room& room,
               const std::vector<Room>& rooms, const std::set<std::string>& reach,
               std::vector<std::string>& found) {
    static const std::regex quoted(R"(^\s*#\s*include\s+"([^"]+)\")");
    static const std::regex qt(R"(^\s*#\s*include\s+<Q[A-Za-z]*(/[^>]*)?>)");
    std::ifstream in(root / file);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = file + ":" + std::to_string(number) + ": ";
        std::smatch match;
        if (!room.qt && std::regex_search(line, match, qt)) {
            found.push_back(where + room.path + " knows nothing of Qt");
            continue;
        }
        if (!std::regex_search(line, match, quoted))
            continue;
        const std::string target = match[1];
        const Room* targetRoom = RoomOf(target, rooms);
        if (!fs::exists(root / target) || !targetRoom)
            found.push_back(where + "\"" + target + "\" is not a path from the source root");
        else if (targetRoom != &room && !reach.count(targetRoom->path))
            found.push_back(where + room.path + " may not include " + targetRoom->path + " (" +
                            target + ")");
    }
}

} // namespace

Result<std::vector<Room>> ReadRooms(const fs::path& architectureFile) {
    std::ifstream in(architectureFile);
    if (!in)
        return Status::Error("cannot read " + architectureFile.string());
    std::vector<Room> rooms;
    bool inTable = false;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.rfind("## ", 0) == 0) {
            inTable = line == "## Rooms";
            continue;
        }
        if (!inTable || line.rfind("| `", 0) != 0)
            continue;
        const std::vector<std::string> cells = Cells(line);
        const std::vector<std::string> own = cells.empty() ? cells : RoomNames(cells[0]);
        if (cells.size() < 4 || own.size() != 1)
            return Status::Error("line " + std::to_string(number) +
                                 ": a room's row is | `room/` | holds | may include | Qt |");
        Room room{own[0], RoomNames(cells[2]), cells[3].find("yes") != std::string::npos};
        for (const Room& earlier : rooms) {
            if (earlier.path == room.path)
                return Status::Error("line " + std::to_string(number) + ": " + room.path +
                                     " is named twice");
        }
        rooms.push_back(room);
    }
    for (const Room& room : rooms) {
        for (const std::string& lower : room.mayInclude) {
            if (std::none_of(rooms.begin(), rooms.end(),
                             [&](const Room& r) { return r.path == lower; }))
                return Status::Error(room.path + " may include " + lower + ", which is not a room");
        }
    }
    if (rooms.empty())
        return Status::Error("no rooms under \"## Rooms\" in " + architectureFile.string());
    const auto reach = Reach(rooms);
    if (!reach.ok())
        return reach.status();
    return rooms;
}

std::vector<std::string> CheckIncludes(const fs::path& root, const std::vector<Room>& rooms) {
    std::map<std::string, std::set<std::string>> reach = Reach(rooms).value();
    std::vector<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::path relative = fs::relative(it->path(), root);
        if (it->is_directory() && Skipped(relative)) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string extension = it->path().extension().string();
        if (it->is_regular_file() && (extension == ".cpp" || extension == ".h"))
            files.push_back(relative.generic_string());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> found;
    for (const std::string& file : files) {
        const Room* room = RoomOf(file, rooms);
        if (!room)
            found.push_back(file + ": lies in no room");
        else
            CheckFile(root, file, *room, rooms, reach[room->path], found);
    }
    return found;
}

} // namespace crvl::layering
