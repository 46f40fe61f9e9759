#include "ui/PlayTrackBar_win.h"

#include "ui/ImageButtonSkin_win.h"

namespace tavrin {

PlayTrackBar::PlayTrackBar(HWND parent)
    : ImageTrackBar(parent, kX, kY, kWidth, kHeight),
      markerImage(loadSkinPicture(kMarkerImageId)) {}

void PlayTrackBar::setMarkers(std::vector<std::int32_t> values) {
    if (values == markers_) return;
    markers_ = std::move(values);
    repaint(false);
}

void PlayTrackBar::setMarkerPicture(std::unique_ptr<AlphaImage> picture) {
    markerImage = std::move(picture);
    repaint(false);
}

void PlayTrackBar::drawTrack(HDC dc, int width, int height) {
    ImageTrackBar::drawTrack(dc, width, height);
    if (!loaded(markerImage)) return;
    const TrackGeometry g = geometry();
    for (std::int32_t marker : markers_) {
        int x = 0;
        if (markerPosition(g, marker, markerImage->width(), x))
            markerImage->drawAt(dc, x, kMarkerTop);
    }
}

}  // namespace tavrin
