#include <gtest/gtest.h>

#include "db_fixture.h"

namespace zelvan::test {
namespace {

std::string stationRecord(int station, const std::vector<int>& trains) {
    std::string bytes{static_cast<char>(station / 128), static_cast<char>(station % 128)};
    for (int t : trains) {
        bytes.push_back(static_cast<char>(t / 128));
        bytes.push_back(static_cast<char>(t % 128));
    }
    bytes.push_back('\x80');
    return bytes;
}

// A train record with stops given as (station, hour, minute, distance).
std::string trainRecord(int index, const std::vector<std::array<int, 4>>& stops) {
    std::string bytes{static_cast<char>(index / 128), static_cast<char>(index % 128)};
    bytes += hexBytes("00 00 00 00 00 00 00 00 00 00 00");
    for (const auto& s : stops) {
        bytes += {static_cast<char>(s[0] / 128),
                  static_cast<char>(s[0] % 128),
                  static_cast<char>(s[1]),
                  static_cast<char>(s[2]),
                  0,
                  static_cast<char>(s[3] / 128),
                  static_cast<char>(s[3] % 128)};
    }
    bytes.push_back('\x80');
    return bytes;
}

TEST(StationRecord, ListsTrainsInStoredOrderWithRepeats) {
    DbFolder folder;
    folder.stations = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};
    // Station 0 in S1, station 9 in S0; station 1's record comes after station 11's.
    folder.files["S1.dat"] = stationRecord(0, {767, 3, 767});
    folder.files["S0.dat"] = stationRecord(9, {});
    folder.files["S2.dat"] = stationRecord(11, {1}) + stationRecord(1, {4, 2});
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        std::vector<int> trains = {99};
        db.trainsAtStation(u"A", trains);
        EXPECT_EQ(trains, (std::vector<int>{767, 3, 767}));
        db.trainsAtStation(u"J", trains);
        EXPECT_TRUE(trains.empty());
        db.trainsAtStation(u"B", trains);
        EXPECT_EQ(trains, (std::vector<int>{4, 2}));
        db.trainsAtStation(u"C", trains);  // no record
        EXPECT_TRUE(trains.empty());
        db.trainsAtStation(u"nowhere", trains);
        EXPECT_TRUE(trains.empty());
    }
}

TEST(StationRecord, EntryNeedsTheByteAfterIt) {
    DbFolder folder;
    folder.stations = {"A"};
    folder.files["S1.dat"] = hexBytes("00 00 00 05 00 06");  // cut short: no end marker
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    std::vector<int> trains;
    db.trainsAtStation(u"A", trains);
    EXPECT_EQ(trains, (std::vector<int>{5}));
}

TEST(StationNames, ByIndexWithTheLastForOutOfRange) {
    TimetableDb db;
    EXPECT_EQ(db.stationNameByIndex(0), u"");  // an empty list has no names at all
    EXPECT_EQ(db.stationNameByIndex(-1), u"");
    db.stationNames = {u"A", u"B", u"C"};
    EXPECT_EQ(db.stationNameByIndex(0), u"A");
    EXPECT_EQ(db.stationNameByIndex(2), u"C");
    EXPECT_EQ(db.stationNameByIndex(3), u"C");
    EXPECT_EQ(db.stationNameByIndex(-1), u"C");
}

TEST(StationNames, ExactLookupWithTheOneAlias) {
    DbFolder folder;
    folder.stations = {"宁波", "北京", "宁波东", "北京"};
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    for (bool indexed : {true, false}) {
        db.useIndexes = indexed;
        EXPECT_EQ(db.stationIndexByName(u"宁波"), 2);  // the station named 宁波 is unreachable
        EXPECT_EQ(db.stationIndexByName(u"北京"), 1);  // the first of equal names
        EXPECT_EQ(db.stationIndexByName(u"北京 "), -1);
        EXPECT_EQ(db.stationIndexByName(u""), -1);
    }
    DbFolder without;
    without.stations = {"宁波"};
    ASSERT_TRUE(without.load(db));
    EXPECT_EQ(db.stationIndexByName(u"宁波"), -1);
}

