// The JSON writer of the query documents gives the bytes nlohmann::json dumped for the same
// text (as --json printed before, and as scripts read): escapes, UTF-8 and replacements alike.
#include "cli/json_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <nlohmann/json.hpp>

#include "db/text.h"

namespace zelvan::cli {
namespace {

std::string written(std::u16string_view text) {
    std::string out = "x";  // appended to what is there
    appendJsonString(out, text);
    return out.substr(1);
}

std::string dumped(std::u16string_view text) {
    return nlohmann::json(toUtf8(text))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

TEST(JsonText, EveryCodeUnitAloneAndInTextIsWrittenAsDumped) {
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const std::u16string one(1, static_cast<char16_t>(c));
        ASSERT_EQ(written(one), dumped(one)) << "unit " << std::hex << static_cast<unsigned>(c);
        const std::u16string between = u"a" + one + u"b";
        ASSERT_EQ(written(between), dumped(between))
            << "unit " << std::hex << static_cast<unsigned>(c);
    }
}

TEST(JsonText, PairsUnpairedSurrogatesAndMixedText) {
    const std::u16string cases[] = {
        u"",
        u"北京南 \"G1\" \\ 05:00\t-\n",
        u"\U0001F684\U00010000\U0010FFFF",           // pairs: four bytes each
        std::u16string{0xD83D},                      // a lead at the end
        std::u16string{0xDE84, 0xD83D},              // a pair the wrong way round
        std::u16string{0xD83D, 0xD83D, 0xDE84},      // a lead, then a pair
        std::u16string{u'上', 0xDC00, u'海', 0x7F},  // a lone trail between names, DEL
    };
    for (const std::u16string& text : cases) EXPECT_EQ(written(text), dumped(text));
}

TEST(JsonText, NumbersAsDumped) {
    for (const long long value : {0LL, 7LL, -1LL, 20261208LL, LLONG_MIN, LLONG_MAX}) {
        std::string out;
        appendJsonNumber(out, value);
        EXPECT_EQ(out, nlohmann::json(value).dump());
    }
}

}  // namespace
}  // namespace zelvan::cli
