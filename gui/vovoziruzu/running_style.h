#pragma once

// The running-style update window `RunningStyle`: every dog's style and the
// two time factors in one pass; the program's settings take the new factors
// and the update's date, and Vovoziruzu.ini is rewritten.

#include "core/base/paths.h"
#include "core/base/settings.h"
#include "core/dogs/running_style.h"
#include "gui/vovoziruzu/work_window.h"

namespace vz::gui {

class RunningStyleWindow : public WorkWindow {
    Q_OBJECT

  public:
    // `settings` are the program's: they change when the update completes.
    RunningStyleWindow(const base::AppPaths& paths, base::Settings& settings, base::Date today,
                       QWidget* parent = nullptr);

    const dogs::StyleUpdateResult& styleResult() const { return result_; }

  protected:
    void prepare() override;
    QString busyText() const override;
    void work(const base::Progress& progress) override;
    void afterWork() override;
    QString completionText() const override;

  private:
    base::AppPaths paths_;
    base::Settings& settings_;
    base::Settings start_;  // what the pass starts from, taken on the window thread
    base::Date today_;
    dogs::StyleUpdateResult result_;
};

}  // namespace vz::gui
