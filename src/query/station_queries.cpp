// The station-to-station query and the station query, as rows and as stretches.
//
// With the load-time indexes both queries first find their stretches from the raw records (no
// train decoded), then decode only the trains that give a row. The plain versions decode every
// listed train, as the record format was designed for; both give the same answers.
#include <algorithm>
#include <tuple>

#include "db/passenger_stops.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {

namespace {

// The stops of two places in one pass over a raw record, a call no one may use
// (`passed(position)`) being none: the first stop at a place's earliest station in suffix
// order wins. The train's type is the database's raw record, deduced.
template <class Raw, class Passed>
std::pair<int, int> passengerPlaceStops(const TimetableDb::PlaceStations& first,
                                        const TimetableDb::PlaceStations& second, const Raw& train,
                                        Passed passed) {
    int firstRank = first.count;
    int secondRank = second.count;
    std::pair<int, int> found{-1, -1};
    for (int position = 0; position < train.count && (firstRank > 0 || secondRank > 0);
         ++position) {
        if (passed(position)) continue;
        const int station = train.stationAt(position);
        for (int i = 0; i < firstRank; ++i) {
            if (first.stations[static_cast<std::size_t>(i)] == station) {
                firstRank = i;
                found.first = position;
                break;
            }
        }
        for (int i = 0; i < secondRank; ++i) {
            if (second.stations[static_cast<std::size_t>(i)] == station) {
                secondRank = i;
                found.second = position;
                break;
            }
        }
    }
    return found;
}

}  // namespace

// The positions of the stops that stopForPlace would give for two places, read in one pass
// from a record's raw stops; -1 for none. The first stop at a place's earliest station in suffix
// order wins.
std::pair<int, int> TimetableDb::placeStops(const PlaceStations& first, const PlaceStations& second,
                                            const RawTrain& train) {
    return passengerPlaceStops(first, second, train, [](int) { return false; });
}

