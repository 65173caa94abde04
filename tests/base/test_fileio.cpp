#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(FileError, SaysTheReasonInWordsWithItsNumber) {
    const fs::path file = "/home/ann/Results/Card - Results.txt";
    struct Case {
        FileStep step;
        int err;
        int number;
        const char* words;
    } cases[] = {
        {FileStep::Write, ENOSPC, Error::kDiskFull,
         "The results report /home/ann/Results/Card - Results.txt cannot be written: the disk is "
         "full."},
        {FileStep::Write, EACCES, Error::kPermissionDenied,
         "cannot be written: the folder /home/ann/Results is not writable (permission denied)."},
        {FileStep::Write, ENOENT, Error::kPathNotFound,
         "cannot be written: the folder /home/ann/Results does not exist."},
        {FileStep::Write, EROFS, Error::kPermissionDenied,
         "the folder /home/ann/Results is on a read-only disk."},
        {FileStep::Replace, EISDIR, Error::kPermissionDenied,
         "cannot be replaced: a folder of that name is in the way."},
        {FileStep::Remove, EACCES, Error::kPermissionDenied, "cannot be deleted: the folder"},
        {FileStep::Read, ENOENT, Error::kFileNotFound, "Card - Results.txt does not exist."},
        {FileStep::Read, EACCES, Error::kPermissionDenied, "cannot be read: permission denied."},
        {FileStep::Read, EIO, Error::kDeviceIO, "the disk reported an input/output error."},
    };
    for (const Case& c : cases) {
        const Error e = fileError(c.step, "results report", file, c.err);
        EXPECT_EQ(e.number(), c.number) << e.what();
        EXPECT_TRUE(contains(e.what(), c.words)) << e.what();
        EXPECT_TRUE(contains(e.what(), "results report " + file.string())) << e.what();
    }
}

TEST(WriteFileAtomic, ReplacesTheWholeFileKeepingItsPermissions) {
    test::TempDir dir;
    const fs::path file = dir / "Vovoziruzu.ini";
    test::writeText(file, "a much longer earlier text than the new one\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace);
    writeFileAtomic(file, "new\r\n", "settings file");
    EXPECT_EQ(test::readText(file), "new\r\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteFileAtomic, WritersAtOnceEachLeaveAWholeFile) {
    test::TempDir dir;
    const fs::path file = dir / "Error.txt";
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i) {
        texts.push_back(std::string(50'000, static_cast<char>('a' + i)));
    }
    std::vector<std::string> failures(texts.size());
    {
        std::vector<std::jthread> writers;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            writers.emplace_back([&, i] {
                for (int round = 0; round < 20; ++round) {
                    try {
                        writeFileAtomic(file, texts[i]);
                    } catch (const Error& e) {
                        failures[i] = e.what();
                    }
                }
            });
        }
    }
    for (const std::string& f : failures) {
        EXPECT_EQ(f, "");
    }
    const std::string last = test::readText(file);
    EXPECT_EQ(std::set<std::string>(texts.begin(), texts.end()).count(last), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteFileAtomic, FailuresNameTheFileAndLeaveNothingBehind) {
    test::TempDir dir;
    fs::create_directory(dir / "in the way");
    struct Case {
        fs::path file;
        int number;
        std::string words;
    } cases[] = {
        {dir / "no such folder" / "report.txt", Error::kPathNotFound,
         "the folder " + (dir / "no such folder").string() + " does not exist"},
        {dir / "in the way", Error::kPermissionDenied, "a folder of that name is in the way"},
    };
    for (const Case& c : cases) {
        try {
            writeFileAtomic(c.file, "text", "results report");
            ADD_FAILURE() << c.file;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number) << e.what();
            EXPECT_TRUE(contains(e.what(), c.words)) << e.what();
        }
    }
    EXPECT_TRUE(fs::is_directory(dir / "in the way"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(WriteFileAtomic, AFolderTheUserCannotWriteIsNamed) {
    test::TempDir dir;
    const fs::path results = dir / "Results";
    fs::create_directory(results);
    test::removeWritePermission(results);
    const std::string message = test::asOrdinaryUser([&] {
        writeFileAtomic(results / "Card - Results.txt", "report", "results report");
        return std::string("written");
    });
    EXPECT_EQ(message, "exception: The results report " +
                           (results / "Card - Results.txt").string() +
                           " cannot be written: the folder " + results.string() +
                           " is not writable (permission denied).");
}

TEST(ReadRegularFile, ReadsRegularFilesUpToTheLimitOnly) {
    test::TempDir dir;
    test::writeText(dir / "ten.txt", "0123456789");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(readRegularFile(dir / "ten.txt", 10), "0123456789");
    const struct {
        fs::path file;
        std::uintmax_t limit;
        const char* why;
    } refused[] = {
        {dir / "ten.txt", 9, "is larger than 9 bytes"},
        {dir / "fifo", 100, "is not a regular file"},  // refused without waiting for a writer
        {"/dev/zero", 100, "is not a regular file"},   // would never end
        {dir.path(), 100, "is not a regular file"},
        {dir / "missing.txt", 100, "does not exist"},
    };
    for (const auto& c : refused) {
        try {
            readRegularFile(c.file, c.limit);
            ADD_FAILURE() << c.file;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.file.string()), std::string::npos) << e.what();
            EXPECT_NE(e.number(), Error::kGeneric) << e.what();
        }
    }
}

}  // namespace
}  // namespace vz::base
