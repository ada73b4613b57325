#include "update/core/hex_image.h"
#include "base/utf8_files.h"

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
    file_ = OpenFile(PathFromUtf8(path), "r");
    return file_ != nullptr;
}

void HexImage::OpenStream(std::FILE* stream) {
    Close();
    file_ = stream;
}

void HexImage::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    backCount_ = 0;
}

int HexImage::Get() {
    if (backCount_ > 0) {
        return back_[--backCount_];
    }
    return std::fgetc(file_);
}

void HexImage::Unget(int c) {
    back_[backCount_++] = c;
}

int HexImage::NextChar() {
    // Where the C library does not translate CR LF, drop the CR so the
    // record is the same on every platform.
    const int c = Get();
    if (c == '\r') {
        const int next = Get();
        if (next == '\n') {
            return '\n';
        }
        if (next != EOF) {
            Unget(next);
        }
    }
    return c;
}

std::size_t HexImage::NextRecord(std::uint8_t* record) {
    if (file_ == nullptr) {
        return 0;
    }
    // Character by character rather than fgets, so a stray NUL byte in the
    // file does not cut the piece short.
    std::size_t length = 0;
    while (length < kMaxLineRead) {
        const int c = NextChar();
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
    if (length == kMaxLineRead && line_[length - 1] != '\n') {
        const int c = NextChar();
        if (c == '\n') {
            line_[length++] = '\n';
        } else if (c != EOF) {
            Unget(c);
        }
    }
    return BuildRecord(line_, length, record);
}

std::optional<int> HexImage::RecordCount(const std::string& path) {
    HexImage image;
    if (!image.Open(path)) {
        return std::nullopt;
    }
    std::uint8_t record[kMaxRecordSize];
    int count = 0;
    while (image.NextRecord(record) != 0) {
        ++count;
    }
    return count;
}

} // namespace crvl::update
