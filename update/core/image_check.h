#pragma once

#include "base/status.h"
#include "protocol/boot_loader.h"

#include <cstdint>
#include <string>

namespace crvl::update {

// The start of the message for an image file that cannot be opened.
constexpr const char* kCannotFind = "[E4]: Cannot find";

// What an image file holds, once it has been found fit to upload.
struct ImageSummary {
    std::uintmax_t bytes = 0;
    int records = 0; // lines, each one record on the wire
};

// Reads the whole image before anything goes to the trainer: the flash is
// erased before the first record is sent, so an image the loader would
// refuse halfway must be refused here. Every line must be one Intel HEX
// record (':', an even number of hexadecimal digits, a byte count that fits,
// a checksum that adds up, a known type) of at most 127 characters; the file
// must hold a data record and end with the end record; its data must fit
// into flashSize bytes. A failure's message names the line and the reason,
// with its line end, ready for the message box.
Result<ImageSummary> CheckImage(const std::string& path,
                                std::uint32_t flashSize = boot::kFlashSize);

} // namespace crvl::update
