// Arbitrary bytes as an image file. Every record the reader yields must be
// the conversion of the next piece that a plain reading of the rules cuts
// from the bytes: no piece lost, none made up, no read out of bounds.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/core/hex_image.h"

namespace {

using crvl::update::kMaxLineRead;
using crvl::update::kMaxRecordSize;

// The pieces as the rules describe them: CR LF is one LF; a piece ends after
// an LF or at 127 characters; a line end right after a full piece belongs
// to it.
std::vector<std::string> Pieces(const std::uint8_t* data, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n')
            continue;
        text += static_cast<char>(data[i]);
    }
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && end - pos < kMaxLineRead && text[end] != '\n')
            ++end;
        if (end < text.size() && (text[end] == '\n'))
            ++end; // the line end, also after a full piece
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

std::uint8_t Value(char c) {
    const auto u = static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(u < 'A' ? (u & 0x0F) : (u & 0x0F) + 9);
}

// Start character unchanged, then pairs at 1, 3, 5 ... while i < L - 1.
std::vector<std::uint8_t> Convert(const std::string& piece) {
    std::vector<std::uint8_t> record{static_cast<std::uint8_t>(piece[0])};
    for (std::size_t i = 1; i + 1 < piece.size(); i += 2)
        record.push_back(static_cast<std::uint8_t>(Value(piece[i]) * 16 + Value(piece[i + 1])));
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> pieces = Pieces(data, size);
    std::vector<std::uint8_t> copy(data, data + size);
    std::FILE* stream = copy.empty() ? std::tmpfile() : ::fmemopen(copy.data(), copy.size(), "r");
    if (stream == nullptr)
        std::abort();
    crvl::update::HexImage image;
    image.OpenStream(stream);
    // Room past the record's end, so a write beyond it shows as a changed
    // guard byte as well as to the address sanitizer.
    std::uint8_t record[kMaxRecordSize + 8];
    std::size_t n = 0;
    for (;; ++n) {
        for (auto& b : record)
            b = 0xEE;
        const std::size_t length = image.NextRecord(record);
        if (length == 0)
            break;
        if (length > kMaxRecordSize || n >= pieces.size())
            std::abort();
        for (std::size_t i = kMaxRecordSize; i < sizeof record; ++i)
            if (record[i] != 0xEE)
                std::abort();
        if (std::vector<std::uint8_t>(record, record + length) != Convert(pieces[n]))
            std::abort();
    }
    if (n != pieces.size())
        std::abort();
    return 0;
}
