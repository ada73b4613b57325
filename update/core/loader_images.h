#pragma once

#include "base/status.h"
#include "protocol/boot_loader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crvl::update {

// The microcontroller programs sent during boot-strap. They are firmware of
// the trainer and come as data files in the "loaders/" directory beside the
// program; their sizes are the boot loader's (protocol/boot_loader.h).
constexpr const char* kLoaderDir = "loaders";
constexpr const char* kPreloaderOneFile = "preloader1.bin";
constexpr const char* kPreloaderTwoFile = "preloader2.bin";
constexpr const char* kFlashLoaderIntelFile = "flashloader_intel.bin";
constexpr const char* kFlashLoaderAmdFile = "flashloader_amd.bin";

struct LoaderImages {
    std::vector<std::uint8_t> preloaderOne;
    std::vector<std::uint8_t> preloaderTwo;
    std::vector<std::uint8_t> flashLoaderIntel; // first pass
    std::vector<std::uint8_t> flashLoaderAmd;   // second pass

    // True when all four have their sizes and both flash loaders begin with
    // A5 5A A5 A5.
    bool Complete() const;
};

// Reads the four images from `dir`. A failure's message is ready for the
// message box (with its line end).
Result<LoaderImages> LoadLoaderImages(const std::string& dir);

} // namespace crvl::update
