// init and paths: make an application folder and show where everything is.

#include <filesystem>
#include <iostream>

#include <fmt/format.h>

#include "cli/command.h"
#include "core/base/error.h"
#include "core/base/shipped_files.h"

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

int runInit(Context& ctx) {
    std::error_code ec;
    if (fs::exists(ctx.paths.dogDatabase(), ec)) {
        if (ctx.appDirIsDefault) {
            std::cout << "The application folder " << ctx.paths.appDir.string()
                      << " is the default one; its data files are in place.\n";
            return kExitOk;
        }
        throw Error(fmt::format("A dog database already exists at {}; it is left as it is.",
                                ctx.paths.dogDatabase().string()));
    }
    base::placeShippedFiles(ctx.programs.shippedDir, ctx.paths.appDir);
    std::cout << "Made the application folder " << ctx.paths.appDir.string() << "\n";
    return kExitOk;
}

int runPaths(Context& ctx) {
    const base::AppPaths& p = ctx.paths;
    const base::Settings& s = ctx.state.settings;
    std::cout << fmt::format("Application folder: {}\n", p.appDir.string())
              << fmt::format("Data folder:        {}\n", p.dataDir().string())
              << fmt::format("Dog database:       {}\n", p.dogDatabase().string())
              << fmt::format("Lookup database:    {}\n", p.staticDatabase().string())
              << fmt::format("Race template:      {}\n", p.raceTemplate().string())
              << fmt::format("Settings file:      {}\n", p.settingsFile().string())
              << fmt::format("Recent-file list:   {}\n", p.recentFile().string())
              << fmt::format("Results folder:     {}\n", p.resultsDir().string()) << "\nSettings:\n"
              << fmt::format("  MainLeft        {}\n", s.MainLeft)
              << fmt::format("  MainTop         {}\n", s.MainTop)
              << fmt::format("  MainWidth       {}\n", s.MainWidth)
              << fmt::format("  MainHeight      {}\n", s.MainHeight)
              << fmt::format("  MainWindowState {}\n", s.MainWindowState)
              << fmt::format("  FreshSettings   {}\n", s.FreshSettings)
              << fmt::format("  TimeFactorL     {}\n", s.TimeFactorL)
              << fmt::format("  TimeFactorR     {}\n", s.TimeFactorR)
              << fmt::format("  LastStyleUpdate {}\n",
                             s.LastStyleUpdate ? base::toIso(*s.LastStyleUpdate) : "(none)");
    const std::size_t n = base::recentFileCount(ctx.state.recentFiles);
    std::cout << "\nRecent race files:" << (n == 0 ? " (none)" : "") << "\n";
    for (std::size_t i = 0; i < n; ++i) {
        std::cout << "  " << ctx.state.recentFiles[i].Title << "  " << ctx.state.recentFiles[i].Path
                  << "\n";
    }
    return kExitOk;
}

const Registration reg([](CLI::App& root, std::vector<Command>& commands) {
    Command init;
    init.app = root.add_subcommand(
        "init", "Make an application folder (--app-dir) with the shipped data files");
    init.run = runInit;
    init.createsAppDir = true;
    commands.push_back(init);

    Command paths;
    paths.app = root.add_subcommand("paths", "Show the folders, files and settings in use");
    paths.run = runPaths;
    commands.push_back(paths);
});

}  // namespace
}  // namespace vz::cli
