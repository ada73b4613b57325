#pragma once

// Program-wide values and small services of the builder that need no window:
// the base location, the document-changed flag, file attributes, name
// sorting and the decimal-to-hexadecimal conversion.

#include "base/status.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace crvl {

// File attribute bits as the builder knows them.
inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
// What getFileAttributes returns when the attributes cannot be read.
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

class BuilderState {
public:
    BuilderState() = delete;

    // "file:/" + directory with "/" separators + "/".
    static std::string makeDocumentBase(const std::filesystem::path& directory);
    // Sets the base location from the working directory (or the given one).
    static void initDocumentBase();
    static void setDocumentBase(std::string base);
    static const std::string& getDocumentBase();
    // The directory under which the builder's data files lie: the base
    // location without its "file:/" prefix.
    static std::string getBaseDirectory();

    // Marks the scenario as changed since it was last saved or discarded.
    static void file_changed() { fileChanged = true; }
    static void clearFileChanged() { fileChanged = false; }
    static bool isFileChanged() { return fileChanged; }

private:
    // Read and written on the builder's window thread only.
    static inline bool fileChanged = false;
};

// Turns a "file:" location into a path: when the text begins with "file",
// its first six characters ("file:/") are removed; on Windows a "/" left
// before a drive letter is dropped too. Any other text is returned as it is.
std::string pathFromFileLocation(std::string_view location);

// The decimal number in text as upper-case hexadecimal, at least two digits
// ("9" -> "09", "30" -> "1E"); the empty text when text is not a decimal
// number.
std::string intStringToHexString(std::string_view text);

// Case-insensitive comparison of two names: <0, 0 or >0.
int compare(std::string_view a, std::string_view b);
// The names of a ";"-separated list, sorted ascending by compare.
std::vector<std::string> sortStrings(std::string_view list);

// The bytes of a whole file; a failure when it cannot be opened or read
// (a directory included).
Result<std::string> readFileBytes(const std::string& path);

// File attributes: READONLY when the owner cannot write the file, DIRECTORY
// for a directory, NORMAL otherwise; INVALID_FILE_ATTRIBUTES when they cannot
// be read (a missing file, for instance).
std::uint32_t getFileAttributes(const std::string& path);
// True when the read-only bit is set, which includes a file whose attributes
// cannot be read.
bool getFileReadOnly(const std::string& path);
// Makes the file writable by its owner. Failures are not reported.
void setFileAttributeNormal(const std::string& path);
// Deletes the file. Failures are not reported.
void deleteFile(const std::string& path);

} // namespace crvl
