#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

#include "core/import/registry.h"
#include "core/import/source_settings.h"
#include "tests/support/test_support.h"

namespace vz::import {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::TempDir;
using test::writeText;

const char* const kFiles[] = {"QAV.ini", "DPAK.ini", "ROS.ini", "DerbyLane.ini", "TrackInfo.ini"};
const char* const kSettings[] = {"QavFolder",    "SetupFolder",     "LinesFolder",
                                 "RosnetFolder", "DerbyLaneFolder", "TrackInfoFolder"};

class SourceSettingsTest : public ::testing::Test {
  protected:
    SourceSettingsTest() : paths_(test::makeAppFolder(dir_.path())) {}
    TempDir dir_;
    base::AppPaths paths_;
};

TEST_F(SourceSettingsTest, FirstStartWritesEveryFileWithTheDefault) {
    std::vector<SettingsProblem> problems;
    const SourceFolders f = loadSourceSettings(paths_, &problems);
    EXPECT_TRUE(problems.empty());
    const std::string def = (paths_.appDir / "Data").string();
    EXPECT_EQ(defaultSourceFolder(paths_), def);
    for (const char* name : kSettings) {
        EXPECT_EQ(f.folder(name), def) << name;
    }
    const std::string one = "\"" + def + "\"\r\n";
    EXPECT_EQ(readText(paths_.appDir / "QAV.ini"), one);
    EXPECT_EQ(readText(paths_.appDir / "DPAK.ini"), "\"" + def + "\",\"" + def + "\"\r\n");
    EXPECT_EQ(readText(paths_.appDir / "ROS.ini"), one);
    EXPECT_EQ(readText(paths_.appDir / "DerbyLane.ini"), one);
    EXPECT_EQ(readText(paths_.appDir / "TrackInfo.ini"), one);
}

TEST_F(SourceSettingsTest, RoundTripKeepsEveryFolder) {
    SourceFolders f;
    f.folder("QavFolder") = "/mnt/c/QAV/";
    f.folder("SetupFolder") = "/home/user/dogpak/setup/";
    f.folder("LinesFolder") = "/home/user/dogpak/lines/";
    f.folder("RosnetFolder") = "/srv/ros net/";
    f.folder("DerbyLaneFolder") = "/odd/\"quoted\"/";
    f.folder("TrackInfoFolder") = "/data/caf\xC3\xA9/";
    std::vector<SettingsProblem> problems;
    saveSourceSettings(paths_, f, &problems);
    EXPECT_TRUE(problems.empty());
    const SourceFolders back = loadSourceSettings(paths_, &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back.folder("QavFolder"), f.folder("QavFolder"));
    EXPECT_EQ(back.folder("SetupFolder"), f.folder("SetupFolder"));
    EXPECT_EQ(back.folder("LinesFolder"), f.folder("LinesFolder"));
    EXPECT_EQ(back.folder("RosnetFolder"), f.folder("RosnetFolder"));
    EXPECT_EQ(back.folder("DerbyLaneFolder"), f.folder("DerbyLaneFolder"));
    EXPECT_EQ(back.folder("TrackInfoFolder"), f.folder("TrackInfoFolder"));
    EXPECT_EQ(readText(paths_.appDir / "DPAK.ini"),
              "\"/home/user/dogpak/setup/\",\"/home/user/dogpak/lines/\"\r\n");
    // Written through a temporary file: nothing else is left in the folder.
    for (const auto& e : fs::directory_iterator(paths_.appDir)) {
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
    }
}

TEST_F(SourceSettingsTest, OldFilesInWindows1252AreRead) {
    writeText(paths_.appDir / "ROS.ini", "\"C:\\Caf\xE9\\\"\r\n");
    EXPECT_EQ(loadSourceSettings(paths_).folder("RosnetFolder"), "C:\\Caf\xC3\xA9\\");
}

TEST_F(SourceSettingsTest, DamagedFilesAreReportedAndTheRestGoesOn) {
    const std::string def = defaultSourceFolder(paths_);
    writeText(paths_.appDir / "DPAK.ini", "\"/setup/\"\r\n");  // the second value is missing
    fs::create_directory(paths_.appDir / "ROS.ini");           // cannot be read at all
    writeText(paths_.appDir / "TrackInfo.ini", "\"/ti/\"\r\n");
    std::vector<SettingsProblem> problems;
    const SourceFolders f = loadSourceSettings(paths_, &problems);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].file, "DPAK.ini");
    EXPECT_EQ(problems[0].number, Error::kInputPastEnd);
    EXPECT_EQ(problems[1].file, "ROS.ini");
    // Each message names the damaged file by its whole path.
    for (const SettingsProblem& p : problems) {
        EXPECT_NE(p.message.find((paths_.appDir / p.file).string()), std::string::npos)
            << p.message;
    }
    EXPECT_EQ(f.folder("SetupFolder"), "/setup/");
    EXPECT_EQ(f.folder("LinesFolder"), def);
    EXPECT_EQ(f.folder("RosnetFolder"), def);
    EXPECT_EQ(f.folder("TrackInfoFolder"), "/ti/");
    EXPECT_EQ(f.folder("QavFolder"), def);

    // Saving reports the one file it cannot write and writes the others.
    problems.clear();
    SourceFolders g = f;
    g.folder("QavFolder") = "/q/";
    saveSourceSettings(paths_, g, &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "ROS.ini");
    EXPECT_EQ(readText(paths_.appDir / "QAV.ini"), "\"/q/\"\r\n");
}

TEST(SourceFolders, EveryInputOfEveryFormatHasItsFolder) {
    SourceFolders f;
    for (const char* name : kSettings) {
        EXPECT_EQ(f.folder(name), "") << name;
    }
    f.folder("SetupFolder") = "/s/";
    EXPECT_EQ(f.folder("SetupFolder"), "/s/");
    EXPECT_EQ(f.folder("LinesFolder"), "");
    EXPECT_THROW(f.folder("Nonsense"), Error);
    // Each format keeps its own file, in the order the program always read
    // them; each file holds one folder per input.
    std::vector<std::string> files;
    for (const Format* fmt : allFormats()) {
        EXPECT_NE(fmt->info().settingsOrder, 0) << fmt->info().key;
        files.push_back(fmt->info().settingsFile);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(std::adjacent_find(files.begin(), files.end()), files.end());
    EXPECT_EQ(files.size(), std::size(kFiles));
}

}  // namespace
}  // namespace vz::import
