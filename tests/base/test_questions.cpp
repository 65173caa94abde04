#include "core/base/questions.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vz::base {
namespace {

struct QuestionCase {
    std::string_view path;
    std::string_view lineBreak;
    std::string_view question;
};

TEST(OverwriteQuestionTest, WordsTheQuestion) {
    const QuestionCase cases[] = {
        {"/data/Race.rac", "\n", "This file\n/data/Race.rac\nalready exists.  Overwrite?"},
        {"/data/Race.rac", "\r", "This file\r/data/Race.rac\ralready exists.  Overwrite?"},
        {"/r\xC3\xA9sultats/a b.csv", "\n",
         "This file\n/r\xC3\xA9sultats/a b.csv\nalready exists.  Overwrite?"},
    };
    for (const QuestionCase& c : cases) {
        EXPECT_EQ(overwriteQuestion(c.path, c.lineBreak), c.question) << c.path;
    }
}

}  // namespace
}  // namespace vz::base
