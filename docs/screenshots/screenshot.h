#pragma once

// Offscreen pictures of the windows. With VZ_SCREENSHOT_DIR set they are
// written there as PNG files (scripts/screenshots sets it to this folder);
// without it they are only checked to show something.

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include "tests/gui/picture.h"

namespace vz::test {

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
