// The day's rows: the trains that run first, in time order, each run once; the others apart,
// each number once and none for a number that runs that day.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/text.h"
#include "fare/day_rows.h"

namespace zelvan {
namespace {

ResultRow row(const char16_t* number, const char16_t* departs, int status,
              const char16_t* arrives = u"12:00") {
    ResultRow r;
    r.trainName = number;
    r.departureStation = u"A";
    r.departureTime = departs;
    r.arrivalStation = u"B";
    r.arrivalTime = arrives;
    r.originStation = u"A";
    r.terminusStation = u"B";
    r.status = status;
    return r;
}

// "NUMBER@TIME" of the positions, joined by spaces.
std::string shown(const std::vector<ResultRow>& rows, const std::vector<std::size_t>& order) {
    std::string text;
    for (const std::size_t i : order) {
        if (!text.empty()) text += ' ';
        text += toUtf8(rows[i].trainName + u"@" + rows[i].departureTime);
    }
    return text;
}

TEST(DayRows, RunningFirstByTimeThenNumberEachRunOnceTheOthersOncePerNumber) {
    const std::vector<ResultRow> rows{
        row(u"1056", u"16:45", 0),  // the query lists by number as text: 1056 before 1900
        row(u"1900", u"00:00", 0),
        row(u"1976", u"18:40", 0),
        row(u"1976", u"18:40", 2),  // another run of 1976, which does not run that day
        row(u"7962", u"09:10", -1),
        row(u"7962", u"09:10", -1),  // the same number twice, neither running
        row(u"1980", u"21:01", 0),
        row(u"1980", u"21:01", 0),  // one train listed twice for one stretch
        row(u"1982", u"21:01", 0),  // same time as 1980: by number
        row(u"1978", u"21:01", 0),
        row(u"752", u"06:00", 0),   // two runs of one number that day: both
        row(u"752", u"07:00", 0),
        row(u"1500", u"05:00", 1),
    };
    const DayRows day = dayRows(rows, SortKey::Departure, false);
    EXPECT_EQ(shown(rows, day.running),
              "1900@00:00 752@06:00 752@07:00 1056@16:45 1976@18:40 1978@21:01 1980@21:01 "
              "1982@21:01");
    EXPECT_EQ(shown(rows, day.notRunning), "1500@05:00 7962@09:10");
    // Reversed: latest first, both parts.
    const DayRows latest = dayRows(rows, SortKey::Departure, true);
    EXPECT_EQ(shown(rows, latest.running).substr(0, 21), "1978@21:01 1980@21:01");
    EXPECT_EQ(shown(rows, latest.notRunning), "7962@09:10 1500@05:00");
    // The query's own order in both parts.
    const DayRows listed = dayRows(rows, SortKey::Listed, false);
    EXPECT_EQ(shown(rows, listed.running),
              "1056@16:45 1900@00:00 1976@18:40 1980@21:01 1982@21:01 1978@21:01 752@06:00 "
              "752@07:00");
    EXPECT_EQ(shown(rows, listed.notRunning), "7962@09:10 1500@05:00");
    // A part of the list (a transfer's leg) is ordered on its own.
    EXPECT_EQ(shown(rows, dayRows(rows, SortKey::Departure, false, 10).running),
              "752@06:00 752@07:00");
}

TEST(DayRows, AStationsArrivalsStandAtTheirArrivalAndTheListOpensFromATime) {
    // A train that ends at the station has no departure there: its arrival is its time.
    std::vector<ResultRow> rows{row(u"A1", u"08:30", 0), row(u"B2", u"07:00", 0, u"08:10"),
                                row(u"C3", u"09:00", 0), row(u"D4", u"bad", 0)};
    rows[1].endsHere = true;
    EXPECT_EQ(firstTimeMinutes(rows[1]), 8 * 60 + 10);
    EXPECT_EQ(firstTimeMinutes(rows[3]), -1);  // no time: last
    const DayRows day = dayRows(rows, SortKey::Departure, false);
    EXPECT_EQ(shown(rows, day.running), "B2@07:00 A1@08:30 C3@09:00 D4@bad");
    EXPECT_EQ(shown(rows, rowsFrom(rows, day.running, 8 * 60 + 15)), "A1@08:30 C3@09:00");
    EXPECT_EQ(shown(rows, rowsFrom(rows, day.running, -1)), shown(rows, day.running));
    EXPECT_TRUE(rowsFrom(rows, day.running, 23 * 60).empty());
}

TEST(DayRows, RowsTellingTheSameAreOneEvenFromTwoTrains) {
    ResultRow a = row(u"K1", u"08:00", 0);
    ResultRow b = a;
    b.trainIndex = 7;  // another run shown under the same number, at the same times
    EXPECT_TRUE(sameShownRow(a, b));
    b.arrivalDays = 1;
    EXPECT_FALSE(sameShownRow(a, b));
    const std::vector<ResultRow> rows{a, a};
    EXPECT_EQ(dayRows(rows, SortKey::Departure, false).running.size(), 1u);
    EXPECT_TRUE(dayRows({}, SortKey::Departure, false).running.empty());
}

}  // namespace
}  // namespace zelvan
