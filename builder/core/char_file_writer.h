#pragma once

// Writes one text file line by line in Parameters::ENCODING with CR LF line
// ends.

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace crvl {

class CharFileWriter {
public:
    // base: a "file:" location or a plain directory; the file written is
    // base (without "file:/") + name.
    explicit CharFileWriter(std::string base);
    ~CharFileWriter();
    CharFileWriter(const CharFileWriter&) = delete;
    CharFileWriter& operator=(const CharFileWriter&) = delete;

    // Creates or empties the file and opens it; false on any failure.
    bool openWrite(const std::string& name);
    // Text followed by CR LF; false when not open or on a write error.
    bool writeLine(std::string_view text);
    // Text without line end; false when not open or on a write error.
    bool writeString(std::string_view text);
    // One CR LF; false when not open or on a write error.
    bool newLine();
    // Flushes and closes; true only when an open file was closed and every
    // byte written reached it.
    bool closeFile();

    const std::string& path() const { return path_; }
    // The system's reason for the last failed open, write or close.
    std::error_code lastError() const { return lastError_; }

private:
    bool put(std::string_view utf8);

    std::string base_;
    std::string path_;
    std::FILE* out_ = nullptr;
    bool failed_ = false;
    std::error_code lastError_;
};

} // namespace crvl
