#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "core/base/environment.h"
#include "core/base/error.h"
#include "core/base/paths.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

TEST(Paths, ResultsNameIsCutBeforeTheFirstRac) {
    struct Case {
        const char* title;
        const char* name;
    } cases[] = {
        {"Tuesday.rac", "Tuesday - Results.txt"}, {"Card 12.rac", "Card 12 - Results.txt"},
        {"a.rac.rac", "a - Results.txt"},         {"CARD.RAC", "CARD - Results.txt"},
        {"Mixed.Rac", "Mixed - Results.txt"},     {"card", "card - Results.txt"},
        {"my.racecard.rac", "my - Results.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(resultsFileName(c.title), c.name) << c.title;
    }
}

TEST(Paths, FilesLieWhereTheSystemKeepsThem) {
    const AppPaths p{"/opt/vz", "/home/ann"};
    EXPECT_EQ(p.dogDatabase(), std::filesystem::path("/opt/vz/Data/Data.mdb"));
    EXPECT_EQ(p.staticDatabase(), std::filesystem::path("/opt/vz/Static.mdb"));
    EXPECT_EQ(p.raceTemplate(), std::filesystem::path("/opt/vz/RaceTemplate.tmp"));
    EXPECT_EQ(p.settingsFile(), std::filesystem::path("/opt/vz/Vovoziruzu.ini"));
    EXPECT_EQ(p.recentFile(), std::filesystem::path("/opt/vz/VudozuridaZAZ.dat"));
    EXPECT_EQ(p.errorReport(), std::filesystem::path("/opt/vz/Error.txt"));
    EXPECT_EQ(p.resultsFile("Card 12.rac"),
              std::filesystem::path("/home/ann/Results/Card 12 - Results.txt"));
}

TEST(Paths, ProfileFolderPrefersUserProfileOverHome) {
    const char* savedProfile = std::getenv("USERPROFILE");
    const std::string keptProfile = savedProfile ? savedProfile : "";
    const std::string keptHome = std::getenv("HOME") ? std::getenv("HOME") : "";

    ::setenv("USERPROFILE", "/users/ann", 1);
    ::setenv("HOME", "/home/bob", 1);
    EXPECT_EQ(profileFolderFromEnvironment(), std::filesystem::path("/users/ann"));
    ::unsetenv("USERPROFILE");
    EXPECT_EQ(profileFolderFromEnvironment(), std::filesystem::path("/home/bob"));
    ::unsetenv("HOME");
    EXPECT_THROW(profileFolderFromEnvironment(), Error);

    if (savedProfile) {
        ::setenv("USERPROFILE", keptProfile.c_str(), 1);
    }
    ::setenv("HOME", keptHome.c_str(), 1);
}

TEST(Paths, ExecutableFolderIsAnExistingFolder) {
    EXPECT_TRUE(std::filesystem::is_directory(executableFolder()));
}

Environment fakeEnvironment(std::map<std::string, std::string> values) {
    return [values](const char* name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    };
}

TEST(Paths, ProgramsFindTheirShippedFilesBesideThemInTheBuildOrUnderTheirPrefix) {
    namespace fs = std::filesystem;
    enum class Where { Beside, Built, Installed };
    struct Case {
        const char* layout;
        std::vector<Where> lookupDatabases;  // where a Static.mdb lies
        Where shipped;                       // where the new folders come from
        bool installed;
    } cases[] = {
        {"build tree", {Where::Beside, Where::Built}, Where::Built, false},
        {"folder made by hand", {Where::Beside}, Where::Beside, false},
        {"installed", {Where::Installed}, Where::Installed, true},
        // A folder of its own wins over an install around it.
        {"copied into a prefix", {Where::Beside, Where::Installed}, Where::Beside, false},
        {"nothing shipped", {}, Where::Beside, false},
    };
    for (const Case& c : cases) {
        vz::test::TempDir root;
        const fs::path programs = root / "usr" / "lib" / "vovoziruzu";
        const auto folder = [&](Where w) {
            return w == Where::Beside  ? programs
                   : w == Where::Built ? builtShippedFolder(programs)
                                       : installedShippedFolder(programs);
        };
        fs::create_directories(programs);
        for (Where w : c.lookupDatabases) {
            fs::create_directories(folder(w));
            vz::test::writeText(folder(w) / "Static.mdb", "lookup");
        }
        const ProgramFolders found = findProgramFolders(programs);
        EXPECT_EQ(found.programDir, programs) << c.layout;
        EXPECT_EQ(found.shippedDir, folder(c.shipped)) << c.layout;
        EXPECT_EQ(found.installed, c.installed) << c.layout;
    }
}

TEST(Paths, InstalledTheApplicationFolderIsTheUsersDataFolder) {
    struct Case {
        bool installed;
        std::map<std::string, std::string> env;
        const char* appDir;  // empty: no folder can be found
    } cases[] = {
        {true, {{"XDG_DATA_HOME", "/data/ann"}, {"HOME", "/home/ann"}}, "/data/ann/vovoziruzu"},
        {true, {{"HOME", "/home/ann"}}, "/home/ann/.local/share/vovoziruzu"},
        // A relative or empty XDG_DATA_HOME is no folder: the default holds.
        {true,
         {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/ann"}},
         "/home/ann/.local/share/vovoziruzu"},
        {true, {{"XDG_DATA_HOME", ""}, {"HOME", "/home/ann"}}, "/home/ann/.local/share/vovoziruzu"},
        {true, {}, ""},
        {false, {{"XDG_DATA_HOME", "/data/ann"}, {"HOME", "/home/ann"}}, "/opt/vz"},
    };
    for (const Case& c : cases) {
        const ProgramFolders folders{"/opt/vz", "/opt/share/vovoziruzu", c.installed};
        if (*c.appDir == '\0') {
            EXPECT_THROW(defaultAppFolder(folders, fakeEnvironment(c.env)), Error);
        } else {
            EXPECT_EQ(defaultAppFolder(folders, fakeEnvironment(c.env)),
                      std::filesystem::path(c.appDir))
                << c.appDir;
        }
    }
}

TEST(Paths, ADesktopProgramWithoutADisplaySaysSoInOneLine) {
    struct Case {
        std::map<std::string, std::string> env;
        std::vector<std::string> args;
        bool refused;
    } cases[] = {
        {{}, {}, true},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {}, true},
        {{{"DISPLAY", ":0"}}, {}, false},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, false},
        {{}, {"-platform", "offscreen"}, false},
    };
    for (const Case& c : cases) {
        const auto message = noDisplayMessage("Vovoziruzu", c.args, fakeEnvironment(c.env));
        ASSERT_EQ(message.has_value(), c.refused);
        if (message) {
            EXPECT_EQ(message->find('\n'), std::string::npos);
            EXPECT_EQ(message->rfind("Vovoziruzu: ", 0), 0U) << *message;
            for (const char* hint : {"DISPLAY", "WAYLAND_DISPLAY", "xvfb-run"}) {
                EXPECT_NE(message->find(hint), std::string::npos) << hint;
            }
        }
    }
}

}  // namespace
}  // namespace vz::base
