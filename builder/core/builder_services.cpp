#include "builder/core/builder_services.h"

#include "base/utf8_files.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

namespace crvl {

namespace {
std::string& documentBase() {
    static std::string base;
    return base;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}
} // namespace

std::string BuilderState::makeDocumentBase(const std::filesystem::path& directory) {
    std::string dir = directory.generic_string();
    std::replace(dir.begin(), dir.end(), '\\', '/');
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return "file:/" + dir;
}

void BuilderState::initDocumentBase() {
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    setDocumentBase(makeDocumentBase(ec ? PathFromUtf8(".") : cwd));
}

void BuilderState::setDocumentBase(std::string base) {
    documentBase() = std::move(base);
}

const std::string& BuilderState::getDocumentBase() {
    return documentBase();
}

std::string BuilderState::getBaseDirectory() {
    return pathFromFileLocation(documentBase());
}

std::string pathFromFileLocation(std::string_view location) {
    if (!startsWith(location, "file")) {
        return std::string(location);
    }
    location.remove_prefix(std::min<std::size_t>(6, location.size()));
#ifdef _WIN32
    // "/C:/dir/" names "C:/dir/" on Windows.
    if (location.size() >= 3 && location[0] == '/' &&
        std::isalpha(static_cast<unsigned char>(location[1])) && location[2] == ':') {
        location.remove_prefix(1);
    }
#endif
    return std::string(location);
}

std::string intStringToHexString(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) {
        return {};
    }
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return {};
        }
        if (value > (0xFFFFFFFFull - 9) / 10) {
            return {}; // beyond any number the builder writes
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (negative) {
        if (value > 0x80000000ull) {
            return {};
        }
        // Two's complement as a 32-bit integer, the form the table cells never hold.
        value = (0x100000000ull - value) & 0xFFFFFFFFull;
    } else if (value > 0x7FFFFFFFull) {
        return {};
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (hex.size() == 1) {
        hex.insert(hex.begin(), '0');
    }
    return hex;
}

int compare(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca - cb;
        }
    }
    return static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
}

std::vector<std::string> sortStrings(std::string_view list) {
    std::vector<std::string> names;
    if (list.empty()) {
        return names;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find(';', start);
        names.emplace_back(list.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& x, const std::string& y) { return compare(x, y) < 0; });
    return names;
}

Result<std::string> readFileBytes(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        return Status::Error("Cannot read a directory: " + path);
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        return Status::Error("Cannot open " + path);
    }
    std::string bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    if (in.bad()) {
        return Status::Error("Cannot read " + path);
    }
    return bytes;
}

std::uint32_t getFileAttributes(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status st = fs::status(PathFromUtf8(path), ec);
    if (ec || !fs::exists(st)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    std::uint32_t attributes = 0;
    if (fs::is_directory(st)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    }
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool getFileReadOnly(const std::string& path) {
    return (getFileAttributes(path) & FILE_ATTRIBUTE_READONLY) != 0;
}

void setFileAttributeNormal(const std::string& path) {
    std::error_code ec;
    std::filesystem::permissions(PathFromUtf8(path), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
}

void deleteFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(PathFromUtf8(path), ec)) {
        std::filesystem::remove(PathFromUtf8(path), ec);
    }
}

} // namespace crvl
