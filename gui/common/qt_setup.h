#pragma once

// Small Qt helpers both programs use: text and path conversion, twips, the
// wait cursor, bringing a window forward, application set-up.

#include <QDate>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "core/base/dates.h"

class QApplication;
class QWidget;
class QScreen;

namespace vz::gui {

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string str(const QString& s) {
    return s.toStdString();
}
QString qpath(const std::filesystem::path& p);
std::filesystem::path fspath(const QString& p);
// The name without folder.
QString fileTitle(const QString& path);

QDate toQDate(base::Date d);
std::optional<base::Date> fromQDate(const QDate& d);

// 1440 twips to the inch, at the screen's logical DPI.
int twipsToPixelsX(long twips, const QScreen* screen = nullptr);
int twipsToPixelsY(long twips, const QScreen* screen = nullptr);
long pixelsToTwipsX(int pixels, const QScreen* screen = nullptr);
long pixelsToTwipsY(int pixels, const QScreen* screen = nullptr);

// Application name, organisation and a readable default font.
void setUpApplication(QApplication& app, const QString& name);

// Restores, raises and activates a top-level window.
void bringToFront(QWidget* window);

// The wait cursor for a scope.
class WaitCursor {
  public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace vz::gui
