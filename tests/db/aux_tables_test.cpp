#include <gtest/gtest.h>

#include "db/text.h"
#include "db_fixture.h"

namespace zelvan::test {
namespace {

TEST(StationCodes, NamesOfOneCodeJoinInFileOrder) {
    TempDir dir;
    writeBytes(dir / "name.txt", utf16File(u"北京 BJ\r\n北京西\tBJX\n北京南 BJ\n北京 BJ"));
    TimetableDb db;
    ASSERT_TRUE(db.loadStationCodes(fromUtf8((dir / "name.txt").string())));
    EXPECT_EQ(db.stationsByCode, (std::map<std::u16string, std::u16string>{
                                     {u"BJ", u"北京|北京南|北京"}, {u"BJX", u"北京西"}}));
}

TEST(StationCodes, PairingFollowsTokensNotLines) {
    struct Case {
        std::string bytes;
        std::map<std::u16string, std::u16string> codes;
    };
    const Case cases[] = {
        // Three tokens on the first line shift everything after them.
        {utf16File(u"A B C\nD E\n"), {{u"B", u"A"}, {u"D", u"C"}}},
        // An unpaired last token is dropped; the ideographic space separates too.
        {utf16File(u"A\u3000B C"), {{u"B", u"A"}}},
        // An odd last byte is ignored; one unit (the mark alone) holds nothing.
        {utf16File(u"A B") + "\x43", {{u"B", u"A"}}},
        {"\xFF\xFE", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeBytes(dir / "name.txt", c.bytes);
        TimetableDb db;
        EXPECT_TRUE(db.loadStationCodes(fromUtf8((dir / "name.txt").string())));
        EXPECT_EQ(db.stationsByCode, c.codes);
    }
    TimetableDb db;
    EXPECT_FALSE(db.loadStationCodes(u"/nonexistent/name.txt"));
}

TEST(Ads, LinksOutsideTheProductSiteAreReplacedAndListsStayParallel) {
    TempDir dir;
    writeBytes(dir / "ads.txt", utf16File(u"天气 http://m.zelvan.cn/mp/weather\n"
                                          u"地图 http://elsewhere.example/map\n"
                                          u"短 http://m.zelvan\n"
                                          u"内嵌 x-http://m.zelvan.cn/mp\n"
                                          u"孤单"));
    TimetableDb db;
    db.adTitles = {u"stale"};
    ASSERT_TRUE(db.loadAds(fromUtf8((dir / "ads.txt").string())));
    EXPECT_EQ(db.adTitles, (std::vector<std::u16string>{u"天气", u"地图", u"短", u"内嵌"}));
    EXPECT_EQ(db.adLinks, (std::vector<std::u16string>{
                              u"http://m.zelvan.cn/mp/weather", u"http://m.zelvan.cn/mp",
                              u"http://m.zelvan.cn/mp", u"http://m.zelvan.cn/mp"}));
    EXPECT_FALSE(db.loadAds(u"/nonexistent/ads.txt"));
    EXPECT_TRUE(db.adTitles.empty());
    EXPECT_TRUE(db.adLinks.empty());
}

TEST(DatabaseVersion, FirstLineWithItsLineBreak) {
    struct Case {
        std::string bytes;
        std::u16string version;
    };
    const Case cases[] = {
        {"2026.12.01\nsecond line\n", u"2026.12.01\n"},
        {"2026.12.01\r\n", u"2026.12.01\n"},
        {"2026.12.01", u"2026.12.01"},
        {"", u""},
        {std::string(300, 'v') + "\n", std::u16string(255, u'v')},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeBytes(dir / "ver.txt", c.bytes);
        TimetableDb db;
        db.folder = dir.wide();
        std::u16string version;
        db.readDatabaseVersion(version);
        EXPECT_EQ(version, c.version);
    }
}

}  // namespace
}  // namespace zelvan::test
