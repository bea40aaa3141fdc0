// Calendar days between DateKeys and the running status of a decoded train on the day of travel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/records.h"

namespace zelvan {

// Whole days from `a` to `b` (negative when b is earlier), counted on the proleptic Gregorian
// calendar with no time zone. Out-of-range months and days roll over: month 13 is January of
// the next year, day 0 the last day of the previous month.
int daysBetween(DateKey a, DateKey b);

// The date key of a calendar date.
inline DateKey makeDateKey(int year, int month, int day) {
    return year * 10000 + month * 100 + day;
}
// The calendar date `days` days after `date` (before it when negative).
DateKey addDays(DateKey date, int days);
// Today's date on the system clock (UTC).
DateKey todayUtc();

// True when `key` names a day of the Gregorian calendar (year 1 or later).
bool isCalendarDate(DateKey key);

// A line of t.rule: period P in days and the mask M of running days within the period.
struct RunningRule {
    long long period = 1;
    long long mask = 1;
    int numbers = 0;  // how many numbers the line held (0-2); with none the train runs daily
};
// Reads up to two decimal integers from a rule line; absent values keep their defaults and a
// period of 0 becomes 1.
RunningRule parseRunningRule(const std::u16string& line);
// The rules of a t.rule file's bytes, as a text-mode line read into a 256-byte buffer returns
// them: at most 255 bytes a piece, a piece ends after its line feed, CR LF reads as LF. A line
// longer than 254 bytes so becomes two rules or more.
std::vector<std::string> splitRuleFile(std::string_view bytes);

// Midnight roll-overs of the run up to and including the stop at `fromStation` (all of them
// when the train does not call there; 0 when fromStation is -1).
int dayOffset(const std::vector<StopRecord>& stops, int fromStation);
// The same over `count` stops that `stopAt(i)` gives, however they are stored.
template <class StopAt>
int dayOffset(int count, int fromStation, StopAt stopAt) {
    if (fromStation == -1) return 0;
    int offset = 0;
    int previousHour = -1;
    bool reached = false;
    for (int i = 0; i < count; ++i) {
        const StopRecord stop = stopAt(i);
        if (previousHour > stop.arrivalHour && !reached) ++offset;
        if (stop.station == fromStation) reached = true;
        previousHour = stop.arrivalHour;
    }
    return offset;
}

// The status of a train valid from `validFrom` to `validUntil` under `rule` at a station on
// `queryDate`. The run that calls there on that day left its first stop `dayOffset()` days
// earlier (the function above), so validity and rule are both tested for that day. A weekly rule
// counted the other way would move an overnight train by two days. `maxOffset` bounds what
// `dayOffset()` can return (the stop count); it is called only when the answer depends on it.
template <class DayOffset>
RunStatus runningStatus(DateKey validFrom, DateKey validUntil, const RunningRule& rule,
                        DateKey queryDate, int maxOffset, DayOffset dayOffset) {
    const bool daily = rule.period == 1;
    // A daily train whose possible run days all lie on one side of the validity dates, or all
    // inside them, has its status without a walk over its stops. Valid dates order as integers.
    if (daily && isCalendarDate(queryDate)) {
        if (queryDate < validFrom) return RunStatus::NotYetValid;
        const DateKey earliest =
            queryDate % 100 > maxOffset ? queryDate - maxOffset : addDays(queryDate, -maxOffset);
        if (earliest >= validFrom) {
            if (queryDate <= validUntil) return RunStatus::Running;
            if (earliest > validUntil) return RunStatus::Expired;
        }
    }
    const int offset = dayOffset();
    const DateKey runDate = offset == 0 ? queryDate : addDays(queryDate, -offset);
    RunStatus status = RunStatus::Running;
    if (runDate < validFrom) {
        status = RunStatus::NotYetValid;
    } else if (runDate > validUntil) {
        status = RunStatus::Expired;
    }
    if (daily) return status;
    const long long d = static_cast<long long>(daysBetween(validFrom, runDate));
    const long long r = d % rule.period;  // truncates toward zero: negative for negative d
    // The mask has 32 bits; a day beyond them (or before the period) has no bit.
    const std::uint32_t bit = r >= 0 && r < 32 ? std::uint32_t{1} << r : 0;
    if ((static_cast<std::uint32_t>(rule.mask) & bit) == 0) status = RunStatus::NotScheduled;
    return status;
}

// The status of `train` (stops, dates and rule number already decoded) for `queryDate`.
RunStatus runningStatus(const TrainRecord& train, const std::vector<std::u16string>& rules,
                        DateKey queryDate, int fromStation);
// The same with the train's rule already read (daily when it has no line).
RunStatus runningStatus(const TrainRecord& train, const RunningRule& rule, DateKey queryDate,
                        int fromStation);

}  // namespace zelvan
