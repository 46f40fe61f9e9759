#pragma once

#include <windows.h>

#include <memory>

namespace tavrin {

class Image;

// One skin picture from the program's "IMAGE" resources, drawn by a stretch copy of its colour
// bytes (the fourth byte is never blended). When the picture is missing or does not decode, the
// holder has no image and every drawing call draws nothing, so a window falls back to its plain
// background instead of failing.
class AlphaImage {
public:
    explicit AlphaImage(int resourceId);
    explicit AlphaImage(std::unique_ptr<Image> image);
    AlphaImage(const AlphaImage&) = delete;
    AlphaImage& operator=(const AlphaImage&) = delete;
    virtual ~AlphaImage();

    const Image* image() const { return image_.get(); }
    int width() const;
    int height() const;

    // Copies the source rectangle that starts at column sourceX of the bottom row, sourceWidth x
    // sourceHeight pixels, stretched into the destination rectangle. The device context's stretch
    // mode is left as the caller set it.
    void draw(HDC dc, int x, int y, int width, int height, int sourceX, int sourceWidth,
              int sourceHeight) const;
    // The whole picture at its natural size.
    void drawAt(HDC dc, int x, int y) const;
    // The whole picture stretched to w x h.
    void drawScaled(HDC dc, int x, int y, int w, int h) const;

private:
    std::unique_ptr<Image> image_;
};

}  // namespace tavrin
