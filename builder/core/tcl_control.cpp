#include "builder/core/tcl_control.h"

#include "base/utf8_files.h"

#include "builder/core/builder_services.h"
#include "builder/core/text_codec.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace crvl {

namespace {

// Handles are numbered across the whole program and never reused. Only the
// builder's window thread opens files.
unsigned long handleCounter = 0;

bool isLineCharacter(char c) {
    // Bytes of multi-byte UTF-8 characters are all 0x80 and above.
    const auto b = static_cast<unsigned char>(c);
    return b == '\t' || b >= 32;
}

// Lower case for ASCII and the Latin-1 letters, which covers the names
// users give scenarios in the builder's languages.
char32_t folded(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    return c;
}

} // namespace

TclControl::TclControl(std::string base) : baseurl_(std::move(base)) {}

std::string TclControl::baseDirectory() const {
    return pathFromFileLocation(baseurl_);
}

TclHandle TclControl::openRead(const std::string& name) {
    return openFile(baseDirectory() + name);
}

TclHandle TclControl::openReadPath(const std::string& name, const std::string& path) {
    std::string dir = path;
    std::replace(dir.begin(), dir.end(), '\\', '/');
    return openFile(dir + name);
}

TclHandle TclControl::openFile(const std::string& path) {
    const Result<std::string> bytes = readFileBytes(path);
    if (!bytes.ok()) {
        return std::nullopt;
    }
    ReadStream stream;
    stream.id = "in" + std::to_string(++handleCounter);
    stream.text = decodeText(bytes.value(), currentEncoding());
    readStreams_.push_back(std::move(stream));
    return readStreams_.back().id;
}

TclControl::ReadStream* TclControl::find(const std::string& handle) {
    const auto it = std::find_if(readStreams_.begin(), readStreams_.end(),
                                 [&](const ReadStream& s) { return s.id == handle; });
    return it == readStreams_.end() ? nullptr : &*it;
}

std::optional<std::string> TclControl::readLine(const std::string& handle) {
    ReadStream* stream = find(handle);
    if (stream == nullptr) {
        return std::nullopt;
    }
    const std::string& text = stream->text;
    std::size_t& pos = stream->pos;
    while (pos < text.size() && !isLineCharacter(text[pos])) {
        ++pos;
    }
    if (pos >= text.size()) {
        return std::nullopt;
    }
    const std::size_t start = pos;
    while (pos < text.size() && isLineCharacter(text[pos])) {
        ++pos;
    }
    return text.substr(start, pos - start);
}

bool TclControl::eof(const std::string& handle) {
    const ReadStream* stream = find(handle);
    return stream == nullptr || stream->pos >= stream->text.size();
}

void TclControl::close(const std::string& handle) {
    const auto it = std::find_if(readStreams_.begin(), readStreams_.end(),
                                 [&](const ReadStream& s) { return s.id == handle; });
    if (it != readStreams_.end()) {
        readStreams_.erase(it);
    }
}

std::size_t TclControl::openCount() {
    return readStreams_.size();
}

bool TclControl::exist(const std::string& name) {
    std::error_code ec;
    return std::filesystem::exists(PathFromUtf8(baseDirectory() + name), ec);
}

bool TclControl::mkdir(const std::string& path) {
    const std::string base = baseDirectory();
    bool created = false;
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::error_code ec;
        created = std::filesystem::create_directory(PathFromUtf8(base + path.substr(0, slash)), ec);
        if (ec) {
            created = false;
        }
    }
    return created;
}

std::string TclControl::dir(const std::string& directory, const std::string& pattern) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(PathFromUtf8(baseDirectory() + directory), ec);
    std::string names;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = Utf8FromPath(it->path().filename());
        // A folder named like a scenario ("x.scn/") is no scenario file.
        std::error_code kind;
        if (it->is_regular_file(kind) && wildcardMatch(pattern, name)) {
            if (!names.empty()) {
                names += ';';
            }
            names += name;
        }
    }
    return names;
}

bool wildcardMatch(std::string_view patternUtf8, std::string_view nameUtf8) {
    const auto codePoints = [](std::string_view utf8) {
        std::u32string out;
        std::size_t pos = 0;
        while (pos < utf8.size()) {
            out += folded(nextCodePoint(utf8, pos));
        }
        return out;
    };
    const std::u32string pattern = codePoints(patternUtf8);
    const std::u32string name = codePoints(nameUtf8);
    // Iterative match that backtracks only to the last "*": never recursive,
    // quadratic at worst.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::u32string::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace crvl
