#include "gui/vovoziruzu/running_style.h"

#include "core/dogs/texts.h"

namespace vz::gui {

RunningStyleWindow::RunningStyleWindow(const base::AppPaths& paths, base::Settings& settings,
                                       base::Date today, QWidget* parent)
    : WorkWindow("RunningStyle", QString::fromUtf8(dogs::kStyleCaption),
                 QString::fromUtf8(dogs::kStyleText), false, parent),
      paths_(paths),
      settings_(settings),
      start_(settings),
      today_(today) {}

void RunningStyleWindow::prepare() {
    start_ = settings_;
}

QString RunningStyleWindow::busyText() const {
    return QString::fromUtf8(dogs::kStyleBusyText);
}

void RunningStyleWindow::work(const base::Progress& progress) {
    // Writes the dogs' styles, then Vovoziruzu.ini with the new factors.
    result_ = dogs::runStyleUpdate(paths_, start_, today_, progress);
}

void RunningStyleWindow::afterWork() {
    settings_ = result_.settings;
}

QString RunningStyleWindow::completionText() const {
    return QString::fromUtf8(dogs::kStyleComplete);
}

}  // namespace vz::gui
