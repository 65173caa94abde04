#pragma once

#include <functional>

namespace vz::dogs {

// Called now and then from the thread doing the work, with how much of the
// work is done; may be empty. An exception thrown from it stops the work and
// nothing is changed.
using Progress = std::function<void(long done, long total)>;

}  // namespace vz::dogs
