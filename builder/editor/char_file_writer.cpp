#include "char_file_writer.h"

#include "builder_services.h"
#include "text_codec.h"

namespace crvl {

CharFileWriter::CharFileWriter(std::string base) : base_(std::move(base)) {}

CharFileWriter::~CharFileWriter() {
    closeFile();
}

bool CharFileWriter::openWrite(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (out_ != nullptr) {
        std::fclose(out_);
        out_ = nullptr;
    }
    // The prefix goes once: a second openWrite on the same writer uses the
    // base as it is now.
    base_ = pathFromFileLocation(base_);
    path_ = base_ + name;
    out_ = std::fopen(path_.c_str(), "wb");
    failed_ = false;
    return out_ != nullptr;
}

bool CharFileWriter::put(std::string_view utf8) {
    if (out_ == nullptr) {
        return false;
    }
    const std::string bytes = encodeText(utf8, currentEncoding());
    if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size()) {
        failed_ = true;
    }
    return !failed_;
}

bool CharFileWriter::writeLine(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    return put(text) && put("\r\n");
}

bool CharFileWriter::writeString(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    return put(text);
}

bool CharFileWriter::newLine() {
    std::lock_guard<std::mutex> lock(mutex_);
    return put("\r\n");
}

bool CharFileWriter::closeFile() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (out_ == nullptr) {
        return false;
    }
    const bool flushed = std::fflush(out_) == 0;
    const bool closed = std::fclose(out_) == 0;
    out_ = nullptr;
    return flushed && closed && !failed_;
}

} // namespace crvl
