#include "core/import/registry.h"

namespace vz::import {

// Every format, one line each, in the order of the import menu. Each is
// defined in formats/<name>.cpp as `const Format& <name>()`.
#define VZ_IMPORT_FORMATS(X) \
    X(trackInfo)             \
    X(rosnet)                \
    X(dogPak)                \
    X(derbyLane)             \
    X(qav)

namespace formats {
#define VZ_DECLARE_FORMAT(name) const Format& name();
VZ_IMPORT_FORMATS(VZ_DECLARE_FORMAT)
#undef VZ_DECLARE_FORMAT
}  // namespace formats

const std::vector<const Format*>& allFormats() {
#define VZ_LIST_FORMAT(name) &formats::name(),
    static const std::vector<const Format*> kAll = {VZ_IMPORT_FORMATS(VZ_LIST_FORMAT)};
#undef VZ_LIST_FORMAT
    return kAll;
}

const Format* findFormat(std::string_view key) {
    for (const Format* f : allFormats()) {
        if (f->info().key == key) {
            return f;
        }
    }
    return nullptr;
}

}  // namespace vz::import