namespace {

// The stretch from `departure` to `arrival` by the row builder's rules: both stops present; at
// one station the row starts at `first`, the train's first stop; not backwards (neither in the
// run nor in distance). The status is
// left to the caller.
bool stretchBetween(int trainIndex, const StopRecord& first, const StopRecord* departure,
                    const StopRecord* arrival, TrainStretch& stretch) {
    if (departure == nullptr || arrival == nullptr) return false;
    if (departure->station == arrival->station) departure = &first;
    // An arrival earlier in the run is the other way, whatever the distances say (two stations
    // under a kilometre apart share their whole kilometre).
    if (arrival->sequence < departure->sequence) return false;
    if (departure->distanceKm > arrival->distanceKm) return false;
    stretch.trainIndex = trainIndex;
    stretch.departureStop = departure->sequence;
    stretch.arrivalStop = arrival->sequence;
    std::tie(stretch.departureHour, stretch.departureMinute) =
        departureClock(departure->arrivalHour, departure->arrivalMinute, departure->dwellMinutes);
    stretch.arrivalHour = arrival->arrivalHour;
    stretch.arrivalMinute = arrival->arrivalMinute;
    stretch.distanceKm = arrival->distanceKm - departure->distanceKm;
    return true;
}

// The same for a decoded train whose first stop riders may use is `first`, with the status of
// the run that calls at the departure stop (a place's stop may lie at another of its stations
// than the queried one).
bool stretchOf(const TimetableDb& db, int trainIndex, const TrainRecord& train,
               const StopRecord& first, const StopRecord* departure, const StopRecord* arrival,
               TrainStretch& stretch) {
    if (train.stops.empty() || !stretchBetween(trainIndex, first, departure, arrival, stretch)) {
        return false;
    }
    stretch.status = db.runningStatusAt(train, departure->station);
    return true;
}

// The train's stop for a place as findStopForPlace gives it, a call no one may use being none:
// the first stop at the place's earliest station in suffix order.
std::optional<StopRecord> passengerStopForPlace(const TimetableDb& db,
                                                const TimetableDb::PlaceStations& place,
                                                const TrainRecord& train) {
    for (int i = 0; i < place.count; ++i) {
        for (const StopRecord& stop : train.stops) {
            if (stop.station == place.stations[static_cast<std::size_t>(i)] &&
                !passedWithoutCall(db.extensions, train.index, stop.sequence)) {
                return stop;
            }
        }
    }
    return std::nullopt;
}

// The first stop of a decoded train riders may use; null for none.
const StopRecord* firstPassengerStop(const TimetableDb& db, const TrainRecord& train) {
    const int first =
        passengerEnds(db.extensions, train.index, static_cast<int>(train.stops.size())).first;
    return first < 0 ? nullptr : &train.stops[static_cast<std::size_t>(first)];
}

// The plain station-to-station search: every pair of equal indices of the two stations' lists
// gives its train, decoded, with its stops for the two places, unless it runs the other way.
// Duplicates in either list repeat it. emit(train index, train, departure, arrival).
template <class Emit>
void plainThroughTrains(TimetableDb& db, const std::u16string& from, const std::u16string& to,
                        Emit emit) {
    std::vector<int> departures;
    std::vector<int> arrivals;
    db.trainsAtStation(from, departures);
    db.trainsAtStation(to, arrivals);
    const TimetableDb::PlaceStations fromPlace = db.placeStations(from);
    const TimetableDb::PlaceStations toPlace = db.placeStations(to);
    TrainRecord train;
    for (int a : departures) {
        for (int b : arrivals) {
            if (a != b) continue;
            db.decodeTrain(a, train);
            std::optional<StopRecord> departure = passengerStopForPlace(db, fromPlace, train);
            std::optional<StopRecord> arrival = passengerStopForPlace(db, toPlace, train);
            if (!departure || !arrival) continue;
            // Runs the other way: the arrival stop comes first, or lies nearer the origin.
            if (arrival->sequence < departure->sequence) continue;
            if (arrival->distanceKm < departure->distanceKm) continue;
            const StopRecord* first = firstPassengerStop(db, train);
            if (first == nullptr) continue;
            const int boarded =
                departure->station == arrival->station ? first->sequence : departure->sequence;
            if (!db.canRide(a, boarded, arrival->sequence)) continue;
            emit(a, train, *departure, *arrival);
        }
    }
}

// The plain station search: every listed train decoded, from its stop for the place to its
// last stop riders may use. emit(train index, train, departure or null, arrival, first).
template <class Emit>
void plainStationTrains(TimetableDb& db, const std::u16string& stationName, Emit emit) {
    std::vector<int> trains;
    db.trainsAtStation(stationName, trains);
    const TimetableDb::PlaceStations place = db.placeStations(stationName);
    TrainRecord train;
    for (int t : trains) {
        db.decodeTrain(t, train);
        const auto [first, last] =
            passengerEnds(db.extensions, t, static_cast<int>(train.stops.size()));
        if (first < 0) continue;
        std::optional<StopRecord> departure = passengerStopForPlace(db, place, train);
        emit(t, train, departure ? &*departure : nullptr,
             train.stops[static_cast<std::size_t>(last)],
             train.stops[static_cast<std::size_t>(first)]);
    }
}

// A station query's row ends at the queried station when the train's stop there is at its last
// stop's station (not the first stop of a run that starts and ends there): the row builder then
// runs the row from the origin.
bool endsAtPlaceStop(const StopRecord& placeStop, const StopRecord& first, const StopRecord& last) {
    return placeStop.sequence > first.sequence && placeStop.station == last.station;
}

}  // namespace

bool TimetableDb::rawStretch(int trainIndexValue, const RawTrain& train, int departure, int arrival,
                             TrainStretch& stretch) const {
    if (departure < 0 || arrival < 0 || train.count == 0) return false;
    const int first = passengerEnds(extensions, trainIndexValue, train.count).first;
    if (first < 0) return false;
    const StopRecord from = train.stop(departure);
    const StopRecord to = train.stop(arrival);
    if (!stretchBetween(trainIndexValue, train.stop(first), &from, &to, stretch)) return false;
    // The run calling at the place's stop that day: counted to it, not to the queried station,
    // which a listed train need not call at (another station of the place).
    stretch.status = runningStatusOf(trainIndexValue, train, from.station);
    return true;
}

