// The bytes of compiled data files, checked by hand against the layouts the loader reads, and
// how the output folder is replaced.
#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/timetable_source.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

const std::string kTrainsHeader = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n";
const std::string kStopsHeader = "train\tstation\tarrival\tdwell\tkm\n";

// 北京 with one train, 上海 without a record, 天津 listing K1 twice.
const std::map<std::string, std::string> kTiny = {
    {"stations.tsv", "name\ttrains\n北京\t*\n上海\t!\n天津\tK1 K1\n"},
    {"trains.tsv", kTrainsHeader + "K1\t0x21\t5\t20110101\t20111231\t3\n"},
    {"stops.tsv", kStopsHeader + "K1\t北京\t08:00\t0\t0\n"},
    {"codes.tsv", "code\tname\nBJ\t北京\n"},
    {"rules.txt", "1 1\n"},
    {"ads.tsv", "title\tlink\nmap\thttp://m.zelvan.cn/mp/map\n"},
    {"version.txt", "2026.1\r\n"},
};

TEST(DataFiles, TinyDatabaseHasTheDocumentedBytes) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(compileSourceText(kTiny, dir.path(), error)) << error;

    // Entry count (not read by the loader), then length-prefixed names, then an empty entry.
    EXPECT_EQ(readBytes(dir / "s.i"), hexBytes("00 03"
                                               "00 06 E5 8C 97 E4 BA AC"  // 北京
                                               "00 06 E4 B8 8A E6 B5 B7"  // 上海
                                               "00 06 E5 A4 A9 E6 B4 A5"  // 天津
                                               "00 00"));
    EXPECT_EQ(readBytes(dir / "t.i"), hexBytes("00 01 00 02 4B 31 00 00"));  // K1

    // Train 0 lies in T1.dat: index, kind, factor, dates (low digit first), rule, one stop.
    EXPECT_EQ(readBytes(dir / "T1.dat"),
              hexBytes("00 00 21 05 15 36 4B 09 7F 3E 4B 09 03  00 00 08 00 00 00 00  80"));
    // Station s lies in S((s + 1) mod 10); 上海 has no record, 天津 keeps its repeat.
    EXPECT_EQ(readBytes(dir / "S1.dat"), hexBytes("00 00 00 00 80"));
    EXPECT_EQ(readBytes(dir / "S2.dat"), "");
    EXPECT_EQ(readBytes(dir / "S3.dat"), hexBytes("00 02 00 00 00 00 80"));
    for (int i = 0; i < 20; ++i) {
        std::filesystem::path file = dir / ("T" + std::to_string(i) + ".dat");
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        if (i != 1) {
            EXPECT_EQ(readBytes(file), "") << file;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "S0.dat"));

    EXPECT_EQ(readBytes(dir / "t.rule"), "1 1\n");
    EXPECT_EQ(readBytes(dir / "name.txt"), utf16File(u"北京\tBJ\r\n"));
    EXPECT_EQ(readBytes(dir / "ads.txt"), utf16File(u"map\thttp://m.zelvan.cn/mp/map\r\n"));
    EXPECT_EQ(readBytes(dir / "ver.txt"), "2026.1\r\n");
}

