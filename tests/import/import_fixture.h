#pragma once

// A fresh application folder per test and one-call imports from text, for
// the tests of every format.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/import/import.h"
#include "core/import/records.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/support/test_support.h"

namespace vz::test {

class ImportFixture : public ::testing::Test {
  protected:
    ImportFixture();

    // Writes each input text to a file and imports them with `format` into
    // the race file raceFile() (when the format writes one).
    vz::import::ImportSummary importText(const std::string& format,
                                         const std::vector<std::string>& inputs);
    vz::import::ImportSummary importFiles(const std::string& format,
                                          const std::vector<std::filesystem::path>& inputs);

    // Applies the records through a session into the dog database and the
    // race file raceFile() (made from the template when missing); each row
    // is kept as it is written (no transaction).
    vz::import::ImportSummary applyRecords(const import::Reading& reading);

    std::filesystem::path raceFile() const { return dir_ / "card.rac"; }

    store::DogDatabase dogs() const { return store::DogDatabase(paths_.dogDatabase()); }
    std::vector<base::Race> races() const;
    std::vector<base::Post> posts() const;
    std::vector<base::RaceLine> lines(const std::string& dog) const;
    std::optional<base::Dog> dog(const std::string& name) const;

    // Adds a dog as the editor would, with the given counters.
    void addDog(const std::string& name, int starts = 0, int firsts = 0);
    // Stores a race line of that name and date (whether or not the dog is
    // on file).
    void addLine(const std::string& name, base::Date date);

    TempDir dir_;
    base::AppPaths paths_;
    base::Date today_{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{8}};
    int inputCounter_ = 0;
};

// Pads or cuts `text` to exactly `width` characters (ASCII).
std::string fit(std::string_view text, std::size_t width);

// A line built from (1-based column, text) pieces over spaces.
std::string columns(std::initializer_list<std::pair<std::size_t, std::string_view>> pieces,
                    std::size_t width = 0);

}  // namespace vz::test
