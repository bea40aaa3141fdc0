// Sorting result rows: the key of each column and the order each key gives, absent values last.
#include <gtest/gtest.h>

#include "fare/row_order.h"

namespace zelvan {
namespace {

ResultRow row(const char16_t* train, const char16_t* departure, const char16_t* arrival,
              int arrivalDays, const char16_t* hardSleeper) {
    ResultRow r;
    r.trainName = train;
    r.departureTime = departure;
    r.arrivalTime = arrival;
    r.arrivalDays = arrivalDays;
    r.hardSleeperFare = hardSleeper;
    return r;
}

std::u16string namesIn(const std::vector<ResultRow>& rows, SortKey key, bool descending) {
    std::u16string names;
    for (std::size_t i : sortedOrder(rows, key, descending)) names += rows[i].trainName + u" ";
    return names;
}

TEST(RowOrder, EachKeyOrdersRowsAndTiesKeepTheListedOrder) {
    const std::vector<ResultRow> rows = {
        row(u"G1", u"07:00", u"12:00", 0, u"-"),
        row(u"G101", u"06:20", u"11:58", 0, u"-"),
        row(u"G11", u"13:00", u"17:48", 0, u"-"),
        row(u"1461", u"11:54", u"12:08", 1, u"176/183/190"),
        row(u"G5", u"07:00", u"11:40", 0, u"-"),
        row(u"T109/T110", u"19:00", u"07:30", 1, u"3.5"),
    };
    EXPECT_EQ(namesIn(rows, SortKey::Listed, false), u"G1 G101 G11 1461 G5 T109/T110 ");
    // Train numbers by their digits as numbers; a plain number before a lettered one.
    EXPECT_EQ(namesIn(rows, SortKey::Train, false), u"1461 G1 G5 G11 G101 T109/T110 ");
    // G1 and G5 leave together: listed order.
    EXPECT_EQ(namesIn(rows, SortKey::Departure, false), u"G101 G1 G5 1461 G11 T109/T110 ");
    EXPECT_EQ(namesIn(rows, SortKey::Departure, true), u"T109/T110 G11 1461 G1 G5 G101 ");
    // The next day's arrivals come after the same day's, whatever their clock time.
    EXPECT_EQ(namesIn(rows, SortKey::Arrival, false), u"G5 G101 G1 G11 T109/T110 1461 ");
    // Fares by their first amount, decimals counted; no fare last either way.
    EXPECT_EQ(namesIn(rows, SortKey::HardSleeper, false), u"T109/T110 1461 G1 G101 G11 G5 ");
    EXPECT_EQ(namesIn(rows, SortKey::HardSleeper, true), u"1461 T109/T110 G1 G101 G11 G5 ");

    std::vector<ResultRow> sorted = rows;
    sortRows(sorted, SortKey::Train, false);
    EXPECT_EQ(sorted.front().trainName, u"1461");
    sortRows(sorted, SortKey::Listed, true);  // Listed keeps what it is given
    EXPECT_EQ(sorted.front().trainName, u"1461");
}

TEST(RowOrder, TextsOfValuesAndRowsThatEndAtTheQueriedStation) {
    EXPECT_LT(sortNumberText(-5), sortNumberText(0));
    EXPECT_LT(sortNumberText(9), sortNumberText(10));
    EXPECT_LT(trainSortText(u"K1/K4"), trainSortText(u"K1/K10"));
    ResultRow r = row(u"D5401", u"06:30", u"10:04", 0, u"-");
    r.distanceText = u"301";
    r.travelTimeText = u"27:34";  // hours beyond a day
    EXPECT_EQ(sortText(r, SortKey::HardSleeper), u"");
    EXPECT_EQ(sortText(r, SortKey::Duration), sortNumberText(27 * 60 + 34));
    EXPECT_EQ(sortText(r, SortKey::Distance), sortNumberText(30100));
    // Ending here: the first time is the arrival, nothing comes after it, it goes no farther.
    r.endsHere = true;
    EXPECT_EQ(sortText(r, SortKey::Departure), sortNumberText(10 * 60 + 4));
    EXPECT_EQ(sortText(r, SortKey::Arrival), u"");
    EXPECT_EQ(sortText(r, SortKey::Distance), sortNumberText(0));
    r.departureTime = u"--";
    r.endsHere = false;
    EXPECT_EQ(sortText(r, SortKey::Departure), u"");
}

TEST(RowOrder, ColumnsNameTheirKeys) {
    EXPECT_EQ(columnSortKey(TableKind::Train, 0), SortKey::Train);
    EXPECT_EQ(columnSortKey(TableKind::Train, 5), SortKey::Listed);  // the type
    EXPECT_EQ(columnSortKey(TableKind::Train, 9), SortKey::SoftSleeper);
    EXPECT_EQ(columnSortKey(TableKind::Train, 12), SortKey::Listed);
    EXPECT_EQ(columnSortKey(TableKind::Station, 3), SortKey::Distance);
    EXPECT_EQ(columnSortKey(TableKind::Stops, 1), SortKey::Listed);  // the run's own order
    EXPECT_EQ(columnSortKey(TableKind::Journeys, 3), SortKey::Changes);
    EXPECT_EQ(sortColumn(TableKind::Station, SortKey::Arrival), 2);
    EXPECT_EQ(sortColumn(TableKind::Station, SortKey::Duration), -1);
    EXPECT_EQ(sortColumn(TableKind::JourneyLegs, SortKey::Train), -1);
}

// A leg's row: leaving at `departure`, `travel` on the way, running or not.
ResultRow leg(const char16_t* train, const char16_t* departure, const char16_t* travel,
              int status = 0) {
    ResultRow r = row(train, departure, u"", 0, u"-");
    r.travelTimeText = travel;
    r.status = status;
    return r;
}

TEST(EarliestMatchedArrival, TheFirstRunningPairThatLeavesTimeToChange) {
    // First leg: A arrives 10:00, B (not running) 08:00, C 23:50 (30:10 on the way).
    // Second leg from the change station: X 10:10, Y 10:30 (01:00), Z 09:00 (05:00).
    std::vector<ResultRow> rows = {leg(u"A", u"07:00", u"03:00"), leg(u"B", u"06:00", u"02:00", 2),
                                   leg(u"C", u"23:50", u"30:10"), leg(u"X", u"10:10", u"00:30"),
                                   leg(u"Y", u"10:30", u"01:00"), leg(u"Z", u"09:00", u"05:00")};
    // A at 10:00, Y 20 minutes later: 11:30. X leaves only 10 after and does not match.
    EXPECT_EQ(earliestMatchedArrival(rows, 3, 20), 11 * 60 + 30);
    // With 0 minutes X matches: 10:40.
    EXPECT_EQ(earliestMatchedArrival(rows, 3, 0), 10 * 60 + 40);
    // Without A: C arrives 06:00 two days on; X leaves 10:10 that day: 10:40+2.
    rows.erase(rows.begin());
    EXPECT_EQ(earliestMatchedArrival(rows, 2, 20), 2 * 24 * 60 + 10 * 60 + 40);
    // A change of a whole day waits for the next day's run.
    EXPECT_EQ(earliestMatchedArrival({leg(u"A", u"07:00", u"03:00"), leg(u"X", u"10:10", u"00:30")},
                                     1, 24 * 60),
              24 * 60 + 10 * 60 + 40);
    // No second leg, a second leg not running, or no first leg: none.
    EXPECT_EQ(earliestMatchedArrival({leg(u"A", u"07:00", u"03:00")}, 1, 20), -1);
    EXPECT_EQ(earliestMatchedArrival(
                  {leg(u"A", u"07:00", u"03:00"), leg(u"X", u"10:10", u"00:30", 1)}, 1, 20),
              -1);
    EXPECT_EQ(earliestMatchedArrival({leg(u"X", u"10:10", u"00:30")}, 0, 20), -1);
}

}  // namespace
}  // namespace zelvan
