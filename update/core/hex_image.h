#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace crvl::update {

// One line of an image file as it goes on the wire: the start character
// followed by the digit pairs turned into bytes. The boot loader on the
// trainer checks the record; we only convert by shape.
constexpr std::size_t kLineBufferSize = 128;
constexpr std::size_t kMaxLineRead = kLineBufferSize - 1;
constexpr std::size_t kMaxRecordSize = 64;

// value(c): low nibble, plus 9 from 'A' on, so 'a'..'f' and 'A'..'F' both
// give 10..15. Anything else is converted by the same rule, not rejected.
std::uint8_t HexDigitValue(char c);

// Converts the first `length` characters of `line` (the line feed counted when
// one was read) into `record`, which holds at least kMaxRecordSize bytes for
// lines of up to kLineBufferSize characters. Returns the record length.
std::size_t BuildRecord(const char* line, std::size_t length, std::uint8_t* record);

// Reads an image file piece by piece: a line of up to 127 characters, or the
// next 127 characters of a longer one. A CR LF line end reads as LF, and a
// line end that follows a full piece goes with that piece: a line end never
// becomes a record of its own (an empty line stays a record, the LF alone).
class HexImage {
public:
    HexImage() = default;
    ~HexImage();
    HexImage(const HexImage&) = delete;
    HexImage& operator=(const HexImage&) = delete;

    // Opens (or reopens from the start) the file. False if it cannot be read.
    bool Open(const std::string& path);
    // Reads from an open stream instead, which Close() then closes.
    void OpenStream(std::FILE* stream);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Builds the next record into `record` (kMaxRecordSize bytes) and returns
    // its length; 0 at the end of the file or when a read fails.
    std::size_t NextRecord(std::uint8_t* record);

    // How many records the file gives, or nothing when it cannot be read.
    static std::optional<int> RecordCount(const std::string& path);

private:
    int Get();
    void Unget(int c);
    // The next character, a CR LF pair taken as one LF.
    int NextChar();

    std::FILE* file_ = nullptr;
    // Room for a full piece and the line end it takes along.
    char line_[kLineBufferSize] = {};
    int back_[2] = {};
    int backCount_ = 0;
};

} // namespace crvl::update
