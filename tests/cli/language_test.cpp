// The language of zelvan-cli: which one the locale variables choose, the patterns of the
// translated messages, and the core's texts that the tables show, each with its translation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "cli/language.h"
#include "cli/shown_texts.h"
#include "db/data_folder.h"
#include "db/text.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "journey/journey_rows.h"
#include "update/update_progress.h"

namespace zelvan::cli {
namespace {

TEST(LanguageChoice, LocaleVariablesDecideAsGettextReadsThem) {
    struct Case {
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Language expected;
    };
    const Case cases[] = {
        // No locale, or the plain one: the texts as written, whatever LANGUAGE asks for.
        {nullptr, nullptr, nullptr, nullptr, Language::Source},
        {"", "", "", "", Language::Source},
        {nullptr, nullptr, nullptr, "C", Language::Source},
        {nullptr, nullptr, nullptr, "POSIX", Language::Source},
        {"en", nullptr, nullptr, "C.UTF-8", Language::Source},
        {"zh_CN", "C.utf8", nullptr, "zh_CN.UTF-8", Language::Source},
        // The locale alone.
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", Language::Chinese},
        {nullptr, nullptr, nullptr, "zh_TW.UTF-8", Language::Chinese},
        {nullptr, nullptr, nullptr, "zh", Language::Chinese},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", Language::English},
        {nullptr, nullptr, nullptr, "de_DE.UTF-8@euro", Language::English},
        // LC_ALL before LC_MESSAGES before LANG; empty counts as unset.
        {nullptr, "en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", Language::English},
        {nullptr, nullptr, "zh_CN.UTF-8", "en_US.UTF-8", Language::Chinese},
        {nullptr, "", "", "zh_SG.UTF-8", Language::Chinese},
        // LANGUAGE's list: its first entry in a language we speak, then the locale's.
        {"zh_CN:en", nullptr, nullptr, "en_US.UTF-8", Language::Chinese},
        {"de:fr:zh", nullptr, nullptr, "en_GB.UTF-8", Language::Chinese},
        {"de:fr", nullptr, nullptr, "zh_CN.UTF-8", Language::Chinese},
        {"de:fr", nullptr, nullptr, "fr_FR.UTF-8", Language::English},
        {":en_AU:", nullptr, nullptr, "zh_CN.UTF-8", Language::English},
        // "zhx" or "ez" are no entries of ours.
        {"zhx:ez", nullptr, nullptr, "ja_JP.UTF-8", Language::English},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseLanguage(c.language, c.lcAll, c.lcMessages, c.lang), c.expected)
            << "LANGUAGE=" << (c.language ? c.language : "(unset)")
            << " LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)")
            << " LC_MESSAGES=" << (c.lcMessages ? c.lcMessages : "(unset)")
            << " LANG=" << (c.lang ? c.lang : "(unset)");
    }
}

TEST(TranslationPattern, ValuesGoInOrderOrByTheirPosition) {
    EXPECT_EQ(fill("没有找到车站：%s", {"火星"}), "没有找到车站：火星");
    EXPECT_EQ(fill("%s to %s", {"天津", "上海"}), "天津 to 上海");
    // A translation that puts them in another order; a plain %s goes on from the last one.
    EXPECT_EQ(fill("%1$s to %3$s via %2$s: %4$s trains", {"天津", "上海虹桥", "杭州东", "2"}),
              "天津 to 杭州东 via 上海虹桥: 2 trains");
    EXPECT_EQ(fill("%2$s, then %s", {"a", "b", "c"}), "b, then c");
    // What is no placeholder stays, and so does one without a value.
    EXPECT_EQ(fill("100% %d %s %s%", {"x"}), "100% %d x %s%");
    EXPECT_EQ(fill("%9$s|%0$s", {"x"}), "%9$s|%0$s");
    EXPECT_EQ(fill("", {"x"}), "");
}

// Runs the rest of the test in the language `locale` asks for, with the build's catalogs.
void speak(const char* locale, Language expected) {
    ::unsetenv("LANGUAGE");
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", locale, 1);
    ASSERT_EQ(setUpLanguage(), expected);
}

