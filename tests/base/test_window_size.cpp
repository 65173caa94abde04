#include <gtest/gtest.h>

#include "core/base/window_size.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

TEST(WindowSize, RoundTripAndDamagedFilesGiveNoSize) {
    test::TempDir dir;
    const auto file = dir / "DogEditor.ini";
    writeWindowSize(file, {9000, 7000});
    EXPECT_EQ(test::readText(file), "9000,7000\r\n");
    EXPECT_EQ(readWindowSize(file), (TwipsSize{9000, 7000}));

    struct Case {
        const char* text;
        std::optional<TwipsSize> size;
    } cases[] = {
        {"12000,8000\r\n", TwipsSize{12000, 8000}},
        {" 12000 , 8000", TwipsSize{12000, 8000}},               // blanks, no line end
        {"12000\r\n8000\r\n", TwipsSize{12000, 8000}},           // a line end separates too
        {"12000,8000,1,\"later\"\r\n", TwipsSize{12000, 8000}},  // values after the two
        {"40000,2147483647\r\n", TwipsSize{40000, 2147483647}},  // wider than 16 bits
        {"", std::nullopt},
        {"\r\n", std::nullopt},
        {"12000\r\n", std::nullopt},      // cut short
        {"wide,8000\r\n", std::nullopt},  // not a number
        {"12000,#2026-12-07#\r\n", std::nullopt},
        {"0,8000\r\n", std::nullopt},  // out of range
        {"12000,-8000\r\n", std::nullopt},
        {"12000.5,8000\r\n", std::nullopt},  // not whole
        {"12000,2147483648\r\n", std::nullopt},
        {"1e300,8000\r\n", std::nullopt},
    };
    for (const Case& c : cases) {
        test::writeText(file, c.text);
        EXPECT_EQ(readWindowSize(file), c.size) << c.text;
    }
    std::filesystem::remove(file);
    EXPECT_EQ(readWindowSize(file), std::nullopt);  // missing
    std::filesystem::create_directory(file);
    EXPECT_EQ(readWindowSize(file), std::nullopt);  // a folder at its name
}

}  // namespace
}  // namespace vz::base
