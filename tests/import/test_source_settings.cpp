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

class SourceSettingsTest : public ::testing::Test {
  protected:
    SourceSettingsTest() : paths_(test::makeAppFolder(dir_.path())) {}
    TempDir dir_;
    store::AppPaths paths_;
};

TEST_F(SourceSettingsTest, FirstStartWritesEveryFileWithTheDefault) {
    std::vector<SettingsProblem> problems;
    const SourceFolders f = loadSourceSettings(paths_, &problems);
    EXPECT_TRUE(problems.empty());
    const std::string def = (paths_.appDir / "Data").string();
    EXPECT_EQ(defaultSourceFolder(paths_), def);
    for (const std::string* v : {&f.QavFolder, &f.SetupFolder, &f.LinesFolder, &f.RosnetFolder,
                                 &f.DerbyLaneFolder, &f.TrackInfoFolder}) {
        EXPECT_EQ(*v, def);
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
    f.QavFolder = "/mnt/c/QAV/";
    f.SetupFolder = "/home/user/dogpak/setup/";
    f.LinesFolder = "/home/user/dogpak/lines/";
    f.RosnetFolder = "/srv/ros net/";
    f.DerbyLaneFolder = "/odd/\"quoted\"/";
    f.TrackInfoFolder = "/data/caf\xC3\xA9/";
    std::vector<SettingsProblem> problems;
    saveSourceSettings(paths_, f, &problems);
    EXPECT_TRUE(problems.empty());
    const SourceFolders back = loadSourceSettings(paths_, &problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(back.QavFolder, f.QavFolder);
    EXPECT_EQ(back.SetupFolder, f.SetupFolder);
    EXPECT_EQ(back.LinesFolder, f.LinesFolder);
    EXPECT_EQ(back.RosnetFolder, f.RosnetFolder);
    EXPECT_EQ(back.DerbyLaneFolder, f.DerbyLaneFolder);
    EXPECT_EQ(back.TrackInfoFolder, f.TrackInfoFolder);
    EXPECT_EQ(readText(paths_.appDir / "DPAK.ini"),
              "\"/home/user/dogpak/setup/\",\"/home/user/dogpak/lines/\"\r\n");
    // Written through a temporary file: nothing else is left in the folder.
    for (const auto& e : fs::directory_iterator(paths_.appDir)) {
        EXPECT_NE(e.path().filename().string().front(), '.') << e.path();
    }
}

TEST_F(SourceSettingsTest, OldFilesInWindows1252AreRead) {
    writeText(paths_.appDir / "ROS.ini", "\"C:\\Caf\xE9\\\"\r\n");
    EXPECT_EQ(loadSourceSettings(paths_).RosnetFolder, "C:\\Caf\xC3\xA9\\");
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
    EXPECT_EQ(f.SetupFolder, "/setup/");
    EXPECT_EQ(f.LinesFolder, def);
    EXPECT_EQ(f.RosnetFolder, def);
    EXPECT_EQ(f.TrackInfoFolder, "/ti/");
    EXPECT_EQ(f.QavFolder, def);

    // Saving reports the one file it cannot write and writes the others.
    problems.clear();
    SourceFolders g = f;
    g.QavFolder = "/q/";
    saveSourceSettings(paths_, g, &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].file, "ROS.ini");
    EXPECT_EQ(readText(paths_.appDir / "QAV.ini"), "\"/q/\"\r\n");
}

TEST(SourceFolderHelpers, RememberedFolderAndSettingNames) {
    EXPECT_EQ(rememberedFolder("/home/u/progs/card.txt", "card.txt"), "/home/u/progs/");
    // The first occurrence of the name decides, as the dialogs did.
    EXPECT_EQ(rememberedFolder("/x/card.txt/card.txt", "card.txt"), "/x/");
    EXPECT_EQ(rememberedFolder("/x/y", ""), "/x/y");

    SourceFolders f;
    folderOf(f, "SetupFolder") = "/s/";
    folderOf(f, "LinesFolder") = "/l/";
    EXPECT_EQ(f.SetupFolder, "/s/");
    EXPECT_EQ(f.LinesFolder, "/l/");
    EXPECT_THROW(folderOf(f, "Nonsense"), Error);
    // Every input of every format names a folder that exists.
    for (const Format* fmt : allFormats()) {
        for (const InputSpec& in : fmt->info().inputs) {
            EXPECT_NO_THROW(folderOf(f, in.folderSetting)) << in.folderSetting;
        }
    }
}

}  // namespace
}  // namespace vz::import
