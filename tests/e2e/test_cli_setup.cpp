#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include "core/base/paths.h"
#include "core/store/dog_database.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

TEST(CliSetup, InitMakesAUsableApplicationFolderAndRefusesToOverwrite) {
    TempDir dir;
    const fs::path app = dir / "new" / "app";
    CliResult r = runCli({"--app-dir", app.string(), "--profile-dir", (dir / "p").string(),
                          "--today", "2026-12-07", "init"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* f : {"Data/Data.mdb", "Static.mdb", "RaceTemplate.tmp", "Vovoziruzu.ini"}) {
        EXPECT_TRUE(fs::exists(app / f)) << f;
    }
    EXPECT_TRUE(fs::is_directory(dir / "p" / "Results"));
    EXPECT_EQ(readText(app / "Vovoziruzu.ini"),
              "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-07#\r\n");
    {
        store::DogDatabase db(app / "Data" / "Data.mdb");
        base::Dog d;
        d.RegName = "Keeper";
        db.addDog(d);
    }
    r = runCli({"--app-dir", app.string(), "--profile-dir", (dir / "p").string(), "init"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(store::DogDatabase(app / "Data" / "Data.mdb").dogCount(), 1);
}

// Sets environment variables (or unsets them) for a scope, which the tool
// started inside inherits.
class ScopedEnvironment {
  public:
    explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            set(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            set(name, value);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    static void set(const std::string& name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

// Every file under `dir` with its size and time of change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> listing(const fs::path& dir) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        files[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    }
    return files;
}

TEST(CliSetup, InstalledTheToolKeepsTheUsersDataInTheirOwnFolder) {
    TempDir dir;
    // An install under the prefix dir/usr, laid out as the package lays it.
    const fs::path programs = dir / "usr" / "lib" / "vovoziruzu";
    fs::create_directories(programs);
    fs::copy_file(cliPath(), programs / "vovoziruzu-cli");
    fs::create_directories(base::installedShippedFolder(programs));
    fs::copy(shippedDir(), base::installedShippedFolder(programs), fs::copy_options::recursive);
    const auto installed = listing(dir / "usr");
    const fs::path tool = programs / "vovoziruzu-cli";
    const fs::path home = dir / "home";
    const fs::path app = home / ".local" / "share" / "vovoziruzu";
    ScopedEnvironment env(
        {{"HOME", home.string()}, {"XDG_DATA_HOME", std::nullopt}, {"USERPROFILE", std::nullopt}});

    const fs::path card = home / "Card.rac";
    CliResult r = runCliAt(tool, {"--today", "2026-12-08", "import", "trackinfo",
                                  (sourceDir() / "data/samples/trackinfo_sample.txt").string(),
                                  "--race-file", card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* f : {"Data/Data.mdb", "Static.mdb", "RaceTemplate.tmp", "help.htm",
                          "License.rtf", "Vovoziruzu.ini"}) {
        EXPECT_TRUE(fs::exists(app / f)) << f;
    }
    const std::int64_t dogs = store::DogDatabase(app / "Data" / "Data.mdb").dogCount();
    EXPECT_GT(dogs, 0);

    r = runCliAt(tool, {"--today", "2026-12-08", "process", card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(home / "Results" / "Card - Results.txt"));

    // Later runs use the folder as it is.
    r = runCliAt(tool, {"paths"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Application folder: " + app.string() + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(store::DogDatabase(app / "Data" / "Data.mdb").dogCount(), dogs);
    EXPECT_EQ(listing(dir / "usr"), installed);

    // XDG_DATA_HOME moves it; --app-dir chooses another one.
    ScopedEnvironment xdg({{"XDG_DATA_HOME", (dir / "xdg").string()}});
    r = runCliAt(tool, {"paths"});
    EXPECT_NE(r.out.find("Application folder: " + (dir / "xdg" / "vovoziruzu").string() + "\n"),
              std::string::npos)
        << r.out;
    r = runCliAt(tool, {"--app-dir", (dir / "own").string(), "init"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readText(dir / "own" / "Data" / "Data.mdb"),
              readText(shippedDir() / "Data" / "Data.mdb"));
}

TEST(CliSetup, PathsShowsTheFoldersAndSettings) {
    TempDir dir;
    makeAppFolder(dir.path());
    const CliResult r = runCliIn(dir.path(), {"--today", "2026-12-07", "paths"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find((dir / "app" / "Data" / "Data.mdb").string()), std::string::npos);
    EXPECT_NE(r.out.find((dir / "profile" / "Results").string()), std::string::npos);
    EXPECT_NE(r.out.find("TimeFactorL     0.8191767"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LastStyleUpdate 2026-12-07"), std::string::npos) << r.out;
}

TEST(CliSetup, ADamagedSettingsFileIsReportedOnceAndTheCommandGoesOn) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    writeText(paths.settingsFile(), "100,200,\"wide\"\r\n");
    const CliResult r = runCliIn(dir.path(), {"paths"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "Type mismatch in the settings file " + paths.settingsFile().string() +
                         " (value 3 of 9, MainWidth) - 13\n");
    EXPECT_NE(r.out.find("MainTop         200"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("MainWidth       0"), std::string::npos) << r.out;
    // The time factors the fault left unread keep their first values, not 0.
    EXPECT_NE(r.out.find("TimeFactorL     0.8191767\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TimeFactorR     0.8\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LastStyleUpdate (none)"), std::string::npos) << r.out;
}

TEST(CliSetup, ADamagedSettingsFileKeepsWhatWasReadBeforeTheFault) {
    struct Case {
        const char* text;
        const char* error;
        const char* factorL;
        const char* factorR;
    } cases[] = {
        // Cut after the time factors.
        {"10,10,15160,11320,0,1,0.75,0.7\r\n",
         "Input past end of file in the settings file {ini} (value 9 of 9, LastStyleUpdate) - 62\n",
         "0.75", "0.7"},
        {"10,10,15160,11320,0,1,0.75,\"fast\",#2026-12-01#\r\n",
         "Type mismatch in the settings file {ini} (value 8 of 9, TimeFactorR) - 13\n", "0.75",
         "0.8"},
        {"10,10,15160,11320,0,1,0,0.7,#2026-12-01#\r\n",
         "The time factor TimeFactorL in the settings file {ini} is 0, not a number from 0.1 to "
         "10: its first value 0.8191767 is used. - 5\n",
         "0.8191767", "0.7"},
        {"", "Input past end of file in the settings file {ini} (value 1 of 9, MainLeft) - 62\n",
         "0.8191767", "0.8"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const base::AppPaths paths = makeAppFolder(dir.path());
        writeText(paths.settingsFile(), c.text);
        const CliResult r = runCliIn(dir.path(), {"paths"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::string error = c.error;
        error.replace(error.find("{ini}"), 5, paths.settingsFile().string());
        EXPECT_EQ(r.err, error) << c.text;
        EXPECT_NE(r.out.find(std::string("TimeFactorL     ") + c.factorL + "\n"), std::string::npos)
            << c.text << r.out;
        EXPECT_NE(r.out.find(std::string("TimeFactorR     ") + c.factorR + "\n"), std::string::npos)
            << c.text << r.out;
        // The file is not rewritten by a command that only reads it.
        EXPECT_EQ(readText(paths.settingsFile()), c.text);
    }
}

TEST(CliSetup, BadCommandLinesExitWithTwo) {
    const std::string commands =
        "init, paths, import, process, update-styles, zero-counters, delete-race-data, "
        "delete-dogs, delete-results, check, backtest, fit.";
    const std::string sources = "trackinfo, rosnet, dogpak, derbylane, qav.";
    struct Case {
        std::vector<std::string> args;
        std::string firstErrLine;
    } cases[] = {
        {{}, "A command is needed. The commands are: " + commands},
        {{"proces", "card.rac"}, "Unknown command \"proces\". The commands are: " + commands},
        {{"--today", "2026-12-08", "no-such-command"},
         "Unknown command \"no-such-command\". The commands are: " + commands},
        {{"import", "rosnett", "x.txt"},
         "Unknown command \"rosnett\" after import. The commands of import are: " + sources},
        {{"import"}, "A command of import is needed. The commands of import are: " + sources},
        {{"process"}, "RACEFILE is required"},
        {{"--today", "7/12/2026", "paths"},
         "--today: not a date in the form YYYY-MM-DD: 7/12/2026"},
        {{"--today", "2026-02-30", "paths"}, "--today: 2026-02-30 is an impossible date"},
    };
    for (const Case& c : cases) {
        const CliResult r = runCli(c.args);
        const std::string what = c.args.empty() ? "" : c.args[0];
        EXPECT_EQ(r.exitCode, 2) << what;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstErrLine) << what;
    }
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
    const CliResult v = runCli({"--version"});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_NE(v.out.find("1.0.5"), std::string::npos);
}

TEST(CliSetup, AMissingApplicationFolderIsAnError) {
    TempDir dir;
    const CliResult r = runCliIn(dir / "absent", {"paths"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("does not exist"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "absent"));
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

// The names listed under "Subcommands:" of a help text.
std::vector<std::string> subcommandsOf(const std::string& help) {
    std::vector<std::string> names;
    const std::size_t start = help.find("Subcommands:\n");
    if (start == std::string::npos) {
        return names;
    }
    std::size_t at = start + 13;
    while (at < help.size()) {
        const std::size_t end = help.find('\n', at);
        const std::string line = help.substr(at, end - at);
        if (line.size() < 3 || line[0] != ' ') {
            break;
        }
        const std::size_t first = line.find_first_not_of(' ');
        names.push_back(line.substr(first, line.find(' ', first) - first));
        at = end == std::string::npos ? help.size() : end + 1;
    }
    return names;
}

TEST(CliSetup, TheUserGuideShowsEveryCommandAndSource) {
    const std::string guide = readText(sourceDir() / "docs" / "user-guide.md");
    const std::vector<std::string> commands = subcommandsOf(runCli({"--help"}).out);
    ASSERT_GE(commands.size(), 9u);
    for (const std::string& c : commands) {
        EXPECT_NE(guide.find("$vz " + c), std::string::npos)
            << "no example of " << c << " in the user guide";
    }
    const std::vector<std::string> sources = subcommandsOf(runCli({"import", "--help"}).out);
    ASSERT_GE(sources.size(), 2u);
    for (const std::string& s : sources) {
        EXPECT_NE(guide.find("$vz import " + s + " "), std::string::npos)
            << "no example of the " << s << " import in the user guide";
    }
}

}  // namespace
}  // namespace vz::test
