// Every format against the inputs of every other, and against files that are
// no program at all: each is refused with the import error and changes
// nothing. And a dog deleted from Main comes back without its lines twice.

#include <random>

#include <gtest/gtest.h>

#include "core/import/registry.h"
#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

fs::path sample(const char* name) {
    return sourceDir() / "data" / "samples" / name;
}

// The files a user might pick by mistake, by what they hold.
struct Foreign {
    std::string what;
    fs::path file;
};

class WrongTypeTest : public ImportFixture {
  protected:
    std::vector<Foreign> foreignFiles() {
        std::vector<Foreign> out = {
            {"trackinfo sample", sample("trackinfo_sample.txt")},
            {"rosnet sample", sample("rosnet_sample.txt")},
            {"derbylane sample", sample("derbylane_sample.txt")},
            {"dogpak setup", sample("dogpak_setup.txt")},
            {"dogpak lines", sample("dogpak_lines.txt")},
            {"qav sample", sample("qav_TEST")},
            {"a text file", sourceDir() / "README.md"},
        };
        const auto made = [&](const std::string& what, const std::string& bytes) {
            const fs::path f = dir_ / (what + ".bin");
            writeText(f, bytes);
            out.push_back({what, f});
        };
        std::mt19937 rng(20261208);
        std::string noise(200 * 1024, '\0');
        for (char& c : noise) {
            c = static_cast<char>(rng());
        }
        made("random bytes", noise);
        made("NUL bytes", std::string(4 * 825, '\0'));
        made("an empty file", "");
        return out;
    }
};

TEST_F(WrongTypeTest, EveryFormatRefusesTheFilesOfOthersAndChangesNothing) {
    // A database and a race file with something in them to lose.
    importFiles("trackinfo", {sample("trackinfo_sample.txt")});
    const auto dogsBefore = dogs().dogs();
    const auto linesBefore = dogs().raceLineCount();
    const std::string cardBefore = readText(raceFile());

    const auto foreign = foreignFiles();
    const auto own = [](const std::string& format, const Foreign& f) {
        return f.what.starts_with(format);
    };
    // Each input of each format in turn gets every file not of its kind; the
    // other input (DogPak/QuickDog has two) keeps its right file.
    struct Attempt {
        std::string format;
        std::vector<fs::path> inputs;
        std::string what;
    };
    std::vector<Attempt> attempts = {
        {"dogpak", {sample("dogpak_lines.txt"), sample("dogpak_setup.txt")}, "swapped files"}};
    for (const import::Format* format : import::allFormats()) {
        const std::string key = format->info().key;
        for (const Foreign& f : foreign) {
            if (key != "dogpak" && own(key, f)) {
                continue;
            }
            if (key == "dogpak") {
                if (f.what != "dogpak setup") {
                    attempts.push_back({key, {f.file, sample("dogpak_lines.txt")}, f.what});
                }
                if (f.what != "dogpak lines") {
                    attempts.push_back({key, {sample("dogpak_setup.txt"), f.file}, f.what});
                }
            } else {
                attempts.push_back({key, {f.file}, f.what});
            }
        }
    }
    ASSERT_EQ(attempts.size(), 1u + 4 * 9 + 2 * 9);
    for (const Attempt& a : attempts) {
        EXPECT_THROW(importFiles(a.format, a.inputs), import::ImportFailed)
            << a.format << " of " << a.what;
        EXPECT_EQ(dogs().dogs(), dogsBefore) << a.format << " of " << a.what;
        EXPECT_EQ(dogs().raceLineCount(), linesBefore) << a.format << " of " << a.what;
        EXPECT_EQ(readText(raceFile()), cardBefore) << a.format << " of " << a.what;
    }
}

struct Reimport {
    const char* format;
    std::vector<const char*> files;
    const char* dog;  // a dog of the card, met once in the input
    bool keepsRecordValues;
};

class ReimportTest : public ImportFixture, public ::testing::WithParamInterface<Reimport> {};

TEST_P(ReimportTest, ADeletedDogComesBackWithoutItsLinesTwice) {
    const Reimport& c = GetParam();
    std::vector<fs::path> inputs;
    for (const char* f : c.files) {
        inputs.push_back(sample(f));
    }
    importFiles(c.format, inputs);
    const auto first = dog(c.dog);
    ASSERT_TRUE(first);
    const auto linesBefore = lines(c.dog);
    ASSERT_FALSE(linesBefore.empty());
    // Delete This Dog removes the Main row and keeps the race lines.
    dogs().deleteDog(first->rowId);

    const auto s = importFiles(c.format, inputs);
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 0);
    EXPECT_EQ(lines(c.dog), linesBefore);
    const auto back = dog(c.dog);
    ASSERT_TRUE(back);
    if (c.keepsRecordValues) {
        // QAV TEST brings the dog's style and counters.
        EXPECT_EQ(back->RunningStyle, first->RunningStyle);
        EXPECT_EQ(back->NumStarts, first->NumStarts);
    } else {
        EXPECT_EQ(back->RunningStyle, "M");
        EXPECT_EQ(back->NumStarts, 0);
        EXPECT_EQ(back->NumFirsts, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ReimportTest,
    ::testing::Values(
        Reimport{"trackinfo", {"trackinfo_sample.txt"}, "Blue Hawk", false},
        Reimport{"rosnet", {"rosnet_sample.txt"}, "Shadow Dancer", false},
        Reimport{"derbylane", {"derbylane_sample.txt"}, "Prairie Blaze", false},
        Reimport{"dogpak", {"dogpak_setup.txt", "dogpak_lines.txt"}, "Dusty Wonder", false},
        Reimport{"qav", {"qav_TEST"}, "Swift Magic", true}),
    [](const auto& p) { return std::string(p.param.format); });

}  // namespace
}  // namespace vz::test
