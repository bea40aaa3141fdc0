// The days a timetable covers: from the first day any of its trains runs (or is valid) to the
// last. The views open on a covered day and say so before answering for a day outside them.
#pragma once

#include "db/records.h"

namespace zelvan {

class TimetableDb;

struct TimetableDays {
    DateKey first = 0;  // 0: not known (no train with calendar dates)
    DateKey last = 0;

    bool known() const { return first != 0; }
    // True when `date` lies within the days, both ends included, or when they are not known.
    bool covers(DateKey date) const { return !known() || (date >= first && date <= last); }
    // The covered day nearest to `date`: `date` itself when covered.
    DateKey nearest(DateKey date) const {
        if (covers(date)) return date;
        return date < first ? first : last;
    }
    bool operator==(const TimetableDays&) const = default;
};

// The days of `db`: for a train run on listed days (an imported timetable) its first and last
// service day, for one run by a rule its validity dates; dates that are no calendar dates and
// validity running backwards are left out. Reads every train once.
TimetableDays timetableDays(const TimetableDb& db);

}  // namespace zelvan
