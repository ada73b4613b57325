// UTF-8 file names on Windows: converted to and from the UTF-16 names the
// system uses, never through the ANSI code page.

#include "base/utf8_files.h"

#include <windows.h>

#include <shellapi.h>

namespace crvl {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                        nullptr, nullptr);
    return utf8;
}

} // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(Wide(utf8));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    return Narrow(path.wstring());
}

std::string GenericUtf8FromPath(const std::filesystem::path& path) {
    return Narrow(path.generic_wstring());
}

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return _wfopen(path.c_str(), Wide(mode).c_str());
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                        : std::vector<std::string>();
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return args;
}

} // namespace crvl
