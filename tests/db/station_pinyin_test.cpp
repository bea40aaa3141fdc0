// pinyin.txt as the loader takes it (damaged lines included), what findStations answers and what
// a typed name resolves to.
#include <gtest/gtest.h>

#include "db/station_pinyin.h"
#include "db/text.h"
#include "db_fixture.h"

namespace zelvan::test {
namespace {

std::vector<std::string> found(const TimetableDb& db, const std::u16string& typed) {
    std::vector<std::u16string> names;
    db.findStations(typed, names);
    std::vector<std::string> out;
    for (const std::u16string& n : names) out.push_back(toUtf8(n));
    return out;
}

// Station s (s < 10) in S(s+1).dat listing `trains` trains.
void stationWithTrains(DbFolder& folder, int s, int trains) {
    std::string record{0, static_cast<char>(s)};
    for (int t = 0; t < trains; ++t) record += std::string{0, static_cast<char>(t)};
    record.push_back('\x80');
    folder.files["S" + std::to_string(s + 1) + ".dat"] = record;
}

TEST(StationPinyin, DamagedLinesAndReadingsAreSkipped) {
    StationPinyin table = StationPinyin::parse(
        "# comment\r\n"
        "\n"
        "北京\tbei jing\r\n"
        "\tno name\n"
        "南京\tNan Jing\tnan  jing\tnanjing1\tnan jing\n"  // only the last reading is good
        "天津\n"                                           // no reading
        "北京\tbei jing\tpei ching\n"                      // a second line adds, no repeats
        "\xff\xfe\tbad name\n"
        "上海\tshang hai");  // no line feed at the end
    ASSERT_NE(table.readingsOf(u"北京"), nullptr);
    EXPECT_EQ(table.readingsOf(u"北京")->size(), 2u);
    ASSERT_NE(table.readingsOf(u"南京"), nullptr);
    EXPECT_EQ(table.readingsOf(u"南京")->size(), 1u);
    EXPECT_EQ(table.readingsOf(u"南京")->front().initials, "nj");
    EXPECT_EQ(table.readingsOf(u"天津"), nullptr);
    EXPECT_NE(table.readingsOf(u"上海"), nullptr);
    EXPECT_NE(table.readingsOf(u"\uFFFD\uFFFD"), nullptr);  // converted as s.i names are

    std::string many = "多";
    for (int i = 0; i < 40; ++i) many += "\tduo" + std::string(1, static_cast<char>('a' + i % 26));
    EXPECT_LE(StationPinyin::parse(many).readingsOf(u"多")->size(), StationPinyin::kMaxReadings);
}

TEST(StationPinyin, TypedTextIsPinyinOnlyWhenItIsLettersAndSeparators) {
    PinyinReading xian;
    ASSERT_TRUE(parseReading("xi an bei", xian));
    PinyinReading xianlin;
    ASSERT_TRUE(parseReading("xian lin", xianlin));
    for (const char16_t* typed : {u"xi'an", u"XI AN", u"xi’an", u"xian", u"xab", u"x"}) {
        EXPECT_TRUE(readingMatches(xian, TypedStation(typed))) << toUtf8(typed);
    }
    EXPECT_FALSE(readingMatches(xianlin, TypedStation(u"xi'an")));
    EXPECT_FALSE(readingMatches(xian, TypedStation(u"xi'anbeix")));
    EXPECT_FALSE(readingMatches(xian, TypedStation(u"xian2")));
    EXPECT_FALSE(TypedStation(u"  ").pinyin);
    EXPECT_FALSE(TypedStation(u"'").pinyin);
    EXPECT_FALSE(TypedStation(u"西an").pinyin);
    EXPECT_FALSE(parseReading("", xian));
    EXPECT_FALSE(parseReading("xi  an", xian));
    EXPECT_FALSE(parseReading("xi an ", xian));
}

TEST(FindStations, BusiestFirstEachNameOnceAndReadOnFirstUse) {
    DbFolder folder;
    folder.stations = {"西安", "西安北", "仙林", "西安", "咸阳"};
    stationWithTrains(folder, 0, 2);
    stationWithTrains(folder, 1, 3);
    stationWithTrains(folder, 2, 3);  // a tie with 西安北: the lower index first
    stationWithTrains(folder, 3, 9);  // the second 西安 is not looked at: names count once
    folder.files["pinyin.txt"] = "西安\txi an\n西安北\txi an bei\n仙林\txian lin\n";
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(found(db, u"xian"), (std::vector<std::string>{"西安北", "仙林", "西安"}));
    EXPECT_EQ(found(db, u"xi'an"), (std::vector<std::string>{"西安北", "西安"}));
    EXPECT_EQ(found(db, u"西安"), (std::vector<std::string>{"西安北", "西安"}));
    // 咸阳 has no line: characters only. Lines for names that are no station are ignored.
    EXPECT_EQ(found(db, u"xy"), std::vector<std::string>{});
    EXPECT_EQ(found(db, u"咸"), std::vector<std::string>{"咸阳"});
    std::vector<std::u16string> one;
    db.findStations(u"x", one, 1);
    EXPECT_EQ(one.size(), 1u);

    // The file is read on first use after a load, so a reload sees a changed file.
    folder.files["pinyin.txt"] = "咸阳\txian yang\n";
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(found(db, u"xy"), std::vector<std::string>{"咸阳"});
    EXPECT_EQ(found(db, u"xian"), std::vector<std::string>{"咸阳"});

    // Without the file the timetable loads as before and characters still match.
    folder.files.erase("pinyin.txt");
    std::filesystem::remove(folder.dir / "pinyin.txt");
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(found(db, u"xian"), std::vector<std::string>{});
    EXPECT_EQ(found(db, u"仙"), std::vector<std::string>{"仙林"});
}

// "kind:name" of what a typed text names, with the candidates when there are several.
std::string resolved(const TimetableDb& db, const std::u16string& typed) {
    const TypedName name = db.resolveTypedName(typed);
    std::string text = std::to_string(static_cast<int>(name.kind)) + ":" + toUtf8(name.name);
    if (name.kind == TypedNameKind::Several) {
        for (const std::u16string& c : name.candidates) text += " " + toUtf8(c);
    }
    return text;
}

TEST(ResolveTypedName, OneStationIsTakenSeveralAreListedAndAWholeNameWins) {
    DbFolder folder;
    folder.stations = {"南京南", "南京", "仙林", "Zürich HB", "Zürich Oerlikon"};
    for (int s = 0; s < 5; ++s) stationWithTrains(folder, s, s == 1 ? 3 : 1);
    folder.files["pinyin.txt"] = "南京\tnan jing\n南京南\tnan jing nan\n仙林\txian lin\n";
    // XL names 仙林 and 南京南, and the walk from it meets 仙林 again under XLH.
    folder.files["name.txt"] = utf16File(u"仙林 XLH 仙林 XL 南京南 XL");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    // 1 place (as typed), 2 one station, 3 several, 4 none, 0 empty.
    EXPECT_EQ(resolved(db, u" \u3000"), "0:");
    EXPECT_EQ(resolved(db, u"南京"), "1:南京");  // the place: 南京 and 南京南 alike
    EXPECT_EQ(resolved(db, u" 南京南 "), "1:南京南");
    EXPECT_EQ(resolved(db, u"nanjing"), "2:南京");  // whole pinyin beside 南京南's prefix
    EXPECT_EQ(resolved(db, u"Nan Jing"), "2:南京");
    EXPECT_EQ(resolved(db, u"nanj"), "3:nanj 南京 南京南");  // busiest first
    EXPECT_EQ(resolved(db, u"nj"), "3:nj 南京 南京南");
    EXPECT_EQ(resolved(db, u"xl"), "3:xl 仙林 南京南");  // each once, though the code's walk
    EXPECT_EQ(resolved(db, u"xianl"), "2:仙林");
    EXPECT_EQ(resolved(db, u"xlh"), "2:仙林");  // its code
    EXPECT_EQ(resolved(db, u"仙"), "2:仙林");
    EXPECT_EQ(resolved(db, u"zurich"), "3:zurich Zürich HB Zürich Oerlikon");
    EXPECT_EQ(resolved(db, u"ZURICH HB"), "2:Zürich HB");
    EXPECT_EQ(resolved(db, u"oerlikon"), "2:Zürich Oerlikon");
    EXPECT_EQ(resolved(db, u"火星"), "4:火星");
}

// Latin names as travellers type them: ß as ss, æ as ae and the other letters written as two, in
// the search, the field's resolution and the one name that starts with the typed words.
TEST(ResolveTypedName, LatinNamesFoldAsTypedAndTheOneThatStartsWithTheWordsWins) {
    DbFolder folder;
    folder.stations = {"So. San Francisco Caltrain",
                       "San Francisco Caltrain",
                       "Tübinger Straße",
                       "Königsberger Straße",
                       "Ærøskøbing",
                       "Þingvellir",
                       "Œuvre Łódź Đakovo",
                       "Istanbul Kadıköy"};
    for (int s = 0; s < 8; ++s) stationWithTrains(folder, s, s == 0 ? 3 : 1);
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(found(db, u"strasse"),
              (std::vector<std::string>{"Tübinger Straße", "Königsberger Straße"}));
    EXPECT_EQ(found(db, u"STRASSE"), found(db, u"straße"));
    EXPECT_EQ(found(db, u"aeroskobing"), std::vector<std::string>{"Ærøskøbing"});
    EXPECT_EQ(found(db, u"thingv"), std::vector<std::string>{"Þingvellir"});
    EXPECT_EQ(found(db, u"oeuvre lodz dakovo"), std::vector<std::string>{"Œuvre Łódź Đakovo"});
    EXPECT_EQ(found(db, u"kadikoy"), std::vector<std::string>{"Istanbul Kadıköy"});
    // "San Francisco" starts one name and stands later in the busier one: the first is meant.
    EXPECT_EQ(resolved(db, u"San Francisco"), "2:San Francisco Caltrain");
    EXPECT_EQ(resolved(db, u"san  francisco"), "2:San Francisco Caltrain");
    EXPECT_EQ(resolved(db, u"francisco"),
              "3:francisco So. San Francisco Caltrain San Francisco Caltrain");
    EXPECT_EQ(resolved(db, u"tubinger strasse"), "2:Tübinger Straße");
    EXPECT_EQ(resolved(db, u"strasse"), "3:strasse Tübinger Straße Königsberger Straße");
}

}  // namespace
}  // namespace zelvan::test
