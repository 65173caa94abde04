// Build tool: puts the shipped data files into the build's application
// folder without touching the user's data there (see placeShippedFiles).

#include <cstdio>
#include <exception>

#include "core/base/shipped_files.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: vz-place SHIPPED_DIR APP_DIR PLACED_DIR\n");
        return 2;
    }
    try {
        const vz::base::Placement p = vz::base::placeShippedFiles(argv[1], argv[2], argv[3]);
        for (const auto& f : p.made) {
            std::printf("Made %s\n", f.c_str());
        }
        for (const auto& f : p.updated) {
            std::printf("Updated %s to the shipped version\n", f.c_str());
        }
        for (const auto& f : p.kept) {
            std::fprintf(stderr,
                         "Note: %s differs from the shipped file in %s and was not made by this "
                         "build: it is left as it is (remove it to get the shipped one).\n",
                         f.c_str(), argv[1]);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vz-place: %s\n", e.what());
        return 1;
    }
    return 0;
}
