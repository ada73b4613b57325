// UTF-8 file names on POSIX systems: the system takes the bytes as they are.

#include "base/utf8_files.h"

namespace crvl {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return path.string();
}

std::string GenericUtf8FromPath(const std::filesystem::path& path) {
    return path.generic_string();
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

} // namespace crvl
