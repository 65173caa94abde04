#include "cli/progress.h"

#include <algorithm>
#include <iostream>

namespace vz::cli {

Progress::Progress(const Context& ctx, std::string label)
    : Progress(ctx.interactive, std::move(label), std::cerr) {}

Progress::Progress(bool enabled, std::string label, std::ostream& out)
    : enabled_(enabled), label_(std::move(label)), out_(out) {}

Progress::~Progress() {
    finish();
}

std::function<void(long, long)> Progress::callback() {
    return [this](long done, long total) { update(done, total); };
}

void Progress::update(long done, long total) {
    if (!enabled_) {
        return;
    }
    const bool percent = total > 0;
    long value = std::max(done, 0L);
    if (percent) {
        // Computed in wide arithmetic so large counts cannot overflow.
        const long long scaled = static_cast<long long>(std::min(value, total)) * 100 / total;
        value = static_cast<long>(scaled);
    }
    if (shown_ && value == lastValue_ && percent == lastWasPercent_) {
        return;
    }
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

}  // namespace vz::cli
