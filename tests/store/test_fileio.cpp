#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "core/store/error.h"
#include "core/store/fileio.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

namespace fs = std::filesystem;

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
        {dir / "ten.txt", 9, "is larger than 0 MB"},
        {dir / "fifo", 100, "is not a regular file"},  // refused without waiting for a writer
        {"/dev/zero", 100, "is not a regular file"},   // would never end
        {dir.path(), 100, "is not a regular file"},
        {dir / "missing.txt", 100, "Cannot read"},
    };
    for (const auto& c : refused) {
        try {
            readRegularFile(c.file, c.limit);
            ADD_FAILURE() << c.file;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.file.string()), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace vz::store
