#include <gtest/gtest.h>

#include "db_fixture.h"

namespace zelvan::test {
namespace {

// The record of train 130 (file T11): kind 0x21, factor 5, valid 2011-01-01 to 2011-12-31,
// rule 3, station 5 at 08:00 (0 km) and station 200 at 09:30 with 5 minutes' dwell (150 km).
const std::string kRecord130 =
    hexBytes("01 02 21 05 15 36 4B 09 7F 3E 4B 09 03 00 05 08 00 00 00 00 01 48 09 1E 05 01 16 80");

std::vector<std::string> trainNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "X%04d", i);
        names.push_back(name);
    }
    return names;
}

// A record of `index` with no stops: header only.
std::string emptyRecord(int index) {
    return std::string{static_cast<char>(index / 128), static_cast<char>(index % 128)} +
           hexBytes("00 00 00 00 00 00 00 00 00 00 00 80");
}

TEST(TrainRecord, DecodesTheDocumentedRecord) {
    DbFolder folder;
    folder.trains = trainNames(131);
    folder.files["T11.dat"] = emptyRecord(10) + kRecord130;
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    TrainRecord train;
    db.decodeTrain(130, train);
    EXPECT_EQ(train.name, u"X0130");
    EXPECT_EQ(train.kindCode, 0x21);
    EXPECT_EQ(train.fareFactor, 5);
    EXPECT_EQ(train.validFrom, 20110101);
    EXPECT_EQ(train.validUntil, 20111231);
    EXPECT_EQ(train.ruleNumber, 3);
    ASSERT_EQ(train.stops.size(), 2u);
    const StopRecord& a = train.stops[0];
    EXPECT_EQ(a.station, 5);
    EXPECT_EQ(a.arrivalHour, 8);
    EXPECT_EQ(a.arrivalMinute, 0);
    EXPECT_EQ(a.dwellMinutes, 0);
    EXPECT_EQ(a.distanceKm, 0);
    EXPECT_EQ(a.sequence, 0);
    const StopRecord& b = train.stops[1];
    EXPECT_EQ(b.station, 200);
    EXPECT_EQ(b.arrivalHour, 9);
    EXPECT_EQ(b.arrivalMinute, 30);
    EXPECT_EQ(b.dwellMinutes, 5);
    EXPECT_EQ(b.distanceKm, 150);
    EXPECT_EQ(b.sequence, 1);
}

TEST(TrainRecord, DateAndTwoByteNumbers) {
    DbFolder folder;
    folder.trains = trainNames(1);
    // validFrom 6C 3B 4B 09 = 20110828; a stop at station 01 00 = 128, distance 02 10 = 272 km.
    folder.files["T1.dat"] =
        hexBytes("00 00 00 00 6C 3B 4B 09 6C 3B 4B 09 00 01 00 0A 14 02 02 10 80");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    TrainRecord train;
    db.decodeTrain(0, train);
    EXPECT_EQ(train.validFrom, 20110828);
    ASSERT_EQ(train.stops.size(), 1u);
    EXPECT_EQ(train.stops[0].station, 128);
    EXPECT_EQ(train.stops[0].distanceKm, 272);
}

TEST(TrainRecord, FilePlacementByIndex) {
    // Train t lies in T((t + 1) mod 20): 0 in T1, 19 and 39 in T0. Each file holds other
    // trains' records first, so the scan must step over them.
    DbFolder folder;
    folder.trains = trainNames(40);
    folder.files["T1.dat"] = emptyRecord(20) + emptyRecord(0);
    folder.files["T0.dat"] = emptyRecord(39) + emptyRecord(59) + emptyRecord(19);
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        for (int t : {0, 19, 39, 20}) {
            TrainRecord train;
            db.decodeTrain(t, train);
            EXPECT_EQ(train.name, db.trainNameByIndex(t)) << t;
        }
        TrainRecord missing;
        db.decodeTrain(5, missing);  // T6 is empty
        EXPECT_TRUE(missing.name.empty());
        db.decodeTrain(-1, missing);  // a failed search scans T0 and finds nothing
        EXPECT_TRUE(missing.name.empty());
        EXPECT_TRUE(missing.stops.empty());
        db.decodeTrain(-7, missing);  // no file at all
        EXPECT_TRUE(missing.name.empty());
    }
}

TEST(TrainRecord, HeaderOnlyAndCutShortRecords) {
    DbFolder folder;
    folder.trains = trainNames(3);
    folder.files["T1.dat"] = hexBytes("00 00 01 02 00 00 00 00 00 00 00 00 00 80");
    // Train 1: one whole stop, then a stop cut short by the end of the file.
    folder.files["T2.dat"] = hexBytes(
        "00 01 01 02 00 00 00 00 00 00 00 00 00 00 05 08 00 00 00 00"
        " 00 06 09");
    // Train 2: a header cut short.
    folder.files["T3.dat"] = hexBytes("00 02 21 07");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    TrainRecord train;
    db.decodeTrain(0, train);
    EXPECT_EQ(train.kindCode, 1);
    EXPECT_TRUE(train.stops.empty());
    db.decodeTrain(1, train);
    EXPECT_EQ(train.stops.size(), 1u);  // the stop read before the cut stays
    db.decodeTrain(2, train);
    EXPECT_EQ(train.name, u"X0002");
    EXPECT_EQ(train.kindCode, 0x21);
    EXPECT_EQ(train.fareFactor, 7);
    EXPECT_EQ(train.validFrom, 0);
    EXPECT_TRUE(train.stops.empty());
}

TEST(TrainRecord, StatusIsSetButNeverStopsTheDecode) {
    DbFolder folder;
    folder.trains = trainNames(131);
    folder.files["T11.dat"] = kRecord130;
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    TrainRecord train;
    db.queryDate = 20120105;
    db.decodeTrain(130, train);
    EXPECT_EQ(train.status, RunStatus::Expired);
    EXPECT_EQ(train.stops.size(), 2u);
    db.queryDate = 20101231;
    db.decodeTrain(130, train);
    EXPECT_EQ(train.status, RunStatus::NotYetValid);
    db.queryDate = 20110101;
    db.decodeTrain(130, train);
    EXPECT_EQ(train.status, RunStatus::Running);  // rule 3 has no line: daily
}

TEST(TrainNames, ByRankWithTheLastForIndicesPastTheEnd) {
    DbFolder folder;
    folder.trains = {"D1", "G1", "K1"};
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        EXPECT_EQ(db.trainNameByIndex(0), u"D1");
        EXPECT_EQ(db.trainNameByIndex(2), u"K1");
        EXPECT_EQ(db.trainNameByIndex(3), u"K1");
        EXPECT_EQ(db.trainNameByIndex(-1), u"D1");
    }
    TimetableDb empty;
    EXPECT_EQ(empty.trainNameByIndex(0), u"");
}

}  // namespace
}  // namespace zelvan::test
