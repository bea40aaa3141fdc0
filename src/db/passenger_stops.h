// Calls where no passenger may board or alight (a depot, a crew stop): for travellers the train
// passes there. Timetables imported before the importer left such calls out still hold them
// (t.stops: board 0 and alight 0); the queries, the rows and the lists of stops read them as
// passed: never a row's station, its origin or terminus, never listed as a stop.
#pragma once

#include <utility>

#include "db/timetable_extensions.h"

namespace zelvan {

// True when stop `position` of `train` lets no one board or alight.
inline bool passedWithoutCall(const TimetableExtensions& extensions, int train, int position) {
    if (!extensions.restricted(train)) return false;
    const StopExtras extras = extensions.stopExtras(train, position);
    return !extras.board && !extras.alight;
}

// The positions of the first and last of `count` stops of `train` that riders may use; both
// -1 when there is none. A train without such calls: 0 and count - 1.
inline std::pair<int, int> passengerEnds(const TimetableExtensions& extensions, int train,
                                         int count) {
    int first = 0;
    int last = count - 1;
    if (count <= 0) return {-1, -1};
    if (!extensions.restricted(train)) return {first, last};
    while (first < count && passedWithoutCall(extensions, train, first)) ++first;
    if (first == count) return {-1, -1};
    while (last > first && passedWithoutCall(extensions, train, last)) --last;
    return {first, last};
}

}  // namespace zelvan
