// init and paths: make an application folder and show where everything is.

#include <filesystem>
#include <iostream>

#include <fmt/format.h>

#include "cli/command.h"
#include "core/store/error.h"
#include "core/store/fileio.h"

namespace vz::cli {
namespace {

namespace fs = std::filesystem;

int runInit(Context& ctx) {
    const fs::path source = store::executableFolder();
    const store::AppPaths shipped{source, ctx.paths.profileDir};
    std::error_code ec;
    if (fs::exists(ctx.paths.dogDatabase(), ec)) {
        if (fs::equivalent(source, ctx.paths.appDir, ec)) {
            std::cout << "The application folder " << ctx.paths.appDir.string()
                      << " is the program's own; its data files are in place.\n";
            return kExitOk;
        }
        throw Error(fmt::format("A dog database already exists at {}; it is left as it is.",
                                ctx.paths.dogDatabase().string()));
    }
    struct Item {
        fs::path from;
        fs::path to;
        bool required;
    };
    const Item items[] = {
        {shipped.dogDatabase(), ctx.paths.dogDatabase(), true},
        {shipped.staticDatabase(), ctx.paths.staticDatabase(), true},
        {shipped.raceTemplate(), ctx.paths.raceTemplate(), true},
        {shipped.helpPage(), ctx.paths.helpPage(), false},
        {shipped.licenseFile(), ctx.paths.licenseFile(), false},
    };
    for (const Item& item : items) {
        if (!fs::exists(item.from, ec)) {
            if (item.required) {
                throw Error(fmt::format("The shipped file {} is missing.", item.from.string()),
                            Error::kFileNotFound);
            }
            continue;
        }
        fs::create_directories(item.to.parent_path());
        store::copyFileReplacing(item.from, item.to);
    }
    std::cout << "Made the application folder " << ctx.paths.appDir.string() << "\n";
    return kExitOk;
}

int runPaths(Context& ctx) {
    const store::AppPaths& p = ctx.paths;
    const store::Settings& s = ctx.state.settings;
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
                             s.LastStyleUpdate ? store::toIso(*s.LastStyleUpdate) : "(none)");
    const std::size_t n = store::recentFileCount(ctx.state.recentFiles);
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