// Every text of the core that the command line shows on the terminal, in each of its forms: the
// tables' headings, kind names and marks, and the phases of an update.
std::vector<std::u16string> shownCoreTexts() {
    std::vector<std::u16string> texts;
    for (TableKind kind :
         {TableKind::Train, TableKind::Station, TableKind::Stops, TableKind::TransferStations,
          TableKind::Journeys, TableKind::JourneyLegs}) {
        // With the built-in tariff's four fares, and with a foreign railway's one.
        for (int c = 0; c < static_cast<int>(tableHeadings(kind).size()); ++c) {
            for (bool tariff : {true, false}) {
                std::u16string heading = shownHeading(kind, c, tariff);
                heading.erase(0, heading.find_first_not_of(u' '));
                heading.erase(heading.find_last_not_of(u' ') + 1);
                texts.push_back(heading);
            }
        }
    }
    for (char16_t first = 0; first < 0x100; ++first) {
        for (int code = 0; code < 0x80; ++code) texts.push_back(kindText(first, code));
    }
    for (std::u16string_view text : {kEndsHereText, kSetsDownText, kPicksUpText, kNoServiceText}) {
        texts.emplace_back(text);
    }
    texts.emplace_back(kStationChangeMark.substr(1));
    for (UpdatePhase phase :
         {UpdatePhase::Checking, UpdatePhase::Downloading, UpdatePhase::Installing}) {
        texts.emplace_back(phaseText(phase));
    }
    return texts;
}

TEST(CoreTexts, EveryTextTheTerminalShowsReadsEnglishUnderAnotherLocale) {
    speak("en_US.UTF-8", Language::English);
    for (const std::u16string& text : shownCoreTexts()) {
        const std::u16string shown = trZh(text);
        EXPECT_NE(shown, text) << toUtf8(text) << " has no English translation";
        const bool han = std::any_of(shown.begin(), shown.end(),
                                     [](char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
        EXPECT_FALSE(han) << toUtf8(shown);
    }
    EXPECT_STREQ(trZh("没有查到相关结果"), "No results found");
    ResultRow row;
    row.kindText = u"新空调特快";
    row.endsHere = true;
    row.arrivalTime = u"13:00";
    std::u16string scratch;
    EXPECT_EQ(shownRowCell(TableKind::Station, row, 1, scratch), u"ends 13:00");
    EXPECT_EQ(shownRowCell(TableKind::Station, row, 4, scratch), u"New A/C express");
    EXPECT_EQ(shownRowCell(TableKind::Train, row, 5, scratch), u"New A/C express");
    // The documents keep the core's own text.
    EXPECT_EQ(row.kindText, u"新空调特快");
}

TEST(CoreTexts, ChineseKeepsTheOriginalTextsAndTranslatesOurEnglish) {
    speak("zh_CN.UTF-8", Language::Chinese);
    for (const std::u16string& text : shownCoreTexts()) EXPECT_EQ(trZh(text), text) << toUtf8(text);
    for (DataFolderSource source :
         {DataFolderSource::Option, DataFolderSource::Environment, DataFolderSource::User,
          DataFolderSource::Program, DataFolderSource::Installed}) {
        const std::string_view reason = dataSourceReason(source);
        EXPECT_NE(tr(reason), reason) << reason << " has no Chinese translation";
    }
    EXPECT_STREQ(trPlural("%s error", "%s errors", 1), "%s 个错误");
    EXPECT_STREQ(trPlural("%s error", "%s errors", 3), "%s 个错误");
}

TEST(CoreTexts, ThePlainLocaleShowsEveryTextAsWritten) {
    speak("C", Language::Source);
    for (const std::u16string& text : shownCoreTexts()) EXPECT_EQ(trZh(text), text) << toUtf8(text);
    EXPECT_EQ(tr(dataSourceReason(DataFolderSource::Option)), "named by --data");
    EXPECT_STREQ(trPlural("%s error", "%s errors", 1), "%s error");
    EXPECT_STREQ(trPlural("%s error", "%s errors", 2), "%s errors");
}

}  // namespace
}  // namespace zelvan::cli
