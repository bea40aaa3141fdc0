// The station-to-station query and the station query.
#include <algorithm>

#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {
namespace {

// How often each train of `list` occurs in `sorted` (a sorted copy of the other list).
int occurrences(const std::vector<int>& sorted, int train) {
    auto [lo, hi] = std::equal_range(sorted.begin(), sorted.end(), train);
    return static_cast<int>(hi - lo);
}

}  // namespace

bool TimetableDb::queryStationToStation(const std::u16string& from, const std::u16string& to,
                                        std::vector<ResultRow>& rows) {
    fromStation = stationIndexByName(from);
    std::vector<int> departures;
    std::vector<int> arrivals;
    trainsAtStation(from, departures);
    trainsAtStation(to, arrivals);

    TrainRecord train;
    // The row of one train; false when it gives none.
    auto rowFor = [&](int trainIndexValue, ResultRow& row) {
        decodeTrain(trainIndexValue, train);
        std::optional<StopRecord> departure = findStopForPlace(from, train);
        std::optional<StopRecord> arrival = findStopForPlace(to, train);
        if (!departure || !arrival) return false;
        if (arrival->distanceKm < departure->distanceKm) return false;  // runs the other way
        return buildResultRow(train, &*departure, &*arrival, row);
    };

    if (!useIndexes) {
        // Every pair of equal indices gives its row: duplicates in either list repeat it.
        for (int a : departures) {
            for (int b : arrivals) {
                ResultRow row;
                if (a == b && rowFor(a, row)) rows.push_back(std::move(row));
            }
        }
        return !rows.empty();
    }
    // The same rows in the same order: a departure train that the arrival list holds n times
    // gives n equal rows, built once.
    std::vector<int> sortedArrivals = arrivals;
    std::sort(sortedArrivals.begin(), sortedArrivals.end());
    for (int a : departures) {
        int count = occurrences(sortedArrivals, a);
        ResultRow row;
        if (count == 0 || !rowFor(a, row)) continue;
        for (int i = 1; i < count; ++i) rows.push_back(row);
        rows.push_back(std::move(row));
    }
    return !rows.empty();
}

void TimetableDb::queryStation(const std::u16string& stationName, std::vector<ResultRow>& rows) {
    fromStation = stationIndexByName(stationName);
    std::vector<int> trains;
    trainsAtStation(stationName, trains);
    TrainRecord train;
    for (int t : trains) {
        decodeTrain(t, train);
        if (train.stops.empty()) continue;
        std::optional<StopRecord> departure = findStopForPlace(stationName, train);
        ResultRow row;
        if (buildResultRow(train, departure ? &*departure : nullptr, &train.stops.back(), row)) {
            rows.push_back(std::move(row));
        }
    }
}

}  // namespace zelvan