TEST(DataFiles, TrainRankAndTwoByteNumbersUseBase128) {
    // 130 trains sort before K1, so K1 has index 130 (file T11); stations 5 and 200.
    std::string stations = "name\ttrains\n";
    for (int s = 0; s <= 200; ++s) stations += "S" + std::to_string(s) + "\t*\n";
    std::string trains = kTrainsHeader + "K1\t0x21\t5\t20110101\t20111231\t3\n";
    for (int t = 0; t < 130; ++t) {
        char name[8];
        std::snprintf(name, sizeof name, "A%03d", t);
        trains += std::string(name) + "\t0\t0\t0\t0\t0\n";
    }
    std::string stops = kStopsHeader + "K1\tS5\t08:00\t0\t0\nK1\tS200\t09:30\t5\t150\n";
    TempDir dir;
    std::string error;
    ASSERT_TRUE(compileSourceText(
        {{"stations.tsv", stations}, {"trains.tsv", trains}, {"stops.tsv", stops}}, dir.path(),
        error))
        << error;

    // T11 holds trains 10, 30, ..., 110 (no stops, 14 bytes each), then train 130.
    const std::string t11 = readBytes(dir / "T11.dat");
    ASSERT_EQ(t11.size(), 6 * 14 + 28u);
    EXPECT_EQ(t11.substr(0, 14), hexBytes("00 0A 00 00 00 00 00 00 00 00 00 00 00 80"));
    EXPECT_EQ(t11.substr(6 * 14), hexBytes("01 02 21 05 15 36 4B 09 7F 3E 4B 09 03"
                                           "00 05 08 00 00 00 00"
                                           "01 48 09 1E 05 01 16 80"));
    // S6 holds stations 5, 15, ..., 195; station 5 first, with train 130.
    EXPECT_EQ(readBytes(dir / "S6.dat").substr(0, 8), hexBytes("00 05 01 02 80 00 0F 80"));
    // S1 holds stations 0, 10, ..., 200 in ascending order; 200 is last, with train 130.
    const std::string s1 = readBytes(dir / "S1.dat");
    EXPECT_EQ(s1.substr(s1.size() - 5), hexBytes("01 48 01 02 80"));
    EXPECT_EQ(readBytes(dir / "t.i").substr(0, 2), hexBytes("00 83"));  // 131 entries
}

TEST(DataFiles, RefusedCompileLeavesTheOldFilesAndNoTemporaries) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(compileSourceText(kTiny, dir.path(), error)) << error;
    const std::string before = readBytes(dir / "T1.dat");
    auto broken = kTiny;
    broken["stops.tsv"] = kStopsHeader + "K1\t北京\t08:00\t0\t0\nK1\t南京\t09:00\t0\t10\n";
    EXPECT_FALSE(compileSourceText(broken, dir.path(), error));
    EXPECT_EQ(readBytes(dir / "T1.dat"), before);

    // A folder where a data file belongs is found before any file is replaced.
    auto changed = kTiny;
    changed["trains.tsv"] = kTrainsHeader + "K1\t0x22\t5\t20110101\t20111231\t3\n";
    std::filesystem::remove(dir / "T9.dat");
    std::filesystem::create_directory(dir / "T9.dat");
    EXPECT_FALSE(compileSourceText(changed, dir.path(), error));
    EXPECT_NE(error.find("T9.dat"), std::string::npos) << error;
    EXPECT_EQ(readBytes(dir / "T1.dat"), before);

    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

TEST(DataFiles, OptionalFilesFollowTheSource) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(compileSourceText(kTiny, dir.path(), error)) << error;
    auto bare = kTiny;
    for (const char* name : {"codes.tsv", "rules.txt", "ads.tsv", "version.txt"}) bare.erase(name);
    ASSERT_TRUE(compileSourceText(bare, dir / "new", error)) << error;
    ASSERT_TRUE(compileSourceText(bare, dir.path(), error)) << error;
    for (const char* name : {"t.rule", "name.txt", "ads.txt", "ver.txt"}) {
        EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;  // an older build's copy
        EXPECT_FALSE(std::filesystem::exists(dir / "new" / name)) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "new" / "S9.dat"));  // the folder was created

    // Present but empty tables still give their files.
    bare["codes.tsv"] = "code\tname\n";
    bare["rules.txt"] = "";
    ASSERT_TRUE(compileSourceText(bare, dir.path(), error)) << error;
    EXPECT_EQ(readBytes(dir / "name.txt"), "\xFF\xFE");
    EXPECT_EQ(readBytes(dir / "t.rule"), "");
}

}  // namespace
}  // namespace zelvan::test
