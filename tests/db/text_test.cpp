#include <gtest/gtest.h>

#include "db/text.h"

namespace zelvan {
namespace {

TEST(TextConversion, Utf8WithReplacementsLimitsAndTerminator) {
    struct Case {
        std::string utf8;
        std::u16string wide;
    };
    const Case cases[] = {
        {"北京", u"北京"},
        {"\xF0\x9F\x9A\x84", u"\U0001F684"},  // a surrogate pair
        {"\xE4\xBA"
         "A",
         u"\uFFFDA"},                             // a cut sequence is one replacement
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // no valid lead at all: one per byte
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xE4\xBA", u"\uFFFD"},                  // cut at the end of the text
        {std::string("AB\0CD", 5), u"AB"},        // NUL-terminated
        {std::string(600, 'x'), std::u16string(511, u'x')},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToWide(c.utf8), c.wide);
}

TEST(TextConversion, ChineseCodePageBothWays) {
    EXPECT_EQ(ansiToWide("\xB1\xB1\xBE\xA9 2 1"), u"北京 2 1");
    EXPECT_EQ(ansiToWide("\xFF"), u"\uFFFD");
    std::string ansi;
    ASSERT_TRUE(toAnsi(u"北京", ansi));
    EXPECT_EQ(ansi, "\xB1\xB1\xBE\xA9");
    EXPECT_FALSE(toAnsi(u"\U0001F684", ansi));  // no GBK form
    EXPECT_EQ(toUtf8(u"北京"), "北京");
    EXPECT_EQ(toUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(upperAscii(u"k1b京"), u"K1B京");
}

}  // namespace
}  // namespace zelvan
