// Source text -> compile -> load -> decode: every train and station reads back as written;
// then dump: the dumped source is the text we started from, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

// Canonical text covering every list form, duplicate station names (#N), a train calling at a
// station twice, a train without stops, a Latin-1 train number and the numbers' limits.
// Trains in index order: D5 0, G2 1, K1 2, T109/T110 3, Z9 4, É7 5.
const std::map<std::string, std::string> kSource = {
    {"stations.tsv",
     "name\ttrains\n"
     "北京\t*\n"
     "上海\t*\n"
     "南京\t*\n"
     "南京\t*\n"
     "天津\tK1 G2 K1\n"
     "济南\t-\n"
     "杭州东\t!\n"
     "宁波东\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "D5\t0x00\t0\t20250101\t20251231\t0\n"
     "G2\t0x06\t12\t20260101\t20271231\t1\n"
     "K1\t0x30\t0\t20260101\t20271231\t0\n"
     "T109/T110\t0x21\t5\t0\t268435455\t127\n"
     "Z9\t0x7F\t127\t20260101\t20271231\t2\n"
     "É7\t0x10\t10\t20260101\t20260101\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "D5\t上海\t07:00\t0\t0\n"
     "D5\t杭州东\t08:00\t5\t159\n"
     "G2\t北京\t08:00\t0\t0\n"
     "G2\t#2\t11:30\t3\t1000\n"
     "G2\t#3\t11:40\t3\t1001\n"
     "G2\t上海\t13:00\t0\t1318\n"
     "K1\t北京\t20:00\t0\t0\n"
     "K1\t天津\t21:30\t2\t120\n"
     "K1\t济南\t23:50\t15\t497\n"
     "K1\t#2\t05:00\t10\t1160\n"
     "K1\t北京\t23:59\t127\t16383\n"
     "T109/T110\t济南\t19:00\t0\t0\n"
     "T109/T110\t上海\t07:30\t0\t1463\n"
     "É7\t北京\t00:00\t0\t0\n"},
    {"codes.tsv", "code\tname\nBJ\t北京\nNJ\t南京\nNJ\t南京\nSH\t上海\nTJ\t天津\n"},
    {"rules.txt", "1 1\n2 1\n4 5\n"},
    {"ads.tsv",
     "title\tlink\n天气\thttp://m.zelvan.cn/mp/dl/weather\n地图\thttp://m.zelvan.cn/mp\n"},
    {"version.txt", "2026.12.01\r\n"},
};

int stationIndexOf(const TimetableSource& source, const std::u16string& ref) {
    if (!ref.empty() && ref[0] == u'#') return std::stoi(toUtf8(ref.substr(1)));
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        if (source.stations[s].name == ref) return static_cast<int>(s);
    }
    return -1;
}

// Every train of `source` decodes from `db` with its fields and stops as written.
void expectTrainsDecode(const TimetableSource& source, const TimetableDb& db) {
    std::vector<std::u16string> names;
    for (const SourceTrain& train : source.trains) names.push_back(train.name);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(db.trainIndex.size(), names.size());
    for (const SourceTrain& train : source.trains) {
        const int index = db.trainIndex.at(train.name);
        EXPECT_EQ(names[static_cast<std::size_t>(index)], train.name);  // index = rank
        TrainRecord record;
        db.decodeTrain(index, record);
        const std::string what = toUtf8(train.name);
        EXPECT_EQ(record.name, train.name);
        EXPECT_EQ(record.kindCode, train.kindCode) << what;
        EXPECT_EQ(record.fareFactor, train.fareFactor) << what;
        EXPECT_EQ(record.validFrom, train.validFrom) << what;
        EXPECT_EQ(record.validUntil, train.validUntil) << what;
        EXPECT_EQ(record.ruleNumber, train.ruleNumber) << what;
        ASSERT_EQ(record.stops.size(), train.stops.size()) << what;
        for (std::size_t k = 0; k < train.stops.size(); ++k) {
            const SourceStop& want = train.stops[k];
            const StopRecord& got = record.stops[k];
            EXPECT_EQ(got.station, stationIndexOf(source, want.station)) << what << " " << k;
            EXPECT_EQ(got.arrivalHour, want.arrivalHour) << what << " " << k;
            EXPECT_EQ(got.arrivalMinute, want.arrivalMinute) << what << " " << k;
            EXPECT_EQ(got.dwellMinutes, want.dwellMinutes) << what << " " << k;
            EXPECT_EQ(got.distanceKm, want.distanceKm) << what << " " << k;
            EXPECT_EQ(got.sequence, static_cast<int>(k));
        }
    }
}

