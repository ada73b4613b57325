#include "builder/editor/recent_scenarios.h"

#include "base/utf8_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace crvl {

namespace {

std::string normal(const std::string& path) {
    return GenericUtf8FromPath(PathFromUtf8(path).lexically_normal());
}

} // namespace

RecentScenarios::RecentScenarios(const std::vector<std::string>& entries) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        add(*it);
    }
}

void RecentScenarios::add(const std::string& path) {
    if (path.empty()) {
        return;
    }
    const std::string entry = normal(path);
    std::erase(entries_, entry);
    entries_.insert(entries_.begin(), entry);
    if (entries_.size() > MAX_ENTRIES) {
        entries_.resize(MAX_ENTRIES);
    }
}

std::vector<std::string> RecentScenarios::existing() const {
    std::vector<std::string> out;
    for (const std::string& entry : entries_) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(entry, ec)) {
            out.push_back(entry);
        }
    }
    return out;
}

} // namespace crvl
