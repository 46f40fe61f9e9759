#include "tests/e2e/PictureComparison.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/Image.h"
#include "media/PngDecoder.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"

namespace tavrin::e2e {
namespace {

std::wstring referencePath(const std::string& name) {
    return hostPathToWine(TAVRIN_REFERENCE_FOLDER) + L"\\" + fromUtf8(name);
}

bool inside(const Region& r, int x, int y) {
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

}  // namespace

std::string Comparison::describe() const {
    if (!sameSize) return "the pictures differ in size";
    char text[128];
    std::snprintf(text, sizeof text, "%.3f%% of the pixels match, largest channel difference %d",
                  matchingShare * 100.0, worstDifference);
    return text;
}

Comparison comparePictures(const drive::ScreenPicture& actual, const drive::ScreenPicture& reference,
                           int tolerance, const std::vector<Region>& ignored) {
    Comparison result;
    result.sameSize = actual.width == reference.width && actual.height == reference.height &&
                      actual.width > 0 && actual.height > 0;
    if (!result.sameSize) return result;
    long compared = 0;
    long matching = 0;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            bool skip = false;
            for (const Region& r : ignored) skip = skip || inside(r, x, y);
            if (skip) continue;
            const std::uint32_t a = actual.at(x, y);
            const std::uint32_t b = reference.at(x, y);
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int difference = std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                                static_cast<int>((b >> shift) & 0xFF));
                if (difference > worst) worst = difference;
            }
            if (worst > result.worstDifference) result.worstDifference = worst;
            ++compared;
            if (worst <= tolerance) ++matching;
        }
    }
    result.matchingShare = compared ? static_cast<double>(matching) / compared : 0.0;
    return result;
}

drive::ScreenPicture loadReference(const std::string& name) {
    drive::ScreenPicture picture;
    const test::Bytes bytes = test::readBytes(referencePath(name));
    const std::unique_ptr<Image> image = decodePng(bytes.data(), bytes.size());
    if (!image) return picture;
    // Both are bottom-up rows of four bytes a pixel, blue first; the fourth byte is not compared.
    picture.width = image->width();
    picture.height = image->height();
    picture.pixels.assign(image->pixels(), image->pixels() + image->stride() * image->height());
    return picture;
}

bool storeReference(const drive::ScreenPicture& picture, const std::string& name) {
    return drive::savePicture(picture, referencePath(name));
}

bool updatingReferences() {
    const char* value = std::getenv("TAVRIN_UPDATE_REFERENCES");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace tavrin::e2e
