#include "core/base/version.h"

namespace vz {

std::string_view programVersion() {
    return VZ_VERSION;
}

}  // namespace vz
