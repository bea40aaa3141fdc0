// The station-to-station query and the station query.
#include <algorithm>
#include <tuple>

#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {
namespace {

// How often each train of `list` occurs in `sorted` (a sorted copy of the other list).
int occurrences(const std::vector<int>& sorted, int train) {
    auto [lo, hi] = std::equal_range(sorted.begin(), sorted.end(), train);
    return static_cast<int>(hi - lo);
}

// The distances of the stops that stopForPlace would give for two places, read in one pass
// from a record's raw 7-byte stops (station in bytes 0-1, km in bytes 5-6); -1 for none. The
// first stop at a place's earliest station in suffix order wins.
std::pair<int, int> placeDistances(const TimetableDb::PlaceStations& first,
                                   const TimetableDb::PlaceStations& second,
                                   const std::uint8_t* stops, int count) {
    int firstRank = first.count;
    int secondRank = second.count;
    std::pair<int, int> km{-1, -1};
    for (const std::uint8_t* stop = stops; stop != stops + 7 * count; stop += 7) {
        const int station = stop[0] * 128 + stop[1];
        for (int i = 0; i < firstRank; ++i) {
            if (first.stations[static_cast<std::size_t>(i)] == station) {
                firstRank = i;
                km.first = stop[5] * 128 + stop[6];
                break;
            }
        }
        for (int i = 0; i < secondRank; ++i) {
            if (second.stations[static_cast<std::size_t>(i)] == station) {
                secondRank = i;
                km.second = stop[5] * 128 + stop[6];
                break;
            }
        }
    }
    return km;
}

}  // namespace

bool TimetableDb::queryStationToStation(const std::u16string& from, const std::u16string& to,
                                        std::vector<ResultRow>& rows) {
    fromStation = stationIndexByName(from);
    if (useIndexes && stationListsCurrent()) {
        // The station lists cached at load, the place names resolved once, and a train decoded
        // only when it runs from `from` to `to`.
        const int toStation = stationIndexByName(to);
        const std::span<const std::uint16_t> departures = stationList(fromStation);
        const std::span<const std::uint16_t> arrivals = stationList(toStation);
        if (departures.empty() || arrivals.empty()) return !rows.empty();
        const PlaceStations fromPlace = placeStations(from);
        const PlaceStations toPlace = placeStations(to);
        // When each place's first station is the listed station itself, a listed train that
        // calls there has its stop for the place there, and the distances cached with the
        // lists decide the direction without reading the record.
        std::span<const std::uint16_t> departureKm;
        std::span<const std::uint16_t> arrivalKm;
        if (stationListKmCurrent() && fromPlace.count > 0 && fromPlace.stations[0] == fromStation &&
            toPlace.count > 0 && toPlace.stations[0] == toStation) {
            departureKm = stationListKm(fromStation);
            arrivalKm = stationListKm(toStation);
        }
        TrainRecord train;
        // The rows of train t, which the arrival list holds `count` times; the cached
        // distances of its two stops, kNoStop when not known.
        auto addRows = [&](int t, std::size_t count, int fromKm, int toKm) {
            if (fromKm == kNoStop || toKm == kNoStop) {
                const std::uint8_t* stops = nullptr;
                const int stopCount = rawStops(t, stops);
                std::tie(fromKm, toKm) = placeDistances(fromPlace, toPlace, stops, stopCount);
                if (fromKm < 0) return;
            }
            if (toKm < fromKm) return;  // runs the other way, or no stop for `to`
            decodeTrain(t, train);
            rows.emplace_back();
            if (!buildResultRow(train, stopForPlace(fromPlace, train), stopForPlace(toPlace, train),
                                rows.back())) {
                rows.pop_back();
                return;
            }
            for (std::size_t i = 1; i < count; ++i) {
                ResultRow copy = rows.back();
                rows.push_back(std::move(copy));
            }
        };
        if (std::is_sorted(departures.begin(), departures.end()) &&
            std::is_sorted(arrivals.begin(), arrivals.end())) {
            // Station records list their trains in index order: one merged walk.
            std::size_t j = 0;
            for (std::size_t i = 0; i < departures.size(); ++i) {
                const std::uint16_t t = departures[i];
                while (j < arrivals.size() && arrivals[j] < t) ++j;
                std::size_t k = j;
                while (k < arrivals.size() && arrivals[k] == t) ++k;
                if (k == j) continue;
                addRows(t, k - j, departureKm.empty() ? kNoStop : departureKm[i],
                        arrivalKm.empty() ? kNoStop : arrivalKm[j]);
            }
        } else {
            std::vector<std::uint16_t> sorted(arrivals.begin(), arrivals.end());
            std::sort(sorted.begin(), sorted.end());
            for (const std::uint16_t t : departures) {
                auto [lo, hi] = std::equal_range(sorted.begin(), sorted.end(), t);
                if (hi > lo) addRows(t, static_cast<std::size_t>(hi - lo), kNoStop, kNoStop);
            }
        }
        return !rows.empty();
    }

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
    TrainRecord train;
    if (useIndexes && stationListsCurrent()) {
        const PlaceStations place = placeStations(stationName);
        for (const std::uint16_t t : stationList(fromStation)) {
            decodeTrain(t, train);
            if (train.stops.empty()) continue;
            rows.emplace_back();
            if (!buildResultRow(train, stopForPlace(place, train), &train.stops.back(),
                                rows.back())) {
                rows.pop_back();
            }
        }
        return;
    }
    std::vector<int> trains;
    trainsAtStation(stationName, trains);
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
