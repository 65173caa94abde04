#include <gtest/gtest.h>

#include "core/base/recent_files.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

RecentFiles listOf(std::initializer_list<const char*> names) {
    RecentFiles rows;
    std::size_t i = 0;
    for (const char* n : names) {
        rows[i++] = RecentFile{n, std::string("/races/") + n};
    }
    return rows;
}

std::string titles(const RecentFiles& rows) {
    std::string out;
    for (const RecentFile& r : rows) {
        out += (r.Title.empty() ? "-" : r.Title) + " ";
    }
    return out;
}

TEST(RecentFiles, ClosingAFileMovesItToTheTop) {
    struct Case {
        std::initializer_list<const char*> before;
        const char* closed;
        const char* after;
    } cases[] = {
        {{}, "a", "a - - - - "},
        {{"a"}, "a", "a - - - - "},
        {{"a", "b"}, "b", "b a - - - "},
        {{"a", "b", "c", "d", "e"}, "f", "f a b c d "},
        {{"a", "b", "c", "d", "e"}, "e", "e a b c d "},
        {{"a", "b", "c", "d", "e"}, "c", "c a b d e "},
        {{"a", "b", "c", "d", "e"}, "a", "a b c d e "},
    };
    for (const Case& c : cases) {
        const RecentFiles after =
            updateRecentFiles(listOf(c.before), c.closed, std::string("/races/") + c.closed);
        EXPECT_EQ(titles(after), c.after) << c.closed;
    }
}

TEST(RecentFiles, SameFileTwiceInARowIsKeptOnce) {
    RecentFiles rows = updateRecentFiles(listOf({"a", "b"}), "c", "/races/c");
    rows = updateRecentFiles(rows, "c", "/races/c");
    EXPECT_EQ(titles(rows), "c a b - - ");
}

TEST(RecentFiles, PathsCompareExactly) {
    // Two spellings of one file are two entries, as the open-file check has it.
    RecentFiles rows = updateRecentFiles(listOf({"a"}), "a", "/races/./a");
    EXPECT_EQ(titles(rows), "a a - - - ");
}

TEST(RecentFiles, FileRoundTripAndFiveLineLimit) {
    test::TempDir dir;
    const RecentFiles rows = listOf({"Mon.rac", "Tue \"late\".rac", "Wed.rac"});
    writeRecentFiles(dir / "VudozuridaZAZ.dat", rows);
    EXPECT_EQ(test::readText(dir / "VudozuridaZAZ.dat").substr(0, 33),
              "\"Mon.rac\",\"/races/Mon.rac\"\r\n\"Tue ");
    const RecentFilesRead read = readRecentFiles(dir / "VudozuridaZAZ.dat");
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.files, rows);

    std::string seven;
    for (int i = 1; i <= 7; ++i) {
        seven += "\"f" + std::to_string(i) + "\",\"/p/f" + std::to_string(i) + "\"\r\n";
    }
    test::writeText(dir / "seven.dat", seven);
    const RecentFilesRead sevenRead = readRecentFiles(dir / "seven.dat");
    EXPECT_EQ(titles(sevenRead.files), "f1 f2 f3 f4 f5 ");
    EXPECT_EQ(recentFileCount(sevenRead.files), 5u);
}

TEST(RecentFiles, MissingOrEmptyFileIsAnEmptyList) {
    test::TempDir dir;
    EXPECT_EQ(recentFileCount(readRecentFiles(dir / "none.dat").files), 0u);
    test::writeText(dir / "empty.dat", "");
    const RecentFilesRead empty = readRecentFiles(dir / "empty.dat");
    EXPECT_FALSE(empty.error);
    EXPECT_EQ(recentFileCount(empty.files), 0u);
}

TEST(RecentFiles, ADamagedLineKeepsTheRowsBeforeIt) {
    test::TempDir dir;
    test::writeText(dir / "bad.dat", "\"a\",\"/p/a\"\r\n\"b\"\r\n");
    const RecentFilesRead read = readRecentFiles(dir / "bad.dat");
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->what(), "Input past end of file in the recent-file list " +
                                      (dir / "bad.dat").string() + " (line 2)");
    EXPECT_EQ(read.error->number(), Error::kInputPastEnd);
    EXPECT_EQ(titles(read.files), "a - - - - ");
}

TEST(RecentFiles, WritingStopsAtTheFirstEmptyTitle) {
    RecentFiles rows = listOf({"a"});
    rows[2] = RecentFile{"c", "/races/c"};
    EXPECT_EQ(recentFilesText(rows), "\"a\",\"/races/a\"\r\n");
}

}  // namespace
}  // namespace vz::base
