#include "hex_image.h"

#include <sys/stat.h>

namespace crvl::update {

std::uint8_t HexDigitValue(char c) {
    const auto u = static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(u < 'A' ? (u & 0x0F) : (u & 0x0F) + 9);
}

std::size_t BuildRecord(const char* line, std::size_t length, std::uint8_t* record) {
    record[0] = static_cast<std::uint8_t>(line[0]);
    std::size_t n = 1;
    for (std::size_t i = 1; i + 1 < length; i += 2) {
        record[n++] =
            static_cast<std::uint8_t>(HexDigitValue(line[i]) * 16 + HexDigitValue(line[i + 1]));
    }
    return n;
}

HexImage::~HexImage() {
    Close();
}

bool HexImage::Open(const std::string& path) {
    Close();
    file_ = std::fopen(path.c_str(), "r");
    return file_ != nullptr;
}

void HexImage::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

std::size_t HexImage::NextRecord(std::uint8_t* record) {
    if (file_ == nullptr) {
        return 0;
    }
    // Character by character rather than fgets, so a stray NUL byte in the
    // file does not cut the piece short.
    std::size_t length = 0;
    while (length < kMaxLineRead) {
        const int c = std::fgetc(file_);
        if (c == EOF) {
            break;
        }
        line_[length++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (length == 0) {
        return 0;
    }
    // Where the C library does not translate CR LF, drop the CR so the
    // record is the same on every platform.
    if (length >= 2 && line_[length - 1] == '\n' && line_[length - 2] == '\r') {
        line_[length - 2] = '\n';
        --length;
    }
    return BuildRecord(line_, length, record);
}

std::optional<long long> HexImage::FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return static_cast<long long>(st.st_size);
}

} // namespace crvl::update
