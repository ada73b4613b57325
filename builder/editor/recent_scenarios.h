#pragma once

// The scenario files saved or loaded last, newest first, each once. The
// window keeps the list in the user's settings and offers it in its File
// menu.

#include <cstddef>
#include <string>
#include <vector>

namespace crvl {

class RecentScenarios {
public:
    static constexpr std::size_t MAX_ENTRIES = 8;

    // Entries as stored, newest first; empty and repeated ones are dropped.
    explicit RecentScenarios(const std::vector<std::string>& entries = {});

    // The file was saved or loaded: it moves to the front.
    void add(const std::string& path);
    const std::vector<std::string>& entries() const { return entries_; }
    // The entries whose file still exists.
    std::vector<std::string> existing() const;

private:
    std::vector<std::string> entries_;
};

} // namespace crvl
