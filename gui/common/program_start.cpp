#include "gui/common/program_start.h"

#include <QGuiApplication>
#include <QIcon>
#include <cstdio>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/shipped_files.h"
#include "gui/common/messages.h"

namespace vz::gui {

std::optional<int> answerCommandLine(int argc, char** argv, const ProgramDescription& program) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--version") {
            std::printf("%.*s %s\n", static_cast<int>(program.command.size()),
                        program.command.data(), VZ_VERSION);
            return 0;
        }
        if (a == "--help") {
            std::printf(
                "Usage: %.*s [--help | --version]\n"
                "%.*s\n\n"
                "  --help     show this help and exit\n"
                "  --version  show the version and exit\n\n"
                "Run from the build, the application folder (the dog database Data/Data.mdb,\n"
                "Static.mdb, RaceTemplate.tmp, Vovoziruzu.ini) is the program's own folder;\n"
                "installed, it is $XDG_DATA_HOME/vovoziruzu (by default\n"
                "~/.local/share/vovoziruzu), made at first start. Results reports go to the\n"
                "Results folder of USERPROFILE, else HOME.\n",
                static_cast<int>(program.command.size()), program.command.data(),
                static_cast<int>(program.summary.size()), program.summary.data());
            return 0;
        }
    }
    if (const auto message =
            base::noDisplayMessage(program.name, args, base::processEnvironment())) {
        std::fprintf(stderr, "%s\n", message->c_str());
        return 1;
    }
    return std::nullopt;
}

void useDesktopEntry(const char* desktopId) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktopId));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.vellicor.Vovoziruzu")));
}

std::optional<base::AppPaths> findRunFolders(base::ProgramFolders& programs) {
    base::AppPaths paths;
    try {
        programs = base::findProgramFolders(base::executableFolder());
        paths.appDir = base::openDefaultAppFolder(programs, base::processEnvironment());
    } catch (const std::exception& e) {
        showCommonError(nullptr, e);
        return std::nullopt;
    }
    try {
        paths.profileDir = base::profileFolderFromEnvironment();
    } catch (const vz::Error& e) {
        showCommonError(nullptr, e);
        paths.profileDir = paths.appDir;
    }
    return paths;
}

}  // namespace vz::gui
