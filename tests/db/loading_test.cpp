#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "db/text.h"
#include "db_fixture.h"

namespace zelvan::test {
namespace {

TEST(NameLists, FramingOfStationAndTrainEntries) {
    DbFolder folder;
    folder.files["s.i"] = hexBytes("00 00  00 06 E5 8C 97 E4 BA AC  00 03 41 42 43");
    folder.files["t.i"] = hexBytes("00 00  00 02 4B 31  00 02 4B 32");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"北京", u"ABC"}));
    EXPECT_EQ(db.trainIndex, (std::map<std::u16string, int>{{u"K1", 0}, {u"K2", 1}}));
}

TEST(NameLists, ZeroLengthEntryEndsTheList) {
    DbFolder folder;
    folder.files["s.i"] = hexBytes("00 00  00 01 41  00 00  00 01 42  00 00");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"A"}));
}

TEST(NameLists, ShortFilesAndCutNames) {
    struct Case {
        std::string bytes;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {"", {}},
        {hexBytes("00 00 00 01"), {}},               // 4 bytes hold no entries
        {hexBytes("00 00 00 01 41"), {u"A"}},        // entry starts before length - 2
        {hexBytes("00 00 00 09 41 42"), {u"AB"}},    // name cut at the end of the file
        {hexBytes("00 00 00 01 41 00 05"), {u"A"}},  // second entry starts too late
    };
    for (const Case& c : cases) {
        DbFolder folder;
        folder.files["s.i"] = c.bytes;
        TimetableDb db;
        EXPECT_TRUE(folder.load(db));
        EXPECT_EQ(db.stationNames, c.names);
    }
}

TEST(NameLists, DuplicateTrainNameKeepsLaterPositionAndCountingGoesOn) {
    DbFolder folder;
    folder.trains = {"K1", "K2", "K1", "T9"};
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(db.trainIndex, (std::map<std::u16string, int>{{u"K1", 2}, {u"K2", 1}, {u"T9", 3}}));
}

TEST(NameLists, TrainNameBytesAreCodeUnitsWithoutConversion) {
    DbFolder folder;
    folder.trains = {"\xB1Z"};
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_EQ(db.trainIndex.begin()->first, std::u16string(u"\u00B1Z"));
}

TEST(Loading, MissingRecordFileKeepsWhatWasReadBeforeIt) {
    DbFolder folder;
    folder.stations = {"A", "B"};
    folder.trains = {"K1"};
    folder.files["t.rule"] = "2 1\n";
    folder.files["name.txt"] = utf16File(u"A AA");
    folder.write();
    std::filesystem::remove(folder.dir / "T7.dat");
    TimetableDb db;
    EXPECT_FALSE(db.load(folder.dir.wide()));
    EXPECT_EQ(db.stationFiles.size(), 10u);
    EXPECT_EQ(db.trainFiles.size(), 7u);
    EXPECT_EQ(db.stationNames.size(), 2u);
    EXPECT_EQ(db.stationsByCode.size(), 1u);
    EXPECT_TRUE(db.runningRules.empty());  // t.rule is read last
}

TEST(Loading, MissingNameListsFailAtOnce) {
    DbFolder folder;
    folder.stations = {"A"};
    folder.write();
    std::filesystem::remove(folder.dir / "t.i");
    TimetableDb db;
    EXPECT_FALSE(db.load(folder.dir.wide()));
    EXPECT_EQ(db.stationNames.size(), 1u);  // s.i was read before t.i was found missing
    EXPECT_TRUE(db.stationFiles.empty());

    std::filesystem::remove(folder.dir / "s.i");
    EXPECT_FALSE(db.load(folder.dir.wide()));
    EXPECT_TRUE(db.stationNames.empty());
}

TEST(Loading, OptionalFilesMayBeMissing) {
    DbFolder folder;
    folder.stations = {"A"};
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    EXPECT_TRUE(db.runningRules.empty());
    EXPECT_TRUE(db.stationsByCode.empty());
    EXPECT_TRUE(db.adTitles.empty());
    std::u16string version = u"unchanged";
    db.readDatabaseVersion(version);
    EXPECT_EQ(version, u"unchanged");
}

TEST(Loading, LongRuleLineSplitsIntoPiecesOf255Bytes) {
    DbFolder folder;
    std::string longLine = "3 5" + std::string(297, ' ');  // 300 bytes
    folder.files["t.rule"] = "1 1\r\n" + longLine + "\n2 1\n";
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    ASSERT_EQ(db.runningRules.size(), 4u);
    EXPECT_EQ(db.runningRules[0], u"1 1\n");  // CR LF reads as LF
    EXPECT_EQ(db.runningRules[1], fromUtf8(longLine.substr(0, 255)));
    EXPECT_EQ(db.runningRules[2], fromUtf8(longLine.substr(255) + "\n"));
    EXPECT_EQ(db.runningRules[3], u"2 1\n");  // the next line's rule number moved up by one
}

