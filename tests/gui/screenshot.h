#pragma once

// Offscreen pictures of the windows. With VZ_SCREENSHOT_DIR set they are
// written there as PNG files (docs/screenshots holds them); without it they
// are only checked to show something.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

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

inline bool saveScreenshot(const QPixmap& picture, const char* name) {
    if (!hasContent(picture.toImage())) {
        return false;
    }
    const QByteArray dir = qgetenv("VZ_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        return true;
    }
    QDir().mkpath(QString::fromLocal8Bit(dir));
    return picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/") +
                        QString::fromLatin1(name) + QStringLiteral(".png"));
}

// Shows the widget, lets it paint, and takes its picture whole.
inline bool shoot(QWidget& widget, const char* name) {
    widget.show();
    QCoreApplication::processEvents();
    const QPixmap picture = widget.grab();
    return picture.size() == widget.size() && saveScreenshot(picture, name);
}

}  // namespace vz::test
