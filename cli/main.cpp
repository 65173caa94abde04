// vovoziruzu-cli: the core of the system from a terminal.

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <optional>

#include <fmt/format.h>

#include "cli/command.h"
#include "cli/progress.h"
#include "core/base/error.h"
#include "core/base/shipped_files.h"
#include "core/base/version.h"

namespace {

std::optional<vz::base::Date> parseToday(const std::string& text) {
    if (text.empty()) {
        return vz::base::today();
    }
    return vz::base::fromIso(text);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vz;
    CLI::App app{"vovoziruzu-cli: greyhound handicapping from the terminal", "vovoziruzu-cli"};
    app.set_version_flag("--version", "vovoziruzu-cli " + std::string(programVersion()));
    app.set_help_all_flag("--help-all",
                          "Print the help of every command with its options and exit");
    app.require_subcommand(1);

    std::string appDir;
    std::string profileDir;
    std::string todayText;
    app.add_option("--app-dir", appDir,
                   "Application folder (default: installed, ~/.local/share/vovoziruzu; else the "
                   "program's own folder)")
        ->check(cli::nonEmpty());
    app.add_option("--profile-dir", profileDir,
                   "Profile folder holding Results (default: USERPROFILE, else HOME)")
        ->check(cli::nonEmpty());
    app.add_option("--today", todayText, "The date the run takes as today (YYYY-MM-DD)")
        ->check(cli::nonEmpty());

    std::vector<cli::Command> commands;
    for (const cli::Registrar& r : cli::registrars()) {
        r(app, commands);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (const auto fault = cli::commandWordFault(app); fault && e.get_exit_code() != 0) {
            std::cerr << *fault << "\nRun with --help for more information.\n";
            return cli::kExitUsage;
        }
        const int code = app.exit(e);
        return code == 0 ? cli::kExitOk : cli::kExitUsage;
    }

    cli::Context ctx;
    const auto today = parseToday(todayText);
    if (!today) {
        std::cerr << cli::dateFault("--today", todayText) << "\n";
        return cli::kExitUsage;
    }
    ctx.today = *today;
    ctx.interactive = ::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0;

    const cli::Command* chosen = nullptr;
    for (const cli::Command& c : commands) {
        if (c.app->parsed()) {
            chosen = &c;
        }
    }
    if (chosen == nullptr) {
        std::cerr << app.help();
        return cli::kExitUsage;
    }

    try {
        ctx.programs = base::findProgramFolders(base::executableFolder());
        ctx.appDirIsDefault = appDir.empty();
        ctx.paths.appDir =
            appDir.empty() ? base::openDefaultAppFolder(ctx.programs, base::processEnvironment())
                           : std::filesystem::absolute(appDir);
        ctx.paths.profileDir = profileDir.empty() ? base::profileFolderFromEnvironment()
                                                  : std::filesystem::absolute(profileDir);
        std::error_code ec;
        if (!std::filesystem::is_directory(ctx.paths.appDir, ec)) {
            if (!chosen->createsAppDir) {
                throw Error(fmt::format("The application folder {} does not exist.",
                                        ctx.paths.appDir.string()),
                            Error::kPathNotFound);
            }
            std::filesystem::create_directories(ctx.paths.appDir);
        }
        // Every command starts as the main program does: folders, settings,
        // recent files. A damaged settings file is reported once and the run
        // goes on with what could be read.
        ctx.state = store::initializeProgram(ctx.paths, store::kDefaultScreen, ctx.today);
        for (const Error& e : ctx.state.errors) {
            std::cerr << e.what() << " - " << e.number() << "\n";
        }
        const cli::WaitDisplay waits(ctx);
        return chosen->run(ctx);
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return cli::kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return cli::kExitFailure;
    }
}
