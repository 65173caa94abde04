#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/base/error.h"
#include "core/base/shipped_files.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;  // name in the folder -> bytes

void writeFiles(const fs::path& dir, const Files& files) {
    for (const auto& [name, bytes] : files) {
        fs::create_directories((dir / name).parent_path());
        vz::test::writeText(dir / name, bytes);
    }
}

Files readFiles(const fs::path& dir) {
    Files files;
    if (!fs::exists(dir)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir).generic_string()] =
                vz::test::readText(entry.path());
        }
    }
    return files;
}

std::vector<std::string> names(const std::vector<fs::path>& paths, const fs::path& dir) {
    std::vector<std::string> out;
    for (const fs::path& p : paths) {
        out.push_back(fs::relative(p, dir).generic_string());
    }
    return out;
}

const Files kShipped{{"Data/Data.mdb", "empty dogs v2"},
                     {"Static.mdb", "lookup v2"},
                     {"RaceTemplate.tmp", "template v2"},
                     {"help.htm", "help v2"},
                     {"License.rtf", "licence"}};

Files with(Files files, const Files& changes) {
    for (const auto& [name, bytes] : changes) {
        files[name] = bytes;
    }
    return files;
}

Files without(Files files, const std::string& name) {
    files.erase(name);
    return files;
}

TEST(ShippedFiles, PlacingNeverCostsTheUserAChange) {
    struct Case {
        const char* what;
        Files app;                    // the application folder before
        std::optional<Files> placed;  // the copies placed last (the build keeps them)
        Files appAfter;
        std::vector<std::string> made, updated, kept;
        Files placedAfter;  // what the next build compares with
    } cases[] = {
        {"a new folder gets every file",
         {},
         std::nullopt,
         kShipped,
         {"Data/Data.mdb", "Static.mdb", "RaceTemplate.tmp", "help.htm", "License.rtf"},
         {},
         {},
         {}},
        {"a missing file comes back, the others stay",
         without(with(kShipped, {{"Data/Data.mdb", "96 dogs"}, {"help.htm", "my notes"}}),
                 "License.rtf"),
         std::nullopt,
         with(kShipped, {{"Data/Data.mdb", "96 dogs"}, {"help.htm", "my notes"}}),
         {"License.rtf"},
         {},
         {"help.htm"},
         {}},
        {"the dog database is never replaced, even an untouched one",
         {{"Data/Data.mdb", "empty dogs v1"}},
         Files{{"Data/Data.mdb", "empty dogs v1"}},
         with(kShipped, {{"Data/Data.mdb", "empty dogs v1"}}),
         {"Static.mdb", "RaceTemplate.tmp", "help.htm", "License.rtf"},
         {},
         {},
         with(kShipped, {{"Data/Data.mdb", "empty dogs v1"}})},
        {"a read-only file still as placed is brought up to date",
         with(kShipped, {{"Static.mdb", "lookup v1"}, {"RaceTemplate.tmp", "template v1"}}),
         with(kShipped, {{"Static.mdb", "lookup v1"}, {"RaceTemplate.tmp", "template v1"}}),
         kShipped,
         {},
         {"Static.mdb", "RaceTemplate.tmp"},
         {},
         kShipped},
        {"a read-only file the user changed stays",
         with(kShipped, {{"Static.mdb", "lookup v1 + my grade"}}),
         with(kShipped, {{"Static.mdb", "lookup v1"}}),
         with(kShipped, {{"Static.mdb", "lookup v1 + my grade"}}),
         {},
         {},
         {"Static.mdb"},
         with(kShipped, {{"Static.mdb", "lookup v1"}})},
        {"without the copies placed last, nothing there is replaced",
         with(kShipped, {{"Static.mdb", "lookup v1"}}),
         std::nullopt,
         with(kShipped, {{"Static.mdb", "lookup v1"}}),
         {},
         {},
         {"Static.mdb"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vz::test::TempDir dir;
        const fs::path shipped = dir / "shipped";
        const fs::path app = dir / "app";
        const fs::path placed = dir / "placed";
        writeFiles(shipped, kShipped);
        writeFiles(app, c.app);
        if (c.placed) {
            writeFiles(placed, *c.placed);
        }
        const Placement p = placeShippedFiles(
            shipped, app, c.placed ? std::optional<fs::path>(placed) : std::nullopt);
        EXPECT_EQ(readFiles(app), c.appAfter);
        EXPECT_EQ(names(p.made, app), c.made);
        EXPECT_EQ(names(p.updated, app), c.updated);
        EXPECT_EQ(names(p.kept, app), c.kept);
        if (c.placed) {
            EXPECT_EQ(readFiles(placed), c.placedAfter);
        }
    }
}

TEST(ShippedFiles, AMissingShippedFileMakesNothingOrIsLeftOut) {
    struct Case {
        const char* missing;
        bool required;
    } cases[] = {{"Data/Data.mdb", true},
                 {"Static.mdb", true},
                 {"RaceTemplate.tmp", true},
                 {"help.htm", false},
                 {"License.rtf", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        vz::test::TempDir dir;
        Files shipped = kShipped;
        shipped.erase(c.missing);
        writeFiles(dir / "shipped", shipped);
        if (c.required) {
            EXPECT_THROW(placeShippedFiles(dir / "shipped", dir / "app"), Error);
            EXPECT_EQ(readFiles(dir / "app"), Files{});
        } else {
            placeShippedFiles(dir / "shipped", dir / "app");
            EXPECT_EQ(readFiles(dir / "app"), shipped);
        }
    }
}

}  // namespace
}  // namespace vz::base
