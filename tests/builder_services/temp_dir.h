#pragma once

// A scratch directory for one test, removed with everything in it afterwards.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace crvl::test {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> serial{0};
        path_ = std::filesystem::temp_directory_path() /
                ("crvl_bf_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        // Read-only files left by a test must not stop the clean-up.
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_, ec)) {
            std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a final "/".
    std::string dir() const { return path_.generic_string() + "/"; }
    // The directory as the builder's base location.
    std::string location() const { return "file:/" + dir(); }

    std::string write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return p.generic_string();
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

} // namespace crvl::test
