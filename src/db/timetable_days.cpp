#include "db/timetable_days.h"

#include <algorithm>

#include "db/running_days.h"
#include "db/timetable_db.h"

namespace zelvan {

TimetableDays timetableDays(const TimetableDb& db) {
    TimetableDays days;
    const auto take = [&days](DateKey from, DateKey until) {
        if (!isCalendarDate(from) || !isCalendarDate(until) || until < from) return;
        days.first = days.known() ? std::min(days.first, from) : from;
        days.last = std::max(days.last, until);
    };
    TrainRecord train;
    const int count = static_cast<int>(db.trainIndex.size());
    for (int t = 0; t < count; ++t) {
        if (const ServiceDays* listed = db.extensions.serviceDays(t)) {
            take(listed->first, listed->last());
            continue;
        }
        db.decodeTrain(t, train);
        if (train.stops.empty()) continue;
        take(train.validFrom, train.validUntil);
    }
    return days;
}

}  // namespace zelvan
