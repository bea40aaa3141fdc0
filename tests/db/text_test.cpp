#include <gtest/gtest.h>

#include <random>

#include "db/text.h"
#include "db/translation.h"

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

// Well-formed text takes a way around the converter: random code points of every length class,
// encoded here by hand, must come back exactly, both ways, and mixed with ill-formed bytes the
// converter's replacements must still apply.
TEST(TextConversion, WellFormedTextBothWaysMatchesAByHandEncoding) {
    std::mt19937 random(15);
    const char32_t ranges[][2] = {
        {1, 0x7F}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    for (int round = 0; round < 2000; ++round) {
        std::string utf8;
        std::u16string wide;
        for (int n = static_cast<int>(random() % 12); n > 0; --n) {
            const auto& range = ranges[random() % 5];
            const char32_t c = range[0] + random() % (range[1] - range[0] + 1);
            if (c < 0x80) {
                utf8 += static_cast<char>(c);
            } else if (c < 0x800) {
                utf8 += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
            } else if (c < 0x10000) {
                utf8 +=
                    {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
            } else {
                utf8 +=
                    {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                     static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
            }
            if (c < 0x10000) {
                wide += static_cast<char16_t>(c);
            } else {
                wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            }
        }
        ASSERT_EQ(utf8ToWide(utf8), wide) << round;
        ASSERT_EQ(fromUtf8(utf8), wide) << round;
        ASSERT_EQ(toUtf8(wide), utf8) << round;
        // A lone surrogate or a stray continuation byte sends the text through the converter.
        ASSERT_EQ(toUtf8(wide + u'\xDC00'), utf8 + "\xEF\xBF\xBD") << round;
        ASSERT_EQ(utf8ToWide(utf8 + "\x80"), wide + u'\uFFFD') << round;
    }
    EXPECT_EQ(ansiToWide("2 1\n"), u"2 1\n");  // ASCII rules need no code page
}

// Patterns are filled in one pass: what a value holds is never read as a place of its own, and
// a '%' that numbers no value stays.
TEST(Translation, PatternsAreFilledInOnePass) {
    struct Case {
        std::u16string_view pattern;
        std::u16string_view expected;
    };
    for (const Case& c : {Case{u"换乘：%1 → %2", u"换乘：%2 → 100%"},
                          Case{u"%2 days in every %1", u"100% days in every %2"},
                          Case{u"%3 %", u"%3 %"}, Case{u"%", u"%"}, Case{u"%%1", u"%%2"}}) {
        EXPECT_EQ(fillPattern(c.pattern, {u"%2", u"100%"}), c.expected) << toUtf8(c.pattern);
    }
    // A translator is consulted while it is installed; without one the text is as written.
    setTextTranslator([](std::u16string_view source) {
        return source == u"逢星期%1开行" ? std::u16string(u"Runs %1") : std::u16string(source);
    });
    EXPECT_EQ(translatedPattern(u"逢星期%1开行", {u"Mon"}), u"Runs Mon");
    setTextTranslator(nullptr);
    EXPECT_EQ(translatedPattern(u"逢星期%1开行", {u"一"}), u"逢星期一开行");
}

}  // namespace
}  // namespace zelvan
