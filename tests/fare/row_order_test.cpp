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

}  // namespace
}  // namespace zelvan
