#include "gui/common/qt_setup.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "core/base/version.h"

namespace vz::gui {

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.generic_string());
}

std::filesystem::path fspath(const QString& p) {
    return std::filesystem::path(p.toStdString());
}

QString fileTitle(const QString& path) {
    return QFileInfo(path).fileName();
}

QDate toQDate(base::Date d) {
    return QDate(static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
                 static_cast<int>(static_cast<unsigned>(d.day())));
}

std::optional<base::Date> fromQDate(const QDate& d) {
    if (!d.isValid())
        return std::nullopt;
    return base::Date{std::chrono::year{d.year()},
                      std::chrono::month{static_cast<unsigned>(d.month())},
                      std::chrono::day{static_cast<unsigned>(d.day())}};
}

namespace {
const QScreen* screenOrPrimary(const QScreen* screen) {
    return screen ? screen : QGuiApplication::primaryScreen();
}
double dpiX(const QScreen* screen) {
    const QScreen* s = screenOrPrimary(screen);
    return s ? s->logicalDotsPerInchX() : 96.0;
}
double dpiY(const QScreen* screen) {
    const QScreen* s = screenOrPrimary(screen);
    return s ? s->logicalDotsPerInchY() : 96.0;
}
}  // namespace

int twipsToPixelsX(long twips, const QScreen* screen) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpiX(screen) / 1440.0));
}
int twipsToPixelsY(long twips, const QScreen* screen) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpiY(screen) / 1440.0));
}
long pixelsToTwipsX(int pixels, const QScreen* screen) {
    return std::lround(static_cast<double>(pixels) * 1440.0 / dpiX(screen));
}
long pixelsToTwipsY(int pixels, const QScreen* screen) {
    return std::lround(static_cast<double>(pixels) * 1440.0 / dpiY(screen));
}

void setUpApplication(QApplication& app, const QString& name) {
    QApplication::setApplicationName(name);
    QApplication::setOrganizationName(QStringLiteral("Vellicor"));
    QApplication::setApplicationVersion(qs(std::string(programVersion())));
    app.setQuitOnLastWindowClosed(true);
}

void bringToFront(QWidget* window) {
    if (!window)
        return;
    window = window->window();
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace vz::gui
