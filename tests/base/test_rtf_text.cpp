#include "core/base/rtf_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/base/fileio.h"
#include "core/base/text.h"
#include "tests/support/test_support.h"

namespace vz::base {
namespace {

struct RtfCase {
    std::string_view name;
    std::string_view rtf;
    std::string_view text;
};

class RtfToPlainTextTest : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfToPlainTextTest, Reads) {
    const RtfCase& c = GetParam();
    EXPECT_EQ(rtfToPlainText(c.rtf), c.text) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfToPlainTextTest,
    ::testing::Values(
        RtfCase{"empty", "", ""},
        // \'e9 is é; \u8212 an em dash whose fallback "?" is dropped.
        RtfCase{"escapes", "{\\rtf1{\\*\\generator x;}A\\'e9 b\\par c\\{d\\}\\u8212?e}",
                "A\xC3\xA9 b\nc{d}\xE2\x80\x94"
                "e\n"},
        RtfCase{"font table left out", "{\\rtf1{\\fonttbl{\\f0 Helvetica;}}\\f0 Hello}", "Hello\n"},
        // Line ends of the source are no text; the blank after a word is its end.
        RtfCase{"source line ends", "{\\rtf1 one\r\ntwo\\par three}", "onetwo\nthree\n"},
        // Blanks at line ends and blank lines at both ends go, inner ones stay.
        RtfCase{"blank lines", "{\\par Top \\par\\par\\par Bottom\\tab\\par\\par}",
                "Top\n\n\nBottom\n"},
        // -3999 counts from 65536: U+F061.
        RtfCase{"negative unicode", "\\u-3999?", "\xEF\x81\xA1\n"},
        // 55536 is half of a surrogate pair, no character.
        RtfCase{"surrogate", "\\u-10000?", "\xEF\xBF\xBD\n"},
        // The fallback character is dropped whole, not its first byte alone.
        RtfCase{"two-byte fallback", "a\\u233\xC3\xA9z", "a\xC3\xA9z\n"},
        RtfCase{"control symbol before a two-byte letter", "a\\\xC3\xA9z", "az\n"},
        RtfCase{"backslash at the end", "abc\\", "abc\n"}));

TEST(RtfToPlainTextTest, ShippedLicenceReadsAsText) {
    const std::string text =
        rtfToPlainText(decodeText(readFile(test::sourceDir() / "data" / "License.rtf")));
    EXPECT_EQ(text.find('\\'), std::string::npos);
    EXPECT_EQ(text.find('{'), std::string::npos);
    EXPECT_EQ(text.find("Helvetica"), std::string::npos);
    EXPECT_EQ(text.rfind("Vellicor Vovoziruzu - Software License\n\nCopyright", 0), 0u);
}

}  // namespace
}  // namespace vz::base
