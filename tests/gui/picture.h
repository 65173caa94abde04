#pragma once

// Whether a window's picture shows anything.

#include <QImage>

namespace vz::test {

// True when the picture is not one flat colour: something was drawn.
inline bool hasContent(const QImage& image) {
    if (image.isNull()) {
        return false;
    }
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (image.pixel(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace vz::test