TEST(StationNames, StopForAPlaceTriesTheSuffixesInOrder) {
    TimetableDb db;
    db.stationNames = {u"杭州", u"杭州东", u"杭州南", u"上海虹桥", u"上海", u"X"};
    TrainRecord train;
    auto stop = [](int station, int sequence) {
        StopRecord s;
        s.station = station;
        s.sequence = sequence;
        return s;
    };
    // Stops: 杭州南, 杭州东, 上海虹桥, 杭州东 again.
    train.stops = {stop(2, 0), stop(1, 1), stop(3, 2), stop(1, 3)};
    auto found = db.findStopForPlace(u"杭州", train);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->sequence, 1);  // 东 before 南, whichever comes first in the run
    found = db.findStopForPlace(u"上海", train);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->sequence, 2);  // 上海 itself is not on the train; 虹桥 is
    found = db.findStopForPlace(u"杭州南", train);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->sequence, 0);  // a full name matches with no suffix
    EXPECT_FALSE(db.findStopForPlace(u"X", train));
    EXPECT_FALSE(db.findStopForPlace(std::u16string(300, u'杭'), train));
}

TEST(Suggestions, WalkFromTheExactCodeWhileCodesContainIt) {
    DbFolder folder;
    folder.stations = {"A", "B", "C", "D", "E"};
    // Trains per station: A 2, B 1, C 3, D 1, E 0.
    folder.files["S1.dat"] = stationRecord(0, {1, 2});
    folder.files["S2.dat"] = stationRecord(1, {1});
    folder.files["S3.dat"] = stationRecord(2, {1, 2, 3});
    folder.files["S4.dat"] = stationRecord(3, {4});
    folder.files["S5.dat"] = stationRecord(4, {});
    folder.files["name.txt"] = utf16File(u"A BJ\nB BJX\nC BJZ\nD BK\nE BJ\nA BJ\n");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    std::vector<std::u16string> names = {u"old"};
    db.suggestStations(u"BJ", names);
    // Collected A, E, A (BJ), B (BJX), C (BJZ); BK ends the walk. E has no trains. Keys: A 2,
    // A again 3, B 1, C 3 -> 4: C, A, A, B.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"C", u"A", u"A", u"B"}));
    db.suggestStations(u"B", names);  // not a code itself
    EXPECT_TRUE(names.empty());
    db.suggestStations(u"BK", names);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"D"}));
}

TEST(Suggestions, TiesPutTheLaterNameFirstAndBumpsCanPassABusierOne) {
    DbFolder folder;
    folder.stations = {"A", "B", "C"};
    std::vector<int> twelve(12, 1);
    std::vector<int> thirteen(13, 1);
    folder.files["S1.dat"] = stationRecord(0, twelve);
    folder.files["S2.dat"] = stationRecord(1, twelve);
    folder.files["S3.dat"] = stationRecord(2, thirteen);
    folder.files["name.txt"] = utf16File(u"A X B X C X");
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    std::vector<std::u16string> names;
    db.suggestStations(u"X", names);
    // A gets 12, B 13, C 13 -> 14.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"C", u"B", u"A"}));
}

TEST(Queries, StationAndRecordIndexesAgreeWithScans) {
    DbFolder folder;
    folder.stations = {"A", "B"};
    folder.trains = {"K1", "K2"};
    folder.files["T1.dat"] = trainRecord(0, {{{0, 8, 0, 0}}, {{1, 9, 0, 50}}});
    folder.files["T2.dat"] = trainRecord(1, {{{1, 8, 0, 0}}});
    TimetableDb db;
    ASSERT_TRUE(folder.load(db));
    for (int t = -2; t < 3; ++t) {
        TrainRecord fast;
        TrainRecord plain;
        db.useIndexes = true;
        db.decodeTrain(t, fast);
        db.useIndexes = false;
        db.decodeTrain(t, plain);
        EXPECT_EQ(fast.name, plain.name);
        EXPECT_EQ(fast.stops.size(), plain.stops.size());
    }
}

}  // namespace
}  // namespace zelvan::test