TEST(Loading, RulesAreConvertedFromTheChineseCodePage) {
    DbFolder folder;
    folder.files["t.rule"] = "2 1 \xC8\xD5\n";  // 日 in GBK
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    ASSERT_EQ(db.runningRules.size(), 1u);
    EXPECT_EQ(db.runningRules[0], u"2 1 日\n");
}

TEST(Loading, LoadingTwiceReplacesTheFirstLoad) {
    DbFolder first;
    first.stations = {"A", "B"};
    first.trains = {"K1"};
    DbFolder second;
    second.stations = {"C"};
    TimetableDb db;
    ASSERT_TRUE(first.load(db));
    ASSERT_TRUE(second.load(db));
    EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"C"}));
    EXPECT_TRUE(db.trainIndex.empty());
    EXPECT_EQ(db.trainFiles.size(), 20u);
    EXPECT_EQ(db.folder, second.dir.wide());
}

TEST(Loading, ClearKeepsFolderAdsAndQueryContext) {
    DbFolder folder;
    folder.stations = {"A"};
    folder.files["ads.txt"] = utf16File(u"a http://m.zelvan.cn/mp/a b http://m.zelvan.cn/mp/b");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    db.queryDate = 20240101;
    db.fromStation = 3;
    db.clear();
    EXPECT_TRUE(db.stationNames.empty());
    EXPECT_TRUE(db.trainFiles.empty());
    EXPECT_EQ(db.adTitles.size(), 2u);
    EXPECT_EQ(db.folder, folder.dir.wide());
    EXPECT_EQ(db.queryDate, 20240101);
    EXPECT_EQ(db.fromStation, 3);
}

TEST(ReadWholeFile, ReadsExactlyAndFailsOnFoldersAndMissingFiles) {
    TempDir dir;
    writeBytes(dir / "f", "abc");
    ByteSpan span;
    ASSERT_TRUE(TimetableDb::readWholeFile(fromUtf8((dir / "f").string()), span));
    EXPECT_EQ(span.length, 3);
    EXPECT_EQ(span.data[3], 0);  // the spare bytes are zero
    EXPECT_EQ(span.data[4], 0);
    EXPECT_FALSE(TimetableDb::readWholeFile(fromUtf8((dir / "missing").string()), span));
    EXPECT_EQ(span.length, 0);
    EXPECT_FALSE(span.data);
    // A folder opens for reading on Linux but cannot be read: a short read, not an empty file.
    EXPECT_FALSE(TimetableDb::readWholeFile(dir.wide(), span));
    // Mapped files end anywhere in a page, or exactly at its end: the two spare bytes are
    // always there and zero.
    const long page = ::sysconf(_SC_PAGESIZE);
    for (long size : {0L, 1L, page - 3, page - 2, page - 1, page, page + 1, 2 * page}) {
        writeBytes(dir / "g", std::string(static_cast<std::size_t>(size), '\x80'));
        ASSERT_TRUE(TimetableDb::readWholeFile(fromUtf8((dir / "g").string()), span, true)) << size;
        ASSERT_EQ(span.length, size);
        EXPECT_EQ(span.data[size - 1 < 0 ? 0 : size - 1], size == 0 ? 0 : 0x80) << size;
        EXPECT_EQ(span.data[size], 0) << size;
        EXPECT_EQ(span.data[size + 1], 0) << size;
    }
    // Unless mapping is asked for the bytes are a copy: a file cut short in place afterwards
    // (a mapped one would end the reader on the next touch) leaves them as they were.
    writeBytes(dir / "h", std::string(3 * static_cast<std::size_t>(page), 'x'));
    ASSERT_TRUE(TimetableDb::readWholeFile(fromUtf8((dir / "h").string()), span));
    writeBytes(dir / "h", "");
    EXPECT_EQ(span.data[3 * page - 1], 'x');
}

// A program that holds the timetable for long copies it: files cut short in place after the
// load (a copy over the folder, not the rename our writers use) change nothing it reads.
TEST(Loading, CopiedFilesOutliveTheirFilesCutShortInPlace) {
    DbFolder folder;
    folder.stations = {"北京", "上海"};
    folder.trains = {"K1", "K2"};
    folder.files["T3.dat"] = std::string(5000, '\x01');
    TimetableDb db;
    db.mapFiles = false;
    ASSERT_TRUE(folder.load(db));
    for (const char* name : {"s.i", "t.i", "T3.dat"}) writeBytes(folder.dir / name, "");
    EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"北京", u"上海"}));
    EXPECT_EQ(db.trainNameByIndex(1), u"K2");
    ASSERT_EQ(db.trainFiles[3].length, 5000);
    EXPECT_EQ(db.trainFiles[3].data[4999], 1);
}

TEST(DataFolder, PathsAreFolderSeparatorName) {
    TimetableDb db;
    db.folder = u"";
    EXPECT_EQ(db.pathOf(u"s.i"), u"/s.i");  // an empty folder puts every file under the root
    db.folder = u"/data";
    EXPECT_EQ(db.pathOf(u"T7.dat"), u"/data/T7.dat");
    EXPECT_FALSE(TimetableDb::programFolder().empty());
}

}  // namespace
}  // namespace zelvan::test
