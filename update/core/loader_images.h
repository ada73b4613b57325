#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace crvl::update {

// The microcontroller programs sent during boot-strap. They are firmware of
// the trainer and come as data files in the "loaders/" directory beside the
// program.
constexpr std::size_t kPreloaderOneSize = 32;
constexpr std::size_t kPreloaderTwoSize = 78;
constexpr std::size_t kFlashLoaderSize = 2048;

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

// Reads the four images from `dir`. On failure returns false and sets `error`
// to a message ready for the message box (with its line end).
bool LoadLoaderImages(const std::string& dir, LoaderImages& images, std::string& error);

} // namespace crvl::update
