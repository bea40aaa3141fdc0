#include <gtest/gtest.h>

#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {
namespace {

struct Stop {
    int station;
    int hour;
    int minute;
    int dwell;
    int km;
};

TrainRecord makeTrain(std::u16string name, int kindCode, std::initializer_list<Stop> stops) {
    TrainRecord train;
    train.name = std::move(name);
    train.kindCode = kindCode;
    for (const Stop& s : stops) {
        const int sequence = static_cast<int>(train.stops.size());
        train.stops.push_back({s.hour, s.minute, s.dwell, s.km, s.station, sequence});
    }
    return train;
}

class RowBuilder : public testing::Test {
  protected:
    RowBuilder() { db.stationNames = {u"北京", u"天津", u"济南", u"南京", u"上海"}; }

    std::u16string travel(std::initializer_list<Stop> stops, int from, int to) {
        const TrainRecord train = makeTrain(u"1461", 0x21, stops);
        return travelTime(train, train.stops[from], train.stops[to]);
    }

    TimetableDb db;
};

TEST_F(RowBuilder, FillsEveryFieldOfAWholeRun) {
    TrainRecord train = makeTrain(
        u"1461", 0x21,
        {{0, 23, 50, 15, 0}, {1, 1, 30, 5, 137}, {2, 10, 58, 125, 500}, {3, 11, 0, 2, 1000}});
    train.status = RunStatus::NotScheduled;
    ResultRow row;
    ASSERT_TRUE(db.buildResultRow(train, &train.stops[0], &train.stops[3], row));
    ResultRow expected;
    expected.status = 2;
    expected.trainName = u"1461";
    expected.originStation = u"北京";
    expected.terminusStation = u"南京";
    expected.kindText = u"空调特快";
    expected.departureStation = u"北京";
    expected.departureTime = u"00:05";  // 23:50 + 15 minutes, past midnight
    expected.arrivalStation = u"南京";
    expected.arrivalTime = u"11:00";
    expected.distanceText = u"1000";
    expected.travelTimeText = u"10:55";  // 23:50 to 11:00, less the 15 minutes' dwell
    expected.hardSeatFare = u"87";
    expected.softSeatFare = u"137";
    expected.hardSleeperFare = u"153/158/163";
    expected.softSleeperFare = u"236/246";
    EXPECT_EQ(row, expected);
}

TEST_F(RowBuilder, PartOfTheRunTakesTheFareFactorAndTheStretch) {
    TrainRecord train =
        makeTrain(u"T109", 0x01,
                  {{0, 6, 0, 0, 0}, {1, 7, 0, 4, 37}, {2, 20, 0, 10, 1500}, {3, 21, 0, 0, 1600}});
    train.fareFactor = 5;
    ResultRow row;
    ASSERT_TRUE(db.buildResultRow(train, &train.stops[1], &train.stops[2], row));
    EXPECT_EQ(row.departureStation + row.arrivalStation, u"天津济南");
    EXPECT_EQ(row.originStation + row.terminusStation, u"北京南京");
    EXPECT_EQ(row.distanceText, u"1463");
    EXPECT_EQ(row.travelTimeText, u"12:56");
    EXPECT_EQ(row.hardSeatFare, u"179");  // 1463 km at u = 1 + 0.5
}

TEST_F(RowBuilder, SameStationRunsFromTheTrainsFirstStop) {
    const TrainRecord train =
        makeTrain(u"K511", 0x30, {{4, 8, 0, 6, 0}, {1, 9, 0, 2, 80}, {2, 10, 30, 0, 200}});
    ResultRow row;
    ASSERT_TRUE(db.buildResultRow(train, &train.stops[1], &train.stops[1], row));
    EXPECT_EQ(row.departureStation, u"上海");
    EXPECT_EQ(row.departureTime, u"08:06");
    EXPECT_EQ(row.arrivalStation, u"天津");
    EXPECT_EQ(row.arrivalTime, u"09:00");
    EXPECT_EQ(row.distanceText, u"80");
    EXPECT_EQ(row.travelTimeText, u"00:54");
    EXPECT_EQ(row.kindText, u"快速");
}

TEST_F(RowBuilder, NoRowWithoutBothStopsOrRunningBackwards) {
    const TrainRecord train =
        makeTrain(u"1461", 0x21, {{0, 8, 0, 0, 0}, {1, 9, 0, 0, 100}, {2, 9, 30, 0, 100}});
    ResultRow row;
    EXPECT_FALSE(db.buildResultRow(train, nullptr, &train.stops[1], row));
    EXPECT_FALSE(db.buildResultRow(train, &train.stops[0], nullptr, row));
    EXPECT_FALSE(db.buildResultRow(train, &train.stops[1], &train.stops[0], row));
    // Equal distances still make a row.
    ASSERT_TRUE(db.buildResultRow(train, &train.stops[1], &train.stops[2], row));
    EXPECT_EQ(row.distanceText, u"0");
    // A train without stops (not found) gives no row even when handed stops.
    const TrainRecord empty;
    EXPECT_FALSE(db.buildResultRow(empty, &train.stops[0], &train.stops[1], row));
}

TEST_F(RowBuilder, TravelTimes) {
    // Across midnight.
    EXPECT_EQ(travel({{0, 23, 0, 0, 0}, {1, 1, 30, 0, 10}}, 0, 1), u"02:30");
    // The dwell taken off borrows an hour, but hours stay at zero.
    EXPECT_EQ(travel({{0, 10, 0, 10, 0}, {1, 10, 5, 0, 10}}, 0, 1), u"00:55");
    // More than a day: hours are not reduced modulo 24.
    EXPECT_EQ(
        travel({{0, 8, 0, 0, 0}, {1, 20, 0, 0, 10}, {2, 6, 0, 0, 20}, {3, 10, 10, 0, 30}}, 0, 3),
        u"26:10");
    // Minutes of several legs carry into hours.
    EXPECT_EQ(travel({{0, 8, 40, 0, 0}, {1, 9, 20, 0, 10}, {2, 10, 5, 0, 20}}, 0, 2), u"01:25");
    // The arrival stop's own dwell is not travel either way; the route ends at its arrival.
    EXPECT_EQ(travel({{0, 8, 0, 0, 0}, {1, 9, 0, 30, 10}}, 0, 1), u"01:00");
    // A leg whose minutes run back within one hour lasts most of a day: 22:53 to 22:26 is
    // 23:33, not -27 minutes, and two such legs are 47:06.
    EXPECT_EQ(travel({{0, 22, 53, 0, 0}, {1, 22, 26, 0, 10}}, 0, 1), u"23:33");
    EXPECT_EQ(travel({{0, 22, 53, 0, 0}, {1, 22, 26, 0, 10}, {2, 21, 59, 0, 20}}, 0, 2),
              u"47:06");
    // Less a dwell of 40 minutes it is 22:53, never a negative hour.
    EXPECT_EQ(travel({{0, 22, 53, 40, 0}, {1, 22, 26, 0, 10}}, 0, 1), u"22:53");
    // A leg to the same clock time is no time at all.
    EXPECT_EQ(travel({{0, 10, 0, 0, 0}, {1, 10, 0, 0, 10}}, 0, 1), u"00:00");
}

TEST_F(RowBuilder, LongDwellBorrowsAsManyHoursAsItNeeds) {
    // 10:58 with 125 minutes' dwell, next stop 11:00: 2 minutes gathered less 125. Borrowing a
    // single hour would print "00:-63".
    EXPECT_EQ(travel({{0, 10, 58, 125, 0}, {1, 11, 0, 0, 10}}, 0, 1), u"00:57");
    // With hours to give: 10:58 to 14:00 is 03:02; less 125 minutes is 00:57.
    EXPECT_EQ(travel({{0, 10, 58, 125, 0}, {1, 14, 0, 0, 10}}, 0, 1), u"00:57");
}

TEST_F(RowBuilder, SequenceOutsideTheStopsNeverLeavesTheList) {
    TrainRecord train =
        makeTrain(u"1461", 0x21, {{0, 8, 0, 10, 0}, {1, 9, 0, 0, 50}, {2, 10, 0, 0, 100}});
    StopRecord before = train.stops[0];
    before.sequence = -7;
    StopRecord beyond = train.stops[2];
    beyond.sequence = 1000;
    // Only the legs that exist are counted; a departure outside the list has no dwell to take.
    EXPECT_EQ(travelTime(train, before, beyond), u"02:00");
    EXPECT_EQ(travelTime(train, train.stops[0], beyond), u"01:50");
    EXPECT_EQ(travelTime(train, beyond, train.stops[0]), u"00:00");
    ResultRow row;
    EXPECT_TRUE(db.buildResultRow(train, &before, &beyond, row));
    EXPECT_EQ(row.travelTimeText, u"02:00");
}

TEST(DepartureTime, DwellCarriesIntoHoursAndPastMidnight) {
    struct Case {
        int hour, minute, dwell;
        const char16_t* expected;
    };
    const Case cases[] = {
        {23, 50, 15, u"00:05"}, {10, 58, 125, u"13:03"}, {22, 30, 127, u"00:37"},
        {8, 0, 0, u"08:00"},    {8, 59, 1, u"09:00"},    {23, 0, 59, u"23:59"},
    };
    for (const Case& c : cases) {
        StopRecord stop;
        stop.arrivalHour = c.hour;
        stop.arrivalMinute = c.minute;
        stop.dwellMinutes = c.dwell;
        EXPECT_EQ(departureTimeText(stop), c.expected)
            << c.hour << ":" << c.minute << "+" << c.dwell;
    }
}

TEST(KindText, ClassWordsThenTheWordForTheNumberOrKind) {
    struct Case {
        int kindCode;
        const char16_t* train;
        const char16_t* expected;
    };
    const Case cases[] = {
        {0x01, u"T109", u"新空调特快"}, {0x21, u"1461", u"空调特快"},  {0x30, u"K511", u"快速"},
        {0x00, u"D301", u"动车"},       {0x06, u"G101", u"高铁"},      {0x13, u"7001", u"新动车"},
        {0x32, u"4501", u"普客"},       {0x00, u"C2001", u"城际高速"}, {0x10, u"N123", u"新快速"},
        {0x20, u"Z1", u"空调准高"},     {0x20, u"1", u"空调普快"},     {0x3F, u"1", u"普快"},
        {0x34, u"1", u"普快"},          {0x20, u"t109", u"空调普快"},  {0x21, u"", u"空调特快"},
    };
    for (const Case& c : cases) {
        const std::u16string train = c.train;
        EXPECT_EQ(kindText(train.empty() ? u'\0' : train[0], c.kindCode), c.expected) << c.kindCode;
    }
    // Only the low byte of the first unit counts: U+0154 reads as 'T'.
    EXPECT_EQ(kindText(u'\u0154', 0x30), u"特快");
}

}  // namespace
}  // namespace zelvan
