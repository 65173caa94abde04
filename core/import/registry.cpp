#include "core/import/registry.h"

namespace vz::import {

// One declaration and one line below per format (formats/<name>.cpp).
namespace formats {
const Format& trackInfo();
const Format& rosnet();
const Format& dogPak();
const Format& derbyLane();
const Format& qav();
}  // namespace formats

const std::vector<const Format*>& allFormats() {
    // The order of the import menu.
    static const std::vector<const Format*> kAll = {
        &formats::trackInfo(),
        &formats::rosnet(),
        &formats::dogPak(),
        &formats::derbyLane(),
        &formats::qav(),
    };
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
