#include "core/import/chosen_folder.h"

namespace vz::import {

std::string folderOfChosenFile(std::string_view fullPath) {
    const std::size_t cut = fullPath.find_last_of("/\\");
    if (cut == std::string_view::npos) {
        return {};  // a bare name: no folder of its own
    }
    return std::string(fullPath.substr(0, cut + 1));
}

}  // namespace vz::import