// Dumps `db` and compares every file with the source text it was compiled from.
void expectDumpEquals(const TimetableDb& db, const std::map<std::string, std::string>& files) {
    TempDir out;
    std::string error;
    ASSERT_TRUE(dumpTimetableTo(db, out / "src", error)) << error;
    std::size_t written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out / "src")) {
        ++written;
        EXPECT_TRUE(files.count(entry.path().filename().string())) << entry.path();
    }
    EXPECT_EQ(written, files.size());
    for (const auto& [name, text] : files) EXPECT_EQ(readBytes(out / "src" / name), text) << name;
}

TEST(RoundTrip, EveryTrainStationAndTableReadsBackAndDumpsToTheSameText) {
    TempDir data;
    std::string error;
    ASSERT_TRUE(compileSourceText(kSource, data.path(), error)) << error;
    TimetableDb db;
    ASSERT_TRUE(db.load(data.wide()));

    TempDir sourceDir;
    for (const auto& [name, text] : kSource) writeBytes(sourceDir / name, text);
    TimetableSource source;
    ASSERT_TRUE(readTimetableSource(sourceDir.path(), source, error)) << error;
    expectTrainsDecode(source, db);

    ASSERT_EQ(db.stationNames.size(), source.stations.size());
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        EXPECT_EQ(db.stationNames[s], source.stations[s].name);
    }
    auto trainsAt = [&](const std::u16string& name) {
        std::vector<int> trains;
        db.trainsAtStation(name, trains);
        return trains;
    };
    using List = std::vector<int>;
    EXPECT_EQ(trainsAt(u"北京"), (List{1, 2, 5}));  // K1 calls twice, listed once
    EXPECT_EQ(trainsAt(u"上海"), (List{0, 1, 3}));
    EXPECT_EQ(trainsAt(u"南京"), (List{1, 2}));  // the first of the two
    EXPECT_EQ(trainsAt(u"天津"), (List{2, 1, 2}));
    EXPECT_EQ(trainsAt(u"济南"), List{});
    EXPECT_EQ(trainsAt(u"杭州东"), List{});
    EXPECT_EQ(db.findRecord(false, 6), -1);  // 杭州东: no record at all
    EXPECT_GE(db.findRecord(false, 7), 0);   // 宁波东: a record without trains
    EXPECT_GE(db.findRecord(false, 3), 0);

    EXPECT_EQ(db.runningRules, (std::vector<std::u16string>{u"1 1\n", u"2 1\n", u"4 5\n"}));
    EXPECT_EQ(db.stationsByCode.at(u"NJ"), u"南京|南京");
    EXPECT_EQ(db.stationsByCode.size(), 4u);
    EXPECT_EQ(db.adTitles, (std::vector<std::u16string>{u"天气", u"地图"}));
    EXPECT_EQ(db.adLinks[0], u"http://m.zelvan.cn/mp/dl/weather");
    std::u16string version;
    db.readDatabaseVersion(version);
    EXPECT_EQ(version, u"2026.12.01\n");

    expectDumpEquals(db, kSource);
}

TEST(RoundTrip, OptionalFilesStayAbsentOrEmpty) {
    auto files = kSource;
    for (const char* name : {"codes.tsv", "ads.tsv", "version.txt"}) files.erase(name);
    files["rules.txt"] = "";
    TempDir data;
    std::string error;
    ASSERT_TRUE(compileSourceText(files, data.path(), error)) << error;
    TimetableDb db;
    ASSERT_TRUE(db.load(data.wide()));
    expectDumpEquals(db, files);
}

// The timetables kept as source in the repository compile, load and dump back unchanged.
TEST(RoundTrip, RepositoryTimetables) {
    const std::filesystem::path root = ZELVAN_SOURCE_DIR;
    for (const char* folder : {"tests/cli/timetable", "data/sample"}) {
        const std::filesystem::path dir = root / folder;
        if (!std::filesystem::exists(dir / "stations.tsv")) continue;
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            files[entry.path().filename().string()] = readBytes(entry.path());
        }
        TempDir data;
        std::string error;
        ASSERT_TRUE(compileTimetable(dir, data.path(), error)) << folder << ": " << error;
        TimetableDb db;
        ASSERT_TRUE(db.load(data.wide())) << folder;
        TimetableSource source;
        ASSERT_TRUE(readTimetableSource(dir, source, error)) << error;
        expectTrainsDecode(source, db);
        expectDumpEquals(db, files);
    }
}

}  // namespace
}  // namespace zelvan::test