template <class Emit>
void TimetableDb::eachThroughTrain(const std::u16string& from, const std::u16string& to,
                                   Emit emit) {
    const int toStation = stationIndexByName(to);
    const std::span<const std::uint32_t> departures = stationList(fromStation);
    const std::span<const std::uint32_t> arrivals = stationList(toStation);
    if (departures.empty() || arrivals.empty()) return;
    const PlaceStations fromPlace = placeStations(from);
    const PlaceStations toPlace = placeStations(to);
    // When each place's first station is the listed station itself, a listed train that calls
    // there has its stop for the place there, and the distances cached with the lists tell a
    // train running the other way without reading its record.
    std::span<const std::uint16_t> departureKm;
    std::span<const std::uint16_t> arrivalKm;
    if (fromPlace.count > 0 && fromPlace.stations[0] == fromStation && toPlace.count > 0 &&
        toPlace.stations[0] == toStation) {
        departureKm = stationListKm(fromStation);
        arrivalKm = stationListKm(toStation);
    }
    // The stretch of train t, which the arrival list holds `count` times, once per entry.
    auto add = [&](int t, std::size_t count, int fromKm, int toKm) {
        // The lists' distances are of the first calls, which a train that passes a station
        // without a call for riders may not stop at for them.
        const bool restricted = extensions.restricted(t);
        if (fromKm != kNoStop && toKm != kNoStop && toKm < fromKm && !restricted) return;
        const RawTrain train = rawTrain(t);
        const auto [fromStop, toStop] =
            restricted
                ? passengerPlaceStops(fromPlace, toPlace, train,
                                      [&](int p) { return passedWithoutCall(extensions, t, p); })
                : placeStops(fromPlace, toPlace, train);
        if (fromStop < 0 || toStop < 0 || toStop < fromStop) return;
        if (train.stop(toStop).distanceKm < train.stop(fromStop).distanceKm) return;
        TrainStretch stretch;
        if (!rawStretch(t, train, fromStop, toStop, stretch)) return;
        // A stop that forbids boarding, or an arrival that forbids leaving, gives no ride.
        if (!canRide(t, stretch.departureStop, stretch.arrivalStop)) return;
        emit(stretch, train, count);
    };
    if (std::is_sorted(departures.begin(), departures.end()) &&
        std::is_sorted(arrivals.begin(), arrivals.end())) {
        // Station records list their trains in index order: one merged walk.
        std::size_t j = 0;
        for (std::size_t i = 0; i < departures.size(); ++i) {
            const int t = static_cast<int>(departures[i]);
            while (j < arrivals.size() && arrivals[j] < departures[i]) ++j;
            std::size_t k = j;
            while (k < arrivals.size() && arrivals[k] == departures[i]) ++k;
            if (k == j) continue;
            add(t, k - j, departureKm.empty() ? kNoStop : departureKm[i],
                arrivalKm.empty() ? kNoStop : arrivalKm[j]);
        }
        return;
    }
    std::vector<std::uint32_t> sorted(arrivals.begin(), arrivals.end());
    std::sort(sorted.begin(), sorted.end());
    for (const std::uint32_t t : departures) {
        auto [lo, hi] = std::equal_range(sorted.begin(), sorted.end(), t);
        if (hi > lo) add(static_cast<int>(t), static_cast<std::size_t>(hi - lo), kNoStop, kNoStop);
    }
}

bool TimetableDb::findStationToStation(const std::u16string& from, const std::u16string& to,
                                       std::vector<TrainStretch>& stretches) {
    fromStation = stationIndexByName(from);
    if (useIndexes) {
        eachThroughTrain(from, to,
                         [&](const TrainStretch& stretch, const RawTrain&, std::size_t count) {
                             for (std::size_t i = 0; i < count; ++i) stretches.push_back(stretch);
                         });
    } else {
        plainThroughTrains(*this, from, to,
                           [&](int t, const TrainRecord& train, const StopRecord& departure,
                               const StopRecord& arrival) {
                               TrainStretch stretch;
                               const StopRecord* first = firstPassengerStop(*this, train);
                               if (first != nullptr && stretchOf(*this, t, train, *first,
                                                                 &departure, &arrival, stretch)) {
                                   stretches.push_back(stretch);
                               }
                           });
    }
    return !stretches.empty();
}

