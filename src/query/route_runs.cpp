#include "query/route_runs.h"

#include <algorithm>
#include <string>

#include "db/timetable_db.h"

namespace zelvan {

std::vector<ResultRow> routeRuns(TimetableDb& db, std::u16string_view name) {
    std::vector<ResultRow> runs;
    if (name.empty() || name.find(u'→') != std::u16string_view::npos) return runs;
    // A shown number of such a trip is the route's name, " → " and the headsign; a substring
    // search also finds "1752 → ..." and "752 → ..." of another route's longer name, which the
    // prefix check leaves out.
    std::u16string prefix(name);
    prefix += u" → ";
    db.queryTrainNumber(prefix, runs);
    std::erase_if(runs, [&](const ResultRow& row) { return !row.trainName.starts_with(prefix); });
    // The day's runs; a day the route does not run keeps them all, marked, so that the
    // traveller sees the route exists.
    const auto running = [](const ResultRow& row) {
        return row.status == static_cast<int>(RunStatus::Running);
    };
    if (std::any_of(runs.begin(), runs.end(), running)) {
        std::erase_if(runs, [&](const ResultRow& row) { return !running(row); });
    }
    std::stable_sort(runs.begin(), runs.end(), [](const ResultRow& a, const ResultRow& b) {
        return a.departureTime < b.departureTime;
    });
    return runs;
}

}  // namespace zelvan
