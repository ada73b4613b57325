#pragma once

// The builder's file access object: hands out read handles ("in1", "in2",
// ...) for text files under the base location and reads them line by line,
// decoded with Parameters::ENCODING. Results are returned; nothing throws.

#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace crvl {

using TclHandle = std::optional<std::string>;

class TclControl {
public:
    // base: the base location, a "file:" location ("file://home/u/builder/")
    // or a plain directory ending with a separator.
    explicit TclControl(std::string base);

    // Opens base directory + name. A new handle, or none.
    TclHandle openRead(const std::string& name);
    // Opens path + name, with every "\" in path read as "/". A new handle, or none.
    TclHandle openReadPath(const std::string& name, const std::string& path);

    // The next non-empty run of line characters (tab or code 32 and above);
    // every other character separates lines. None at the end of the file or
    // for a handle that is not open.
    std::optional<std::string> readLine(const std::string& handle);
    // True when no character is left or the handle is not open.
    bool eof(const std::string& handle);
    // Closes and forgets the handle; an unknown handle is ignored.
    void close(const std::string& handle);

    // Whether base directory + name exists (file or directory).
    bool exist(const std::string& name);
    // For every "/" in path, creates base directory + path up to it; returns
    // whether the last creation succeeded (false when it already existed or
    // when path has no "/").
    bool mkdir(const std::string& path);
    // The names of the files (not folders) in base directory + directory
    // matching pattern ("*" any run,
    // "?" one character, case ignored), joined by ";"; the empty text for a
    // missing or empty directory.
    std::string dir(const std::string& directory, const std::string& pattern);

    const std::string& baseurl() const { return baseurl_; }
    std::string baseDirectory() const;
    // Handles currently open, for diagnostics and tests.
    std::size_t openCount();

private:
    struct ReadStream {
        std::string id;
        std::string text; // decoded file contents, UTF-8
        std::size_t pos = 0;
    };

    TclHandle openFile(const std::string& path);
    ReadStream* find(const std::string& handle);

    std::string baseurl_;
    std::deque<ReadStream> readStreams_;
};

// Case-insensitive wildcard match: "*" matches any run, "?" one character.
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace crvl