bool TimetableDb::queryStationToStation(const std::u16string& from, const std::u16string& to,
                                        std::vector<ResultRow>& rows) {
    fromStation = stationIndexByName(from);
    if (useIndexes) {
        // Room for as many rows as the shorter train list holds, a bound for the common case:
        // rows grown step by step are each moved again and again, into pages touched anew.
        rows.reserve(rows.size() + std::min(stationList(fromStation).size(),
                                            stationList(stationIndexByName(to)).size()));
        eachThroughTrain(
            from, to, [&](const TrainStretch& stretch, const RawTrain& train, std::size_t count) {
                rows.emplace_back();
                if (!buildResultRow(stretch, train, rows.back())) {
                    rows.pop_back();
                    return;
                }
                // Repeated entries of one train give equal rows: built once, then copied.
                for (std::size_t i = 1; i < count; ++i) {
                    ResultRow copy = rows.back();
                    rows.push_back(std::move(copy));
                }
            });
        return !rows.empty();
    }
    // The plain intersection: every pair of equal indices gives its row.
    plainThroughTrains(
        *this, from, to,
        [&](int, const TrainRecord& train, const StopRecord& departure, const StopRecord& arrival) {
            ResultRow row;
            if (buildResultRow(train, &departure, &arrival, row)) {
                row.status = static_cast<int>(runningStatusAt(train, departure.station));
                rows.push_back(std::move(row));
            }
        });
    return !rows.empty();
}

template <class Emit>
void TimetableDb::eachStationTrain(const std::u16string& stationName, Emit emit) {
    const PlaceStations place = placeStations(stationName);
    const PlaceStations none;
    for (const std::uint32_t listed : stationList(fromStation)) {
        const int t = static_cast<int>(listed);
        const RawTrain train = rawTrain(t);
        const int departure =
            extensions.restricted(t)
                ? passengerPlaceStops(place, none, train,
                                      [&](int p) { return passedWithoutCall(extensions, t, p); })
                      .first
                : placeStops(place, none, train).first;
        const auto [first, last] = passengerEnds(extensions, t, train.count);
        TrainStretch stretch;
        if (last >= 0 && rawStretch(t, train, departure, last, stretch)) {
            stretch.endsHere =
                endsAtPlaceStop(train.stop(departure), train.stop(first), train.stop(last));
            emit(stretch, train, 1);
        }
    }
}

void TimetableDb::findStationTrains(const std::u16string& stationName,
                                    std::vector<TrainStretch>& stretches) {
    fromStation = stationIndexByName(stationName);
    if (!useIndexes) {
        plainStationTrains(
            *this, stationName,
            [&](int t, const TrainRecord& train, const StopRecord* departure,
                const StopRecord& arrival, const StopRecord& first) {
                TrainStretch stretch;
                if (stretchOf(*this, t, train, first, departure, &arrival, stretch)) {
                    stretch.endsHere = endsAtPlaceStop(*departure, first, arrival);
                    stretches.push_back(stretch);
                }
            });
        return;
    }
    eachStationTrain(stationName, [&](const TrainStretch& stretch, const RawTrain&, std::size_t) {
        stretches.push_back(stretch);
    });
}

void TimetableDb::queryStation(const std::u16string& stationName, std::vector<ResultRow>& rows) {
    fromStation = stationIndexByName(stationName);
    if (useIndexes) {
        eachStationTrain(
            stationName, [&](const TrainStretch& stretch, const RawTrain& train, std::size_t) {
                rows.emplace_back();
                if (!buildResultRow(stretch, train, rows.back())) {
                    rows.pop_back();
                    return;
                }
                rows.back().noBoarding = !canBoard(stretch.trainIndex, stretch.departureStop);
            });
        return;
    }
    plainStationTrains(
        *this, stationName,
        [&](int, const TrainRecord& train, const StopRecord* departure, const StopRecord& arrival,
            const StopRecord& first) {
            ResultRow row;
            if (buildResultRow(train, departure, &arrival, row)) {
                row.status = static_cast<int>(runningStatusAt(train, departure->station));
                row.endsHere = endsAtPlaceStop(*departure, first, arrival);
                row.noBoarding = departure && !canBoard(train.index, departure->sequence);
                rows.push_back(std::move(row));
            }
        });
}

}  // namespace zelvan
