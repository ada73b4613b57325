#include "update/core/loader_images.h"
#include "base/utf8_files.h"

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

// One image of exactly `size` bytes; a signed one begins with the flash
// loader's signature.
Result<std::vector<std::uint8_t>> ReadImage(const std::string& dir, const char* name,
                                            std::size_t size, bool signedImage) {
    const std::string path = dir + "/" + name;
    std::FILE* f = OpenFile(PathFromUtf8(path), "rb");
    if (f == nullptr) {
        return Status::Error(Format("Loader image %s cannot be opened.\r\n", path.c_str()));
    }
    // One byte more than needed tells an oversized file from a right one.
    std::vector<std::uint8_t> data(size + 1);
    const std::size_t got = std::fread(data.data(), 1, data.size(), f);
    std::fclose(f);
    if (got != size) {
        return Status::Error(Format("Loader image %s has the wrong size (%d bytes expected).\r\n",
                                    path.c_str(), static_cast<int>(size)));
    }
    data.resize(size);
    if (signedImage && !HasSignature(data)) {
        return Status::Error(
            Format("Loader image %s does not begin with A5 5A A5 A5.\r\n", path.c_str()));
    }
    return data;
}

} // namespace

bool LoaderImages::Complete() const {
    return preloaderOne.size() == boot::kPreloaderOneSize &&
           preloaderTwo.size() == boot::kPreloaderTwoSize &&
           flashLoaderIntel.size() == boot::kFlashLoaderSize &&
           flashLoaderAmd.size() == boot::kFlashLoaderSize && HasSignature(flashLoaderIntel) &&
           HasSignature(flashLoaderAmd);
}

Result<LoaderImages> LoadLoaderImages(const std::string& dir) {
    struct Part {
        const char* file;
        std::size_t size;
        bool signedImage;
        std::vector<std::uint8_t> LoaderImages::*image;
    };
    static constexpr Part kParts[] = {
        {kPreloaderOneFile, boot::kPreloaderOneSize, false, &LoaderImages::preloaderOne},
        {kPreloaderTwoFile, boot::kPreloaderTwoSize, false, &LoaderImages::preloaderTwo},
        {kFlashLoaderIntelFile, boot::kFlashLoaderSize, true, &LoaderImages::flashLoaderIntel},
        {kFlashLoaderAmdFile, boot::kFlashLoaderSize, true, &LoaderImages::flashLoaderAmd},
    };
    LoaderImages images;
    for (const Part& part : kParts) {
        Result<std::vector<std::uint8_t>> image =
            ReadImage(dir, part.file, part.size, part.signedImage);
        if (!image.ok()) {
            return image.status();
        }
        images.*part.image = std::move(image).value();
    }
    return images;
}

} // namespace crvl::update
