#include "cli/progress.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace vz::cli {

namespace {
// Counts the waits shown on the line, so that a progress line a wait wrote
// over is drawn again.
unsigned gWaitsShown = 0;
}  // namespace

Progress::Progress(const Context& ctx, std::string label)
    : Progress(ctx.interactive, std::move(label), std::cerr) {}

Progress::Progress(bool enabled, std::string label, std::ostream& out)
    : enabled_(enabled), label_(std::move(label)), out_(out) {}

Progress::~Progress() {
    finish();
}

base::Progress Progress::callback() {
    return [this](base::ProgressCount done, base::ProgressCount total) { update(done, total); };
}

void Progress::update(base::ProgressCount done, base::ProgressCount total) {
    if (!enabled_) {
        return;
    }
    const bool percent = total > 0;
    base::ProgressCount value = std::max<base::ProgressCount>(done, 0);
    if (percent) {
        value = std::min(value, total) * 100 / total;
    }
    if (shown_ && value == lastValue_ && percent == lastWasPercent_ && seenWaits_ == gWaitsShown) {
        return;
    }
    seenWaits_ = gWaitsShown;
    out_ << '\r' << label_ << ' ' << value << (percent ? "%" : "") << std::flush;
    shown_ = true;
    lastValue_ = value;
    lastWasPercent_ = percent;
}

void Progress::finish() {
    if (shown_) {
        out_ << '\n' << std::flush;
    }
    shown_ = false;
    lastValue_ = -1;
}

WaitDisplay::WaitDisplay(const Context& ctx) : WaitDisplay(ctx.interactive, std::cerr) {}

WaitDisplay::WaitDisplay(bool enabled, std::ostream& out)
    : enabled_(enabled), out_(out), scope_([this](const store::WaitNotice& n) { show(n); }) {}

void WaitDisplay::show(const store::WaitNotice& notice) {
    if (!enabled_) {
        return;
    }
    if (notice.over) {
        out_ << '\r' << std::string(shownLength_, ' ') << '\r' << std::flush;
        shownLength_ = 0;
        return;
    }
    const std::string text = store::waitingText(notice);
    out_ << '\r' << text
         << std::string(shownLength_ > text.size() ? shownLength_ - text.size() : 0, ' ')
         << std::flush;
    shownLength_ = std::max(shownLength_, text.size());
    ++gWaitsShown;
}

}  // namespace vz::cli
