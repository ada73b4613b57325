#include "update/core/loader_images.h"

#include "update/core/text_format.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace crvl::update {
namespace {

constexpr std::array<std::uint8_t, 4> kFlashLoaderSignature = {0xA5, 0x5A, 0xA5, 0xA5};

bool HasSignature(const std::vector<std::uint8_t>& image) {
    return image.size() >= kFlashLoaderSignature.size() &&
           std::equal(kFlashLoaderSignature.begin(), kFlashLoaderSignature.end(), image.begin());
}

bool ReadImage(const std::string& dir, const char* name, std::size_t size, bool signed_image,
               std::vector<std::uint8_t>& out, std::string& error) {
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = Format("Loader image %s cannot be opened.\r\n", path.c_str());
        return false;
    }
    // One byte more than needed tells an oversized file from a right one.
    std::vector<std::uint8_t> data(size + 1);
    const std::size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    if (got != size) {
        error = Format("Loader image %s has the wrong size (%d bytes expected).\r\n", path.c_str(),
                       static_cast<int>(size));
        return false;
    }
    data.resize(size);
    if (signed_image && !HasSignature(data)) {
        error = Format("Loader image %s does not begin with A5 5A A5 A5.\r\n", path.c_str());
        return false;
    }
    out = std::move(data);
    return true;
}

} // namespace

bool LoaderImages::Complete() const {
    return preloaderOne.size() == kPreloaderOneSize && preloaderTwo.size() == kPreloaderTwoSize &&
           flashLoaderIntel.size() == kFlashLoaderSize &&
           flashLoaderAmd.size() == kFlashLoaderSize && HasSignature(flashLoaderIntel) &&
           HasSignature(flashLoaderAmd);
}

bool LoadLoaderImages(const std::string& dir, LoaderImages& images, std::string& error) {
    LoaderImages loaded;
    if (!ReadImage(dir, kPreloaderOneFile, kPreloaderOneSize, false, loaded.preloaderOne, error) ||
        !ReadImage(dir, kPreloaderTwoFile, kPreloaderTwoSize, false, loaded.preloaderTwo, error) ||
        !ReadImage(dir, kFlashLoaderIntelFile, kFlashLoaderSize, true, loaded.flashLoaderIntel,
                   error) ||
        !ReadImage(dir, kFlashLoaderAmdFile, kFlashLoaderSize, true, loaded.flashLoaderAmd,
                   error)) {
        return false;
    }
    images = std::move(loaded);
    return true;
}

} // namespace crvl::update
