#include "builder/core/char_file_writer.h"
#include "base/utf8_files.h"

#include "builder/core/builder_services.h"
#include "builder/core/text_codec.h"

#include <cerrno>

namespace crvl {

namespace {

// errno as the reason of the call that just failed; an I/O error when the
// library did not say.
std::error_code systemError() {
    return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

} // namespace

CharFileWriter::CharFileWriter(std::string base) : base_(std::move(base)) {}

CharFileWriter::~CharFileWriter() {
    closeFile();
}

bool CharFileWriter::openWrite(const std::string& name) {
    if (out_ != nullptr) {
        std::fclose(out_);
        out_ = nullptr;
    }
    // The prefix goes once: a second openWrite on the same writer uses the
    // base as it is now.
    base_ = pathFromFileLocation(base_);
    path_ = base_ + name;
    errno = 0;
    out_ = OpenFile(PathFromUtf8(path_), "wb");
    failed_ = false;
    if (out_ == nullptr) {
        lastError_ = systemError();
    }
    return out_ != nullptr;
}

bool CharFileWriter::put(std::string_view utf8) {
    if (out_ == nullptr) {
        return false;
    }
    const std::string bytes = encodeText(utf8, currentEncoding());
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
        failed_ = true;
        lastError_ = systemError();
    }
    return !failed_;
}

bool CharFileWriter::writeLine(std::string_view text) {
    return put(text) && put("\r\n");
}

bool CharFileWriter::writeString(std::string_view text) {
    return put(text);
}

bool CharFileWriter::newLine() {
    return put("\r\n");
}

bool CharFileWriter::closeFile() {
    if (out_ == nullptr) {
        return false;
    }
    errno = 0;
    const bool flushed = std::fflush(out_) == 0;
    if (!flushed) {
        lastError_ = systemError();
    }
    errno = 0;
    const bool closed = std::fclose(out_) == 0;
    if (!closed && flushed) {
        lastError_ = systemError();
    }
    out_ = nullptr;
    return flushed && closed && !failed_;
}

} // namespace crvl
