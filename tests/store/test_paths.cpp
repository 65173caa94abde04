#include <gtest/gtest.h>

#include <cstdlib>

#include "core/store/error.h"
#include "core/store/paths.h"

namespace vz::store {
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

}  // namespace
}  // namespace vz::store
