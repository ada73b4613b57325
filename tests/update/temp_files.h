#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace crvl::update::test {

// A directory of its own for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("crvlupd-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes bytes as they are (no line-end translation).
    std::string Write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// A well-formed image: an extended address record, `dataRecords` data records
// of 16 bytes and the end-of-file record, with LF line ends.
std::string MakeHexImage(int dataRecords, const char* lineEnd = "\n");

// Every record of an image file, as the record phase sends them.
std::vector<std::vector<std::uint8_t>> ImageRecords(const std::string& path);

} // namespace crvl::update::test
