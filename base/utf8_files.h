#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace crvl {

// The cores keep file names as UTF-8 text, on every system. Windows names
// files in UTF-16, and a std::filesystem::path made from a plain std::string
// there would read the text in the ANSI code page, which turns "Jürgen" into
// something else and fails on names it cannot hold. These convert at the
// boundary; elsewhere the bytes pass through unchanged.

// The path a UTF-8 file name stands for.
std::filesystem::path PathFromUtf8(const std::string& utf8);

// A path as UTF-8 text, for messages and for storing.
std::string Utf8FromPath(const std::filesystem::path& path);
// The same with "/" between the parts on every system (Windows's own
// separator is "\\"), for names that are compared or shown as URLs.
std::string GenericUtf8FromPath(const std::filesystem::path& path);

// std::fopen for a path (on Windows through the wide-character call).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// A program's arguments as UTF-8 (on Windows from the wide command line, so
// that names outside the ANSI code page survive); argv[0] is left out.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

} // namespace crvl
