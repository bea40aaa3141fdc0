// Trips a feed gives no number: riders know them by their route and where they go, and the
// timetable shows them as "752 → Ehningen Bf". Typed as the route's name alone ("752"), such a
// name is no train number; it stands for every run of the route, of which the traveller picks
// one.
#pragma once

#include <string_view>
#include <vector>

#include "fare/result_row.h"

namespace zelvan {

class TimetableDb;

// The runs of the route named `name` (its short name, else its long name: what the shown
// numbers start with before " → "), each as its whole run's row, by departure: those running
// on the query date, or all of them, marked, when none runs that day. Empty for a name no
// shown number starts with, and for a name that is itself a whole shown number
// ("752 → Ehningen Bf" names runs of one headsign: the train-number lookup finds those).
std::vector<ResultRow> routeRuns(TimetableDb& db, std::u16string_view name);

}  // namespace zelvan
