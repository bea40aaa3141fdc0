#include <gtest/gtest.h>

#include "db/running_days.h"

namespace zelvan {
namespace {

TEST(DaysBetween, CalendarDaysWithRollOver) {
    struct Case {
        DateKey a, b;
        int days;
    };
    const Case cases[] = {
        {20240228, 20240301, 2},  // leap year
        {20240301, 20240228, -2},    {20230228, 20230301, 1},
        {20000228, 20000301, 2},  // 2000 is a leap year
        {21000228, 21000301, 1},  // 2100 is not
        {20110101, 20111231, 364},   {20261231, 20270101, 1},
        {20260101, 20261301, 365},    // month 13 is January of the next year
        {20260101, 20260132, 31},     // day 32 of January is 1 February
        {20260301, 20260300, -1},     // day 0 is the last day of the month before
        {20260101, 20260001, -31},    // month 0 is December of the year before
        {19700101, 20380119, 24855},  // past the 32-bit seconds limit
        {20260329, 20260330, 1},      // across a daylight-saving change in many zones
    };
    for (const Case& c : cases) EXPECT_EQ(daysBetween(c.a, c.b), c.days) << c.a << " " << c.b;
}

TEST(RunningRule, ParsesLikeAFormattedScan) {
    struct Case {
        std::u16string line;
        long long period, mask;
    };
    const Case cases[] = {
        {u"2 1\n", 2, 1}, {u"  7\t96\r\n", 7, 96}, {u"4", 4, 1},     {u"", 1, 1},
        {u"x 3", 1, 1},   {u"0 5", 1, 5},          {u"-3 2", -3, 2}, {u"3 x", 3, 1},
    };
    for (const Case& c : cases) {
        RunningRule rule = parseRunningRule(c.line);
        EXPECT_EQ(rule.period, c.period);
        EXPECT_EQ(rule.mask, c.mask);
    }
}

StopRecord stop(int station, int hour) {
    StopRecord s;
    s.station = station;
    s.arrivalHour = hour;
    return s;
}

TEST(DayOffset, CountsRollOversUpToTheDepartureStation) {
    // 23:30 at station 1, 00:40 at station 2, 05:00 at 3, 02:00 at 4.
    const std::vector<StopRecord> stops = {stop(1, 23), stop(2, 0), stop(3, 5), stop(4, 2)};
    EXPECT_EQ(dayOffset(stops, -1), 0);
    EXPECT_EQ(dayOffset(stops, 1), 0);
    EXPECT_EQ(dayOffset(stops, 2), 1);  // the roll-over into the station counts
    EXPECT_EQ(dayOffset(stops, 3), 1);  // later ones do not
    EXPECT_EQ(dayOffset(stops, 9), 2);  // not on the train: all of them
    EXPECT_EQ(dayOffset({stop(1, 10), stop(2, 10)}, 2), 0);  // same hour: no roll-over
}

TEST(RunningStatus, ValidityAndPeriodicRules) {
    TrainRecord train;
    train.validFrom = 20260101;
    train.validUntil = 20261231;
    train.stops = {stop(1, 23), stop(2, 0)};
    const std::vector<std::u16string> rules = {u"1 1\n", u"2 1\n", u"2 2\n", u"", u"40 1\n"};
    struct Case {
        int rule;
        DateKey date;
        int from;
        RunStatus status;
    };
    const Case cases[] = {
        {0, 20260101, -1, RunStatus::Running},  // first day of validity
        {0, 20261231, -1, RunStatus::Running},  // last day
        {0, 20251231, -1, RunStatus::NotYetValid},
        {0, 20270101, -1, RunStatus::Expired},
        {1, 20260101, -1, RunStatus::Running},  // every other day from validFrom
        {1, 20260102, -1, RunStatus::NotScheduled},
        {2, 20260102, -1, RunStatus::Running},
        {1, 20260101, 2, RunStatus::NotScheduled},   // reaches station 2 a day later
        {1, 20251231, -1, RunStatus::NotScheduled},  // d = -1: negative remainder, no bit
        {1, 20251230, -1, RunStatus::NotYetValid},   // d = -2: a multiple of the period
        {1, 20270102, -1, RunStatus::Expired},
        {1, 20270103, -1, RunStatus::NotScheduled},  // replaces Expired
        {3, 20260102, -1, RunStatus::Running},       // a line without numbers: daily
        {9, 20260102, -1, RunStatus::Running},       // no such line: daily
        {4, 20260101, -1, RunStatus::Running},       // day 0 of a 40-day period
        {4, 20260206, -1, RunStatus::NotScheduled},  // day 36: beyond the 32-bit mask
    };
    for (const Case& c : cases) {
        train.ruleNumber = c.rule;
        EXPECT_EQ(runningStatus(train, rules, c.date, c.from), c.status)
            << c.rule << " " << c.date << " " << c.from;
    }
}

}  // namespace
}  // namespace zelvan
