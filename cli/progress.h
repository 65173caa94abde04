#pragma once

// Progress of a long command (an import, the running-style update, a
// deletion) on the terminal: "\rImporting... 42%" on stderr, redrawn only when
// the percentage changes, and a final line end. Silent when the tool does not
// run on a terminal, so scripts and redirected output see nothing of it.

#include <functional>
#include <iosfwd>
#include <string>

#include "cli/command.h"

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
    std::function<void(long done, long total)> callback();

    // `done` of `total` steps are finished. A total of 0 or less (nothing to
    // count) shows the count of steps instead of a percentage.
    void update(long done, long total);

    // Ends the progress line (once); later updates start a new one.
    void finish();

    bool enabled() const { return enabled_; }

  private:
    bool enabled_;
    std::string label_;
    std::ostream& out_;
    bool shown_ = false;
    long lastValue_ = -1;
    bool lastWasPercent_ = false;
};

}  // namespace vz::cli
