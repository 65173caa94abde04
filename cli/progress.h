#pragma once

// Progress of a long command (an import, the running-style update, a
// deletion) on the terminal: "\rImporting... 42%" on stderr, redrawn only when
// the percentage changes, and a final line end. Silent when the tool does not
// run on a terminal, so scripts and redirected output see nothing of it.

#include <iosfwd>
#include <string>

#include "cli/command.h"
#include "core/base/progress.h"
#include "core/store/database.h"

namespace vz::cli {

class Progress {
  public:
    // Shows progress when the run is interactive (stdin and stderr are
    // terminals), on std::cerr.
    Progress(const Context& ctx, std::string label);
    // Shows progress on `out` when `enabled`.
    Progress(bool enabled, std::string label, std::ostream& out);
    // Ends the line when anything was shown.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // The callback the core operations take; it refers to this object, which
    // must outlive the calls.
    base::Progress callback();

    // `done` of `total` steps are finished. A total of 0 or less (nothing to
    // count) shows the count of steps instead of a percentage.
    void update(base::ProgressCount done, base::ProgressCount total);

    // Ends the progress line (once); later updates start a new one.
    void finish();

    bool enabled() const { return enabled_; }

  private:
    bool enabled_;
    std::string label_;
    std::ostream& out_;
    bool shown_ = false;
    base::ProgressCount lastValue_ = -1;
    bool lastWasPercent_ = false;
    unsigned seenWaits_ = 0;
};

// While it lives, a wait of this thread for another program that writes a
// database is shown on the progress line, once a second ("Waiting for
// another program to finish writing the dog database... 3 s"); when the wait
// ends the line is cleared and the next progress step draws its own again.
// Silent when the tool does not run on a terminal, like Progress.
class WaitDisplay {
  public:
    explicit WaitDisplay(const Context& ctx);
    WaitDisplay(bool enabled, std::ostream& out);
    WaitDisplay(const WaitDisplay&) = delete;
    WaitDisplay& operator=(const WaitDisplay&) = delete;

  private:
    void show(const store::WaitNotice& notice);

    bool enabled_;
    std::ostream& out_;
    std::size_t shownLength_ = 0;
    store::WaitObserverScope scope_;
};

}  // namespace vz::cli
